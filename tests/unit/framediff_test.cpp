#include "display/engine/effects.h"
#include "display/engine/framediff.h"
#include "display/engine/scaler.h"
#include "common/geometry/aspectfit.h"

#include <QImage>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace mirovex;

namespace {

qint64 area(const QVector<QRect>& rects)
{
    qint64 a = 0;
    for (const QRect& r : rects)
        a += qint64(r.width()) * r.height();
    return a;
}

TEST(FrameDiff, ChangesInsideTheMirroredRectangle)
{
    const QRect mirror(100, 50, 400, 300); // on the root
    const struct {
        const char* name;
        QVector<QRect> changed;
        QVector<QRect> want;
    } cases[] = {
        {"inside", {{150, 60, 20, 10}}, {{50, 10, 20, 10}}},
        {"across the left edge", {{90, 60, 20, 10}}, {{0, 10, 10, 10}}},
        {"outside", {{0, 0, 50, 50}, {600, 400, 10, 10}}, {}},
        {"covering it", {{0, 0, 2000, 2000}}, {{0, 0, 400, 300}}},
        {"touching the right edge from outside", {{500, 60, 10, 10}}, {}},
        {"one of two", {{0, 0, 10, 10}, {499, 349, 5, 5}}, {{399, 299, 1, 1}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(framediff::inFrame(c.changed, mirror), c.want) << c.name;
}

TEST(FrameDiff, MergingKeepsTheUnionOrItsBounds)
{
    const QSize frame(400, 300);
    // Overlapping pieces become disjoint ones of the same union.
    const QVector<QRect> overlapping{{0, 0, 100, 100}, {50, 50, 100, 100}};
    const QVector<QRect> merged = framediff::merge(overlapping, frame, 8);
    EXPECT_EQ(area(merged), 100 * 100 * 2 - 50 * 50);
    for (int i = 0; i < merged.size(); ++i)
        for (int j = i + 1; j < merged.size(); ++j)
            EXPECT_FALSE(merged[i].intersects(merged[j]));

    // A storm of pieces becomes the one rectangle around them.
    QVector<QRect> storm;
    for (int i = 0; i < 5000; ++i)
        storm.append(QRect((i * 7) % 390, (i * 13) % 290, 2, 2));
    const QVector<QRect> one = framediff::merge(storm, frame, 12);
    ASSERT_EQ(one.size(), 1);
    for (const QRect& r : storm)
        EXPECT_TRUE(one.first().contains(r));

    // Empty pieces, and what lies beyond the frame, are dropped.
    EXPECT_TRUE(framediff::merge({QRect(), QRect(10, 10, 0, 5), QRect(500, 10, 5, 5)}, frame, 4).isEmpty());
    EXPECT_EQ(framediff::merge({QRect(390, 290, 50, 50)}, frame, 4), QVector<QRect>{QRect(390, 290, 10, 10)});

    EXPECT_TRUE(framediff::mostOf({QRect(0, 0, 400, 180)}, frame, 60));
    EXPECT_FALSE(framediff::mostOf({QRect(0, 0, 400, 179)}, frame, 60));
}

QImage pattern(QSize s, quint32 seed)
{
    QImage img(s, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < s.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < s.width(); ++x)
            line[x] = 0xFF000000u | random.generate();
    }
    return img;
}

// The strongest check of the filter's margin: a part of the source changed,
// scaled only where scaledSpan says, must give the target that scaling the
// whole frame gives, byte for byte, for both filters and every common shape
// of scaling.
TEST(FrameDiff, ScalingOnlyTheSpanEqualsScalingTheWhole)
{
    const struct {
        QSize source, target;
    } shapes[] = {
        {{1920, 1080}, {1280, 720}}, // 3:2 down
        {{400, 300}, {1280, 720}},   // up, with bands
        {{640, 480}, {640, 480}},    // 1:1
        {{1920, 1080}, {1920, 1080}},
        {{333, 777}, {1280, 720}}, // odd ratios
    };
    for (const FrameScaler::Filter filter : {FrameScaler::Filter::Bilinear, FrameScaler::Filter::Nearest}) {
        for (const auto& shape : shapes) {
            const QRect fitted = aspectFit(shape.source, shape.target);
            QImage source = pattern(shape.source, 1);
            QImage partial(shape.target, QImage::Format_RGB32);
            partial.fill(Qt::black);
            FrameScaler scaler;
            scaler.setFilter(filter);
            scaler.scale(source, partial, fitted);
            QRandomGenerator random(uint(shape.source.width() * 7 + shape.target.height()));
            for (int round = 0; round < 6; ++round) {
                const int w = 1 + random.bounded(std::min(200, shape.source.width()));
                const int h = 1 + random.bounded(std::min(120, shape.source.height()));
                const QRect part(random.bounded(shape.source.width() - w + 1), random.bounded(shape.source.height() - h + 1),
                                 w, h);
                const QImage fresh = pattern(part.size(), uint(round + 2));
                for (int y = 0; y < h; ++y)
                    std::memcpy(source.scanLine(part.y() + y) + part.x() * 4, fresh.constScanLine(y), size_t(w) * 4);
                scaler.scale(source, partial, fitted, framediff::scaledSpan(part, shape.source, fitted, 0));

                QImage whole(shape.target, QImage::Format_RGB32);
                whole.fill(Qt::black);
                FrameScaler reference;
                reference.setFilter(filter);
                reference.scale(source, whole, fitted);
                int differ = 0;
                for (int y = 0; y < whole.height(); ++y)
                    for (int x = 0; x < whole.width(); ++x)
                        differ += (whole.pixel(x, y) ^ partial.pixel(x, y)) & 0xFFFFFF ? 1 : 0;
                EXPECT_EQ(differ, 0) << shape.source.width() << "x" << shape.source.height() << " -> "
                                     << shape.target.width() << "x" << shape.target.height() << " filter "
                                     << int(filter) << " part " << part.x() << "," << part.y() << " " << w << "x" << h;
            }
        }
    }
    EXPECT_TRUE(framediff::scaledSpan(QRect(), {100, 100}, {0, 0, 50, 50}, 1).isNull());
    // Never beyond the fitted rectangle, whatever the margin.
    EXPECT_EQ(framediff::scaledSpan(QRect(0, 0, 100, 100), {100, 100}, {10, 20, 50, 50}, 5), QRect(10, 20, 50, 50));
}

TEST(FrameDiff, WhichEffectsWorkOnParts)
{
    const struct {
        int code;
        bool parts, byItself;
    } cases[] = {
        {fx::kNone, true, false},         {fx::kContrast, true, false},    {fx::kExtractRed, true, false},
        {fx::kSaturation, true, false},   {fx::kPosterize, true, false},   {fx::kSolarize, true, false},
        {fx::kSmoothing, false, false},   {fx::kEmboss, false, false},     {fx::kSharpen, false, false},
        {fx::kSplitBlur, false, false},   {fx::kTrace, false, false},      {fx::kSemiOpaque, false, false},
        {fx::kMonoNoise, false, true},    {fx::kWavy, false, true},        {13, true, false},
    };
    for (const auto& c : cases) {
        fx::EffectState e;
        e.code = c.code;
        EXPECT_EQ(e.worksOnParts(), c.parts) << c.code;
        EXPECT_EQ(e.changesByItself(), c.byItself) << c.code;
    }
}

QImage view(QImage& image, const QRect& part)
{
    return QImage(image.bits() + qsizetype(part.y()) * image.bytesPerLine() + part.x() * 4, part.width(), part.height(),
                  image.bytesPerLine(), QImage::Format_RGB32);
}

// What the loop relies on when it works a changed part on its own: the
// effects that say so give that part exactly what the whole frame gives it.
TEST(FrameDiff, EffectsOnAPartEqualTheWholeThere)
{
    std::vector<fx::EffectState> states;
    const auto add = [&](auto change) {
        fx::EffectState e;
        change(e);
        ASSERT_TRUE(e.worksOnParts());
        states.push_back(e);
    };
    add([](fx::EffectState& e) { e.greyscale = true; });
    add([](fx::EffectState& e) { e.spotlight = true, e.spotRadius = 70; });
    add([](fx::EffectState& e) { e.spotlight = true, e.spotRadius = 20; });
    add([](fx::EffectState& e) { e.tint = fx::Tint::Night; });
    add([](fx::EffectState& e) { e.swap = true, e.swapMode = 3; });
    add([](fx::EffectState& e) { e.isolation = true; });
    for (const int code : {fx::kContrast, fx::kExtractXGreen, fx::kSaturation, fx::kPosterize, fx::kSolarize})
        add([code](fx::EffectState& e) { e.code = code; });
    const QPoint mouse(150, 100);
    const QRect part(97, 41, 120, 90);
    for (const fx::EffectState& state : states) {
        QImage whole = pattern({300, 200}, 9);
        const QImage raw = whole.copy();
        fx::Frame f{&whole, &raw, mouse, raw.pixel(mouse)};
        fx::Rng rng;
        fx::Scratch scratch;
        fx::applyEffects(state, f, rng, scratch);

        QImage pieces = pattern({300, 200}, 9);
        QImage rawPieces = pieces.copy();
        QImage sub = view(pieces, part);
        const QImage rawSub = view(rawPieces, part);
        fx::Frame g{&sub, &rawSub, mouse - part.topLeft(), raw.pixel(mouse)};
        fx::applyEffects(state, g, rng, scratch);
        EXPECT_EQ(whole.copy(part), pieces.copy(part))
            << "greyscale " << state.greyscale << " spotlight " << state.spotlight << " code " << state.code;
    }
}

} // namespace
