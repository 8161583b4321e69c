// Start-up on a real desktop: where the target window lands for each stored
// display index, the auto-start source, displays that come and go, the
// first-start writes, the hints, and the one exit path (also on SIGTERM).
// Runs under tests/desktop/vdesk; dialogs answer themselves.

#include "display/shell/mainform.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "display/shell/startcontroller.h"
#include "tests/support/xreadback.h"
#include "platform/autostart.h"
#include "common/settings/settingsfolder.h"
#include "platform/singleinstance.h"
#include "display/shell/splash.h"
#include "display/shell/traymenu.h"
#include "common/ui/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QProcess>
#include <QScreen>
#include <QMenu>
#include <QTest>

#include <csignal>

using namespace mirovex;
using mirovex::test::waitUntil;

namespace {

// Where the target window must be for a stored index: full screen on a
// display other than the mirrored one, else a third of the primary at the
// chosen display's corner.
struct Placement {
    bool fullScreen;
    QRect rect; // root geometry when full screen; else only the size counts
};
Placement expectedFor(int stored, const QList<platform::Monitor>& list)
{
    const int index = platform::validDisplayIndex(stored, int(list.size()));
    if (list.size() >= 2 && index != 0)
        return {true, list[index].root};
    return {false, QRect(list[0].root.topLeft(), list[0].root.size() / 3)};
}

bool placedAs(const QWidget& w, const Placement& p)
{
    if (!w.isVisible())
        return false;
    if (p.fullScreen)
        return w.geometry() == p.rect;
    return w.size() == p.rect.size() && !w.isFullScreen();
}

QString describe(const QWidget& w)
{
    const QRect g = w.geometry();
    return QStringLiteral("%1,%2 %3x%4%5").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height())
        .arg(w.isVisible() ? QString() : QStringLiteral(" (hidden)"));
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void autoStartDesktopPlacesTheTargetAndRuns_data();
    void autoStartDesktopPlacesTheTargetAndRuns();
    void laterSourcesAreKeptAndIgnored();
    void focusAtStartRuns();
    void clipboardAtStartWaitsForACopy();
    void firstStartWritesTheDisplayAndShowsTheHint();
    void hintNotShownAgainWhenAsked();
    void limitedDesktopIsNamedOnce();
    void displaysComingAndGoingMoveTheTarget();
    void terminationSavesOnce();
    void splashCountsTheWindows();
    void withoutATrayTheToolbarIsAlwaysShown();
    void theTrayMenuReachesTheCommandsWithoutTheToolbar();
    void resetRestartsWithoutWritingTheOldSettingsBack();
    void resetDeclinedOrNotRestarted();
    void resetWhoseRestartFailsKeepsRunning();

private:
    void write(const QList<std::pair<const char*, QString>>& values);
    // A fresh start on `env`, up to its first activation; the dialogs it
    // shows are counted from here.
    void activate(const hints::Environment& env);

    QList<platform::Monitor> m_monitors;
    std::unique_ptr<StartController> m_start;
    QStringList m_dialogs; // the texts of the dialogs shown, in order
    bool m_tickDontShow = false;
    QList<QMessageBox::StandardButton> m_answers; // for message boxes, in order
};

void StartupTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    m_monitors = platform::monitors();
    QVERIFY(!m_monitors.isEmpty());
    ui::setModalRunner([this](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d)) {
            m_dialogs << box->text();
            const QMessageBox::StandardButton answer = m_answers.isEmpty() ? QMessageBox::Ok : m_answers.takeFirst();
            if (QAbstractButton* b = box->button(answer))
                b->click();
            return int(answer);
        }
        const auto* text = d.findChild<QLabel*>(QStringLiteral("text"));
        m_dialogs << (text ? text->text() : d.windowTitle());
        if (auto* box = d.findChild<QCheckBox*>(QStringLiteral("dontShow")))
            box->setChecked(m_tickDontShow);
        return int(QDialog::Accepted);
    });
}

void StartupTest::init()
{
    QFile::remove(settings::mainFilePath());
    m_dialogs.clear();
    m_tickDontShow = false;
    m_answers.clear();
}

void StartupTest::cleanup() { m_start.reset(); }

void StartupTest::write(const QList<std::pair<const char*, QString>>& values)
{
    SettingsEdit e(settings::mainFilePath());
    for (const auto& [key, value] : values)
        e.setString("Options", key, value);
    QVERIFY(e.commit());
}

void StartupTest::activate(const hints::Environment& env)
{
    m_start.reset();
    m_dialogs.clear();
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->setEnvironment(env);
    m_start->firstActivation();
}

void StartupTest::autoStartDesktopPlacesTheTargetAndRuns_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("none stored") << QString();
    QTest::newRow("0") << QStringLiteral("0");
    QTest::newRow("1") << QStringLiteral("1");
    QTest::newRow("past the last display") << QStringLiteral("3");
    QTest::newRow("negative") << QStringLiteral("-1");
}

void StartupTest::autoStartDesktopPlacesTheTargetAndRuns()
{
    QFETCH(QString, stored);
    write({{"AutoStartMirror", QStringLiteral("1")}, {"Display Options", QStringLiteral("1")}});
    if (!stored.isEmpty())
        write({{"SelectMonitor", stored}});
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->showShell();
    m_start->firstActivation();
    MirrorController& mirror = m_start->mirror();
    QVERIFY(mirror.session().running());
    QCOMPARE(mirror.session().source(), SourceKind::Desktop);
    QCOMPARE(mirror.session().mirrorRect(), QRect(QPoint(0, 0), m_monitors[0].root.size()));

    const Placement want = expectedFor(stored.isEmpty() ? 1 : stored.toInt(), m_monitors);
    QVERIFY2(waitUntil([&] { return placedAs(mirror.target(), want); }, 5000), qPrintable(describe(mirror.target())));
    // Mirroring, not only running (a still screen is shown once).
    QVERIFY(waitUntil([&] { return mirror.frameLoop().framesShown() > 0; }, 5000));
    // A second activation changes nothing.
    m_start->firstActivation();
    QVERIFY(mirror.session().running());
}

void StartupTest::laterSourcesAreKeptAndIgnored()
{
    for (const char* choice : {"4", "9"}) {
        write({{"AutoStartMirror", QLatin1String(choice)}, {"Display Options", QStringLiteral("1")}});
        m_start = std::make_unique<StartController>(nullptr, nullptr);
        m_start->firstActivation();
        QCOMPARE(m_start->mirror().session().source(), SourceKind::None);
        QVERIFY(!m_start->mirror().target().isVisible());
        m_start.reset();
        QCOMPARE(SettingsFile(settings::mainFilePath()).raw("Options", "AutoStartMirror").value_or(QString()), QLatin1String(choice));
    }
}

void StartupTest::focusAtStartRuns()
{
    write({{"AutoStartMirror", QStringLiteral("5")}, {"Display Options", QStringLiteral("1")}});
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->firstActivation();
    MirrorController& mirror = m_start->mirror();
    QCOMPARE(mirror.session().source(), SourceKind::Focus);
    QVERIFY(mirror.session().running());
    QVERIFY(mirror.frameLoop().focusEnabled());
    const quint64 shown = mirror.frameLoop().framesShown();
    QVERIFY(waitUntil([&] { return mirror.frameLoop().framesShown() > shown + 5; }, 5000));
}

void StartupTest::clipboardAtStartWaitsForACopy()
{
    write({{"AutoStartMirror", QStringLiteral("3")}, {"Display Options", QStringLiteral("1")}});
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->firstActivation();
    QCOMPARE(m_start->mirror().session().source(), SourceKind::Clipboard);
    QVERIFY(m_start->mirror().session().running());
    QCOMPARE(m_start->mirror().target().view(), TargetView::Picture);
    QVERIFY(waitUntil([&] { return m_start->mirror().target().isVisible(); }, 5000));
}

void StartupTest::firstStartWritesTheDisplayAndShowsTheHint()
{
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->setEnvironment({});
    m_start->showShell();
    QVERIFY(m_start->toolbar().isVisible());
    m_start->firstActivation();
    // Nothing is mirrored on a first start.
    QCOMPARE(m_start->mirror().session().source(), SourceKind::None);
    QVERIFY(!m_start->mirror().target().isVisible());
    const SettingsFile file(settings::mainFilePath());
    QCOMPARE(file.raw("Options", "SelectMonitor").value_or(QString()), QStringLiteral("1"));
    QCOMPARE(file.raw("Options", "PrvizagonMonitorja").value_or(QString()), QStringLiteral("0"));
    // The hint waits for the event loop.
    QVERIFY(m_dialogs.isEmpty());
    QVERIFY(waitUntil([&] { return !m_dialogs.isEmpty(); }, 3000));
    QVERIFY2(m_dialogs.first().startsWith(QStringLiteral("1 - For correct usage, you need to extend")), qPrintable(m_dialogs.first()));
    QVERIFY(!m_dialogs.first().contains(QStringLiteral("Windows")));
    // OK with the box clear: shown again next time.
    QCOMPARE(SettingsFile(settings::mainFilePath()).raw("Options", "Display Options").value_or(QString()), QStringLiteral("0"));
}

void StartupTest::hintNotShownAgainWhenAsked()
{
    m_tickDontShow = true;
    activate({});
    QVERIFY(waitUntil([&] { return m_dialogs.size() == 1; }, 3000));
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::displayOptions), true);
    activate({});
    QTest::qWait(200);
    QVERIFY(m_dialogs.isEmpty());
}

void StartupTest::limitedDesktopIsNamedOnce()
{
    write({{"Display Options", QStringLiteral("1")}});
    const struct {
        hints::Environment env;
        const char* says;
    } cases[] = {
        {{true, true, true}, "Wayland"},
        {{false, false, true}, "No compositor"},
        {{false, true, false}, "no notification area"},
    };
    for (const auto& c : cases) {
        activate(c.env);
        QVERIFY(waitUntil([&] { return m_dialogs.size() == 1; }, 3000));
        QVERIFY2(m_dialogs.first().contains(QLatin1String(c.says)), qPrintable(m_dialogs.first()));
    }
    // "Don't show me again." is kept.
    m_tickDontShow = true;
    activate({false, false, false});
    QVERIFY(waitUntil([&] { return m_dialogs.size() == 1; }, 3000));
    QCOMPARE(SettingsFile(settings::mainFilePath()).read(settings::key::envNotice), false);
    activate({false, false, false});
    QTest::qWait(200);
    QVERIFY(m_dialogs.isEmpty());
    // A desktop that limits nothing says nothing.
    QVERIFY(hints::environmentLimits({}).isEmpty());
}

void StartupTest::displaysComingAndGoingMoveTheTarget()
{
    if (m_monitors.size() < 2)
        QSKIP("needs two displays");
    write({{"AutoStartMirror", QStringLiteral("1")}, {"Display Options", QStringLiteral("1")}});
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->firstActivation();
    TFmonitor& target = m_start->mirror().target();
    const platform::Monitor second = m_monitors[1];
    QVERIFY(waitUntil([&] { return placedAs(target, {true, second.root}); }, 5000));

    const auto xrandr = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("xrandr"), args);
        return p.waitForFinished(5000) && p.exitCode() == 0;
    };
    QVERIFY(xrandr({QStringLiteral("--delmonitor"), second.name}));
    QVERIFY(waitUntil([&] { return QGuiApplication::screens().size() == m_monitors.size() - 1; }, 5000));
    // One display left: a third-of-screen window on it, still mirroring.
    QVERIFY2(waitUntil([&] { return placedAs(target, expectedFor(1, platform::monitors())); }, 5000),
             qPrintable(describe(target)));
    QVERIFY(m_start->mirror().session().running());

    const QSize mm(second.root.width() * 254 / 960, second.root.height() * 254 / 960);
    const QString geometry = QStringLiteral("%1/%2x%3/%4+%5+%6")
                                 .arg(second.root.width()).arg(mm.width()).arg(second.root.height()).arg(mm.height())
                                 .arg(second.root.x()).arg(second.root.y());
    QVERIFY(xrandr({QStringLiteral("--setmonitor"), second.name, geometry, QStringLiteral("none")}));
    QVERIFY(waitUntil([&] { return QGuiApplication::screens().size() == m_monitors.size(); }, 5000));
    QVERIFY2(waitUntil([&] { return placedAs(target, {true, second.root}); }, 5000), qPrintable(describe(target)));
}

void StartupTest::terminationSavesOnce()
{
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    int exits = 0;
    connect(m_start.get(), &StartController::exitRequested, this, [&] { ++exits; });
    m_start->showShell();
    ::raise(SIGTERM);
    QVERIFY(waitUntil([&] { return exits == 1; }, 3000));
    ::raise(SIGTERM);
    m_start->exitOrderly();
    QTest::qWait(100);
    QCOMPARE(exits, 1);
    QCOMPARE(m_start->saves(), 1);
    const SettingsFile file(settings::mainFilePath());
    QCOMPARE(file.raw("VelikostMain", "Levo").value_or(QString()), QStringLiteral("300"));
    QCOMPARE(file.raw("Options", "samozagon").value_or(QString()), QStringLiteral("1"));
}

void StartupTest::withoutATrayTheToolbarIsAlwaysShown()
{
    write({{"ToolBarAutoStart", QStringLiteral("0")}});
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->showShell();
    const bool tray = qEnvironmentVariable("VDESK_TRAY") == QLatin1String("1");
    QCOMPARE(m_start->tray().hasTray(), tray);
    QCOMPARE(m_start->environment().tray, tray);
    // With a tray the setting holds; without one the toolbar is the way in.
    QCOMPARE(m_start->toolbar().isVisible(), !tray);
}

void StartupTest::theTrayMenuReachesTheCommandsWithoutTheToolbar()
{
    write({{"ToolBarAutoStart", QStringLiteral("0")}, {"samozagon", QStringLiteral("1")}});
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->showShell();
    m_start->toolbar().hide();
    QMenu* menu = m_start->tray().menu();
    const auto item = [&](const QStringList& path) -> QAction* {
        QMenu* m = menu;
        for (const QString& caption : path) {
            QAction* found = nullptr;
            for (QAction* a : m->actions())
                if (a->text() == caption)
                    found = a;
            if (!found)
                return nullptr;
            if (found->menu())
                m = found->menu();
            else
                return found;
        }
        return nullptr;
    };
    // The toolbar's own actions, so they are enabled and checked alike.
    for (const char* caption : {"Select Desktop Area", "Previously Selected Desktop Area", "Focus", "Desktop",
                                "Window Area", "Clipboard"}) {
        QAction* a = item({QStringLiteral("Quick Display"), QString::fromLatin1(caption)});
        QVERIFY2(a, caption);
        QCOMPARE(a, m_start->toolbar().action(QString::fromLatin1(caption)));
        QVERIFY2(a->isEnabled(), caption);
    }
    item({QStringLiteral("Quick Display"), QStringLiteral("Desktop")})->trigger();
    MirrorController& mirror = m_start->mirror();
    QCOMPARE(mirror.session().source(), SourceKind::Desktop);
    QVERIFY(waitUntil([&] { return mirror.session().running() && mirror.target().isVisible(); }, 5000));
    emit menu->aboutToShow();
    QVERIFY(item({QStringLiteral("Display Settings"), QStringLiteral("Show Target Display")})->isChecked());
    QVERIFY(!item({QStringLiteral("Toolbar "), QStringLiteral("Show Toolbar")})->isChecked());
    item({QStringLiteral("Stop Projection")})->trigger();
    QVERIFY(!mirror.session().running());
    QCOMPARE(mirror.target().view(), TargetView::Idle);
    item({QStringLiteral("Toolbar "), QStringLiteral("Show Toolbar")})->trigger();
    QVERIFY(m_start->toolbar().isVisible());
    QCOMPARE(menu->actions().last()->text(), QStringLiteral("Exit"));
}

void StartupTest::splashCountsTheWindows()
{
    TSplashScreen splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QCOMPARE(splash.size(), QSize(438, 113));
    QCOMPARE(splash.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    const QPoint early(22, 87), late(415, 87); // inside the bar, near both ends
    const auto at = [&](QPoint p) { return splash.grab().toImage().pixel(p); };
    const QRgb emptyLate = at(late);
    QVERIFY(qGray(at(early)) < 0x60);
    // Creating the windows fills it; the start controller counts them.
    m_start = std::make_unique<StartController>(nullptr, &splash);
    QVERIFY(splash.progress() >= TSplashScreen::kSteps);
    QVERIFY(qGray(at(early)) > 0xB0);
    QVERIFY(at(late) != emptyLate);
    splash.grab().save(qEnvironmentVariable("VDESK_STATE") + QStringLiteral("/splash.png"));
}

void StartupTest::resetRestartsWithoutWritingTheOldSettingsBack()
{
    QTemporaryDir run;
    const QString lockPath = run.filePath(QStringLiteral("Mirovex-test.lock"));
    platform::SingleInstance lock;
    QCOMPARE(lock.acquire(lockPath), platform::SingleInstance::Outcome::First);
    write({{"Display Options", QStringLiteral("1")}, {"ProsojenBar", QStringLiteral("1")}});
    QFile grid(settingsPath(QStringLiteral("MirovexGR.cfg")));
    QVERIFY(grid.open(QIODevice::WriteOnly));
    grid.write("[Options]\n");
    grid.close();

    m_start = std::make_unique<StartController>(&lock, nullptr);
    int exits = 0, starts = 0;
    bool lockFreeAtStart = false;
    connect(m_start.get(), &StartController::exitRequested, this, [&] { ++exits; });
    m_start->setStarter([&] {
        ++starts;
        platform::SingleInstance probe;
        lockFreeAtStart = probe.acquire(lockPath) == platform::SingleInstance::Outcome::First;
        return true;
    });
    m_answers = {QMessageBox::Yes, QMessageBox::Yes};
    m_start->resetAllSettings();
    QCOMPARE(m_dialogs, (QStringList{QStringLiteral("All settings will be reset to defaults. Do you want to continue?"),
                                     QStringLiteral("You must restart Mirovex to apply those settings.")}));
    QVERIFY(!QFile::exists(settings::mainFilePath()));
    QVERIFY(!grid.exists());
    QCOMPARE(starts, 1);
    QVERIFY2(lockFreeAtStart, "the fresh copy would find the lock held");
    QCOMPARE(exits, 1);
    // Leaving now writes nothing back.
    m_start->exitOrderly();
    QCOMPARE(m_start->saves(), 0);
    QVERIFY(!QFile::exists(settings::mainFilePath()));
}

void StartupTest::resetDeclinedOrNotRestarted()
{
    write({{"ProsojenBar", QStringLiteral("1")}});
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    int starts = 0;
    m_start->setStarter([&] { return ++starts, true; });
    m_answers = {QMessageBox::No};
    m_start->resetAllSettings();
    QCOMPARE(m_dialogs.size(), 1);
    QVERIFY(QFile::exists(settings::mainFilePath()));

    // Reset, but no restart: start with the system is switched off.
    QVERIFY(platform::turnStartWithSystemOn(QCoreApplication::applicationFilePath()));
    m_dialogs.clear();
    m_answers = {QMessageBox::Yes, QMessageBox::No};
    m_start->resetAllSettings();
    QCOMPARE(m_dialogs.size(), 2);
    QVERIFY(!QFile::exists(settings::mainFilePath()));
    QVERIFY(!platform::isStartWithSystemOn());
    QCOMPARE(starts, 0);
}

void StartupTest::resetWhoseRestartFailsKeepsRunning()
{
    QTemporaryDir run;
    const QString lockPath = run.filePath(QStringLiteral("Mirovex-test.lock"));
    platform::SingleInstance lock;
    QCOMPARE(lock.acquire(lockPath), platform::SingleInstance::Outcome::First);
    m_start = std::make_unique<StartController>(&lock, nullptr);
    int exits = 0;
    connect(m_start.get(), &StartController::exitRequested, this, [&] { ++exits; });
    m_start->setStarter([] { return false; });
    m_answers = {QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Ok};
    m_start->resetAllSettings();
    QCOMPARE(m_dialogs.size(), 3);
    QVERIFY2(m_dialogs.last().contains(QStringLiteral("could not be started again")), qPrintable(m_dialogs.last()));
    QCOMPARE(exits, 0);
    // Still the one running copy.
    QVERIFY(lock.held());
    platform::SingleInstance probe;
    QCOMPARE(probe.acquire(lockPath), platform::SingleInstance::Outcome::AlreadyRunning);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
