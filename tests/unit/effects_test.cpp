#include "display/engine/effects.h"
#include "platform/screencapture.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace mirovex::fx;

namespace {

using Pixels = std::vector<QRgb>;

QImage picture(int w, int h, const Pixels& px)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            reinterpret_cast<QRgb*>(img.scanLine(y))[x] = px[std::size_t(y * w + x)];
    return img;
}

QImage filled(int w, int h, QRgb v) { return picture(w, h, Pixels(std::size_t(w * h), v)); }

QImage inverted(const QImage& img)
{
    QImage out = img.copy();
    out.invertPixels();
    return out;
}

// "(r,g,b)" per pixel, rows split by " / ", so that a failure shows where.
std::string show(const QImage& img)
{
    std::string s;
    for (int y = 0; y < img.height(); ++y) {
        if (y)
            s += " / ";
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = reinterpret_cast<const QRgb*>(img.constScanLine(y))[x];
            s += "(" + std::to_string(qRed(p)) + "," + std::to_string(qGreen(p)) + "," + std::to_string(qBlue(p)) + ")";
            if (qAlpha(p) != 255)
                s += "a" + std::to_string(qAlpha(p));
        }
    }
    return s;
}

// Unrelated pixels, for the cases that only care that nothing breaks.
QImage varied(int w = 4, int h = 4)
{
    Pixels px;
    for (int i = 0; i < w * h; ++i)
        px.push_back(qRgb((i * 97 + 13) & 255, (i * 53 + 200) & 255, (i * 181 + 7) & 255));
    return picture(w, h, px);
}

// The picture repeated side by side: rows long enough for the vectorised
// loops, whose leftovers still take the narrow pictures.
QImage across(const QImage& img, int times = 9)
{
    QImage wide(img.width() * times, img.height(), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int t = 0; t < times; ++t)
            std::memcpy(wide.scanLine(y) + t * img.width() * 4, img.constScanLine(y), std::size_t(img.width()) * 4);
    return wide;
}

QImage withCode(int code, QImage img, std::uint64_t seed = 7)
{
    Rng rng(seed);
    Scratch scratch;
    applyCode(code, img, rng, scratch);
    return img;
}

const int kAllCodes[] = {kSmoothing, kContrast,    kEmboss,    kExtractBlue, kExtractGreen, kExtractRed,
                         kExtractXBlue, kExtractXGreen, kExtractXRed, kMonoNoise, kSaturation, kSharpen,
                         kSplitBlur, kTrace, kWavy, kPosterize, kSemiOpaque, kSolarize};

// ---------------------------------------------------------------- codes

TEST(EffectsCode, PerPixel)
{
    const struct {
        const char* name;
        int code, w, h;
        Pixels in, want;
    } cases[] = {
        {"contrast pins", kContrast, 2, 1, {qRgb(0, 100, 127), qRgb(128, 200, 255)}, {qRgb(0, 73, 127), qRgb(129, 255, 255)}},
        {"posterize halves go to even", kPosterize, 2, 1, {qRgb(25, 75, 125), qRgb(175, 225, 255)},
         {qRgb(0, 100, 100), qRgb(200, 200, 250)}},
        {"posterize off the halves", kPosterize, 1, 1, {qRgb(24, 26, 49)}, {qRgb(0, 50, 50)}},
        {"extract blue bounds", kExtractBlue, 4, 1,
         {qRgb(200, 100, 10), qRgb(200, 100, 11), qRgb(200, 100, 149), qRgb(200, 100, 150)},
         {qRgb(0, 0, 0), qRgb(0, 0, 255), qRgb(0, 0, 255), qRgb(0, 0, 0)}},
        {"extract green", kExtractGreen, 2, 1, {qRgb(10, 11, 149), qRgb(100, 150, 100)}, {qRgb(0, 255, 0), qRgb(0, 0, 0)}},
        {"extract red", kExtractRed, 2, 1, {qRgb(11, 10, 150), qRgb(150, 11, 149)}, {qRgb(255, 0, 0), qRgb(0, 0, 0)}},
        {"extract x blue keeps the others", kExtractXBlue, 2, 1, {qRgb(200, 100, 10), qRgb(200, 100, 149)},
         {qRgb(200, 100, 0), qRgb(200, 100, 255)}},
        {"extract x green", kExtractXGreen, 2, 1, {qRgb(200, 11, 10), qRgb(200, 150, 10)}, {qRgb(200, 255, 10), qRgb(200, 0, 10)}},
        {"extract x red", kExtractXRed, 2, 1, {qRgb(149, 100, 3), qRgb(10, 100, 3)}, {qRgb(255, 100, 3), qRgb(0, 100, 3)}},
        // 2500 * -1 div 255 is -9 toward zero, not -10.
        {"saturation truncates toward zero", kSaturation, 2, 1, {qRgb(120, 121, 122), qRgb(10, 11, 13)},
         {qRgb(112, 121, 130), qRgb(2, 11, 30)}},
        {"saturation clamps, grey stays", kSaturation, 2, 1, {qRgb(100, 150, 200), qRgb(77, 77, 77)},
         {qRgb(0, 150, 255), qRgb(77, 77, 77)}},
        {"semi opaque: white where x + y is even", kSemiOpaque, 2, 2,
         {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9), qRgb(10, 11, 12)},
         {qRgb(255, 255, 255), qRgb(4, 5, 6), qRgb(7, 8, 9), qRgb(255, 255, 255)}},
        {"semi opaque on an odd width", kSemiOpaque, 3, 2,
         {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9), qRgb(10, 11, 12), qRgb(13, 14, 15), qRgb(16, 17, 18)},
         {qRgb(255, 255, 255), qRgb(4, 5, 6), qRgb(255, 255, 255), qRgb(10, 11, 12), qRgb(255, 255, 255), qRgb(16, 17, 18)}},
        {"solarize above a mean of 250", kSolarize, 4, 1,
         {qRgb(250, 250, 250), qRgb(251, 251, 251), qRgb(252, 251, 250), qRgb(252, 251, 249)},
         {qRgb(250, 250, 250), qRgb(4, 4, 4), qRgb(3, 4, 5), qRgb(252, 251, 249)}},
    };
    for (const auto& c : cases) {
        const QImage in = picture(c.w, c.h, c.in), want = picture(c.w, c.h, c.want);
        EXPECT_EQ(show(withCode(c.code, in)), show(want)) << c.name;
        // An even width keeps the parity of the semi opaque pattern.
        if (c.code != kSemiOpaque || c.w % 2 == 0) {
            EXPECT_EQ(show(withCode(c.code, across(in, 10))), show(across(want, 10))) << c.name << ", wide";
        }
    }
}

TEST(EffectsCode, Neighbourhood)
{
    // Channels that differ everywhere, so a sum spilling from one channel into
    // the next shows.
    const Pixels a = {qRgb(10, 200, 30), qRgb(40, 90, 250),  qRgb(0, 255, 128),  qRgb(77, 3, 160),
                      qRgb(255, 0, 60),  qRgb(120, 130, 140), qRgb(33, 66, 99),  qRgb(200, 10, 5),
                      qRgb(5, 250, 180), qRgb(90, 45, 12),   qRgb(160, 160, 1), qRgb(12, 240, 70),
                      qRgb(66, 13, 200), qRgb(1, 99, 254),   qRgb(250, 128, 64), qRgb(31, 32, 33)};
    // Trace: equal 3-3-2 indices despite different low bits; a red step at
    // 0x3F/0x40 to the right; a blue step at 0x3F/0x40 to the right; a green
    // step at 0x5F/0x60 below.
    const Pixels t = {qRgb(0x20, 0x40, 0x00), qRgb(0x3F, 0x5F, 0x3F), qRgb(0x40, 0x5F, 0x3F), qRgb(200, 200, 200),
                      qRgb(0x3F, 0x5F, 0x3F), qRgb(0x20, 0x40, 0x40), qRgb(0x3F, 0x5F, 0x7F), qRgb(9, 9, 9),
                      qRgb(1, 2, 3),          qRgb(0x20, 0x60, 0x40), qRgb(7, 8, 9),          qRgb(10, 11, 12)};
    const QRgb tA = qRgb(0x20, 0x40, 0x00), tB = qRgb(0x40, 0x40, 0x00), tX = qRgb(200, 200, 200);
    const struct {
        const char* name;
        int code, w, h;
        Pixels in, want;
    } cases[] = {
        // (2,1) averages the already smoothed (1,1) on its left, (1,2) the
        // smoothed (1,1) above.
        {"smoothing is recursive", kSmoothing, 4, 4, a,
         {qRgb(10, 200, 30), qRgb(40, 90, 250), qRgb(0, 255, 128), qRgb(77, 3, 160),
          qRgb(255, 0, 60), qRgb(104, 50, 105), qRgb(116, 118, 59), qRgb(200, 10, 5),
          qRgb(5, 250, 180), qRgb(67, 139, 135), qRgb(111, 156, 82), qRgb(12, 240, 70),
          qRgb(66, 13, 200), qRgb(1, 99, 254), qRgb(250, 128, 64), qRgb(31, 32, 33)}},
        {"smoothing without an inside", kSmoothing, 4, 2, Pixels(a.begin(), a.begin() + 8), Pixels(a.begin(), a.begin() + 8)},
        {"emboss reads three right, one down", kEmboss, 4, 4, a,
         {qRgb(32, 222, 140), qRgb(40, 90, 250), qRgb(0, 255, 128), qRgb(77, 3, 160),
          qRgb(249, 7, 122), qRgb(120, 130, 140), qRgb(33, 66, 99), qRgb(200, 10, 5),
          qRgb(114, 236, 201), qRgb(90, 45, 12), qRgb(160, 160, 1), qRgb(12, 240, 70),
          qRgb(66, 13, 200), qRgb(1, 99, 254), qRgb(250, 128, 64), qRgb(31, 32, 33)}},
        {"emboss narrower than four", kEmboss, 3, 2, {a[0], a[1], a[2], a[4], a[5], a[6]}, {a[0], a[1], a[2], a[4], a[5], a[6]}},
        // (2,1) and (1,2) read the original (1,1), not the sharpened one.
        {"sharpen from the original", kSharpen, 4, 4, a,
         {qRgb(10, 200, 30), qRgb(40, 90, 250), qRgb(0, 255, 128), qRgb(77, 3, 160),
          qRgb(255, 0, 60), qRgb(182, 255, 255), qRgb(0, 0, 221), qRgb(200, 10, 5),
          qRgb(5, 250, 180), qRgb(164, 0, 0), qRgb(255, 255, 0), qRgb(12, 240, 70),
          qRgb(66, 13, 200), qRgb(1, 99, 254), qRgb(250, 128, 64), qRgb(31, 32, 33)}},
        {"sharpen without an inside", kSharpen, 4, 2, Pixels(a.begin(), a.begin() + 8), Pixels(a.begin(), a.begin() + 8)},
        {"split blur with replicated edges", kSplitBlur, 4, 4, a,
         {qRgb(106, 105, 120), qRgb(98, 106, 101), qRgb(123, 62, 101), qRgb(108, 35, 91),
          qRgb(74, 126, 103), qRgb(98, 144, 100), qRgb(77, 106, 68), qRgb(100, 124, 65),
          qRgb(59, 95, 164), qRgb(116, 93, 108), qRgb(57, 99, 113), qRgb(114, 97, 57),
          qRgb(60, 75, 181), qRgb(106, 99, 130), qRgb(91, 80, 82), qRgb(73, 77, 71)}},
        // One row is its own row above and below; (1,0) sees (0,0) blurred.
        {"split blur on a single row", kSplitBlur, 2, 1, {qRgb(100, 0, 8), qRgb(0, 100, 4)}, {qRgb(50, 50, 6), qRgb(25, 75, 5)}},
        {"split blur on a single column", kSplitBlur, 1, 2, {qRgb(100, 0, 8), qRgb(0, 100, 4)}, {qRgb(50, 50, 6), qRgb(25, 75, 5)}},
        {"trace outlines palette steps", kTrace, 4, 3, t,
         {t[0], qRgb(0, 0, 0), t[2], t[3], qRgb(0, 0, 0), qRgb(0, 0, 0), t[6], t[7], t[8], t[9], t[10], t[11]}},
        // The first step fixes B as the first index: from then on a B pixel
        // paints its differing neighbour, comparing the unpainted indices.
        {"trace paints beside the first index", kTrace, 4, 3,
         {tA, tB, tB, tX, tB, tA, tA, tX, tA, tA, tA, tX},
         {qRgb(0, 0, 0), tB, tB, tX, tB, qRgb(0, 0, 0), tA, tX, qRgb(0, 0, 0), tA, tA, tX}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(show(withCode(c.code, picture(c.w, c.h, c.in))), show(picture(c.w, c.h, c.want))) << c.name;
}

TEST(EffectsCode, CodesWithoutAnEffectLeaveThePicture)
{
    const QImage in = varied();
    for (int code : {0, 11, 13, 15, 19, 50, 99, 100, 101, 112, 130, 150, 152, -1, INT_MAX})
        EXPECT_EQ(show(withCode(code, in)), show(in)) << code;
}

TEST(EffectsCode, MonoNoiseDrawsOncePerPixelForAllChannels)
{
    const QImage in = picture(3, 2, {qRgb(0, 128, 255), qRgb(10, 20, 30), qRgb(250, 5, 128), qRgb(24, 231, 1),
                                     qRgb(255, 255, 255), qRgb(0, 0, 0)});
    constexpr std::uint64_t kSeed = 42;
    Rng rng(kSeed), replay(kSeed);
    Scratch scratch;
    QImage out = in;
    applyCode(kMonoNoise, out, rng, scratch);

    QImage want = in.copy();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const int n = int(replay.below(50)) - 25;
            const QRgb p = want.pixel(x, y);
            want.setPixel(x, y, qRgb(std::clamp(qRed(p) + n, 0, 255), std::clamp(qGreen(p) + n, 0, 255),
                                     std::clamp(qBlue(p) + n, 0, 255)));
        }
    EXPECT_EQ(show(out), show(want));
    EXPECT_EQ(rng.next(), replay.next()) << "one draw per pixel, no more";
}

// The first seed whose draws make a wave of this amplitude and period.
std::uint64_t waveSeed(int amplitude, int period)
{
    for (std::uint64_t s = 1;; ++s) {
        Rng r(s);
        if (r.below(10) == 5 && int(r.below(3)) == amplitude && 30 + int(r.below(2)) == period)
            return s;
    }
}

TEST(EffectsCode, Wavy)
{
    // Pixel (x, y) holds (x, y, 0), so each row shows the columns it took.
    constexpr int kW = 3, kH = 200;
    Pixels px;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            px.push_back(qRgb(x, y, 0));
    const QImage in = picture(kW, kH, px);
    const auto rowOf = [](const QImage& img, int y) { return show(img.copy(0, y, kW, 1)); };
    const auto taken = [](int y, std::vector<int> cols) {
        QImage r(kW, 1, QImage::Format_RGB32);
        for (int x = 0; x < kW; ++x)
            r.setPixel(x, 0, qRgb(cols[std::size_t(x)], y, 0));
        return show(r);
    };

    const struct {
        const char* name;
        int amplitude, period;
        std::vector<std::pair<int, std::vector<int>>> rows;
    } cases[] = {
        {"amplitude 2, period 30", 2, 30,
         {{0, {0, 1, 2}}, {7, {0, 1, 2}}, {8, {1, 2, 2}}, {47, {2, 1, 2}}, {105, {0, 0, 1}}, {120, {0, 1, 0}}}},
        // sin(16/30) rounds up, sin(16/31) does not.
        {"amplitude 1, period 31", 1, 31, {{16, {0, 1, 2}}, {17, {1, 2, 2}}, {120, {0, 0, 1}}}},
    };
    for (const auto& c : cases) {
        const QImage out = withCode(kWavy, in, waveSeed(c.amplitude, c.period));
        for (const auto& [y, cols] : c.rows)
            EXPECT_EQ(rowOf(out, y), taken(y, cols)) << c.name << ", row " << y;
    }

    EXPECT_EQ(show(withCode(kWavy, in, waveSeed(0, 30))), show(in)) << "amplitude 0";

    std::uint64_t calm = 1;
    while (Rng(calm).below(10) == 5)
        ++calm;
    Rng rng(calm), replay(calm);
    Scratch scratch;
    QImage out = in;
    applyCode(kWavy, out, rng, scratch);
    EXPECT_EQ(show(out), show(in)) << "no wave this call";
    replay.next();
    EXPECT_EQ(rng.next(), replay.next()) << "a calm call draws once";
}

// ---------------------------------------------------------------- stages

TEST(EffectsStage, GreyscaleFromTheCapture)
{
    const QImage raw = picture(4, 1, {qRgb(10, 20, 30), qRgb(255, 255, 254), qRgb(1, 1, 0), qRgb(2, 2, 1)});
    const QImage want = picture(4, 1, {qRgb(20, 20, 20), qRgb(254, 254, 254), qRgb(0, 0, 0), qRgb(1, 1, 1)});
    for (int times : {1, 9}) {
        QImage dst = inverted(across(raw, times));
        greyscale(dst, across(raw, times));
        EXPECT_EQ(show(dst), show(across(want, times))) << times;
    }
}

TEST(EffectsStage, IsolationGreysWhatIsFarFromTheReference)
{
    // More than 50 away in any one channel turns grey; 50 exactly does not.
    const QImage raw = picture(5, 1, {qRgb(150, 50, 100), qRgb(151, 100, 100), qRgb(100, 49, 100), qRgb(50, 100, 150),
                                      qRgb(100, 100, 49)});
    const QImage want = picture(5, 1, {qRgb(150, 50, 100), qRgb(117, 117, 117), qRgb(83, 83, 83), qRgb(50, 100, 150),
                                       qRgb(83, 83, 83)});
    for (int times : {1, 9}) {
        QImage dst = inverted(across(raw, times));
        isolate(dst, across(raw, times), qRgb(100, 100, 100));
        EXPECT_EQ(show(dst), show(across(want, times))) << times;
    }
}

// Maps of 4 x 4 (or 2 x 2) pictures: 'o' lit, '.' dimmed, 'r' the capture.
QImage fromMap(const std::vector<std::string>& rows, QRgb lit, QRgb dim, QRgb raw)
{
    QImage img(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const char c = rows[std::size_t(y)][std::size_t(x)];
            img.setPixel(x, y, c == 'o' ? lit : c == '.' ? dim : raw);
        }
    return img;
}

constexpr QRgb kLit = qRgb(200, 100, 50);
// (200 * 77 + 100 * 150 + 50 * 29) >> 8 = 124; 124 * 0.7 = 86.8.
constexpr QRgb kDimmed = qRgb(87, 87, 87);
constexpr QRgb kCaptured = qRgb(1, 2, 3);

TEST(EffectsStage, SpotlightDimsOutsideTheRadius)
{
    const struct {
        const char* name;
        QPoint mouse;
        int radius;
        std::vector<std::string> map;
    } cases[] = {
        {"radius 2 at the corner: the edge is lit", {0, 0}, 2, {"ooo.", "oo..", "o...", "...."}},
        {"radius 0 lights the pointer's pixel", {2, 1}, 0, {"....", "..o.", "....", "...."}},
        {"a negative radius is 0", {2, 1}, -5, {"....", "..o.", "....", "...."}},
        {"huge radius", {1, 1}, INT_MAX, {"oooo", "oooo", "oooo", "oooo"}},
        {"pointer above and left", {-1, -1}, 2, {"o...", "....", "....", "...."}},
        {"pointer to the right", {5, 1}, 2, {"....", "...o", "....", "...."}},
        {"pointer far away", {1000, -1000}, 100, {"....", "....", "....", "...."}},
        // Squared distances near 2^63: a plain sum of squares would overflow.
        {"extreme pointer, extreme radius", {INT_MIN, INT_MAX}, INT_MAX, {"....", "....", "....", "...."}},
        {"exactly at an extreme radius", {INT_MIN + 1, 0}, INT_MAX, {"o...", "....", "....", "...."}},
    };
    for (const auto& c : cases) {
        QImage dst = filled(4, 4, kLit);
        spotlight(dst, nullptr, c.mouse, c.radius);
        EXPECT_EQ(show(dst), show(fromMap(c.map, kLit, kDimmed, kCaptured))) << c.name;
    }
}

TEST(EffectsStage, SpotlightDiscShowsTheCapture)
{
    // Pixel (x, y) is in the disc when (2(x-mx)+1)^2 + (2(y-my)+1)^2 < 200^2.
    const struct {
        const char* name;
        QPoint mouse;
        std::vector<std::string> map;
    } cases[] = {
        {"pointer inside", {1, 1}, {"rrrr", "rrrr", "rrrr", "rrrr"}},
        {"corner just inside", {71, 71}, {"rrrr", "rrrr", "rrrr", "rrrr"}},
        {"corner just outside", {72, 72}, {"..rr", ".rrr", "rrrr", "rrrr"}},
        {"left edge of the square is in", {-99, 0}, {"r...", "r...", "r...", "r..."}},
        {"right edge of the square is out", {-100, 0}, {"....", "....", "....", "...."}},
        {"first column out", {101, 0}, {".rrr", ".rrr", ".rrr", ".rrr"}},
        {"far away", {1000, 1000}, {"....", "....", "....", "...."}},
        {"extreme pointer", {INT_MIN, INT_MAX}, {"....", "....", "....", "...."}},
    };
    const QImage raw = filled(4, 4, kCaptured);
    for (const auto& c : cases) {
        QImage dst = filled(4, 4, kLit);
        spotlight(dst, &raw, c.mouse, 0);
        EXPECT_EQ(show(dst), show(fromMap(c.map, kLit, kDimmed, kCaptured))) << c.name;
    }
}

TEST(EffectsStage, Tint)
{
    const QImage raw = picture(3, 1, {qRgb(101, 50, 101), qRgb(230, 7, 240), qRgb(3, 255, 4)});
    const struct {
        const char* name;
        Tint tint;
        Pixels want;
    } cases[] = {
        {"day: red 0.9, blue 1.1", Tint::Day, {qRgb(91, 50, 111), qRgb(207, 7, 255), qRgb(3, 255, 4)}},
        {"night: red 1.2, blue 0.8", Tint::Night, {qRgb(121, 50, 81), qRgb(255, 7, 192), qRgb(4, 255, 3)}},
    };
    for (const auto& c : cases)
        for (int times : {1, 9}) {
            QImage dst = inverted(across(raw, times));
            tint(dst, across(raw, times), c.tint);
            EXPECT_EQ(show(dst), show(across(picture(3, 1, c.want), times))) << c.name << " x" << times;
        }
    QImage dst = inverted(raw);
    tint(dst, raw, Tint::None);
    EXPECT_EQ(show(dst), show(inverted(raw))) << "none";
}

TEST(EffectsStage, SwapModes)
{
    const struct {
        int mode;
        QRgb want;
    } cases[] = {
        {0, qRgb(1, 3, 2)}, {1, qRgb(3, 2, 1)},  {2, qRgb(2, 3, 1)},  {3, qRgb(2, 1, 3)},
        {4, qRgb(3, 1, 2)}, {-1, qRgb(1, 3, 2)}, {5, qRgb(1, 3, 2)}, {INT_MIN, qRgb(1, 3, 2)},
    };
    for (const auto& c : cases)
        for (int w : {1, 19}) {
            QImage img = filled(w, 1, qRgb(1, 2, 3));
            swapChannels(img, c.mode);
            EXPECT_EQ(show(img), show(filled(w, 1, c.want))) << c.mode << ", width " << w;
        }
}

// ---------------------------------------------------------------- the stage in order

const QImage& capture()
{
    static const QImage raw = picture(2, 2, {qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(120, 50, 120), qRgb(255, 255, 254)});
    return raw;
}

// The frame as the loop hands it over: inverted when inversion is on.
QImage run(const EffectState& s, QPoint mouse = {}, QRgb underMouse = 0, const QImage& raw = capture())
{
    QImage pixels = s.invert ? inverted(raw) : raw.copy();
    Frame f;
    f.pixels = &pixels;
    f.raw = &raw;
    f.mouse = mouse;
    f.underMouse = underMouse;
    Rng rng(3);
    Scratch scratch;
    applyEffects(s, f, rng, scratch);
    return pixels;
}

TEST(EffectsPipeline, GreyscaleAndIsolationStartFromTheCapture)
{
    QImage grey = capture().copy();
    greyscale(grey, capture());
    QImage isolated = capture().copy();
    isolate(isolated, capture(), qRgb(200, 100, 50));

    EffectState s;
    s.greyscale = s.invert = true;
    EXPECT_EQ(show(run(s)), show(grey)) << "greyscale + invert";

    s = {};
    s.isolation = s.greyscale = true;
    EXPECT_EQ(show(run(s, {}, qRgb(200, 100, 50))), show(isolated)) << "isolation + greyscale";

    s.invert = true;
    EXPECT_EQ(show(run(s, {}, qRgb(200, 100, 50))), show(isolated)) << "isolation + greyscale + invert";
}

TEST(EffectsPipeline, TintOnlyOnThePlainPicture)
{
    QImage tinted = capture().copy();
    tint(tinted, capture(), Tint::Night);
    EffectState s;
    s.tint = Tint::Night;
    EXPECT_EQ(show(run(s)), show(tinted));

    const struct {
        const char* name;
        bool EffectState::*flag;
    } blockers[] = {
        {"invert", &EffectState::invert},
        {"greyscale", &EffectState::greyscale},
        {"isolation", &EffectState::isolation},
        {"spotlight", &EffectState::spotlight},
    };
    for (const auto& b : blockers) {
        EffectState without;
        without.*b.flag = true;
        EffectState with = without;
        with.tint = Tint::Day;
        EXPECT_EQ(show(run(with, {72, 72})), show(run(without, {72, 72}))) << b.name;
    }
}

TEST(EffectsPipeline, StagesInOrder)
{
    EffectState s;

    // Spotlight, then the code: the disc shows the capture with the effect on it.
    s.invert = s.spotlight = true;
    s.spotRadius = 0;
    s.code = kContrast;
    QImage want = inverted(capture());
    spotlight(want, &capture(), {72, 72}, 0);
    want = withCode(kContrast, want);
    const QImage out = run(s, {72, 72});
    EXPECT_EQ(show(out), show(want)) << "spotlight, contrast";
    EXPECT_EQ(show(out.copy(1, 1, 1, 1)), show(withCode(kContrast, capture().copy(1, 1, 1, 1)))) << "inside the disc";

    // Tint, then the code: posterizing the tinted (108, 50, 132) gives blue 150.
    s = {};
    s.tint = Tint::Day;
    s.code = kPosterize;
    EXPECT_EQ(show(run(s).copy(0, 1, 1, 1)), show(filled(1, 1, qRgb(100, 50, 150)))) << "tint, posterize";

    // The code, then the swap: blue found, then moved to red.
    s = {};
    s.code = kExtractBlue;
    s.swap = true;
    s.swapMode = 1;
    const QImage blue = filled(1, 1, qRgb(1, 2, 100));
    EXPECT_EQ(show(run(s, {}, 0, blue)), show(filled(1, 1, qRgb(255, 0, 0)))) << "extract, swap";
}

TEST(EffectsPipeline, WithoutACapture)
{
    // Greyscale falls back on the picture; the spotlight leaves out its disc.
    QImage pixels = capture().copy();
    Frame f;
    f.pixels = &pixels;
    f.mouse = {0, 0};
    Rng rng;
    Scratch scratch;
    EffectState s;
    s.greyscale = true;
    applyEffects(s, f, rng, scratch);
    QImage grey = capture().copy();
    greyscale(grey, capture());
    EXPECT_EQ(show(pixels), show(grey));

    pixels = filled(2, 2, kLit);
    s = {};
    s.spotlight = true;
    s.spotRadius = 0;
    applyEffects(s, f, rng, scratch);
    EXPECT_EQ(show(pixels), show(fromMap({"o.", ".."}, kLit, kDimmed, kCaptured)));

    Frame none;
    applyEffects(s, none, rng, scratch);
}

// ---------------------------------------------------------------- edges

void everyStage(QImage& img, const QImage& raw, int code)
{
    Rng rng(waveSeed(2, 30));
    Scratch scratch;
    greyscale(img, raw);
    isolate(img, raw, qRgb(1, 2, 3));
    spotlight(img, &raw, {0, 0}, 1);
    tint(img, raw, Tint::Day);
    applyCode(code, img, rng, scratch);
    swapChannels(img, 2);
}

TEST(EffectsEdges, EmptyThinAndSinglePixelPictures)
{
    const QSize sizes[] = {{0, 0}, {1, 1}, {1, 3}, {3, 1}, {2, 2}, {1, 5}, {5, 1}};
    for (const QSize size : sizes)
        for (int code : kAllCodes) {
            const QImage raw = size.isEmpty() ? QImage() : varied(size.width(), size.height());
            QImage img = raw.copy();
            everyStage(img, raw, code);
            EXPECT_EQ(img.size(), size) << code;
            EXPECT_EQ(show(img).find('a'), std::string::npos) << "alpha, code " << code << ", " << show(img);
        }

    const QImage one = filled(1, 1, qRgb(9, 99, 199));
    for (int code : {kSmoothing, kEmboss, kSharpen, kSplitBlur, kTrace, kWavy})
        EXPECT_EQ(show(withCode(code, one, waveSeed(2, 30))), show(one)) << code;

    QImage empty;
    swapChannels(empty, 0);
    EXPECT_TRUE(empty.isNull());
}

TEST(EffectsEdges, AlphaStaysOpaque)
{
    for (int code : kAllCodes)
        EXPECT_EQ(show(withCode(code, varied(), waveSeed(2, 30))).find('a'), std::string::npos) << code;
}

TEST(EffectsEdges, CaptureOfAnotherSizeOnlyWhereBothExist)
{
    const QImage raw = filled(2, 2, qRgb(30, 60, 90));
    QImage dst = filled(3, 1, kLit);
    greyscale(dst, raw);
    EXPECT_EQ(show(dst), show(picture(3, 1, {qRgb(60, 60, 60), qRgb(60, 60, 60), kLit})));
    dst = filled(3, 1, kLit);
    spotlight(dst, &raw, {0, 0}, INT_MAX);
    EXPECT_EQ(show(dst), show(picture(3, 1, {qRgb(30, 60, 90), qRgb(30, 60, 90), kLit})));
}

TEST(EffectsEdges, PaddedRows)
{
    // Rows longer than their pixels: the padding stays as it was and the
    // pixels come out as in a packed picture.
    constexpr int kW = 4, kH = 4, kStride = kW * 4 + 12;
    const QImage packed = varied(kW, kH);
    for (int code : kAllCodes) {
        std::vector<uchar> buffer(std::size_t(kStride * kH), 0xAB);
        for (int y = 0; y < kH; ++y)
            std::memcpy(buffer.data() + y * kStride, packed.constScanLine(y), kW * 4);
        QImage padded(buffer.data(), kW, kH, kStride, QImage::Format_RGB32);
        QImage plain = packed.copy();
        everyStage(padded, packed, code);
        everyStage(plain, packed, code);
        EXPECT_EQ(show(padded), show(plain)) << code;
        EXPECT_EQ(padded.constBits(), buffer.data()) << code;
        for (int y = 0; y < kH; ++y)
            for (int i = kW * 4; i < kStride; ++i)
                ASSERT_EQ(buffer[std::size_t(y * kStride + i)], 0xAB) << "code " << code << ", row " << y;
    }
}

TEST(EffectsEdges, ScratchKeptBetweenFrames)
{
    Scratch scratch;
    Rng rng;
    QImage first = varied(), second = varied();
    applyCode(kSharpen, first, rng, scratch);
    const uchar* kept = scratch.copy.constBits();
    ASSERT_NE(kept, nullptr);
    applyCode(kSharpen, second, rng, scratch);
    EXPECT_EQ(scratch.copy.constBits(), kept);
    EXPECT_EQ(show(second), show(first));

    // A frame of another size still comes out right.
    QImage narrow = varied(3, 4);
    applyCode(kSharpen, narrow, rng, scratch);
    EXPECT_EQ(show(narrow), show(withCode(kSharpen, varied(3, 4))));
}

} // namespace

TEST(EffectsEdges, InvertingTwiceGivesThePictureBack)
{
    QImage img(37, 5, QImage::Format_RGB32); // an odd width: the tail after the wide lanes
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x * 7, y * 50, (x * y) & 0xff));
    const QImage before = img.copy();
    mirovex::platform::invertPixels(reinterpret_cast<uint32_t*>(img.bits()), img.sizeInBytes() / 4);
    EXPECT_EQ(img.pixel(1, 1) & 0xffffff, ~before.pixel(1, 1) & 0xffffff);
    mirovex::platform::invertPixels(reinterpret_cast<uint32_t*>(img.bits()), img.sizeInBytes() / 4);
    EXPECT_EQ(img, before);
}
