// The paint editor on a private desktop: opened from the tray's "Draw" while
// the desktop is mirrored, then drawn on with the real pointer (xdotool).
// After each drag the picture must equal what the board's own logic makes of
// the same points, the screen must show it, and "Undo" must bring back the
// picture as it was.

#include "display/editor/board.h"
#include "display/editor/boardview.h"
#include "display/editor/drawwindow.h"
#include "display/engine/mirrorcontroller.h"
#include "display/engine/targetwindow.h"
#include "display/shell/startcontroller.h"
#include "display/shell/traymenu.h"
#include "common/ui/dialogs.h"
#include "platform/monitors.h"
#include "tests/support/desktop.h"
#include "tests/support/xreadback.h"

#include <QAbstractButton>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

using namespace mirovex;
using namespace mirovex::editor;
using mirovex::test::waitUntil;
using mirovex::test::xdotool;

namespace {

struct Drag {
    const char* name;
    ToolId tool;
    Qt::MouseButton button;
    paint::BrushStyle brush;
    std::vector<QPoint> path; // press at the first, moves, release at the last
};

} // namespace

class EditorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void drawOpensOnTheMirroredFrame();
    void dragsEqualTheBoardsOwnResult_data();
    void dragsEqualTheBoardsOwnResult();
    void textIsPlacedAndCommitted();
    void selectionKeepsOnlyWhatIsInside();

private:
    QPoint onScreen(QPoint board) const;
    bool mouse(const QStringList& args);
    bool dragWith(const std::vector<QPoint>& path, Qt::MouseButton button);
    bool screenShows(const QImage& picture, QRect area) const;
    void undoTo(const QImage& before);

    std::unique_ptr<test::ColourStripes> m_pattern;
    std::unique_ptr<StartController> m_start;
    Tfdraw* m_editor = nullptr;
    const Drag* m_drags = nullptr;
};

void EditorTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    ui::setModalRunner([](QDialog&) { return int(QDialog::Rejected); });
    m_pattern = std::make_unique<test::ColourStripes>();
    m_pattern->setGeometry(platform::primaryRoot());
    m_pattern->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pattern.get()));
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    MirrorController& mirror = m_start->mirror();
    mirror.setCursorKind(cursor::Kind::None);
    mirror.chooseDesktop();
    QVERIFY(waitUntil([&] { return mirror.target().isVisible() && mirror.frameLoop().framesShown() > 5; }, 8000));
}

void EditorTest::cleanupTestCase()
{
    m_start.reset();
    m_pattern.reset();
}

QPoint EditorTest::onScreen(QPoint board) const
{
    BoardView& v = m_editor->view();
    return v.viewport()->mapToGlobal(v.origin() + board);
}

bool EditorTest::mouse(const QStringList& args)
{
    return xdotool(args);
}

bool EditorTest::dragWith(const std::vector<QPoint>& path, Qt::MouseButton button)
{
    Board& b = m_editor->board();
    const QString which = button == Qt::RightButton ? QStringLiteral("3") : QStringLiteral("1");
    auto moveTo = [&](QPoint p) {
        const QPoint s = onScreen(p);
        return mouse({QStringLiteral("mousemove"), QString::number(s.x()), QString::number(s.y())});
    };
    if (!moveTo(path.front()) || !waitUntil([&] { return m_editor->view().viewport()->underMouse(); }, 5000))
        return false;
    if (!mouse({QStringLiteral("mousedown"), which}) || !waitUntil([&] { return b.drawing(); }, 5000))
        return false;
    for (std::size_t i = 1; i < path.size(); ++i)
        if (!moveTo(path[i]) || !waitUntil([&] { return b.stroke().end == path[i]; }, 5000))
            return false;
    return mouse({QStringLiteral("mouseup"), which}) && waitUntil([&] { return !b.drawing(); }, 5000);
}

bool EditorTest::screenShows(const QImage& picture, QRect area) const
{
    // At 100 % with a width that is a multiple of 10 the board shows the
    // picture's pixels as they are. The window manager may still be placing
    // the window: where the board is on the root is asked for on every try.
    const QImage want = picture.copy(area);
    return waitUntil([&] { return test::grabRoot(QRect(onScreen(area.topLeft()), area.size())) == want; }, 20000);
}

void EditorTest::undoTo(const QImage& before)
{
    QAbstractButton* undo = m_editor->button(QStringLiteral("bbundo"));
    QVERIFY(undo);
    undo->click();
    QCOMPARE(m_editor->board().picture(), before);
}

void EditorTest::drawOpensOnTheMirroredFrame()
{
    const QImage shown = m_start->mirror().target().displayedPicture();
    QVERIFY(!shown.isNull());
    QAction* draw = nullptr;
    for (QAction* a : m_start->tray().menu()->actions())
        if (a->text() == QStringLiteral("Draw"))
            draw = a;
    QVERIFY(draw);
    draw->trigger();
    m_editor = m_start->editor();
    QVERIFY(m_editor);
    m_editor->setGeometry(QRect(platform::primaryRoot().topLeft() + QPoint(20, 40), QSize(1200, 800)));
    QVERIFY(QTest::qWaitForWindowExposed(m_editor));
    QCOMPARE(m_editor->windowTitle(), QStringLiteral("Mirovex - Draw"));
    const Board& b = m_editor->board();
    QVERIFY(b.hasPicture());
    QCOMPARE(b.picture().size(), shown.size());
    QCOMPARE(b.picture(), shown.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(b.tool(), ToolId::None);
    QCOMPARE(b.undoSteps(), 0);
    QVERIFY(m_editor->findChild<QWidget*>(QStringLiteral("Panelc"))->isEnabled());
    QVERIFY(m_editor->button(QStringLiteral("ClearBrush"))->isChecked());
    QVERIFY(m_editor->button(QStringLiteral("sb20"))->isChecked());
    QVERIFY(!m_editor->button(QStringLiteral("sb11"))->isEnabled());
    QCOMPARE(m_editor->button(QStringLiteral("sb4"))->toolTip(), QStringLiteral("Rectangle "));
    QVERIFY(screenShows(b.picture(), QRect(0, 0, 600, 400)));
}

void EditorTest::dragsEqualTheBoardsOwnResult_data()
{
    QTest::addColumn<int>("index");
    static const Drag drags[] = {
        {"pencil", ToolId::Pencil, Qt::LeftButton, paint::BrushStyle::Clear, {{40, 60}, {120, 60}, {300, 60}}},
        {"rectangle left", ToolId::Rectangle, Qt::LeftButton, paint::BrushStyle::Clear,
         {{60, 100}, {200, 180}, {260, 240}, {250, 230}}},
        {"rectangle right, hatched", ToolId::Rectangle, Qt::RightButton, paint::BrushStyle::Cross,
         {{300, 120}, {380, 200}, {420, 260}}},
        {"marker", ToolId::Marker, Qt::LeftButton, paint::BrushStyle::Clear, {{50, 300}, {200, 300}, {400, 300}}},
        {"fill", ToolId::Fill, Qt::LeftButton, paint::BrushStyle::Solid, {{30, 500}}},
        {"ellipse", ToolId::Ellipse, Qt::LeftButton, paint::BrushStyle::Solid, {{450, 80}, {520, 160}, {560, 200}}},
    };
    for (int i = 0; i < int(std::size(drags)); ++i)
        QTest::newRow(drags[i].name) << i;
    m_drags = drags;
}

void EditorTest::dragsEqualTheBoardsOwnResult()
{
    QFETCH(int, index);
    QVERIFY(m_editor);
    const Drag& d = m_drags[index];
    Board& b = m_editor->board();
    QCOMPARE(b.viewScale(), 1.0);
    m_editor->button(QLatin1String(toolInfo(d.tool).button))->click();
    QCOMPARE(b.tool(), d.tool);
    static const char* brushes[] = {"SolidBrush",     "ClearBrush",     "HorizontalBrush", "VerticalBrush",
                                    "FDiagonalBrush", "BDiagonalBrush", "CrossBrush",      "DiagCrossBrush"};
    m_editor->button(QLatin1String(brushes[int(d.brush)]))->click();
    QCOMPARE(b.brushStyle(), d.brush);
    b.setSize(3);
    const QImage before = b.picture().copy();
    const int steps = b.undoSteps();
    QVERIFY(dragWith(d.path, d.button));
    QCOMPARE(b.undoSteps(), steps + 1);

    Board pure(qint64(1) << 30);
    pure.start(before);
    pure.chooseTool(d.tool);
    pure.setBrushStyle(d.brush);
    pure.setSize(3);
    pure.press(d.path.front(), d.button);
    for (std::size_t i = 1; i < d.path.size(); ++i)
        pure.move(d.path[i], d.button);
    pure.release(d.path.back(), d.button);
    QVERIFY(pure.picture() != before);
    QVERIFY(b.picture() == pure.picture());
    QVERIFY(screenShows(b.picture(), QRect(0, 0, 600, 560)));
    undoTo(before);
    QVERIFY(screenShows(before, QRect(0, 0, 600, 560)));
}

void EditorTest::textIsPlacedAndCommitted()
{
    QVERIFY(m_editor);
    Board& b = m_editor->board();
    m_editor->setTextPrompt([] { return std::optional<QString>(QStringLiteral("Hello, room 4")); });
    m_editor->button(QStringLiteral("sb13"))->click();
    QCOMPARE(b.textState(), Board::TextState::Waiting);
    const QImage before = b.picture().copy();
    const QPoint at(100, 420);
    QVERIFY(dragWith({at}, Qt::LeftButton));
    QVERIFY(waitUntil([&] { return b.textState() == Board::TextState::Placed; }, 5000));
    QVERIFY(waitUntil([&] { return m_editor->view().textLabel().isVisible(); }, 5000));
    QCOMPARE(b.picture(), before); // nothing drawn until it is committed
    QVERIFY(dragWith({QPoint(500, 500)}, Qt::LeftButton));
    QCOMPARE(b.textState(), Board::TextState::None);
    QCOMPARE(b.tool(), ToolId::None);
    QImage want = before.copy();
    drawLabel(want, at, defaultTextLabel(QStringLiteral("Hello, room 4")));
    QVERIFY(b.picture() == want);
    QVERIFY(screenShows(want, QRect(at, QSize(200, 40))));
    undoTo(before);
}

void EditorTest::selectionKeepsOnlyWhatIsInside()
{
    QVERIFY(m_editor);
    Board& b = m_editor->board();
    const QImage before = b.picture().copy();
    m_editor->button(QStringLiteral("sb00"))->click();
    QVERIFY(b.selecting());
    QVERIFY(dragWith({{300, 300}, {200, 250}, {100, 200}}, Qt::LeftButton)); // bottom right to top left
    QCOMPARE(b.selection(), QRect(100, 200, 200, 100));
    m_editor->button(QStringLiteral("sb1"))->click();
    QVERIFY(b.selecting());
    QVERIFY(dragWith({{20, 250}, {150, 250}, {400, 250}}, Qt::LeftButton));
    // Outside the rectangle the screen still shows the picture as it was.
    QVERIFY(screenShows(before, QRect(20, 240, 70, 20)));
    m_editor->button(QStringLiteral("sb00"))->click();
    QVERIFY(!b.selecting());
    for (int x = 20; x < 400; ++x) {
        const QRgb want = x >= 100 && x < 300 ? b.primary() : before.pixel(x, 250);
        QVERIFY2(b.picture().pixel(x, 250) == want, qPrintable(QString::number(x)));
    }
    QVERIFY(screenShows(b.picture(), QRect(0, 200, 500, 100)));
}

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
