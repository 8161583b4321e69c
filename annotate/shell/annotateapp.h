// The annotation program from start to end: the control window the display
// program talks to, the tray icon, the tray button, the board and the
// toolbar; board start, put away and the close paths.
#pragma once

#include "annotate/settings/notelhotkeys.h"
#include "annotate/settings/notelsettings.h"
#include "common/hotkeys/registry.h"

#include <QColor>
#include <QObject>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace mirovex {
namespace ui {
class ColorDialog;
}
namespace platform {
class KeyGrabber;
class SingleInstance;
namespace link {
class Receiver;
}
} // namespace platform
} // namespace mirovex

namespace mirovex::annotate {

class TfBoard;
class TfMenu;
class TFloat;
class TfSettings;

// The control window: never shown; its window id is the address the
// display program sends to, marked with the annotation role.
class TStartForm : public QWidget {
    Q_OBJECT
public:
    TStartForm();
};

class AnnotateApp : public QObject {
    Q_OBJECT
public:
    // `displayId`: the display toolbar's id from the command line; `lock`
    // the held single-instance lock (null when none could be had).
    AnnotateApp(std::optional<std::uint32_t> displayId, platform::SingleInstance* lock);
    ~AnnotateApp() override;

    // The finishing step of start-up: the tray button, then board start.
    void finishStart();

    void boardStart();
    void putAway();
    // The toggle code: board start when the toolbar is hidden, else every
    // open window closes (dialogs rejected, innermost first) and then the
    // program is put away.
    void toggle();

    void closeFromToolbar();
    void closeFromTrayButton();
    void closeFromTray();
    void resetAllSettings();
    void openSettings();

    // Windows the toggle code closes before putting away, in this order;
    // each entry hides its window without writing anything.
    void addDismisser(std::function<void()> dismiss) { dismissers_.push_back(std::move(dismiss)); }

    TStartForm& control() { return *control_; }
    TfBoard& board() { return *board_; }
    TfMenu& trayButton() { return *trayButton_; }
    TFloat& toolbar() { return *float_; }
    TfSettings* settingsWindow() { return settings_.get(); }
    notel::MainSettings& settings() { return settings_data_; }
    bool hasTray() const { return tray_ != nullptr; }
    bool started() const { return started_; }
    // The window that had the focus when the tray menu opened.
    std::uint32_t focusBeforeMenu() const { return focusBeforeMenu_; }
    const notel::Hotkeys& hotkeys() const { return hotkeys_; }
    // Registers and writes the edited hotkeys; false when the file could not
    // be written.
    bool setHotkeys(const notel::Hotkeys& keys);
    hotkey::Status hotkeyStatus(int slot) const { return registry_->status(slot); }
    platform::KeyGrabber& grabber() { return *grabber_; }
    // The one colour dialog of the program, custom colours included; its
    // state is kept in "color.cld", which the display program shares.
    ui::ColorDialog& colourDialog() { return *colourDialog_; }
    // The dialog opened on `initial`; the state is written after each choice.
    std::optional<QColor> chooseColour(const QColor& initial, QWidget* parent);

signals:
    void exitRequested();

private:
    void handshake(std::uint32_t displayId);
    void adopt(std::uint32_t displayId);
    void onLink(int kind, std::uint32_t value);
    void finishToggle();
    void makeTray();
    void makeHotkeys();
    void hotkeyPressed(int slot);
    void endProgram();

    platform::SingleInstance* lock_;
    std::optional<std::uint32_t> displayId_;
    std::unique_ptr<TStartForm> control_;
    std::unique_ptr<platform::link::Receiver> receiver_;
    std::unique_ptr<TfBoard> board_;
    std::unique_ptr<TfMenu> trayButton_;
    std::unique_ptr<TFloat> float_;
    std::unique_ptr<TfSettings> settings_;
    std::unique_ptr<QMenu> trayMenu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<platform::KeyGrabber> grabber_;
    std::unique_ptr<hotkey::Registry> registry_;
    std::unique_ptr<ui::ColorDialog> colourDialog_;
    notel::MainSettings settings_data_;
    notel::Hotkeys hotkeys_;
    std::vector<std::function<void()>> dismissers_;
    std::uint32_t focusBeforeMenu_ = 0;
    bool started_ = false;
    bool toggling_ = false;
    bool ending_ = false;
};

// The process ends at once, as the quit code asks: nothing saved, nothing
// closed in order.
[[noreturn]] void quitAtOnce();

} // namespace mirovex::annotate
