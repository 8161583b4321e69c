// The display program from the first window to the last: creates the
// windows in their order while the splash counts them, runs the one-time
// start decisions once the event loop runs (target display, auto-start
// source, hints), follows displays that come and go, and owns the one exit
// path.
#pragma once

#include "display/shell/starthints.h"

#include <QObject>

#include <functional>
#include <memory>

namespace mirovex {

namespace platform {
class ForeignWindows;
class RaiseRequestWatch;
class SingleInstance;
class TerminationWatch;
} // namespace platform

namespace editor {
class Tfdraw;
} // namespace editor

class AnnotationLink;
class AreaSelection;
class HotkeyService;
class THotkeyEditor;
class TFslika;
class TFsave;
class TfGrid;
class Tfscrolset;
namespace ui {
class ColorDialog;
}
class MirrorController;
class TMainForm;
class TrayMenu;
class TSplashScreen;

namespace slides {
class Slideshow;
}

class StartController : public QObject {
    Q_OBJECT
public:
    // `lock` is the held single-instance lock (null in tests); the splash,
    // when given, counts the windows as they are created.
    StartController(platform::SingleInstance* lock, TSplashScreen* splash);
    ~StartController() override;

    MirrorController& mirror() { return *mirror_; }
    TMainForm& toolbar() { return *toolbar_; }
    TrayMenu& tray() { return *tray_; }
    AreaSelection& area() { return *area_; }
    TFslika& imageWindow() { return *image_; }
    TFsave& captureWindow() { return *capture_; }
    slides::Slideshow& slideshow() { return *slideshow_; }
    TfGrid& windowGrid() { return *grid_; }
    Tfscrolset& scrollText() { return *scrollText_; }
    ui::ColorDialog& colorDialog() { return *colours_; }
    HotkeyService& hotkeys() { return *hotkeys_; }
    AnnotationLink& annotation() { return *annotation_; }
    THotkeyEditor& hotkeyEditor() { return *hotkeyEditor_; }
    // Opens the hotkey editor with the slots' keys in its fields.
    void showHotkeyEditor();
    // "Draw": the paint editor (made on first use) on what the target
    // display shows; null until then.
    void showEditor();
    editor::Tfdraw* editor() { return editor_.get(); }

    // After the splash: the tray icon and, as the settings say (always
    // without a tray), the toolbar.
    void showShell();
    // The one-time decisions; runs once however often it is called.
    void firstActivation();
    bool activated() const { return activated_; }

    // A second copy asked us to come forward.
    void comeForward();
    // Puts the target window where the settings say, on the displays there
    // are now; nothing when it is hidden.
    void placeTarget();

    // The orderly end: stop, save every setting once, leave the event loop.
    void exitOrderly();
    bool saved() const { return saves_ > 0; }
    int saves() const { return saves_; }

    // "Reset All Settings": asks, empties the settings folder, and offers to
    // start afresh.
    void resetAllSettings();

    // What the start-up notice works from; the real desktop by default.
    void setEnvironment(const hints::Environment& env) { env_ = env; }
    hints::Environment environment() const { return env_; }
    // How a fresh copy of the program is started after a reset.
    void setStarter(std::function<bool()> starter) { starter_ = std::move(starter); }

signals:
    void exitRequested();

private:
    void progress(int step);
    void showStartHints();
    void autoStart(int choice);
    void screensChanged();
    void makeHotkeys();

    platform::SingleInstance* lock_;
    TSplashScreen* splash_;
    std::unique_ptr<MirrorController> mirror_;
    std::unique_ptr<TMainForm> toolbar_;
    std::unique_ptr<AreaSelection> area_;
    std::unique_ptr<TFslika> image_;
    std::unique_ptr<TFsave> capture_;
    std::unique_ptr<slides::Slideshow> slideshow_;
    std::unique_ptr<platform::ForeignWindows> foreignWindows_;
    std::unique_ptr<TfGrid> grid_;
    std::unique_ptr<ui::ColorDialog> colours_;
    std::unique_ptr<Tfscrolset> scrollText_;
    std::unique_ptr<TrayMenu> tray_;
    std::unique_ptr<AnnotationLink> annotation_;
    std::unique_ptr<HotkeyService> hotkeys_;
    std::unique_ptr<THotkeyEditor> hotkeyEditor_;
    std::unique_ptr<editor::Tfdraw> editor_;
    platform::TerminationWatch* termination_ = nullptr;
    std::unique_ptr<platform::RaiseRequestWatch> raiseWatch_;
    hints::Environment env_;
    std::function<bool()> starter_;
    bool activated_ = false;
    bool exiting_ = false;
    int saves_ = 0;
};

// The desktop the program runs on, as it is now.
hints::Environment currentEnvironment(bool trayAvailable);

} // namespace mirovex
