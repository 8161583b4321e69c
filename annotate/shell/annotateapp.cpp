#include "annotate/shell/annotateapp.h"

#include "annotate/board/board.h"
#include "annotate/board/placement.h"
#include "annotate/shell/floatbar.h"
#include "annotate/shell/settingswindow.h"
#include "annotate/shell/traybutton.h"
#include "common/settings/settingsfolder.h"
#include "common/settings/settingsreset.h"
#include "common/ui/colordialog.h"
#include "common/ui/dialogs.h"
#include "platform/desktopstate.h"
#include "platform/hotkeys.h"
#include "platform/link.h"
#include "platform/monitors.h"
#include "platform/singleinstance.h"
#include "platform/windowstate.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QPainter>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace mirovex::annotate {

namespace link = platform::link;

namespace {

void deleteGraphic() { QFile::remove(settingsPath(notel::kGraphicFile)); }

QString colourDialogPath() { return settingsPath(QStringLiteral("color.cld")); }

QIcon trayIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0xF0, 0xF0, 0xF0));
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    p.setPen(QPen(QColor(0x20, 0x60, 0xC0), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 23), QPointF(23, 9));
    p.end();
    return QIcon(pm);
}
} // namespace

void quitAtOnce()
{
    std::fflush(nullptr);
    ::_exit(0);
}

TStartForm::TStartForm() : QWidget(nullptr, Qt::Tool)
{
    setObjectName(QStringLiteral("TStartForm"));
    setWindowTitle(QStringLiteral("Mirovex"));
    // A native window that is never shown: the link's address.
    setAttribute(Qt::WA_DontShowOnScreen);
    winId();
    link::setRole(std::uint32_t(winId()), link::Role::AnnotationControl);
}

AnnotateApp::AnnotateApp(std::optional<std::uint32_t> displayId, platform::SingleInstance* lock) : lock_(lock)
{
    control_ = std::make_unique<TStartForm>();
    receiver_ = link::receive(
        [this](link::Kind kind, std::uint32_t value) { onLink(int(kind), value); },
        [](link::Kind kind, std::uint32_t value) {
            if (kind != link::Kind::Code || value != link::kQuit)
                return false;
            // Acknowledged already; the display program now waits for our
            // windows to go.
            static bool quitting = false;
            if (!quitting) {
                quitting = true;
                quitAtOnce();
            }
            return true;
        });
    if (displayId)
        handshake(*displayId);
    if (lock_)
        lock_->publishWindow(std::uint32_t(control_->winId()));

    settingsFolder();
    settings_data_ = notel::loadSettings(notel::pathB());
    makeHotkeys();
    colourDialog_ = std::make_unique<ui::ColorDialog>(QStringLiteral("ColorDialog"));
    colourDialog_->load(colourDialogPath()); // missing or damaged: the dialog's defaults

    board_ = std::make_unique<TfBoard>();
    trayButton_ = std::make_unique<TfMenu>();
    trayButton_->placeFromSettings();
    float_ = std::make_unique<TFloat>();
    // The toolbar belongs to the board: it stays above it.
    float_->winId();
    float_->windowHandle()->setTransientParent(board_->windowHandle());
    settings_ = std::make_unique<TfSettings>(*this);
    addDismisser([this] { settings_->dismiss(); });

    connect(trayButton_.get(), &TfMenu::clicked, this, [this] { boardStart(); });
    connect(trayButton_.get(), &TfMenu::doubleClicked, this, [this] { boardStart(); });
    connect(trayButton_.get(), &TfMenu::draggedAway, this, [this] { board_->hide(); });
    connect(trayButton_.get(), &TfMenu::putAwayRequested, this, &AnnotateApp::putAway);
    connect(trayButton_.get(), &TfMenu::closeRequested, this, &AnnotateApp::closeFromTrayButton);
    connect(float_.get(), &TFloat::putAwayRequested, this, &AnnotateApp::putAway);
    connect(float_.get(), &TFloat::closeRequested, this, &AnnotateApp::closeFromToolbar);
    makeTray();
}

AnnotateApp::~AnnotateApp() = default;

std::optional<QColor> AnnotateApp::chooseColour(const QColor& initial, QWidget* parent)
{
    colourDialog_->setColor(initial);
    const std::optional<QColor> chosen = colourDialog_->choose(parent);
    // Losing the custom colours costs nothing worth a message.
    if (chosen)
        colourDialog_->save(colourDialogPath());
    return chosen;
}

void AnnotateApp::handshake(std::uint32_t displayId)
{
    // Only a window that says it is the display toolbar hears from us: X
    // reuses ids, and a foreign window must get nothing.
    if (link::send(displayId, link::Role::DisplayToolbar, link::Kind::Handshake, std::uint32_t(control_->winId())) ==
        link::SendResult::Acked)
        displayId_ = displayId;
}

void AnnotateApp::adopt(std::uint32_t displayId)
{
    // A second copy was started with the display program's id: that program
    // lost track of us, so we tell it where we are.
    handshake(displayId);
    if (float_->isVisible()) {
        float_->raise();
        board_->raise();
        float_->raise();
    }
}

void AnnotateApp::onLink(int kind, std::uint32_t value)
{
    switch (link::Kind(kind)) {
    case link::Kind::Code:
        if (value == link::kToggle)
            toggle();
        break;
    case link::Kind::Adopt:
        adopt(value);
        break;
    case link::Kind::Handshake:
        break;
    }
}

void AnnotateApp::makeTray()
{
    trayMenu_ = std::make_unique<QMenu>();
    QAction* reset = trayMenu_->addAction(QStringLiteral("Reset All Settings"), this, &AnnotateApp::resetAllSettings);
    reset->setVisible(false);
    // Until the toolbar has its own "Settings" button, the settings window
    // is reached from here.
    trayMenu_->addAction(QStringLiteral("Settings"), this, &AnnotateApp::openSettings);
    trayMenu_->addSeparator();
    trayMenu_->addAction(QStringLiteral("Close Vidizizu"), this, &AnnotateApp::closeFromTray);
    connect(trayMenu_.get(), &QMenu::aboutToShow, this, [this] { focusBeforeMenu_ = platform::activeWindow(); });
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    tray_ = std::make_unique<QSystemTrayIcon>(trayIcon());
    tray_->setToolTip(notel::kCaption);
    tray_->setContextMenu(trayMenu_.get());
    connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r != QSystemTrayIcon::Trigger)
            return;
        boardStart();
        if (float_->isVisible())
            float_->raise();
    });
    tray_->show();
}

void AnnotateApp::makeHotkeys()
{
    grabber_ = std::make_unique<platform::KeyGrabber>();
    registry_ = std::make_unique<hotkey::Registry>(*grabber_);
    const int show = notel::hotkeySlot("HotKey16");
    const int settings = notel::hotkeySlot("HotKey220");
    // Only slots whose command exists take their key from other programs.
    for (int i = 0; i < notel::kHotkeySlots; ++i)
        registry_->addSlot(i == show || i == settings);
    hotkeys_ = notel::loadHotkeys(notel::hotkeyPath());
    registry_->setKeys({hotkeys_.keys.begin(), hotkeys_.keys.end()});
    connect(grabber_.get(), &platform::KeyGrabber::pressed, this, [this](const hotkey::Shortcut& key, bool repeat) {
        if (repeat)
            return;
        if (const auto slot = registry_->slotFor(key))
            hotkeyPressed(*slot);
    });
    connect(grabber_.get(), &platform::KeyGrabber::keyboardChanged, this, [this] { registry_->regrabAll(); });
}

bool AnnotateApp::setHotkeys(const notel::Hotkeys& keys)
{
    hotkeys_ = keys;
    registry_->setKeys({hotkeys_.keys.begin(), hotkeys_.keys.end()});
    return notel::saveHotkeys(notel::hotkeyPath(), hotkeys_);
}

void AnnotateApp::hotkeyPressed(int slot)
{
    // A dialog is open: commands wait until it is answered.
    if (ui::busy())
        return;
    if (slot == notel::hotkeySlot("HotKey16")) {
        boardStart();
        float_->raise();
    } else if (slot == notel::hotkeySlot("HotKey220")) {
        openSettings();
    }
}

void AnnotateApp::finishStart()
{
    trayButton_->show();
    platform::keepOffTaskbar(trayButton_->windowHandle());
    boardStart();
    started_ = true;
}

void AnnotateApp::boardStart()
{
    if (float_->isVisible()) {
        float_->setWindowOpacity(1.0);
        board_->raise();
        float_->raise();
        return;
    }
    const QList<QRect> displays = platform::displayFrames();
    const QRect button(trayButton_->framePos(), trayButton_->size());
    // The board takes the whole display the tray button is on, wherever that
    // display lies, also for a click on the tray button.
    const QRect display = boardDisplay(button, displays);
    float_->moveToFrame(button.topLeft());
    board_->showOver(platform::desktopFrame().toRoot(display));
    float_->setWindowOpacity(1.0);
    float_->show();
    platform::keepOffTaskbar(float_->windowHandle());
    float_->raise();
    trayButton_->hide();
    board_->activateWindow();
    board_->setFocus();
}

void AnnotateApp::putAway()
{
    float_->hide();
    board_->hide();
    trayButton_->moveToFrame(float_->framePos());
    // Without a tray the tray button is the only way back: it stays.
    if (!tray_) {
        trayButton_->show();
        trayButton_->raise();
    } else {
        trayButton_->hide();
    }
}

void AnnotateApp::toggle()
{
    if (!float_->isVisible()) {
        boardStart();
        return;
    }
    if (toggling_)
        return;
    toggling_ = true;
    // Open dialogs are answered "Cancel", innermost first; their loops
    // unwind before anything is put away.
    QWidget* last = nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == last)
            break;
        last = modal;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
    for (const auto& dismiss : dismissers_)
        dismiss();
    finishToggle();
}

void AnnotateApp::finishToggle()
{
    if (ui::busy() || QApplication::activeModalWidget()) {
        QTimer::singleShot(10, this, &AnnotateApp::finishToggle);
        return;
    }
    toggling_ = false;
    putAway();
}

void AnnotateApp::endProgram()
{
    if (ending_)
        return;
    ending_ = true;
    deleteGraphic();
    board_->allowClose();
    trayButton_->allowClose();
    float_->allowClose();
    emit exitRequested();
}

void AnnotateApp::closeFromToolbar()
{
    notel::saveMainSettings(notel::pathB(), settings_data_);
    const QPoint at = float_->framePos();
    SettingsEdit(notel::pathA())
        .set(notel::a::menuSx, at.x())
        .set(notel::a::menuTop, at.y())
        .set(notel::a::clearOn, settings_data_.clearOn != 0)
        .commit();
    endProgram();
}

void AnnotateApp::closeFromTrayButton()
{
    const QPoint at = trayButton_->framePos();
    SettingsEdit(notel::pathA()).set(notel::a::menuSx, at.x()).set(notel::a::menuTop, at.y()).commit();
    endProgram();
}

void AnnotateApp::closeFromTray() { endProgram(); }

void AnnotateApp::openSettings()
{
    settings_->open();
}

void AnnotateApp::resetAllSettings()
{
    ui::Message question;
    question.caption = notel::kCaption;
    question.text = QStringLiteral("Do you want to reset all settings in Mirovex - Vidizizu? \n\nThis will delete all "
                                   "settings files, and Mirovex - Vidizizu will close.");
    question.icon = QMessageBox::Warning;
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::No;
    if (ui::ask(question) != QMessageBox::Yes)
        return;
    if (!removeSettingsFiles(settingsFolder())) {
        ui::Message failed;
        failed.caption = notel::kCaption;
        failed.text = QStringLiteral("Some settings files in %1 could not be deleted.").arg(settingsFolder());
        failed.icon = QMessageBox::Warning;
        ui::ask(failed);
    }
    // The fresh copy takes the lock and, while the display program still
    // answers as itself, the link.
    if (lock_)
        lock_->release();
    QStringList args;
    if (displayId_ && link::hasRole(*displayId_, link::Role::DisplayToolbar))
        args << QString::number(*displayId_);
    QProcess::startDetached(QCoreApplication::applicationFilePath(), args);
    quitAtOnce();
}

} // namespace mirovex::annotate
