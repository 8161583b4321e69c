// The drawing primitives both programs share, on small pictures: the pixel
// rule, exclusive-or shapes that undo themselves, hatches, the marker's AND,
// flood fills, arrowheads, the curved arrow and the airbrush.

#include "common/paint/floodfill.h"
#include "common/paint/rastercanvas.h"
#include "common/paint/shapes.h"

#include "tests/unit/testpictures.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <random>
#include <set>
#include <string>

using namespace mirovex::paint;

namespace {

using mirovex::test::filled;
using mirovex::test::gradient;

std::set<std::pair<int, int>> changed(const QImage& before, const QImage& after)
{
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                out.insert({x, y});
    return out;
}

enum class Kind { Line, Rect, Ellipse, RoundRect, Polygon };

QRect drawKind(RasterCanvas& c, Kind k, QPoint a, QPoint b, const Pen& pen, const Brush& brush)
{
    switch (k) {
    case Kind::Line: return c.line(a, b, pen);
    case Kind::Rect: return c.rectangle(a, b, pen, brush);
    case Kind::Ellipse: return c.ellipse(a, b, pen, brush);
    case Kind::RoundRect: return c.roundRect(a, b, QSize(std::abs(b.x() - a.x()) / 2, std::abs(b.y() - a.y()) / 2), pen, brush);
    case Kind::Polygon: return c.polygon(QPolygon({a, b, QPoint(a.x(), b.y())}), pen, brush);
    }
    return {};
}

} // namespace

TEST(RasterCanvas, ExclusiveOrTwiceRestoresEveryByte)
{
    const QImage original = gradient(48, 40);
    const Kind kinds[] = {Kind::Line, Kind::Rect, Kind::Ellipse, Kind::RoundRect, Kind::Polygon};
    // Inside, reversed, and reaching past the picture's edges.
    const std::pair<QPoint, QPoint> drags[] = {{{5, 6}, {30, 25}}, {{40, 35}, {3, 2}}, {{-10, 20}, {60, 45}}};
    for (Kind k : kinds)
        for (int style = 0; style < 8; ++style)
            for (int width : {1, 2, 6})
                for (PenMode mode : {PenMode::Xor, PenMode::NotXor})
                    for (const auto& [a, b] : drags) {
                        QImage img = original.copy();
                        RasterCanvas c(&img);
                        const Pen pen{qRgb(200, 30, 90), width, mode};
                        const Brush brush{qRgb(20, 220, 140), BrushStyle(style)};
                        const QRect dirty = drawKind(c, k, a, b, pen, brush);
                        ASSERT_NE(img, original) << int(k) << " style " << style << " width " << width;
                        // Whatever changed lies inside the reported rectangle.
                        for (const auto& [x, y] : changed(original, img))
                            ASSERT_TRUE(dirty.contains(x, y)) << int(k) << " " << x << "," << y;
                        drawKind(c, k, a, b, pen, brush);
                        ASSERT_EQ(img, original) << int(k) << " style " << style << " width " << width << " mode "
                                                 << int(mode);
                    }
}

TEST(RasterCanvas, RightAndBottomAreExclusive)
{
    const QImage white = filled(12, 10, qRgb(255, 255, 255));
    const Pen pen{qRgb(0, 0, 0), 1, PenMode::Copy};
    const Brush clear{};
    // A width-1 rectangle from (2, 1) to (6, 4), given either way round:
    // its border runs on columns 2 and 5 and rows 1 and 3.
    std::set<std::pair<int, int>> want;
    for (int x = 2; x <= 5; ++x)
        want.insert({x, 1}), want.insert({x, 3});
    want.insert({2, 2});
    want.insert({5, 2});
    for (auto [a, b] : {std::pair{QPoint(2, 1), QPoint(6, 4)}, std::pair{QPoint(6, 4), QPoint(2, 1)},
                        std::pair{QPoint(2, 4), QPoint(6, 1)}}) {
        QImage img = white.copy();
        RasterCanvas(&img).rectangle(a, b, pen, clear);
        EXPECT_EQ(changed(white, img), want);
    }

    // A width-1 line leaves out its last point; a line to itself is nothing.
    QImage img = white.copy();
    RasterCanvas c(&img);
    c.line({1, 5}, {5, 5}, pen);
    EXPECT_EQ(changed(white, img), (std::set<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}, {4, 5}}));
    img = white.copy();
    EXPECT_TRUE(c.line({3, 3}, {3, 3}, pen).isEmpty());
    EXPECT_EQ(img, white);

    // An ellipse stays inside the same box; one with no width draws nothing.
    img = white.copy();
    c.ellipse({1, 1}, {9, 8}, pen, Brush{qRgb(0, 0, 0), BrushStyle::Solid});
    for (const auto& [x, y] : changed(white, img))
        EXPECT_TRUE(x >= 1 && x <= 8 && y >= 1 && y <= 7) << x << "," << y;
    EXPECT_TRUE(changed(white, img).count({1, 4}));
    EXPECT_TRUE(changed(white, img).count({8, 4}));
    img = white.copy();
    EXPECT_TRUE(c.rectangle({4, 1}, {4, 8}, pen, Brush{qRgb(0, 0, 0), BrushStyle::Solid}).isEmpty());
    EXPECT_EQ(img, white);

    // A wide round pen at a single point leaves a dot.
    img = white.copy();
    c.line({5, 5}, {5, 5}, Pen{qRgb(0, 0, 0), 3, PenMode::Copy});
    EXPECT_TRUE(changed(white, img).count({5, 5}));
}

TEST(RasterCanvas, HatchesPaintOnlyTheirLines)
{
    const QImage white = filled(40, 40, qRgb(255, 255, 255));
    for (int style = 2; style < 8; ++style) {
        QImage img = white.copy();
        // The pen in white too, so that only the brush shows.
        RasterCanvas(&img).rectangle({3, 5}, {37, 38}, Pen{qRgb(255, 255, 255), 1, PenMode::Copy},
                                     Brush{qRgb(0, 0, 255), BrushStyle(style)});
        for (int y = 6; y < 36; ++y)
            for (int x = 4; x < 35; ++x) {
                const bool painted = img.pixel(x, y) != white.pixel(x, y);
                ASSERT_EQ(painted, brushCovers(BrushStyle(style), x, y)) << style << " at " << x << "," << y;
            }
    }
    // The hatch is anchored at the picture's origin, not at the shape.
    EXPECT_TRUE(brushCovers(BrushStyle::Horizontal, 5, 0));
    EXPECT_TRUE(brushCovers(BrushStyle::Horizontal, 5, 16));
    EXPECT_FALSE(brushCovers(BrushStyle::Horizontal, 5, 3));
    EXPECT_TRUE(brushCovers(BrushStyle::FDiagonal, 3, 3));
    EXPECT_TRUE(brushCovers(BrushStyle::BDiagonal, 3, 5));
    EXPECT_TRUE(brushCovers(BrushStyle::Vertical, -8, 3));
}

TEST(RasterCanvas, MarkerKeepsDarkPixelsAndTwiceIsOnce)
{
    QImage img = filled(30, 20, qRgb(255, 255, 255));
    for (int x = 0; x < 30; ++x)
        img.setPixel(x, 10, qRgb(0, 0, 0)); // a line of text
    const Pen yellow{qRgb(255, 255, 0), 5, PenMode::Mask};
    RasterCanvas c(&img);
    c.line({2, 10}, {25, 10}, yellow);
    EXPECT_EQ(img.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(10, 9), qRgb(255, 255, 0));
    const QImage once = img.copy();
    c.line({2, 10}, {25, 10}, yellow);
    EXPECT_EQ(img, once);
}

TEST(FloodFill, Areas)
{
    // A white picture split by a black diagonal: 4-connected fills do not
    // pass through the gaps between the diagonal's pixels.
    QImage img = filled(16, 16, qRgb(255, 255, 255));
    for (int i = 0; i < 16; ++i)
        img.setPixel(i, i, qRgb(0, 0, 0));
    const QImage before = img.copy();
    const QRect dirty = floodFill(img, {12, 2}, Brush{qRgb(255, 0, 0), BrushStyle::Solid});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QRgb want = x > y ? qRgb(255, 0, 0) : before.pixel(x, y);
            ASSERT_EQ(img.pixel(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(dirty, QRect(QPoint(1, 0), QPoint(15, 14)));

    // The area's own colour: the fill ends and nothing changes.
    img = before.copy();
    floodFill(img, {2, 12}, Brush{qRgb(255, 255, 255), BrushStyle::Solid});
    EXPECT_EQ(img, before);

    // A hatch paints its lines inside the area and nothing else.
    img = before.copy();
    floodFill(img, {2, 12}, Brush{qRgb(0, 0, 255), BrushStyle::Cross});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool inArea = x < y;
            const QRgb want = inArea && brushCovers(BrushStyle::Cross, x, y) ? qRgb(0, 0, 255) : before.pixel(x, y);
            ASSERT_EQ(img.pixel(x, y), want) << x << "," << y;
        }

    // Seeds off the picture (a drag past the board) and a clear brush paint nothing.
    for (QPoint seed : {QPoint(-1, 3), QPoint(16, 3), QPoint(3, 16), QPoint(3, -5)}) {
        img = before.copy();
        EXPECT_TRUE(floodFill(img, seed, Brush{qRgb(255, 0, 0), BrushStyle::Solid}).isEmpty());
        EXPECT_EQ(img, before);
    }
    img = before.copy();
    floodFill(img, {2, 12}, Brush{qRgb(255, 0, 0), BrushStyle::Clear});
    EXPECT_EQ(img, before);
}

TEST(Shapes, ArrowHeadCorners)
{
    const struct {
        QPoint from, tip;
        ArrowHeadStyle style;
        std::array<QPoint, 3> want;
    } cases[] = {
        {{0, 0}, {100, 0}, {}, {QPoint(100, 0), QPoint(84, -8), QPoint(84, 8)}},
        // d = 50, u = (0.6, 0.8): base (30 - 10, 40 - 13), corners ± (6, -5) (12.8 and 4.8 round away).
        {{0, 0}, {30, 40}, {}, {QPoint(30, 40), QPoint(26, 22), QPoint(14, 32)}},
        {{50, 50}, {50, 10}, {2, 1}, {QPoint(50, 10), QPoint(48, 42), QPoint(52, 42)}},
    };
    for (const auto& c : cases) {
        const auto head = arrowHead(c.from, c.tip, c.style);
        ASSERT_TRUE(head);
        EXPECT_EQ(*head, c.want) << c.tip.x() << "," << c.tip.y();
    }
    EXPECT_FALSE(arrowHead({7, 7}, {7, 7}, {}));
}

TEST(Shapes, CurvedArrowOfSizeOne)
{
    const int s = curvedArrowSize(1);
    ASSERT_EQ(s, 75);
    const QPoint tip(200, 200);
    const auto pts = curvedArrowPoints(tip, s);
    const int bx = 200 - 56, by = 200 - 18;
    EXPECT_EQ(pts[0].at, QPoint(bx + 1, by));
    EXPECT_EQ(pts[7].at, QPoint(bx + 37, by));  // the head's base ...
    EXPECT_EQ(pts[9].at, QPoint(bx + 75, by));  // ... to here
    EXPECT_EQ(pts[8].at, tip);                  // the tip, 18 below it
    EXPECT_EQ(tip.y() - by, 18);
    // d = 23, r = round(12.696) = 13; D = 32, R = round(17.664) = 18.
    EXPECT_EQ(pts[3].at, QPoint(bx + 23, by - 23));
    EXPECT_EQ(pts[5].at, QPoint(bx + 46, by - 13));
    EXPECT_EQ(pts[11].at, QPoint(bx + 64, by - 18));
    EXPECT_EQ(pts[15].at, QPoint(bx, by - 18));
    EXPECT_EQ(pts[17].at, QPoint(bx + 1, by));
    EXPECT_EQ(pts[0].kind, PathPoint::Move);
    EXPECT_EQ(pts[1].kind, PathPoint::Bezier);
    EXPECT_EQ(pts[8].kind, PathPoint::Line);

    // Filled, it covers the head below the line and the ring above it, not
    // the hole in the middle.
    QImage img = filled(300, 300, qRgb(255, 255, 255));
    RasterCanvas(&img).fillPath(curvedArrow(tip, s), Brush{qRgb(0, 0, 0), BrushStyle::Solid});
    EXPECT_EQ(img.pixel(tip.x(), tip.y() - 3), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(bx + 28, by - 27), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(bx + 28, by - 10), qRgb(255, 255, 255));
}

TEST(Shapes, SprayAndRounding)
{
    EXPECT_EQ(roundEven(2.5), 2);
    EXPECT_EQ(roundEven(3.5), 4);
    EXPECT_EQ(roundEven(-2.5), -2);

    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const auto pts = sprayPoints({50, 40}, 10, [&] { return u(gen); });
    ASSERT_EQ(pts.size(), 101u);
    for (QPoint p : pts)
        EXPECT_LE(std::hypot(p.x() - 50, p.y() - 40), 10.8) << p.x() << "," << p.y();
    std::mt19937 again(7);
    std::uniform_real_distribution<double> v(0.0, 1.0);
    EXPECT_EQ(sprayPoints({50, 40}, 10, [&] { return v(again); }), pts);
    // θ = π, ρ = 5: every pixel five to the left.
    for (QPoint p : sprayPoints({50, 40}, 10, [] { return 0.5; }))
        EXPECT_EQ(p, QPoint(45, 40));

    // Pixels outside the picture are left out.
    QImage img = filled(4, 4, qRgb(0, 0, 0));
    const QRect dirty = RasterCanvas(&img).pixels({{-1, 0}, {2, 2}, {4, 1}}, qRgb(255, 0, 0));
    EXPECT_EQ(dirty, QRect(2, 2, 1, 1));
    EXPECT_EQ(img.pixel(2, 2), qRgb(255, 0, 0));
}
