// The annotation program in one process on a real desktop: the board over
// the tray button's display, the link codes as the display program sends
// them (from another connection, as it would), dialogs rejected by the toggle
// code, the settings window and its hotkey, and the windows the window
// manager may not close.

#include "annotate/board/board.h"
#include "annotate/board/placement.h"
#include "annotate/settings/notelhotkeys.h"
#include "annotate/settings/notelsettings.h"
#include "annotate/settings/windowobjects.h"
#include "annotate/shell/annotateapp.h"
#include "annotate/shell/floatbar.h"
#include "annotate/shell/settingswindow.h"
#include "annotate/shell/traybutton.h"
#include "common/geometry/displays.h"
#include "common/settings/settingsfolder.h"
#include "platform/link.h"
#include "platform/monitors.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <future>

using namespace mirovex;
namespace lnk = platform::link;

namespace {
// The display program's send, from a thread of its own: our event loop must
// run to acknowledge.
std::future<lnk::SendResult> sendAsync(std::uint32_t window, lnk::Kind kind, std::uint32_t value,
                                        lnk::Role role = lnk::Role::AnnotationControl)
{
    return std::async(std::launch::async, [=] { return lnk::send(window, role, kind, value); });
}

lnk::SendResult waitFor(std::future<lnk::SendResult>& f)
{
    for (int i = 0; i < 500 && f.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready; ++i)
        QTest::qWait(10);
    return f.get();
}

bool xdotool(const QStringList& args) { return QProcess::execute(QStringLiteral("xdotool"), args) == 0; }
} // namespace

class AnnotateTest : public QObject {
    Q_OBJECT
    std::unique_ptr<annotate::AnnotateApp> app_;
    std::uint32_t control_ = 0;

    bool shown() const { return app_->toolbar().isVisible() && app_->board().isVisible(); }
    bool putAway() const { return !app_->toolbar().isVisible() && !app_->board().isVisible(); }

private slots:
    void initTestCase()
    {
        QDir().mkpath(settingsFolder());
        QFile hot(settingsPath(notel::kHotkeyFile));
        QVERIFY(hot.open(QIODevice::WriteOnly));
        hot.write("[Options]\nHotKey16=Ctrl+Alt+T\nHotKey220=Ctrl+Alt+S\nHotKey19=kept as it was\nHotKey6=None\n");
        hot.close();
        app_ = std::make_unique<annotate::AnnotateApp>(std::nullopt, nullptr);
        control_ = std::uint32_t(app_->control().winId());
        app_->finishStart();
    }

    void startShowsBoardOverTheTrayButtonsDisplay()
    {
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 10000);
        QVERIFY(!app_->trayButton().isVisible());
        QVERIFY(!app_->control().isVisible());
        QList<QRect> frames;
        QList<QRect> roots;
        for (const platform::Monitor& m : platform::monitors()) {
            frames << m.frame;
            roots << m.root;
        }
        const int display = geometry::displayOf(QRect(app_->trayButton().framePos(), QSize(32, 32)), frames);
        QTRY_COMPARE_WITH_TIMEOUT(app_->board().geometry(), roots[display], 10000);
        QCOMPARE(app_->toolbar().framePos(), app_->trayButton().framePos());
        QCOMPARE(app_->board().windowTitle(), QStringLiteral("Mirovex Vidizizu"));
    }

    void toggleCodePutsAwayAndBringsBack()
    {
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 10000);
        auto f = sendAsync(control_, lnk::Kind::Code, lnk::kToggle);
        QCOMPARE(waitFor(f), lnk::SendResult::Acked);
        QTRY_VERIFY_WITH_TIMEOUT(putAway(), 10000);
        // With a tray the tray icon is the way back; without one the tray
        // button stays.
        QCOMPARE(app_->trayButton().isVisible(), !app_->hasTray());
        f = sendAsync(control_, lnk::Kind::Code, lnk::kToggle);
        QCOMPARE(waitFor(f), lnk::SendResult::Acked);
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 10000);
    }

    void otherCodesAreIgnored()
    {
        auto f = sendAsync(control_, lnk::Kind::Code, 201);
        QCOMPARE(waitFor(f), lnk::SendResult::Acked);
        QTest::qWait(100);
        QVERIFY(shown());
    }

    void sendsReachOnlyWindowsWithTheRole()
    {
        // A foreign window (no role), a window of ours asked for the wrong
        // role, and an id that names nothing: nothing is sent, nothing hangs.
        QWidget foreign;
        foreign.winId();
        QCOMPARE(lnk::send(std::uint32_t(foreign.winId()), lnk::Role::AnnotationControl, lnk::Kind::Code,
                            lnk::kToggle),
                 lnk::SendResult::WrongRole);
        QCOMPARE(lnk::send(control_, lnk::Role::DisplayToolbar, lnk::Kind::Code, lnk::kToggle),
                 lnk::SendResult::WrongRole);
        std::uint32_t dead = 0;
        {
            QWidget gone;
            dead = std::uint32_t(gone.winId());
        }
        // Gone once Qt's connection has told the server.
        QTRY_COMPARE_WITH_TIMEOUT(lnk::send(dead, lnk::Role::AnnotationControl, lnk::Kind::Code, lnk::kToggle),
                                  lnk::SendResult::NoWindow, 5000);
        QVERIFY(lnk::hasRole(control_, lnk::Role::AnnotationControl));
        QVERIFY(shown());
    }

    void windowManagerCloseIsIgnored()
    {
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 10000);
        app_->board().close();
        app_->toolbar().close();
        QVERIFY(shown());
        xdotool({QStringLiteral("windowactivate"), QString::number(app_->board().winId())});
        xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
        QTest::keyClick(&app_->board(), Qt::Key_Escape);
        QTest::keyClick(&app_->board(), Qt::Key_Return);
        QTest::qWait(300);
        QVERIFY(shown());
    }

    void freshSettingsWindowShowsTheDefaults()
    {
        app_->openSettings();
        annotate::TfSettings* s = app_->settingsWindow();
        QTRY_VERIFY_WITH_TIMEOUT(s->isVisible(), 10000);
        QCOMPARE(s->size(), QSize(756, 612));
        const QStringList want{QStringLiteral("  Visible buttons"), QStringLiteral("  Interface"),
                               QStringLiteral("  General"),         QStringLiteral("  Hotkeys"),
                               QStringLiteral("  Selected Area"),   QStringLiteral("  Grid"),
                               QStringLiteral("  Mouse")};
        for (int i = 0; i < want.size(); ++i)
            QCOMPARE(s->tabs()->tabText(i), want[i]);
        QCOMPARE(s->namePreview(), QStringLiteral("[ Image1.jpg ]"));
        if (const QByteArray dir = qgetenv("ANNOTATE_SHOTS"); !dir.isEmpty()) {
            for (int i = 0; i < s->tabs()->count(); ++i) {
                s->tabs()->setCurrentIndex(i);
                QTest::qWait(50);
                s->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/settings-%1.png").arg(i));
            }
        }
        s->dismiss();
        QVERIFY(!s->isVisible());
    }

    void toggleRejectsOpenDialogsAndWritesNothing()
    {
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 10000);
        QFile::remove(notel::pathA());
        QFile::remove(notel::pathB());
        app_->openSettings();
        annotate::TfSettings* s = app_->settingsWindow();
        QTRY_VERIFY_WITH_TIMEOUT(s->isVisible(), 10000);
        // "Reset Messages" asks in a modal box; the toggle code comes while
        // it is open, from inside its loop.
        std::future<lnk::SendResult> f;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (!f.valid() && QApplication::activeModalWidget())
                f = sendAsync(control_, lnk::Kind::Code, lnk::kToggle);
        });
        poll.start();
        s->resetMessages();
        poll.stop();
        QVERIFY(f.valid());
        QCOMPARE(waitFor(f), lnk::SendResult::Acked);
        QTRY_VERIFY_WITH_TIMEOUT(putAway() && !s->isVisible() && !QApplication::activeModalWidget(), 10000);
        QVERIFY(!QFileInfo::exists(notel::pathA()));
        QVERIFY(!QFileInfo::exists(notel::pathB()));
        f = sendAsync(control_, lnk::Kind::Code, lnk::kToggle);
        QCOMPARE(waitFor(f), lnk::SendResult::Acked);
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 10000);
    }

    void settingsHotkeyOpensAndOkWrites()
    {
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 10000);
        annotate::TfSettings* s = app_->settingsWindow();
        QVERIFY(!s->isVisible());
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+s")}));
        QTRY_VERIFY_WITH_TIMEOUT(s->isVisible(), 10000);
        s->confirm();
        QVERIFY(!s->isVisible());
        const SettingsFile b(notel::pathB());
        QCOMPARE(b.readString("SaveImage", "ImageName", {}), QStringLiteral("Image"));
        QCOMPARE(b.readString("SaveImage", "ImageSavePath", {}), defaultImageFolder());
        QCOMPARE(b.readInt("SaveImage", "SelectType", 0), 13);
        QCOMPARE(b.readInt("General", "Minimalistic", 0), 1);
        QCOMPARE(b.readInt("General", "CHFpanel", 0), 2);
        QCOMPARE(b.readInt("General", "Opak", 0), 255);
        const SettingsFile hot(notel::hotkeyPath());
        QCOMPARE(hot.readString("Options", "HotKey19", {}), QStringLiteral("kept as it was"));
        QCOMPARE(hot.readString("Options", "HotKey220", {}), QStringLiteral("Ctrl+Alt+S"));
        QCOMPARE(hot.readString("Options", "HotKey6", {}), QStringLiteral("None"));
        QCOMPARE(notel::loadButtons(notel::pathC())[8 - notel::kFirstButton], false);
        notel::WindowObjects objects;
        objects.theme.tag = 0;
        notel::loadWindowObjects(settingsFolder(), objects);
        QCOMPARE(objects.theme.tag, int(notel::Light));
        QCOMPARE(objects.iconPanel.color, quint32(notel::kLightIcon));
        QVERIFY(QFileInfo::exists(settingsPath(QStringLiteral("cbbar.obj"))));
    }

    void showToolbarHotkeyBringsTheBoardBack()
    {
        app_->putAway();
        QTRY_VERIFY_WITH_TIMEOUT(putAway(), 10000);
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+t")}));
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 10000);
    }

    void trayButtonCloseWritesItsPlace()
    {
        app_->trayButton().moveToFrame(QPoint(300, 320));
        QFile::remove(notel::pathA());
        QFile::remove(settingsPath(notel::kGraphicFile));
        QFile graphic(settingsPath(notel::kGraphicFile));
        QVERIFY(graphic.open(QIODevice::WriteOnly));
        graphic.close();
        QSignalSpy exits(app_.get(), &annotate::AnnotateApp::exitRequested);
        app_->closeFromTrayButton();
        QCOMPARE(exits.count(), 1);
        const SettingsFile a(notel::pathA());
        QTRY_COMPARE_WITH_TIMEOUT(a.read(notel::a::menuSx), 300, 5000);
        QCOMPARE(SettingsFile(notel::pathA()).read(notel::a::menuTop), 320);
        QVERIFY(!QFileInfo::exists(settingsPath(notel::kGraphicFile)));
    }
};

QTEST_MAIN(AnnotateTest)
#include "annotate_test.moc"
