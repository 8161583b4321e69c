// The window-area source on a real desktop with openbox: another program's
// windows are listed as the picker shows them, one is chosen with a real
// click, and the mirror follows it as it moves, is minimised and closes.

#include "display/selection/areaselection.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "tests/support/xreadback.h"
#include "display/selection/windowrows.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace mirovex;
using mirovex::test::grabRoot;
using mirovex::test::waitUntil;

namespace {

QRgb at(const QImage& shot, QPoint p) { return shot.pixel(p) | 0xff000000u; }

void xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(5000);
}

// Real input from a shell in the background, for the modal picker: clicks
// at `local` in the picker's window once it is on the screen.
void clickInPicker(QPoint local)
{
    QProcess::startDetached(
        QStringLiteral("bash"),
        {QStringLiteral("-c"),
         QStringLiteral("w=$(timeout 10 xdotool search --sync --onlyvisible --name 'Select applications area' | head -n 1); sleep 0.3; "
                        "xdotool mousemove --window \"$w\" %1 %2 click 1")
             .arg(local.x())
             .arg(local.y())});
}
void keyInPicker(const QString& key)
{
    QProcess::startDetached(
        QStringLiteral("bash"),
        {QStringLiteral("-c"),
         QStringLiteral("w=$(timeout 10 xdotool search --sync --onlyvisible --name 'Select applications area' | head -n 1); sleep 0.3; "
                        "xdotool windowactivate --sync \"$w\" key %1")
             .arg(key)});
}

// Where row `i` of the picker lies in it: under the 33-pixel header, 70 high.
QPoint rowSpot(int i) { return QPoint(300, 33 + i * 70 + 35); }

} // namespace

class WindowAreaTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listsOnlyOtherProgramsApplicationWindows();
    void followsTheChosenWindowUntilItCloses();
    void closingThePickerKeepsThePreviousWindow();
    void findShowsWhereTheWindowIsAndChoosesNothing();

private:
    // Opens the picker; a picker that no input reached is closed after a
    // while, so a lost click fails the test instead of hanging it.
    void choose();
    std::uint32_t idOf(const QString& title) const { return m_ids.value(title); }
    QStringList listedTitles() const;

    QList<platform::Monitor> m_monitors;
    QProcess m_other;
    QHash<QString, std::uint32_t> m_ids;
    std::unique_ptr<QWidget> m_ours;
    std::unique_ptr<MirrorController> m_ctl;
    std::unique_ptr<AreaSelection> m_area;
};

void WindowAreaTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    m_monitors = platform::monitors();
    QVERIFY(!m_monitors.isEmpty());
}

void WindowAreaTest::init()
{
    QFile::remove(settings::mainFilePath());
    const QPoint o = m_monitors[0].root.topLeft();
    const auto described = [&](const char* title, QRect g, const char* colour) {
        return QStringLiteral("%1|%2,%3,%4,%5|%6").arg(QLatin1String(title)).arg(o.x() + g.x()).arg(o.y() + g.y())
            .arg(g.width()).arg(g.height()).arg(QLatin1String(colour));
    };
    m_other.start(QCoreApplication::applicationDirPath() + QStringLiteral("/test_windows"),
                  {described("Zebra notes", QRect(100, 100, 500, 350), "#d04040"),
                   described("apple sheet", QRect(700, 150, 400, 300), "#40a040"),
                   described("Tiny", QRect(1200, 100, 10, 10), "#4040d0"),
                   described("Put away", QRect(1300, 500, 300, 200), "#a0a040")});
    QVERIFY(m_other.waitForStarted(5000));
    QVERIFY(waitUntil([&] { return m_other.canReadLine() || m_other.state() != QProcess::Running; }, 10000));
    QVERIFY(waitUntil([&] {
        while (m_other.canReadLine()) {
            const QString line = QString::fromLocal8Bit(m_other.readLine()).trimmed();
            m_ids.insert(line.section(QLatin1Char(' '), 1), line.section(QLatin1Char(' '), 0, 0).toUInt());
        }
        return m_ids.size() == 4;
    }, 5000));
    xdotool({QStringLiteral("windowminimize"), QString::number(idOf(QStringLiteral("Put away")))});
    // One of our own, which is never offered.
    m_ours = std::make_unique<QWidget>();
    m_ours->setWindowTitle(QStringLiteral("Our own window"));
    m_ours->setGeometry(QRect(o + QPoint(200, 600), QSize(300, 200)));
    m_ours->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_ours.get()));
    m_ctl = std::make_unique<MirrorController>();
    m_area = std::make_unique<AreaSelection>(*m_ctl);
}

void WindowAreaTest::cleanup()
{
    m_area.reset();
    m_ctl.reset();
    m_ours.reset();
    m_other.kill();
    m_other.waitForFinished(5000);
    m_ids.clear();
}

void WindowAreaTest::choose()
{
    const mirovex::test::ModalGuard guard(10000);
    m_area->chooseWindowArea();
}

QStringList WindowAreaTest::listedTitles() const
{
    QStringList out;
    for (const platform::WindowInfo& w : picker::rows(platform::listWindows(), platform::currentDesktop(), int(::getpid())))
        out << w.title;
    return out;
}

void WindowAreaTest::listsOnlyOtherProgramsApplicationWindows()
{
    // Minimised, too small, or ours: left out. Sorted without regard to case.
    const QStringList want{QStringLiteral("apple sheet"), QStringLiteral("Zebra notes")};
    QVERIFY2(waitUntil([&] { return listedTitles() == want; }, 5000), qPrintable(listedTitles().join(QStringLiteral(" | "))));
    for (const platform::WindowInfo& w : platform::listWindows()) {
        if (w.title == QLatin1String("apple sheet")) {
            QCOMPARE(w.pid, int(m_other.processId()));
            QVERIFY2(w.executable.endsWith(QStringLiteral("/test_windows")), qPrintable(w.executable));
            QVERIFY(!w.icon.isNull());
            QCOMPARE(QColor(w.icon.pixel(16, 16)), QColor(QStringLiteral("#40a040")));
            // The frame with its decorations, around the client.
            QVERIFY(w.frame.contains(QRect(m_monitors[0].root.topLeft() + QPoint(700, 150), QSize(400, 300))));
        }
        if (w.title == QLatin1String("Put away"))
            QVERIFY(w.minimized);
    }

    // What other programs put in their properties is checked: a shadow of
    // a client-side decoration is left out, unless it claims more than the
    // window.
    const std::uint32_t apple = idOf(QStringLiteral("apple sheet"));
    const QRect frame = platform::visibleFrameBounds(apple).value_or(QRect());
    const auto set = [&](const char* prop, const char* value) {
        QProcess p;
        p.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(apple), QStringLiteral("-f"),
                                          QLatin1String(prop), QStringLiteral("32c"), QStringLiteral("-set"),
                                          QLatin1String(prop), QLatin1String(value)});
        p.waitForFinished(5000);
    };
    set("_GTK_FRAME_EXTENTS", "10, 12, 14, 16");
    QVERIFY(waitUntil([&] { return platform::visibleFrameBounds(apple) == frame.adjusted(10, 14, -12, -16); }, 3000));
    set("_GTK_FRAME_EXTENTS", "4000, 4000, 4000, 4000"); // more than the window: ignored
    QVERIFY(waitUntil([&] { return platform::visibleFrameBounds(apple) == frame; }, 3000));
    QVERIFY(!platform::visibleFrameBounds(0x7fffffff));
}

void WindowAreaTest::followsTheChosenWindowUntilItCloses()
{
    const std::uint32_t zebra = idOf(QStringLiteral("Zebra notes"));
    QVERIFY(waitUntil([&] { return listedTitles().size() == 2; }, 5000));
    // "Zebra notes" is the second row.
    clickInPicker(rowSpot(1));
    choose();
    Session& s = m_ctl->session();
    QCOMPARE(s.source(), SourceKind::WindowArea);
    QCOMPARE(s.window(), zebra);
    QVERIFY(s.running());
    const auto frameNow = [&] { return platform::desktopFrame().fromRoot(platform::visibleFrameBounds(zebra).value_or(QRect())); };
    QCOMPARE(s.mirrorRect(), frameNow());
    // The target shows the window's colour.
    QVERIFY(waitUntil([&] { return m_ctl->target().isVisible(); }, 5000));
    const auto targetCentre = [&] {
        const QWidget& t = m_ctl->target();
        return at(grabRoot(QRect(t.mapToGlobal(t.rect().center()), QSize(1, 1))), {0, 0});
    };
    QVERIFY(waitUntil([&] { return targetCentre() == qRgb(0xd0, 0x40, 0x40); }, 5000));
    // Marked on the presenter's screen, outside the window.
    if (m_area->markMode() != area::MarkMode::None)
        QVERIFY(m_area->marking().shownMode() != area::MarkMode::None);
    QCOMPARE(m_area->marking().markedArea(), platform::desktopFrame().toRoot(s.mirrorRect()));

    // Moved and resized: followed.
    const QPoint o = m_monitors[0].root.topLeft();
    xdotool({QStringLiteral("windowmove"), QString::number(zebra), QString::number(o.x() + 300), QString::number(o.y() + 250)});
    xdotool({QStringLiteral("windowsize"), QString::number(zebra), QStringLiteral("640"), QStringLiteral("400")});
    QVERIFY(waitUntil([&] { return frameNow().size().width() > 640 && frameNow().topLeft().x() < 300; }, 5000));
    QVERIFY2(waitUntil([&] { return s.mirrorRect() == frameNow(); }, 5000), "the mirror did not follow the window");
    QVERIFY(waitUntil([&] { return m_area->marking().markedArea() == platform::desktopFrame().toRoot(frameNow()); }, 5000));

    // Minimised: the last picture stays (with a compositor, perhaps one of
    // the window fading out), nothing is captured.
    xdotool({QStringLiteral("windowminimize"), QString::number(zebra)});
    QTest::qWait(300);
    const quint64 shown = m_ctl->frameLoop().framesShown();
    const QRgb last = targetCentre();
    QTest::qWait(300);
    QCOMPARE(m_ctl->frameLoop().framesShown(), shown);
    QCOMPARE(s.source(), SourceKind::WindowArea);
    QCOMPARE(targetCentre(), last);
    xdotool({QStringLiteral("windowactivate"), QString::number(zebra)});
    QVERIFY(waitUntil([&] { return m_ctl->frameLoop().framesShown() > shown; }, 5000));

    // Closed: the projection stops on the next tick.
    m_other.kill();
    QVERIFY(waitUntil([&] { return s.source() == SourceKind::None; }, 5000));
    QVERIFY(!s.running());
    QCOMPARE(m_area->marking().shownMode(), area::MarkMode::None);
}

void WindowAreaTest::closingThePickerKeepsThePreviousWindow()
{
    const std::uint32_t apple = idOf(QStringLiteral("apple sheet"));
    QVERIFY(m_ctl->chooseWindow(apple));
    m_ctl->session().start();
    const QRect before = m_ctl->session().mirrorRect();
    // Escape: no choice, and nothing of the list reaches the mirror.
    keyInPicker(QStringLiteral("Escape"));
    choose();
    QCOMPARE(m_ctl->session().window(), apple);
    QCOMPARE(m_ctl->session().mirrorRect(), before);
    QVERIFY(m_ctl->session().running());

    // With nothing presented before, closing starts nothing.
    m_ctl->session().stopProjection();
    keyInPicker(QStringLiteral("Escape"));
    choose();
    QCOMPARE(m_ctl->session().source(), SourceKind::None);
    QVERIFY(!m_ctl->session().running());
}

void WindowAreaTest::findShowsWhereTheWindowIsAndChoosesNothing()
{
    QVERIFY(waitUntil([&] { return listedTitles().size() == 2; }, 5000));
    bool flashed = false, over = false;
    QRect flashAt;
    m_area->setPickerRunner([&](TFselectWindow& picker) {
        picker.show();
        // Row 0 is "apple sheet".
        QPushButton* find = picker.findChildren<QPushButton*>(QStringLiteral("find")).value(0);
        if (!find)
            return int(QDialog::Rejected);
        // Moved after it was listed: Find shows where it is now.
        const std::uint32_t apple = idOf(QStringLiteral("apple sheet"));
        const QRect listed = platform::visibleFrameBounds(apple).value_or(QRect());
        xdotool({QStringLiteral("windowmove"), QString::number(apple), QString::number(listed.x() + 40), QString::number(listed.y() + 30)});
        waitUntil([&] { return platform::visibleFrameBounds(apple).value_or(QRect()) != listed; }, 5000);
        find->click();
        flashed = picker.flash().flashing();
        flashAt = picker.flash().geometry();
        over = waitUntil([&] { return !picker.flash().flashing(); }, 3000);
        picker.reject();
        return int(QDialog::Rejected);
    });
    m_area->chooseWindowArea();
    QVERIFY(flashed);
    QCOMPARE(flashAt, platform::visibleFrameBounds(idOf(QStringLiteral("apple sheet"))).value_or(QRect()));
    QVERIFY(over);
    // Find is no choice: nothing is presented.
    QCOMPARE(m_ctl->session().source(), SourceKind::None);
}

QTEST_MAIN(WindowAreaTest)
#include "windowarea_test.moc"
