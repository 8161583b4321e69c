// Hotkeys on a real desktop: keys from a prepared "MirovexHOT.cfg" pressed
// with xdotool while another program's window has the focus, keys another
// client holds, keys swapped in the editor, keys recorded in its fields, and
// the printed list as a PDF. Runs under tests/desktop/vdesk.

#include "display/capture/capturewindow.h"
#include "display/shell/hotkeyeditor.h"
#include "display/shell/hotkeyservice.h"
#include "display/settings/hotkeyslots.h"
#include "display/shell/mainform.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "common/settings/settingsfolder.h"
#include "display/shell/startcontroller.h"
#include "tests/support/desktop.h"
#include "tests/support/xreadback.h"
#include "common/ui/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QScopeGuard>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>

using namespace mirovex;
using mirovex::hotkeys::Slot;
using mirovex::test::waitUntil;
using mirovex::test::xdotool;

namespace {

// Answers every message box with OK and keeps what it said.
ui::ModalRunner saying(QStringList& said)
{
    return [&said](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d))
            said << box->text();
        return int(QMessageBox::Ok);
    };
}

bool press(const QString& keys) { return xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys}); }

// Another X client: holds keys on the root, as another program would.
class OtherClient {
public:
    OtherClient() : c_(xcb_connect(nullptr, nullptr))
    {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        symbols_ = xcb_key_symbols_alloc(c_);
    }
    ~OtherClient()
    {
        xcb_key_symbols_free(symbols_);
        xcb_disconnect(c_);
    }
    // True when the server gave the grab.
    bool grab(xcb_keysym_t sym, std::uint16_t mods)
    {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, sym);
        if (!codes)
            return false;
        xcb_generic_error_t* e = xcb_request_check(
            c_, xcb_grab_key_checked(c_, 0, root_, mods, codes[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(codes);
        const bool ok = !e;
        std::free(e);
        return ok;
    }

private:
    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    xcb_key_symbols_t* symbols_ = nullptr;
};

} // namespace

class HotkeysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keysFromTheFileRunTheirCommandsFromAnotherWindow();
    void everyKindOfKeyFires_data();
    void everyKindOfKeyFires();
    void aKeyAnotherProgramHoldsIsMarkedAndFiresNothing();
    void theFirstOfTwoSlotsWithOneKeyKeepsIt();
    void swappedKeysBothWorkAfterConfirm();
    void clearedFieldIsWrittenEmptyAndStaysWithoutKey();
    void theFieldRecordsTheKeyNotTheCharacter();
    void keysAreRefusedWhileADialogIsOpen();
    void aHeldFocusKeyRepeatsAndIsWrittenOnceItStops();
    void keysFollowAChangeOfLayout();
    void theCaptureKeyWorksOnlyWhileArmed();
    void printedListIsAPdfWithBothPrograms();
    void printCancelledPrintsNothing();

private:
    void writeKeys(const QList<std::pair<const char*, const char*>>& keys);
    void start();
    void focusOtherWindow();
    HotkeyService& service() { return m_start->hotkeys(); }

    std::unique_ptr<StartController> m_start;
    QProcess m_other;
    quint32 m_otherId = 0;
    ui::ModalRunner m_runner;
};

void HotkeysTest::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("VDESK_LAYOUT"), "run this under tests/desktop/vdesk");
    ui::setModalRunner([this](QDialog& d) { return m_runner ? m_runner(d) : int(QDialog::Rejected); });
    m_other.start(QCoreApplication::applicationDirPath() + QStringLiteral("/test_windows"),
                  {QStringLiteral("Other program|300,200,400,300|#406080")});
    QVERIFY(m_other.waitForStarted(5000));
    QVERIFY(waitUntil([&] { return m_other.canReadLine(); }, 10000));
    m_otherId = QString::fromLocal8Bit(m_other.readLine()).section(QLatin1Char(' '), 0, 0).toUInt();
    QVERIFY(m_otherId != 0);
}

void HotkeysTest::init()
{
    QFile::remove(settings::mainFilePath());
    QFile::remove(hotkeys::filePath());
    QFile::remove(settingsPath(hotkeys::kAnnotationHotkeyFile));
    // Starting Desktop must not also run it: run/stop is a command of its own.
    writeSetting(settings::mainFilePath(), settings::key::samozagon, false);
    m_runner = nullptr;
}

void HotkeysTest::cleanup() { m_start.reset(); }

void HotkeysTest::writeKeys(const QList<std::pair<const char*, const char*>>& keys)
{
    SettingsEdit e(hotkeys::filePath());
    for (const auto& [key, value] : keys)
        e.setString("Options", key, QString::fromLatin1(value));
    QVERIFY(e.commit());
}

void HotkeysTest::start()
{
    m_start = std::make_unique<StartController>(nullptr, nullptr);
    m_start->firstActivation();
}

void HotkeysTest::focusOtherWindow()
{
    QVERIFY(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(m_otherId)}));
    QVERIFY(QApplication::activeWindow() == nullptr || waitUntil([] { return QApplication::activeWindow() == nullptr; }, 5000));
}

void HotkeysTest::keysFromTheFileRunTheirCommandsFromAnotherWindow()
{
    writeKeys({{"HotKey101", "Ctrl+Alt+D"},
               {"HotKey2", "Ctrl+Alt+R"},
               {"HotKey302", "Shift+Ctrl+H"},
               {"HotKey1x2", "Ctrl+Alt+T"},
               {"HotKey7", "Ctrl+Num +"},
               {"HotKey10", "Ctrl+Alt+W"}});
    start();
    MirrorController& m = m_start->mirror();
    focusOtherWindow();

    QVERIFY(press(QStringLiteral("ctrl+alt+d")));
    QVERIFY(waitUntil([&] { return m.session().source() == SourceKind::Desktop; }, 5000));
    QVERIFY(!m.session().running());
    QVERIFY(press(QStringLiteral("ctrl+alt+r")));
    QVERIFY(waitUntil([&] { return m.session().running(); }, 5000));

    QVERIFY(!m.cursorStyle().hidden);
    QVERIFY(press(QStringLiteral("shift+ctrl+h")));
    QVERIFY(waitUntil([&] { return m.cursorStyle().hidden; }, 5000));

    const bool transparent = m_start->toolbar().transparent();
    QVERIFY(press(QStringLiteral("ctrl+alt+t")));
    QVERIFY(waitUntil([&] { return m_start->toolbar().transparent() != transparent; }, 5000));

    const int before = service().commandsRun();
    QVERIFY(press(QStringLiteral("ctrl+KP_Add")));
    QVERIFY(waitUntil([&] { return service().commandsRun() == before + 1; }, 5000));

    // With CapsLock and with NumLock on, the keys still work.
    for (const char* lock : {"Caps_Lock", "Num_Lock"}) {
        const bool running = m.session().running();
        QVERIFY(press(QLatin1String(lock)));
        QVERIFY(press(QStringLiteral("ctrl+alt+r")));
        QVERIFY2(waitUntil([&] { return m.session().running() != running; }, 5000), lock);
        QVERIFY(press(QLatin1String(lock)));
    }

    // A slot whose command does not exist yet keeps its key, but leaves it
    // to other programs.
    QCOMPARE(service().status(Slot::LockMouse), hotkey::Status::NoCommand);
    QCOMPARE(hotkey::toText(service().keys()[std::size_t(Slot::LockMouse)]), QStringLiteral("Ctrl+Alt+W"));
    OtherClient other;
    QVERIFY(other.grab('w', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    QCOMPARE(m_start->hotkeyEditor().statusText(Slot::LockMouse), QStringLiteral("not available yet"));
}

void HotkeysTest::everyKindOfKeyFires_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("keys");
    QTest::newRow("letter") << "Ctrl+Alt+Q" << "ctrl+alt+q";
    QTest::newRow("shifted digit") << "Shift+Ctrl+1" << "shift+ctrl+1";
    QTest::newRow("function key") << "Alt+F5" << "alt+F5";
    QTest::newRow("all three") << "Shift+Ctrl+Alt+F12" << "shift+ctrl+alt+F12";
    QTest::newRow("page down") << "Ctrl+Alt+PgDn" << "ctrl+alt+Next";
    QTest::newRow("enter") << "Ctrl+Enter" << "ctrl+Return";
    QTest::newRow("space") << "Shift+Ctrl+Space" << "shift+ctrl+space";
    QTest::newRow("backspace") << "Ctrl+Alt+BkSp" << "ctrl+alt+BackSpace";
    QTest::newRow("punctuation") << "Ctrl+Alt+=" << "ctrl+alt+equal";
    QTest::newRow("keypad digit") << "Ctrl+Num 5" << "ctrl+KP_5";
    QTest::newRow("tab") << "Ctrl+Tab" << "ctrl+Tab";
    QTest::newRow("arrow") << "Shift+Alt+Left" << "shift+alt+Left";
    QTest::newRow("no modifier") << "F9" << "F9";
}

void HotkeysTest::everyKindOfKeyFires()
{
    QFETCH(QString, text);
    QFETCH(QString, keys);
    writeKeys({{"HotKey302", qPrintable(text)}});
    start();
    QCOMPARE(service().status(Slot::HideCursor), hotkey::Status::Registered);
    focusOtherWindow();
    QVERIFY(press(keys));
    QVERIFY(waitUntil([&] { return m_start->mirror().cursorStyle().hidden; }, 5000));
    QCOMPARE(service().commandsRun(), 1);
}

void HotkeysTest::aKeyAnotherProgramHoldsIsMarkedAndFiresNothing()
{
    OtherClient other;
    // Only with CapsLock on: our grab without it succeeds at first, and must
    // be given back with the rest.
    QVERIFY(other.grab('k', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK));
    writeKeys({{"HotKey2", "Ctrl+Alt+K"}, {"HotKey302", "Ctrl+Alt+H"}});
    start();
    QCOMPARE(service().status(Slot::RunStop), hotkey::Status::TakenByProgram);
    QCOMPARE(m_start->hotkeyEditor().statusText(Slot::RunStop), QStringLiteral("in use by another program"));
    QCOMPARE(m_start->hotkeyEditor().statusText(Slot::HideCursor), QString());
    // Nothing of the set is kept: the other program can have the rest.
    QVERIFY(other.grab('k', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));

    focusOtherWindow();
    QVERIFY(press(QStringLiteral("ctrl+alt+k")));
    // Keys are handled in order: once the later one has run, the first would have.
    QVERIFY(press(QStringLiteral("ctrl+alt+h")));
    QVERIFY(waitUntil([&] { return m_start->mirror().cursorStyle().hidden; }, 5000));
    QCOMPARE(service().commandsRun(), 1);
    QVERIFY(!m_start->mirror().session().running());
}

void HotkeysTest::theFirstOfTwoSlotsWithOneKeyKeepsIt()
{
    writeKeys({{"HotKey1x2", "Ctrl+Alt+J"}, {"HotKey302", "Ctrl+Alt+J"}});
    start();
    QCOMPARE(service().status(Slot::TransparentBar), hotkey::Status::Registered);
    QCOMPARE(service().status(Slot::HideCursor), hotkey::Status::TakenBySlot);
    QCOMPARE(m_start->hotkeyEditor().statusText(Slot::HideCursor), QStringLiteral("already used by \"Transparent Toolbar\""));
    const bool transparent = m_start->toolbar().transparent();
    focusOtherWindow();
    QVERIFY(press(QStringLiteral("ctrl+alt+j")));
    QVERIFY(waitUntil([&] { return m_start->toolbar().transparent() != transparent; }, 5000));
    QCOMPARE(service().commandsRun(), 1);
    QVERIFY(!m_start->mirror().cursorStyle().hidden);
}

void HotkeysTest::swappedKeysBothWorkAfterConfirm()
{
    writeKeys({{"HotKey1x2", "Ctrl+Alt+1"}, {"HotKey302", "Ctrl+Alt+2"}});
    start();
    THotkeyEditor& editor = m_start->hotkeyEditor();
    editor.field(Slot::TransparentBar)->setShortcut(hotkey::parse(QStringLiteral("Ctrl+Alt+2")));
    editor.field(Slot::HideCursor)->setShortcut(hotkey::parse(QStringLiteral("Ctrl+Alt+1")));
    editor.confirmButton()->click();
    QCOMPARE(service().status(Slot::TransparentBar), hotkey::Status::Registered);
    QCOMPARE(service().status(Slot::HideCursor), hotkey::Status::Registered);
    const SettingsFile file(hotkeys::filePath());
    QCOMPARE(file.raw("Options", "HotKey1x2"), QStringLiteral("Ctrl+Alt+2"));
    QCOMPARE(file.raw("Options", "HotKey302"), QStringLiteral("Ctrl+Alt+1"));

    const bool transparent = m_start->toolbar().transparent();
    focusOtherWindow();
    QVERIFY(press(QStringLiteral("ctrl+alt+1")));
    QVERIFY(waitUntil([&] { return m_start->mirror().cursorStyle().hidden; }, 5000));
    QVERIFY(press(QStringLiteral("ctrl+alt+2")));
    QVERIFY(waitUntil([&] { return m_start->toolbar().transparent() != transparent; }, 5000));
    QCOMPARE(service().commandsRun(), 2);
}

void HotkeysTest::clearedFieldIsWrittenEmptyAndStaysWithoutKey()
{
    writeKeys({{"HotKey302", "Ctrl+Alt+H"}});
    start();
    m_start->hotkeyEditor().field(Slot::HideCursor)->setShortcut(std::nullopt);
    m_start->hotkeyEditor().confirm();
    QCOMPARE(SettingsFile(hotkeys::filePath()).raw("Options", "HotKey302"), QString());
    QCOMPARE(service().status(Slot::HideCursor), hotkey::Status::NoKey);
    // Given back at once: another program can take it.
    OtherClient other;
    QVERIFY(other.grab('h', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    // And after a restart the slot still has no key.
    m_start.reset();
    start();
    QVERIFY(!service().keys()[std::size_t(Slot::HideCursor)].has_value());
    QCOMPARE(m_start->hotkeyEditor().field(Slot::HideCursor)->text(), QStringLiteral("None"));
}

void HotkeysTest::theFieldRecordsTheKeyNotTheCharacter()
{
    writeKeys({{"HotKey302", "Ctrl+Alt+H"}});
    start();
    m_start->showHotkeyEditor();
    THotkeyEditor& editor = m_start->hotkeyEditor();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    auto* field = editor.field(Slot::Desktop);
    field->setFocus();
    QVERIFY(waitUntil([&] { return field->hasFocus(); }, 5000));
    // While a field records, our own keys are recorded, not run.
    QCOMPARE(service().status(Slot::HideCursor), hotkey::Status::Suspended);
    QVERIFY(press(QStringLiteral("ctrl+alt+h")));
    QVERIFY(waitUntil([&] { return field->text() == QLatin1String("Ctrl+Alt+H"); }, 5000));
    QVERIFY(press(QStringLiteral("shift+ctrl+1")));
    QVERIFY2(waitUntil([&] { return field->text() == QLatin1String("Shift+Ctrl+1"); }, 5000), qPrintable(field->text()));
    QVERIFY(press(QStringLiteral("shift+Tab")));
    QVERIFY2(waitUntil([&] { return field->text() == QLatin1String("Shift+Tab"); }, 5000), qPrintable(field->text()));
    // A key outside the table leaves the field as it was.
    QVERIFY(press(QStringLiteral("Caps_Lock")));
    QVERIFY(press(QStringLiteral("Caps_Lock")));
    QVERIFY(press(QStringLiteral("ctrl+Num_Lock")));
    QVERIFY(press(QStringLiteral("ctrl+Num_Lock")));
    QVERIFY(press(QStringLiteral("ctrl+alt+Next")));
    QVERIFY(waitUntil([&] { return field->text() == QLatin1String("Ctrl+Alt+PgDn"); }, 5000));
    QCOMPARE(service().commandsRun(), 0);
    QVERIFY(!m_start->mirror().cursorStyle().hidden);

    editor.hide();
    QVERIFY(waitUntil([&] { return service().status(Slot::HideCursor) == hotkey::Status::Registered; }, 5000));
    focusOtherWindow();
    QVERIFY(press(QStringLiteral("ctrl+alt+h")));
    QVERIFY(waitUntil([&] { return m_start->mirror().cursorStyle().hidden; }, 5000));
}

void HotkeysTest::keysAreRefusedWhileADialogIsOpen()
{
    writeKeys({{"HotKey302", "Ctrl+Alt+H"}, {"HotKey1x2", "Ctrl+Alt+T"}});
    start();
    focusOtherWindow();
    bool pressedInside = false;
    bool inside = false;
    m_runner = [&](QDialog&) {
        // Other dialogs (the start-up hints) that open meanwhile just close.
        if (inside)
            return int(QDialog::Rejected);
        inside = true;
        const int before = service().pressesRefused();
        pressedInside = press(QStringLiteral("ctrl+alt+h")) &&
                        waitUntil([&] { return service().pressesRefused() > before; }, 5000);
        inside = false;
        return int(QDialog::Rejected);
    };
    // The print dialog is the modal dialog here; cancelled, it prints nothing.
    m_start->hotkeyEditor().printHotkeys();
    QVERIFY(pressedInside);
    m_runner = nullptr;
    const bool transparent = m_start->toolbar().transparent();
    QVERIFY(press(QStringLiteral("ctrl+alt+t")));
    QVERIFY(waitUntil([&] { return m_start->toolbar().transparent() != transparent; }, 5000));
    QCOMPARE(service().commandsRun(), 1);
    QVERIFY(!m_start->mirror().cursorStyle().hidden);
}

void HotkeysTest::aHeldFocusKeyRepeatsAndIsWrittenOnceItStops()
{
    writeKeys({{"HotKey8", "Ctrl+Alt+Down"}, {"HotKey302", "Ctrl+Alt+H"}});
    start();
    MirrorController& m = m_start->mirror();
    const int before = m.focusPosition();
    const auto stored = [] { return SettingsFile(settings::mainFilePath()).raw("Options", "opKrizValue"); };
    QVERIFY(!stored().has_value());
    focusOtherWindow();
    QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl+alt+Down")}));
    auto release = qScopeGuard([] { xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl+alt+Down")}); });
    // The server repeats a held key: the focus goes on shrinking...
    QVERIFY(waitUntil([&] { return service().commandsRun() >= 4; }, 5000));
    QVERIFY(m.focusPosition() < before);
    // ...and nothing is written while the key is down.
    QVERIFY(!stored().has_value());
    release.dismiss();
    QVERIFY(xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl+alt+Down")}));
    QVERIFY(waitUntil([&] { return stored().has_value(); }, 5000));
    QCOMPARE(*stored(), QString::number(m.focusPosition()));
    QCOMPARE(m.focusPosition(), std::max(25, before - 25 * service().commandsRun()));

    // A toggle runs once however long its key is held.
    const int run = service().commandsRun();
    QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl+alt+h")}));
    QTest::qWait(1200);
    QVERIFY(xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl+alt+h")}));
    QVERIFY(waitUntil([&] { return service().commandsRun() > run; }, 5000));
    QTest::qWait(200);
    QCOMPARE(service().commandsRun(), run + 1);
    QVERIFY(m.cursorStyle().hidden);
}

void HotkeysTest::keysFollowAChangeOfLayout()
{
    // On a German keyboard Z and Y trade places: the key named Z moves.
    writeKeys({{"HotKey302", "Ctrl+Alt+Z"}});
    start();
    QProcess layout;
    layout.start(QStringLiteral("setxkbmap"), {QStringLiteral("de")});
    QVERIFY(layout.waitForFinished(10000) && layout.exitCode() == 0);
    const auto restore = qScopeGuard([] { QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("us")}); });
    // xdotool presses the key that types z on the layout now in use.
    focusOtherWindow();
    QVERIFY(waitUntil([&] {
        if (!press(QStringLiteral("ctrl+alt+z")))
            return false;
        return waitUntil([&] { return m_start->mirror().cursorStyle().hidden; }, 500);
    }, 10000));
    QCOMPARE(service().status(Slot::HideCursor), hotkey::Status::Registered);
}

void HotkeysTest::theCaptureKeyWorksOnlyWhileArmed()
{
    start();
    MirrorController& m = m_start->mirror();
    m.chooseDesktop();
    m.session().start();
    QVERIFY(waitUntil([&] { return m.target().isVisible(); }, 5000));
    TFsave& capture = m_start->captureWindow();
    QTemporaryDir dir;
    capture.folderEdit()->setText(dir.path() + QLatin1Char('/'));
    const auto files = [&] {
        capture.waitForWrites();
        return QDir(dir.path()).entryList(QDir::Files);
    };
    QStringList said;
    m_runner = saying(said);

    // A key another program holds is refused with the reason, and not armed.
    OtherClient other;
    QVERIFY(other.grab('k', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    capture.show();
    capture.shortcutEdit()->setShortcut(hotkey::parse(QStringLiteral("Ctrl+Alt+K")));
    capture.startOrStop();
    QVERIFY(!capture.armed());
    QCOMPARE(said, QStringList{QStringLiteral("The shortcut Ctrl+Alt+K cannot be used: in use by another program.")});
    QCOMPARE(service().captureStatus(), hotkey::Status::NoKey);

    capture.shortcutEdit()->setShortcut(hotkey::parse(QStringLiteral("Ctrl+Alt+C")));
    capture.startOrStop();
    QVERIFY(capture.armed());
    focusOtherWindow();
    QVERIFY(press(QStringLiteral("ctrl+alt+c")));
    QVERIFY(waitUntil([&] { return files().size() == 1; }, 5000));

    // Stopped: the key is given back to the desktop.
    capture.startOrStop();
    QVERIFY(!capture.armed());
    QCOMPARE(service().captureStatus(), hotkey::Status::NoKey);
    QVERIFY(other.grab('c', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    QCOMPARE(files().size(), 1);
}

void HotkeysTest::printedListIsAPdfWithBothPrograms()
{
    writeKeys({{"HotKey2", "Ctrl+Alt+R"}, {"HotKey1x1", "Shift+Ctrl+P"}});
    SettingsEdit annotation(settingsPath(hotkeys::kAnnotationHotkeyFile));
    QVERIFY(annotation.setString("Options", "HotKey6", QStringLiteral("Ctrl+Alt+P")).setString("Options", "HotKey18", QStringLiteral("junk")).commit());
    start();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("hotkeys.pdf"));
    m_start->hotkeyEditor().setPrinterChooser([&] {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(pdf);
        return p;
    });
    m_start->hotkeyEditor().printButton()->click();
    QVERIFY(QFile::exists(pdf));

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(20000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    for (const char* want : {"Mirovex - Hotkeys", "Run / Stop : Ctrl+Alt+R", "Show Preview : Shift+Ctrl+P",
                             "Send to target display : None", "[ Quick Start showing ]", "Window Area : None",
                             "Mirovex - Vidizizu - Hotkeys", "Pen : Ctrl+Alt+P", "Desktop : None",
                             "Show Toolbar : None"})
        QVERIFY2(out.simplified().contains(QLatin1String(want)), want);
    // The list is longer than a page at 12 points: it goes on on the next.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.waitForFinished(20000));
    const QString pages = QString::fromUtf8(info.readAllStandardOutput()).section(QStringLiteral("Pages:"), 1).trimmed().section(QLatin1Char('\n'), 0, 0);
    QVERIFY2(pages.toInt() >= 2, qPrintable(pages));
    // The last line is on the last page, not cut off.
    QProcess last;
    last.start(QStringLiteral("pdftotext"), {QStringLiteral("-f"), pages, pdf, QStringLiteral("-")});
    QVERIFY(last.waitForFinished(20000));
    QVERIFY(QString::fromUtf8(last.readAllStandardOutput()).contains(QLatin1String("Show Toolbar :")));
}

void HotkeysTest::printCancelledPrintsNothing()
{
    start();
    int shown = 0;
    m_start->hotkeyEditor().setPrinterChooser([&] {
        ++shown;
        return std::unique_ptr<QPrinter>();
    });
    m_start->hotkeyEditor().printHotkeys();
    QCOMPARE(shown, 1);
    // A printer that cannot be opened is an error, said as such.
    QStringList said;
    m_runner = saying(said);
    m_start->hotkeyEditor().setPrinterChooser([] {
        auto p = std::make_unique<QPrinter>();
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(QStringLiteral("/nonexistent-folder/x/hotkeys.pdf"));
        return p;
    });
    m_start->hotkeyEditor().printHotkeys();
    QCOMPARE(said, QStringList{QStringLiteral("Error Printing text.")});
}

QTEST_MAIN(HotkeysTest)
#include "hotkeys_test.moc"
