// The paint editor's board without a window: strokes of every tool as the
// mouse makes them, what they leave in the picture, undo, "Draw Once", the
// selection, text, placement, the status texts and the board's arithmetic.

#include "common/paint/rastercanvas.h"
#include "common/paint/shapes.h"
#include "display/editor/board.h"
#include "display/editor/boardgeometry.h"
#include "display/editor/undoring.h"

#include "tests/unit/testpictures.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <random>
#include <vector>

using namespace mirovex;
using namespace mirovex::editor;
using paint::BrushStyle;

namespace {

using mirovex::test::filled;
using mirovex::test::gradient;

// A drag as the mouse makes it: press, moves with the button held, release.
void drag(Board& b, const std::vector<QPoint>& path, QPoint release, Qt::MouseButton button = Qt::LeftButton)
{
    b.press(path.front(), button);
    for (std::size_t i = 1; i < path.size(); ++i)
        b.move(path[i], button);
    b.release(release, button);
}

// The final shape of a tool drawn once, as the release draws it.
QImage drawnOnce(QImage img, ToolId tool, QPoint a, QPoint b, QRgb colour, int size, BrushStyle style,
                 const paint::ArrowHeadStyle& arrow = {})
{
    paint::RasterCanvas c(&img);
    const paint::Pen pen{colour, size + 1, paint::PenMode::Copy};
    const paint::Brush brush{colour, style};
    switch (tool) {
    case ToolId::Arrow:
        if (auto h = paint::arrowHead(a, b, arrow))
            c.polygon(QPolygon({(*h)[0], (*h)[1], (*h)[2]}), paint::Pen{colour, size, paint::PenMode::Copy},
                      paint::Brush{colour, BrushStyle::Solid});
        c.line(a, b, pen);
        break;
    case ToolId::Line: c.line(a, b, pen); break;
    case ToolId::Rectangle: c.rectangle(a, b, pen, brush); break;
    case ToolId::Ellipse: c.ellipse(a, b, pen, brush); break;
    case ToolId::RoundRect:
        c.roundRect(a, b, QSize(std::abs(b.x() - a.x()) / 2, std::abs(b.y() - a.y()) / 2), pen, brush);
        break;
    default: break;
    }
    return img;
}

// Text needs fonts, and fonts a GUI application; no display is needed.
void ensureGuiApp()
{
    static int argc = 1;
    static char name[] = "editorboard_test";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

class BoardTest : public ::testing::Test {
protected:
    Board board{qint64(1) << 30};
};

} // namespace

TEST_F(BoardTest, RubberBandsLeaveOnlyTheFinalShape)
{
    const QImage original = gradient(64, 48);
    const ToolId tools[] = {ToolId::Line, ToolId::Arrow, ToolId::Rectangle, ToolId::RoundRect, ToolId::Ellipse};
    const std::vector<QPoint> path{{10, 8}, {20, 12}, {35, 30}, {50, 40}, {52, 41}};
    // Released where the last move was, and somewhere else (moves coalesced).
    const QPoint releases[] = {{52, 41}, {40, 20}};
    for (ToolId tool : tools)
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton})
            for (BrushStyle style : {BrushStyle::Clear, BrushStyle::Solid, BrushStyle::DiagCross})
                for (QPoint end : releases) {
                    board.start(original);
                    board.chooseTool(tool);
                    board.setBrushStyle(style);
                    board.setSize(3);
                    drag(board, path, end, button);
                    const QRgb colour = button == Qt::LeftButton ? board.primary() : board.secondary();
                    const QImage want = drawnOnce(original, tool, path.front(), end, colour, 3,
                                                  tool == ToolId::Arrow ? BrushStyle::Solid : style);
                    ASSERT_EQ(board.picture(), want) << int(tool) << " button " << int(button) << " style "
                                                     << int(style) << " end " << end.x();
                }
    // A stroke abandoned by a tool change or an undo leaves nothing of it.
    for (ToolId tool : tools) {
        board.start(original);
        board.chooseTool(tool);
        board.press({5, 5}, Qt::LeftButton);
        board.move({30, 20}, Qt::LeftButton);
        board.move({40, 25}, Qt::LeftButton);
        board.chooseTool(ToolId::Pencil);
        EXPECT_EQ(board.picture(), original) << int(tool);
        board.release({40, 25}, Qt::LeftButton);
        EXPECT_EQ(board.picture(), original) << int(tool);
    }
    // The other button pressed mid-drag starts a new stroke: the first
    // one's band goes, only the second shape stays.
    board.start(original);
    board.chooseTool(ToolId::Rectangle);
    board.press({5, 5}, Qt::LeftButton);
    board.move({30, 20}, Qt::LeftButton);
    board.press({10, 10}, Qt::RightButton);
    board.move({40, 30}, Qt::LeftButton | Qt::RightButton);
    board.release({40, 30}, Qt::LeftButton); // not the stroke's button: nothing
    board.release({40, 30}, Qt::RightButton);
    EXPECT_EQ(board.picture(),
              drawnOnce(original, ToolId::Rectangle, {10, 10}, {40, 30}, board.secondary(), board.size(),
                        board.brushStyle()));
}

TEST_F(BoardTest, ArrowClickWithoutDragHasNoHead)
{
    const QImage white = filled(40, 40, qRgb(255, 255, 255));
    board.start(white);
    board.chooseTool(ToolId::Arrow);
    EXPECT_EQ(board.brushStyle(), BrushStyle::Solid);
    board.press({20, 20}, Qt::LeftButton);
    board.release({20, 20}, Qt::LeftButton);
    // Only the dot of a shaft of length 0 (pen 2 wide).
    int changed = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            changed += board.picture().pixel(x, y) != white.pixel(x, y);
    EXPECT_GT(changed, 0);
    EXPECT_LE(changed, 4);
}

TEST_F(BoardTest, FreehandTools)
{
    const QImage black = filled(60, 40, qRgb(0, 0, 0));
    const QImage white = filled(60, 40, qRgb(255, 255, 255));

    // Pencil: segments joined without gaps in the primary colour.
    board.start(white);
    board.chooseTool(ToolId::Pencil);
    drag(board, {{5, 5}, {20, 5}, {20, 15}}, {20, 15});
    for (int x = 5; x <= 20; ++x)
        EXPECT_EQ(board.picture().pixel(x, 5), board.primary()) << x;
    EXPECT_EQ(board.picture().pixel(20, 14), board.primary());

    // Marker: yellow over a black text line stays black, over white turns yellow.
    QImage text = white.copy();
    for (int x = 0; x < 60; ++x)
        text.setPixel(x, 20, qRgb(0, 0, 0));
    board.start(text);
    board.chooseTool(ToolId::Marker);
    board.setPrimary(qRgb(255, 255, 0));
    drag(board, {{5, 20}, {50, 20}}, {50, 20});
    EXPECT_EQ(board.picture().pixel(30, 20), qRgb(0, 0, 0));
    EXPECT_EQ(board.picture().pixel(30, 18), qRgb(255, 255, 0));
    const QImage once = board.picture().copy();
    drag(board, {{5, 20}, {50, 20}}, {50, 20});
    EXPECT_EQ(board.picture(), once);

    // Airbrush with a fixed random source: exactly the puffs of that source.
    auto fixed = [] {
        auto gen = std::make_shared<std::mt19937>(42);
        return [gen] { return std::uniform_real_distribution<double>(0.0, 1.0)(*gen); };
    };
    board.start(black);
    board.chooseTool(ToolId::Airbrush);
    board.setSize(6);
    board.setRandom(fixed());
    drag(board, {{30, 20}, {34, 22}}, {34, 22});
    QImage want = black.copy();
    auto rnd = fixed();
    paint::RasterCanvas c(&want);
    c.pixels(paint::sprayPoints({30, 20}, 6, rnd), board.primary());
    c.pixels(paint::sprayPoints({34, 22}, 6, rnd), board.primary());
    EXPECT_EQ(board.picture(), want);
}

TEST_F(BoardTest, FillPickAndPointsOffThePicture)
{
    const QImage white = filled(30, 20, qRgb(255, 255, 255));
    board.start(white);
    board.chooseTool(ToolId::Fill);
    EXPECT_EQ(board.brushStyle(), BrushStyle::Solid);
    // A press past the board's right edge (round(x × f) = W) fills nothing.
    for (QPoint p : {QPoint(30, 5), QPoint(-1, 5), QPoint(3, 20)}) {
        board.press(p, Qt::LeftButton);
        board.release(p, Qt::LeftButton);
        EXPECT_EQ(board.picture(), white);
    }
    board.press({3, 3}, Qt::RightButton);
    board.release({3, 3}, Qt::RightButton);
    EXPECT_EQ(board.picture(), filled(30, 20, board.secondary()));

    // Pick: the sample follows the mouse inside only; the release sets the colour.
    board.start(gradient(30, 20));
    board.chooseTool(ToolId::Pick);
    std::vector<QRgb> picked;
    board.onColourPicked = [&](QRgb c) { picked.push_back(c); };
    board.move({4, 7}, Qt::NoButton);
    ASSERT_TRUE(board.sample());
    EXPECT_EQ(*board.sample(), board.picture().pixel(4, 7));
    board.move({30, 7}, Qt::NoButton);
    EXPECT_EQ(*board.sample(), board.picture().pixel(4, 7));
    board.press({9, 2}, Qt::RightButton);
    board.release({9, 2}, Qt::RightButton);
    EXPECT_EQ(board.secondary(), board.picture().pixel(9, 2));
    EXPECT_EQ(picked, std::vector<QRgb>{board.picture().pixel(9, 2)});
}

TEST_F(BoardTest, UndoKeepsOneHundredSteps)
{
    const QImage white = filled(110, 4, qRgb(255, 255, 255));
    board.start(white);
    board.chooseTool(ToolId::Pencil);
    board.setSize(2);
    std::vector<QImage> after;
    for (int i = 0; i < 101; ++i) {
        drag(board, {{i, 1}, {i, 1}}, {i, 1});
        after.push_back(board.picture().copy());
    }
    EXPECT_EQ(board.undoSteps(), 100);
    for (int i = 0; i < 100; ++i)
        board.undo();
    EXPECT_EQ(board.picture(), after.front());
    board.undo(); // nothing left
    EXPECT_EQ(board.picture(), after.front());
    EXPECT_EQ(board.undoSteps(), 0);
}

TEST_F(BoardTest, DrawOnceKeepsOnlyTheLastStroke)
{
    const QImage white = filled(40, 40, qRgb(255, 255, 255));
    Board empty;
    EXPECT_FALSE(empty.setDrawOnce(true));
    board.start(white);
    board.chooseTool(ToolId::Rectangle);
    EXPECT_TRUE(board.setDrawOnce(true));
    drag(board, {{2, 2}, {10, 10}}, {10, 10});
    drag(board, {{12, 2}, {20, 10}}, {20, 10});
    drag(board, {{22, 22}, {35, 35}}, {35, 35});
    EXPECT_EQ(board.picture(), drawnOnce(white, ToolId::Rectangle, {22, 22}, {35, 35}, board.primary(), 1,
                                         BrushStyle::Clear));
}

TEST_F(BoardTest, SelectionKeepsOnlyChangesInside)
{
    const QImage white = filled(40, 30, qRgb(255, 255, 255));
    board.start(white);
    board.setSelecting(true);
    EXPECT_EQ(board.tool(), ToolId::Select);
    const int stepsBefore = board.undoSteps();
    // Dragged from bottom right to top left: the same area as the other way.
    drag(board, {{30, 20}, {20, 15}}, {10, 5});
    EXPECT_EQ(board.selection(), QRect(10, 5, 20, 15));
    EXPECT_EQ(board.selectionSnapshot().size(), white.size());

    // A stroke across the rectangle's edge, with moves in between that the
    // selection does not end; no undo step while the selection is active.
    board.chooseTool(ToolId::Pencil);
    drag(board, {{2, 10}, {15, 10}, {38, 10}}, {38, 10});
    EXPECT_EQ(board.undoSteps(), stepsBefore);
    EXPECT_EQ(board.picture().pixel(3, 10), board.primary()); // in the picture for now
    board.setSelecting(false);
    EXPECT_FALSE(board.selecting());
    EXPECT_EQ(board.tool(), ToolId::None);
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(board.picture().pixel(x, 10), x >= 10 && x < 30 && x < 38 ? board.primary() : qRgb(255, 255, 255))
            << x;

    // A selection with no area keeps nothing.
    board.start(white);
    board.setSelecting(true);
    drag(board, {{12, 5}, {12, 25}}, {12, 25});
    EXPECT_TRUE(board.selection().isEmpty());
    board.chooseTool(ToolId::Pencil);
    drag(board, {{2, 10}, {38, 10}}, {38, 10});
    board.setSelecting(false);
    EXPECT_EQ(board.picture(), white);
}

TEST_F(BoardTest, UndoToAnotherSizeEndsTheSelection)
{
    const QImage small = filled(20, 20, qRgb(255, 255, 255));
    const QImage wide = gradient(30, 10);
    board.start(small);
    board.chooseTool(ToolId::Pencil);
    drag(board, {{1, 1}, {5, 1}}, {5, 1}); // pushes the 20 × 20 picture
    board.replacePicture(wide);
    board.setSelecting(true); // pushes the 30 × 10 picture
    drag(board, {{2, 2}, {8, 8}}, {8, 8});
    board.chooseTool(ToolId::Pencil);
    drag(board, {{1, 5}, {25, 5}}, {25, 5});
    board.undo(); // the same size: the selection stays
    EXPECT_TRUE(board.selecting());
    EXPECT_EQ(board.picture(), wide);
    board.undo(); // another size: the selection ends, nothing copied back
    EXPECT_FALSE(board.selecting());
    EXPECT_EQ(board.picture(), small);
}

TEST_F(BoardTest, TextIsCommittedAtPictureScale)
{
    ensureGuiApp();
    const QImage white = filled(200, 80, qRgb(255, 255, 255));
    board.start(white);
    board.setViewScale(2.0); // the board at 50 %
    std::vector<QPoint> asked;
    board.onTextWanted = [&](QPoint v) { asked.push_back(v); };
    board.chooseTool(ToolId::Text);
    EXPECT_EQ(board.textState(), Board::TextState::Waiting);
    board.press({10, 12}, Qt::LeftButton);
    board.release({10, 12}, Qt::LeftButton);
    ASSERT_EQ(asked, std::vector<QPoint>{QPoint(10, 12)});
    EXPECT_EQ(board.picture(), white);
    const TextLabel label = defaultTextLabel(QStringLiteral("  Hello  "));
    EXPECT_EQ(label.text, QStringLiteral("Hello"));
    EXPECT_EQ(label.font.pixelSize(), 21);
    board.placeText(label, {10, 12});
    board.moveText({15, 12});
    board.press({60, 30}, Qt::LeftButton);
    board.release({60, 30}, Qt::LeftButton);
    EXPECT_EQ(board.textState(), Board::TextState::None);
    EXPECT_EQ(board.tool(), ToolId::None);
    QImage want = white.copy();
    drawLabel(want, {30, 24}, label);
    EXPECT_EQ(board.picture(), want);
    EXPECT_NE(want, white);
}

TEST_F(BoardTest, PlacementLeavesOutItsKeyColour)
{
    const QImage black = filled(40, 40, qRgb(0, 0, 0));
    QImage pasted = filled(10, 10, qRgb(255, 255, 255)); // white bottom-left: white is see-through
    for (int i = 0; i < 10; ++i)
        pasted.setPixel(i, 4, qRgb(255, 0, 0));
    board.start(black);
    board.startPlacement(pasted);
    ASSERT_TRUE(board.placing());
    board.confirmPlacement(QRect(5, 5, 16, 16)); // a 10 × 10 client inside the frame
    EXPECT_FALSE(board.placing());
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool line = y == 11 && x >= 7 && x < 17;
            ASSERT_EQ(board.picture().pixel(x, y), line ? qRgb(255, 0, 0) : qRgb(0, 0, 0)) << x << "," << y;
        }
}

TEST_F(BoardTest, StatusTexts)
{
    EXPECT_EQ(pressStatus({3, 4}), QStringLiteral("[ 3 , 4 : 3 , 4]"));
    EXPECT_EQ(hoverStatus({3, 4}), QStringLiteral("3 : 4"));
    EXPECT_EQ(pointStatus({3, 4}), QStringLiteral("[ 3 , 4]"));
    EXPECT_EQ(spanStatus({9, 8}, {3, 4}), QStringLiteral("[ 9 , 8 : 3 , 4]  [ 6 x 4 ]"));

    board.start(filled(50, 50, qRgb(255, 255, 255)));
    board.move({7, 9}, Qt::NoButton);
    EXPECT_EQ(board.status(), QStringLiteral("7 : 9"));
    const struct {
        ToolId tool;
        const char* moving;
    } cases[] = {
        {ToolId::Pencil, "[ 20 , 30]"},
        {ToolId::Rectangle, "[ 5 , 6 : 20 , 30]  [ 15 x 24 ]"},
        {ToolId::Fill, "[ 5 , 6 : 5 , 6]"},
    };
    for (const auto& c : cases) {
        board.chooseTool(c.tool);
        board.press({5, 6}, Qt::LeftButton);
        EXPECT_EQ(board.status(), QStringLiteral("[ 5 , 6 : 5 , 6]"));
        board.move({20, 30}, Qt::LeftButton);
        EXPECT_EQ(board.status(), QString::fromUtf8(c.moving)) << int(c.tool);
        board.release({20, 30}, Qt::LeftButton);
        EXPECT_EQ(board.status(), QString());
    }
}

TEST(BoardGeometry, UnitsScaleOriginAndGrid)
{
    EXPECT_EQ(startUnits({1366, 768}), QSize(137, 77));
    EXPECT_EQ(startUnits({1365, 765}), QSize(136, 76)); // 136.5 and 76.5: halves to even
    EXPECT_EQ(startUnits({4, 3}), QSize(1, 1));
    EXPECT_EQ(boardSize({137, 77}, kStartLevel), QSize(1370, 770));
    EXPECT_DOUBLE_EQ(viewScale({1366, 768}, {1370, 770}), 1366.0 / 1370.0);
    EXPECT_EQ(boardOrigin({400, 300}, {1000, 700}), QPoint(300, 200));
    EXPECT_EQ(boardOrigin({1400, 300}, {1000, 700}), QPoint(0, 200));
    EXPECT_EQ(toPicture({5, 7}, 0.5), QPoint(2, 4)); // 2.5 and 3.5, halves to even

    // At 200 % a line every 20 board pixels.
    const Grid g = grid({100, 60}, 0.5);
    EXPECT_EQ(g.columns, (std::vector<int>{20, 40, 60, 80, 100}));
    EXPECT_EQ(g.rows, (std::vector<int>{20, 40, 60}));
    EXPECT_EQ(g.middleX, 50);
    EXPECT_EQ(g.middleY, 30);
    // Past 2000 % a tenth of a pixel rounds to 0; the step stays 1.
    EXPECT_EQ(grid({5, 5}, 25.0).columns, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(UndoRing, BudgetDropsTheOldestAndKeepsTheNewest)
{
    const QImage a = filled(10, 10, qRgb(1, 0, 0));
    UndoRing ring(3 * a.sizeInBytes());
    for (int i = 0; i < 5; ++i)
        ring.push(filled(10, 10, qRgb(i, 0, 0)));
    EXPECT_EQ(ring.count(), 3);
    EXPECT_LE(ring.bytes(), ring.budget());
    for (int i = 4; i >= 2; --i)
        EXPECT_EQ(ring.undo()->pixel(0, 0), qRgb(i, 0, 0));
    EXPECT_FALSE(ring.undo());

    // A picture larger than the whole budget is still kept, as the only step.
    UndoRing tiny(16);
    tiny.push(a);
    tiny.push(a);
    EXPECT_EQ(tiny.count(), 1);
    EXPECT_GT(defaultUndoBudget(), 0);
}

TEST(UndoRing, FirstChangeCopiesIntoARecycledBuffer)
{
    UndoRing ring(qint64(1) << 30);
    QImage picture = filled(64, 64, qRgb(9, 9, 9));
    ring.push(picture);
    EXPECT_FALSE(picture.isDetached()); // a push costs a reference
    ASSERT_TRUE(ring.makeWritable(picture));
    EXPECT_TRUE(picture.isDetached());
    picture.setPixel(0, 0, qRgb(1, 2, 3));
    const uchar* changedBuffer = picture.constBits();

    // Undo: the changed picture's buffer is kept for the next copy.
    std::optional<QImage> previous = ring.undo();
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->pixel(0, 0), qRgb(9, 9, 9));
    ring.recycle(std::move(picture));
    picture = *previous;
    previous.reset();
    ring.push(picture);
    ASSERT_TRUE(ring.makeWritable(picture));
    EXPECT_EQ(picture.constBits(), changedBuffer);
    EXPECT_EQ(picture.pixel(0, 0), qRgb(9, 9, 9));
    picture.setPixel(5, 5, qRgb(7, 7, 7));
    EXPECT_EQ(ring.undo()->pixel(5, 5), qRgb(9, 9, 9));
}

TEST(UndoRing, RunningOutOfMemoryDropsStepsInsteadOfFailing)
{
    UndoRing ring(qint64(1) << 30);
    ring.setAllocator([](QSize, QImage::Format) { return QImage(); });
    QImage picture = filled(32, 32, qRgb(1, 1, 1));
    for (int i = 0; i < 3; ++i) {
        ring.push(picture);
        // No copy can be made: the step that shares the picture goes, and
        // the picture is changed in place.
        ASSERT_TRUE(ring.makeWritable(picture));
        EXPECT_EQ(ring.count(), 0);
        picture.setPixel(0, 0, qRgb(i, 0, 0));
    }
    // Shared with something the ring does not hold: it stays as it was.
    const QImage elsewhere = picture;
    EXPECT_FALSE(ring.makeWritable(picture));
    EXPECT_EQ(picture.constBits(), elsewhere.constBits());
}
