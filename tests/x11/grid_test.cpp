// The window grid on a real desktop: another program's window is activated,
// the grid is dragged across with real input, and the window's visible frame
// must cover exactly the cells of the display under the grid; undo, pin,
// transparency and tiling act on the real window manager's windows. Runs
// under tests/desktop/vdesk, with and without a window manager.

#include "common/settings/settingsfile.h"
#include "display/grid/gridwindow.h"
#include "display/settings/hotkeyslots.h"
#include "display/settings/mirovexsettings.h"
#include "display/shell/mainform.h"
#include "display/shell/startcontroller.h"
#include "display/shell/traymenu.h"
#include "platform/foreignwindows.h"
#include "platform/monitors.h"
#include "platform/windowlist.h"
#include "tests/support/xreadback.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace mirovex;
using mirovex::test::waitUntil;

namespace {

bool xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(10000) && p.exitCode() == 0;
}

QString xprop(std::uint32_t window, const char* property)
{
    QProcess p;
    p.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), QLatin1String(property)});
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

bool withWindowManager() { return qgetenv("VDESK_WM") != "0"; }

QString describe(const QRect& r) { return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()); }

QRect frameOf(std::uint32_t window) { return platform::visibleFrameBounds(window).value_or(QRect()); }

// Another program with windows "TITLE|x,y,w,h|#colour" (root).
class OtherProgram {
public:
    bool start(const QStringList& windows)
    {
        p_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/test_windows"), windows);
        if (!p_.waitForStarted(5000))
            return false;
        return waitUntil([&] {
            while (p_.canReadLine()) {
                const QString line = QString::fromLocal8Bit(p_.readLine()).trimmed();
                ids_.insert(line.section(QLatin1Char(' '), 1), line.section(QLatin1Char(' '), 0, 0).toUInt());
            }
            return ids_.size() == windows.size();
        }, 10000);
    }
    ~OtherProgram()
    {
        p_.kill();
        p_.waitForFinished(5000);
    }
    std::uint32_t id(const QString& title) const { return ids_.value(title); }
    QList<std::uint32_t> ids() const { return ids_.values(); }

private:
    QProcess p_;
    QHash<QString, std::uint32_t> ids_;
};

QString at(const QRect& r, const char* title, const char* colour)
{
    return QStringLiteral("%1|%2,%3,%4,%5|%6").arg(QLatin1String(title)).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).arg(QLatin1String(colour));
}

} // namespace

class GridTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void dragPlacesTheVisibleFrameOnTheCells_data();
    void dragPlacesTheVisibleFrameOnTheCells();
    void undoGivesBackEachFrame();
    void pinAndTransparencyToggle();
    void tilesThreeAndFourWindows();
    void aClosedTargetGivesWayToTheNextWindow();
    void badCellCountOpensSixBySixAndClosingWritesTheKeys();
    void theHotkeyAndTheMenusOpenTheGrid();
    void rulesOnAnInMemoryDesktop();

private:
    void openOn(int display);
    void activate(std::uint32_t window);
    // Presses on cell `a` of the map, drags to `b` and lets go, with real input.
    void drag(grid::Cell a, grid::Cell b);
    QPoint onMap(grid::Cell c) const;

    QList<platform::Monitor> m_monitors;
    std::unique_ptr<platform::ForeignWindows> m_windows;
    std::unique_ptr<TfGrid> m_grid;
};

void GridTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    m_monitors = platform::monitors();
    QVERIFY(!m_monitors.isEmpty());
}

void GridTest::init()
{
    QFile::remove(settings::mainFilePath());
    m_windows = platform::x11ForeignWindows();
    m_grid = std::make_unique<TfGrid>(*m_windows);
}

void GridTest::cleanup()
{
    m_grid.reset();
    m_windows.reset();
}

void GridTest::openOn(int display)
{
    m_grid->open();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    const QRect d = m_monitors[display].root;
    const QPoint corner = d.center() - QPoint(m_grid->width() / 2, m_grid->height() / 2);
    m_grid->move(corner);
    QVERIFY2(waitUntil([&] { return m_grid->frameGeometry().topLeft() == corner; }, 5000), qPrintable(describe(m_grid->frameGeometry())));
    QCOMPARE(m_grid->chosenDisplay(), d);
}

void GridTest::activate(std::uint32_t window)
{
    // Without a window manager the window holding the focus is the active one.
    QVERIFY(xdotool({withWindowManager() ? QStringLiteral("windowactivate") : QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                     QString::number(window)}));
    QVERIFY2(waitUntil([&] { return m_grid->target() == window; }, 5000), qPrintable(QString::number(m_grid->target())));
}

QPoint GridTest::onMap(grid::Cell c) const
{
    return m_grid->map().mapToGlobal(grid::cellOnMap(c, m_grid->cells()).center());
}

void GridTest::drag(grid::Cell a, grid::Cell b)
{
    const QPoint from = onMap(a), to = onMap(b);
    QVERIFY(xdotool({QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()), QStringLiteral("mousedown"),
                     QStringLiteral("1"), QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y()),
                     QStringLiteral("mouseup"), QStringLiteral("1")}));
}

void GridTest::dragPlacesTheVisibleFrameOnTheCells_data()
{
    QTest::addColumn<int>("display");
    QTest::addColumn<bool>("shadow");
    QTest::newRow("first display") << 0 << false;
    QTest::newRow("client-side shadow") << 0 << true;
    if (platform::monitors().size() > 1)
        QTest::newRow("second display") << 1 << false;
}

void GridTest::dragPlacesTheVisibleFrameOnTheCells()
{
    QFETCH(int, display);
    QFETCH(bool, shadow);
    const QRect d = m_monitors[display].root;
    OtherProgram other;
    QVERIFY(other.start({at(QRect(d.topLeft() + QPoint(60, 80), QSize(500, 300)), "Sample notes", "#d04040")}));
    const std::uint32_t id = other.id(QStringLiteral("Sample notes"));
    if (shadow) {
        // A client-side decoration: the visible frame lies inside the client.
        QVERIFY(QProcess::execute(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(id), QStringLiteral("-f"),
                                                             QStringLiteral("_GTK_FRAME_EXTENTS"), QStringLiteral("32c"), QStringLiteral("-set"),
                                                             QStringLiteral("_GTK_FRAME_EXTENTS"), QStringLiteral("10, 14, 6, 18")}) == 0);
    }
    openOn(display);
    activate(id);

    const grid::Cell a{1, 1}, b{2, 3};
    drag(b, a); // either way round
    const QRect expected = grid::spanRect(d, m_grid->chosenWorkArea(), m_grid->cells(), a, b);
    QVERIFY2(waitUntil([&] { return frameOf(id) == expected; }, 5000),
             qPrintable(describe(frameOf(id)) + QStringLiteral(" want ") + describe(expected)));
    // At most one move for each span the drag went through: the start cell and the end.
    QVERIFY2(m_grid->liveMoves() <= 2, qPrintable(QString::number(m_grid->liveMoves())));
    QVERIFY(!m_grid->preview().isVisible() || waitUntil([&] { return !m_grid->preview().isVisible(); }, 3000) ||
            m_grid->map().underMouse());
    QCOMPARE(m_grid->undoDepth(), std::size_t(1));
}

void GridTest::undoGivesBackEachFrame()
{
    const QRect d = m_monitors[0].root;
    OtherProgram other;
    QVERIFY(other.start({at(QRect(d.topLeft() + QPoint(200, 150), QSize(420, 260)), "Undo sample", "#40a040")}));
    const std::uint32_t id = other.id(QStringLiteral("Undo sample"));
    openOn(0);
    activate(id);
    QList<QRect> before;
    const std::pair<grid::Cell, grid::Cell> moves[] = {{{0, 0}, {1, 1}}, {{3, 2}, {5, 5}}, {{2, 0}, {2, 4}}};
    for (const auto& [a, b] : moves) {
        before.append(frameOf(id));
        drag(a, b);
        const QRect expected = grid::spanRect(d, m_grid->chosenWorkArea(), m_grid->cells(), a, b);
        QVERIFY2(waitUntil([&] { return frameOf(id) == expected; }, 5000), qPrintable(describe(frameOf(id))));
    }
    for (int i = 2; i >= 0; --i) {
        m_grid->button(QStringLiteral("SBUNDO"))->click();
        QVERIFY2(waitUntil([&] { return frameOf(id) == before[i]; }, 5000),
                 qPrintable(describe(frameOf(id)) + QStringLiteral(" want ") + describe(before[i])));
    }
    // Nothing left: Undo does nothing.
    m_grid->button(QStringLiteral("SBUNDO"))->click();
    QCOMPARE(frameOf(id), before[0]);
}

void GridTest::pinAndTransparencyToggle()
{
    OtherProgram other;
    QVERIFY(other.start({at(QRect(m_monitors[0].root.topLeft() + QPoint(300, 300), QSize(400, 300)), "Pin sample", "#4040d0")}));
    const std::uint32_t id = other.id(QStringLiteral("Pin sample"));
    openOn(0);
    activate(id);

    QToolButton* pin = m_grid->button(QStringLiteral("sbPin"));
    pin->click();
    QVERIFY2(waitUntil([&] { return xprop(id, "_NET_WM_STATE").contains(QLatin1String("_NET_WM_STATE_ABOVE")); }, 5000),
             qPrintable(xprop(id, "_NET_WM_STATE")));
    QVERIFY(m_grid->pinGlyph().isVisible() && m_grid->pinGlyph().pinned());
    // The glyph goes by itself.
    QVERIFY(waitUntil([&] { return !m_grid->pinGlyph().isVisible(); }, 5000));
    pin->click();
    QVERIFY2(waitUntil([&] { return !xprop(id, "_NET_WM_STATE").contains(QLatin1String("_NET_WM_STATE_ABOVE")); }, 5000),
             qPrintable(xprop(id, "_NET_WM_STATE")));
    QVERIFY(!m_grid->pinGlyph().pinned());
    QCOMPARE(m_grid->undoDepth(), std::size_t(2));

    QToolButton* see = m_grid->button(QStringLiteral("SpeedButton6"));
    see->click();
    // 50, the default value, as the property stores an alpha: 50 * 0x01010101.
    QVERIFY2(waitUntil([&] { return xprop(id, "_NET_WM_WINDOW_OPACITY").endsWith(QLatin1String("= 842150450")); }, 5000),
             qPrintable(xprop(id, "_NET_WM_WINDOW_OPACITY")));
    see->click();
    QVERIFY2(waitUntil([&] { return xprop(id, "_NET_WM_WINDOW_OPACITY").contains(QLatin1String("not found")); }, 5000),
             qPrintable(xprop(id, "_NET_WM_WINDOW_OPACITY")));
    // A value other than ours is replaced by ours, not removed.
    QVERIFY(m_windows->setOpacity(id, 120));
    see->click();
    QVERIFY(waitUntil([&] { return m_windows->opacity(id) == 50; }, 5000));
}

void GridTest::tilesThreeAndFourWindows()
{
    const QRect d = m_monitors[0].root;
    const auto spot = [&](int i) { return QRect(d.topLeft() + QPoint(100 + 150 * i, 100 + 50 * i), QSize(300, 200)); };
    OtherProgram three;
    QVERIFY(three.start({at(spot(0), "Tile one", "#d04040"), at(spot(1), "Tile two", "#40a040"), at(spot(2), "Tile three", "#4040d0")}));
    // A window on the other display is neither moved nor counted.
    std::unique_ptr<OtherProgram> elsewhere;
    if (m_monitors.size() > 1) {
        elsewhere = std::make_unique<OtherProgram>();
        QVERIFY(elsewhere->start({at(QRect(m_monitors[1].root.topLeft() + QPoint(50, 50), QSize(300, 200)), "Elsewhere", "#a0a040")}));
    }
    openOn(0);
    const auto tiledAs = [&](QList<std::uint32_t> ids) {
        QList<QRect> want = grid::tileLayout(int(ids.size()), d, m_grid->chosenWorkArea());
        return waitUntil([&] {
            QList<QRect> got;
            for (std::uint32_t id : ids)
                got.append(frameOf(id));
            for (const QRect& r : want)
                if (!got.removeOne(r))
                    return false;
            return got.isEmpty();
        }, 5000);
    };
    const QRect elsewhereBefore = elsewhere ? frameOf(elsewhere->id(QStringLiteral("Elsewhere"))) : QRect();
    m_grid->button(QStringLiteral("SpeedButton4"))->click();
    QVERIFY(tiledAs(three.ids()));
    if (elsewhere)
        QCOMPARE(frameOf(elsewhere->id(QStringLiteral("Elsewhere"))), elsewhereBefore);

    OtherProgram fourth;
    QVERIFY(fourth.start({at(spot(3), "Tile four", "#a040a0")}));
    m_grid->button(QStringLiteral("SpeedButton4"))->click();
    QVERIFY(tiledAs(three.ids() + fourth.ids()));

    // Cascade: every window of the display, one title bar apart.
    m_grid->button(QStringLiteral("SpeedButton3"))->click();
    QVERIFY(waitUntil([&] {
        QList<int> lefts;
        for (std::uint32_t id : three.ids() + fourth.ids())
            lefts.append(frameOf(id).left());
        std::sort(lefts.begin(), lefts.end());
        return lefts.first() == m_grid->chosenWorkArea().left() && lefts.last() > lefts.first() &&
               std::adjacent_find(lefts.begin(), lefts.end()) == lefts.end();
    }, 5000));
}

void GridTest::aClosedTargetGivesWayToTheNextWindow()
{
    const QRect d = m_monitors[0].root;
    auto first = std::make_unique<OtherProgram>();
    QVERIFY(first->start({at(QRect(d.topLeft() + QPoint(100, 100), QSize(300, 200)), "Going away", "#d04040")}));
    OtherProgram second;
    QVERIFY(second.start({at(QRect(d.topLeft() + QPoint(600, 100), QSize(300, 200)), "Staying on", "#40a040")}));
    openOn(0);
    activate(first->id(QStringLiteral("Going away")));
    QVERIFY(waitUntil([&] { return m_grid->shownTitle() == QLatin1String("Going away"); }, 5000));
    // Pressed mid-drag when the window goes: nothing breaks.
    const QPoint p = onMap({0, 0});
    QVERIFY(xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()), QStringLiteral("mousedown"), QStringLiteral("1")}));
    QVERIFY(waitUntil([&] { return m_grid->undoDepth() == 1; }, 5000));
    first.reset();
    QVERIFY(xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}));
    QVERIFY2(waitUntil([&] { return m_grid->target() == second.id(QStringLiteral("Staying on")); }, 5000),
             qPrintable(m_grid->shownTitle()));
    // The undo entry of the closed window is passed over.
    m_grid->undo();
    QCOMPARE(m_grid->undoDepth(), std::size_t(0));
}

void GridTest::badCellCountOpensSixBySixAndClosingWritesTheKeys()
{
    m_grid.reset();
    SettingsEdit(settings::mainFilePath())
        .setString("Options", "sew", QStringLiteral("0"))
        .setString("Options", "Transp", QStringLiteral("999"))
        .setInt("Options", "fgridX", -50000)
        .setInt("Options", "fgridy", 70000)
        .commit();
    m_grid = std::make_unique<TfGrid>(*m_windows);
    QCOMPARE(m_grid->cells(), 6);
    QCOMPARE(m_grid->transparency(), 50);
    QVERIFY(m_grid->button(QStringLiteral("N66X"))->isChecked());
    m_grid->open();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    // Off every display: centred on the primary one.
    const QRect primary = m_monitors[0].root;
    QVERIFY2(primary.contains(m_grid->frameGeometry()), qPrintable(describe(m_grid->frameGeometry())));
    QVERIFY(m_grid->timersRunning());
    QCOMPARE(m_grid->map().picture().pixel(grid::cellOnMap({5, 5}, 6).center()) | 0xff000000u,
             colourFromValue(gridcolour::kBackground).rgb());

    // A cell count button writes its key at once.
    m_grid->toggleGridProperty();
    QVERIFY(m_grid->onSettingsPage());
    QVERIFY(m_grid->referenceWindow().isVisible());
    m_grid->button(QStringLiteral("N88"))->click();
    QCOMPARE(m_grid->cells(), 8);
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::sew), 8);
    m_grid->findChild<QSlider*>(QStringLiteral("xtr"))->setValue(205);
    QCOMPARE(m_grid->findChild<QLabel*>(QStringLiteral("Label30"))->text(), QStringLiteral("80 %"));

    const QPoint place = primary.topLeft() + QPoint(123, 234);
    m_grid->move(place);
    QVERIFY(waitUntil([&] { return m_grid->pos() == place; }, 5000));
    // Escape closes it, with real keys.
    // Qt may call itself active before the server has moved the focus, and a
    // key sent in between goes to the window that had it: wait for the server.
    m_grid->activateWindow();
    QVERIFY(waitUntil([&] { return QApplication::activeWindow() == m_grid.get(); }, 5000));
    QVERIFY(xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(m_grid->winId())}));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    QVERIFY(waitUntil([&] { return !m_grid->isVisible(); }, 5000));
    QVERIFY(m_grid->timersStopped());
    QVERIFY(!m_grid->referenceWindow().isVisible());
    const SettingsFile file(settings::mainFilePath());
    const QPoint stored = platform::desktopFrame().fromRoot(place);
    QCOMPARE(file.read(settings::key::fgridX), stored.x());
    QCOMPARE(file.read(settings::key::fgridY), stored.y());
    QCOMPARE(file.read(settings::key::transp), 50);
}

void GridTest::theHotkeyAndTheMenusOpenTheGrid()
{
    m_grid.reset();
    QFile::remove(hotkeys::filePath());
    QVERIFY(SettingsEdit(hotkeys::filePath()).setString("Options", "HotKey4", QStringLiteral("Ctrl+Alt+W")).commit());
    OtherProgram other;
    QVERIFY(other.start({at(QRect(m_monitors[0].root.topLeft() + QPoint(400, 300), QSize(400, 300)), "Keyed sample", "#40a0a0")}));
    const std::uint32_t id = other.id(QStringLiteral("Keyed sample"));
    StartController start(nullptr, nullptr);
    TfGrid& g = start.windowGrid();
    QVERIFY(xdotool({withWindowManager() ? QStringLiteral("windowactivate") : QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                     QString::number(id)}));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+alt+w")}));
    QVERIFY(waitUntil([&] { return g.isVisible() && g.timersRunning(); }, 5000));
    // The window in front when the key was pressed is the one to act on.
    QCOMPARE(g.target(), id);
    g.close();
    QVERIFY(g.timersStopped());

    QAction* item = start.toolbar().action(QStringLiteral("Window Management"));
    QVERIFY(item && item->isEnabled());
    QVERIFY(start.tray().menu()->actions().contains(item));
    item->trigger();
    QVERIFY(g.isVisible());
    g.close();
}

namespace {
platform::FakeForeignWindows::Window fakeWindow(std::uint32_t id, const char* title, int pid, QRect frame)
{
    platform::FakeForeignWindows::Window w;
    w.info.id = id;
    w.info.title = QString::fromUtf8(title);
    w.info.pid = pid;
    w.info.executable = QStringLiteral("/usr/bin/program%1").arg(pid);
    w.info.viewable = true;
    w.info.types = {QStringLiteral("NORMAL")};
    w.info.desktop = 0;
    w.info.frame = frame;
    return w;
}
} // namespace

void GridTest::rulesOnAnInMemoryDesktop()
{
    const int ours = int(QCoreApplication::applicationPid());
    platform::FakeForeignWindows fake;
    fake.add(fakeWindow(101, "Notes", 5000, QRect(10, 10, 300, 200)));
    auto dock = fakeWindow(102, "Panel", 5001, QRect(0, 0, 1920, 30));
    dock.info.types = {QStringLiteral("DOCK")};
    fake.add(dock);
    fake.add(fakeWindow(103, "Mirovex", ours, QRect(50, 50, 300, 200)));
    fake.add(fakeWindow(104, "", 5002, QRect(60, 60, 300, 200)));
    auto helper = fakeWindow(105, "Helper", 5003, QRect(70, 70, 300, 200));
    helper.info.skipTaskbar = true;
    fake.add(helper);
    auto fixed = fakeWindow(106, "Fixed dialog", 5004, QRect(400, 300, 200, 100));
    fixed.info.resizable = false;
    fake.add(fixed);
    TfGrid g(fake);

    // Docks, windows off the task bar and our own are never chosen; an
    // untitled window stands for the last good one.
    fake.activeWindow = 101;
    g.chooseTarget();
    QCOMPARE(g.target(), 101u);
    for (const std::uint32_t other : {102u, 103u, 104u, 105u, 999u}) {
        fake.activeWindow = other;
        g.chooseTarget();
        QCOMPARE(g.target(), 101u);
    }

    // A fixed-size window follows the drag, but is not sized on release.
    fake.activeWindow = 106;
    g.chooseTarget();
    QCOMPARE(g.target(), 106u);
    const auto centre = [&](grid::Cell c) { return grid::cellOnMap(c, g.cells()).center(); };
    QTest::mousePress(&g.map(), Qt::LeftButton, {}, centre({1, 1}));
    QTest::mouseMove(&g.map(), centre({2, 2}));
    const int before = fake.places;
    g.livePlacement();
    g.livePlacement(); // nothing changed: no second move
    QCOMPARE(fake.places, before + 1);
    QTest::mouseRelease(&g.map(), Qt::LeftButton, {}, centre({2, 2}));
    QCOMPARE(fake.places, before + 1);
    QCOMPARE(g.undoDepth(), std::size_t(1));

    // A window manager that refuses the size: placed where it could be, no error.
    fake.activeWindow = 101;
    g.chooseTarget();
    fake.find(101)->refusesSize = true;
    QTest::mousePress(&g.map(), Qt::LeftButton, {}, centre({0, 0}));
    QTest::mouseRelease(&g.map(), Qt::LeftButton, {}, centre({0, 0}));
    QCOMPARE(fake.find(101)->info.frame.size(), QSize(300, 200));

    // "Transparent" sets our value, takes it off, and replaces another one.
    g.toggleTransparent();
    QCOMPARE(fake.opacity(101), 50);
    g.toggleTransparent();
    QCOMPARE(fake.opacity(101), -1);
    fake.setOpacity(101, 120);
    g.toggleTransparent();
    QCOMPARE(fake.opacity(101), 50);

    // Our own name is not shown as another program's title.
    fake.add(fakeWindow(107, "about mirovex", 5005, QRect(500, 500, 300, 200)));
    fake.activeWindow = 107;
    g.open();
    QVERIFY(g.isVisible());
    QCOMPARE(g.target(), 107u);
    QCOMPARE(g.shownTitle(), QString());

    // The chosen window closes: "Desktop", and the next titled application
    // window in front is taken.
    fake.remove(107);
    fake.raise(106);
    g.refreshBar();
    QCOMPARE(g.shownTitle(), QStringLiteral("Desktop"));
    QCOMPARE(g.target(), 106u);
    g.refreshBar();
    QCOMPARE(g.shownTitle(), QStringLiteral("Fixed dialog"));

    // The screen saver coming on closes the grid when another window is chosen.
    fake.screenSaver = true;
    fake.activeWindow = 101;
    g.chooseTarget();
    QVERIFY(!g.isVisible());
    QVERIFY(g.timersStopped());
}

QTEST_MAIN(GridTest)
#include "grid_test.moc"
