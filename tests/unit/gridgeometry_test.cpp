// The window grid's arithmetic: cells under map points, the display
// rectangle of a span, tiling and cascading, the undo stack and where the
// grid window opens.

#include "display/grid/gridgeometry.h"

#include <gtest/gtest.h>

using namespace mirovex::grid;

namespace {

const QRect kFullHd(0, 0, 1920, 1080);

TEST(GridCells, CountsOutsideTheRangeAreClampedEverywhere)
{
    for (const auto& [given, used] : std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {-4, 2}, {2, 2}, {7, 7}, {10, 10}, {11, 10}, {1000, 10}}) {
        EXPECT_EQ(clampCells(given), used) << given;
        EXPECT_EQ(cellSize(given), QSize(300 / used, 194 / used)) << given;
        // No division by zero, and every cell lies on the map.
        const Cell last = cellAt(QPoint(299, 193), given);
        EXPECT_EQ(last, (Cell{used - 1, used - 1})) << given;
        EXPECT_EQ(spanRect(kFullHd, kFullHd, given, {0, 0}, {100, 100}), QRect(0, 0, roundEven(1920.0 / used) * used, 1080 / used * used))
            << given;
    }
}

TEST(GridCells, EveryMapPointIsInACell)
{
    struct Case {
        int n;
        QPoint at;
        Cell cell;
    };
    const Case cases[] = {
        {6, {0, 0}, {0, 0}},       // the left and top edges
        {6, {50, 32}, {0, 0}},     // a border point belongs to the cell left of it and above it
        {6, {51, 33}, {1, 1}},
        {6, {75, 100}, {1, 3}},
        {8, {296, 10}, {7, 0}},    // the strip right of the last whole cell
        {8, {299, 10}, {7, 0}},
        {8, {10, 193}, {0, 7}},    // and below it
        {6, {-20, -20}, {0, 0}},   // pointer outside while the button is held
        {6, {400, 400}, {5, 5}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cellAt(c.at, c.n), c.cell) << c.n << " " << c.at.x() << "," << c.at.y();
}

TEST(GridSpan, CellsOfADisplay)
{
    struct Case {
        const char* what;
        QRect display, work;
        int n;
        Cell a, b;
        QRect expected;
    };
    const Case cases[] = {
        {"the example", kFullHd, QRect(0, 0, 1920, 1040), 6, {1, 1}, {2, 3}, QRect(320, 173, 640, 519)},
        {"reversed drag", kFullHd, QRect(0, 0, 1920, 1040), 6, {2, 3}, {1, 1}, QRect(320, 173, 640, 519)},
        {"crossed drag", kFullHd, QRect(0, 0, 1920, 1040), 6, {2, 1}, {1, 3}, QRect(320, 173, 640, 519)},
        {"one cell", kFullHd, kFullHd, 2, {1, 1}, {1, 1}, QRect(960, 540, 960, 540)},
        {"display to the right", QRect(1920, 0, 1280, 720), QRect(1920, 0, 1280, 720), 4, {0, 0}, {3, 3}, QRect(1920, 0, 1280, 720)},
        {"display below", QRect(0, 1080, 1280, 720), QRect(0, 1080, 1280, 720), 4, {1, 0}, {1, 1}, QRect(320, 1080, 320, 360)},
        {"under a top panel", kFullHd, QRect(0, 30, 1920, 1050), 6, {0, 0}, {0, 0}, QRect(0, 30, 320, 175)},
        {"halves round to even", QRect(0, 0, 1365, 768), QRect(0, 0, 1365, 768), 10, {1, 0}, {1, 0}, QRect(136, 0, 136, 76)},
        {"display left of the primary", QRect(-1280, 0, 1280, 720), QRect(-1280, 0, 1280, 720), 2, {1, 1}, {1, 1}, QRect(-640, 360, 640, 360)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(spanRect(c.display, c.work, c.n, c.a, c.b), c.expected) << c.what;
}

TEST(GridTiling, ColumnsOfRows)
{
    struct Case {
        int count;
        int rows, columns;
    };
    const Case cases[] = {{2, 2, 1}, {3, 3, 1}, {4, 2, 2}, {5, 3, 2}, {10, 4, 3}};
    const QRect work(0, 0, 1920, 1040);
    for (const Case& c : cases) {
        const QList<QRect> places = tileLayout(c.count, kFullHd, work);
        ASSERT_EQ(places.size(), c.count);
        const int w = 1920 / c.columns, h = 1040 / c.rows;
        for (int i = 0; i < c.count; ++i)
            EXPECT_EQ(places[i], QRect(1 + (i / c.rows) * (w + 1), (i % c.rows) * h, w, h)) << c.count << " #" << i;
    }
    EXPECT_TRUE(tileLayout(1, kFullHd, work).isEmpty());
    EXPECT_TRUE(tileLayout(0, kFullHd, work).isEmpty());
}

TEST(GridTiling, OnlyTheChosenDisplaysWindowsAreCountedAndMoved)
{
    const QRect below(0, 1080, 1280, 720);
    // Two windows on the display below, three on the one above.
    const QList<QRect> frames = {QRect(100, 100, 400, 300), QRect(50, 1200, 300, 200), QRect(600, 200, 300, 300),
                                 QRect(700, 1300, 200, 200), QRect(900, 500, 200, 200)};
    const QList<Placement> lower = tile(frames, below, below);
    ASSERT_EQ(lower.size(), 2);
    EXPECT_EQ(lower[0].index, 1);
    EXPECT_EQ(lower[1].index, 3);
    // One column of two: the full width, half the height each, from the work area's top.
    EXPECT_EQ(lower[0].frame, QRect(1, 1080, 1280, 360));
    EXPECT_EQ(lower[1].frame, QRect(1, 1440, 1280, 360));

    const QList<Placement> upper = tile(frames, kFullHd, QRect(0, 30, 1920, 1050));
    ASSERT_EQ(upper.size(), 3);
    EXPECT_EQ(upper[0].frame, QRect(1, 30, 1920, 350));
    // A single window on a display is left alone.
    EXPECT_TRUE(tile({QRect(10, 10, 100, 100), QRect(10, 1100, 100, 100)}, kFullHd, kFullHd).isEmpty());
}

TEST(GridCascade, OneTitleBarApartInsideTheWorkArea)
{
    const QRect work(0, 30, 1920, 1050);
    const QList<Placement> p = cascade({QRect(100, 100, 800, 600), QRect(3000, 100, 400, 300), QRect(200, 200, 1000, 400),
                                        QRect(10, 10, 800, 1040), QRect(300, 300, 2500, 300)},
                                       kFullHd, work, 24);
    ASSERT_EQ(p.size(), 4); // the window on another display stays where it is
    EXPECT_EQ(p[0].frame, QRect(0, 30, 800, 600));
    EXPECT_EQ(p[1].index, 2);
    EXPECT_EQ(p[1].frame, QRect(24, 54, 1000, 400));
    // Back to the corner when the next one would leave the work area, and
    // never wider than it.
    EXPECT_EQ(p[2].frame, QRect(0, 30, 800, 1040));
    EXPECT_EQ(p[3].frame, QRect(0, 30, 1920, 300));
}

TEST(GridUndo, FullStackOverwritesTheNewest)
{
    UndoStack s(kUndoDepth);
    for (int i = 0; i < 1000; ++i)
        s.push({std::uint32_t(i + 1), QRect(i, 0, 10, 10)});
    EXPECT_EQ(s.size(), 1000u);
    s.push({5000, QRect(1, 2, 3, 4)});
    s.push({5001, QRect(5, 6, 7, 8)});
    EXPECT_EQ(s.size(), 1000u);
    EXPECT_EQ(s.pop()->window, 5001u);
    EXPECT_EQ(s.pop()->window, 999u);
    while (s.size() > 1)
        s.pop();
    EXPECT_EQ(s.pop()->window, 1u); // the oldest move is still there
    EXPECT_FALSE(s.pop().has_value());
}

TEST(GridPlace, StoredPositionsOffEveryDisplayAreCentred)
{
    const QSize size(320, 265);
    const QList<QRect> side = {kFullHd, QRect(1920, 0, 1280, 720)};
    const QList<QRect> stacked = {kFullHd, QRect(0, 1080, 1280, 720)};
    const QList<QRect> leftOfPrimary = {kFullHd, QRect(-1280, 0, 1280, 720)};
    struct Case {
        const char* what;
        QPoint stored;
        const QList<QRect>& displays;
        QPoint expected;
    };
    const Case cases[] = {
        {"default", {300, 300}, side, {300, 300}},
        {"on the second display", {2500, 300}, side, {2500, 300}},
        {"beyond every display", {5000, 300}, side, {800, 300}},
        {"below the primary", {300, 1500}, side, {300, 407}},
        {"far off both ways", {-9000, 9000}, side, {800, 407}},
        {"on the display below", {300, 1500}, stacked, {300, 1500}},
        {"right of the display below", {1500, 1500}, stacked, {1500, 407}},
        {"negative, on a display", {-900, 100}, leftOfPrimary, {-900, 100}},
        {"negative, off every display", {-900, 100}, side, {800, 100}},
        {"a sliver on the screen", {1900, 300}, {kFullHd}, {800, 300}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(restoredPosition(c.stored, size, c.displays), c.expected) << c.what;
}

TEST(GridPlace, PercentOfTheSlider)
{
    EXPECT_EQ(percentText(205), QStringLiteral("80 %"));
    EXPECT_EQ(percentText(0), QStringLiteral("0 %"));
    EXPECT_EQ(percentText(255), QStringLiteral("100 %"));
    EXPECT_EQ(percentText(-3), QStringLiteral("0 %"));
}

} // namespace
