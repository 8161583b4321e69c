// Puts the session, the target window and the frame loop together: the one
// object that every entry point of the display program talks to.
#pragma once

#include "platform/clipboardreader.h"
#include "platform/desktopstate.h"
#include "display/engine/frameloop.h"
#include "platform/screencapture.h"
#include "platform/systemcursor.h"
#include "common/settings/settingsfile.h"
#include "display/engine/session.h"
#include "display/engine/targetwindow.h"
#include "platform/windowlist.h"

#include <QObject>

#include <functional>
#include <memory>

namespace mirovex {

class MirrorController : public QObject, private SessionHost {
    Q_OBJECT
public:
    MirrorController();
    ~MirrorController() override;

    Session& session() { return session_; }
    TFmonitor& target() { return *target_; }
    FrameLoop& frameLoop() { return *loop_; }
    platform::ScreenCapture& capture() { return *capture_; }

    // Source commands, as the menus call them.
    void chooseDesktop();
    void chooseArea(const QRect& area, int trayHint = 2) { session_.chooseArea(area, trayHint); }
    // "Clipboard": from now on each picture copied is shown, fitted.
    void chooseClipboard();
    // The clipboard's pictures that reached the target (for tests).
    int clipboardPicturesShown() const { return clipboardShown_; }

    // "Window Area": follows the window from now on. False when it is gone.
    bool chooseWindow(std::uint32_t window);

    // "Focus": a magnifier on the target display that follows the pointer.
    void chooseFocus();
    // The zoom commands: a smaller (in) or larger (out) rectangle at once;
    // the position is stored once a run of commands has ended, so a held
    // key writes the file once.
    void zoomIn();
    void zoomOut();
    int focusPosition() const { return loop_->focusPosition(); }
    // The display Focus magnifies: the primary, on the root.
    QRect focusDisplay() const;
    // Writes a zoom position that is still waiting; true when nothing waits
    // or it was written.
    bool saveFocusPosition();

    // The cursor on the target display. The kind and the ring are stored
    // at once; hiding is not stored.
    const cursor::Style& cursorStyle() const { return loop_->cursorStyle(); }
    void setCursorKind(cursor::Kind kind);
    void toggleRing();
    void toggleHideCursor();
    // Sizes and colours from the settings file, for the area presented now.
    void reloadCursor();

    // "Invert Image": live, and stored at once.
    void setInvert(bool on);
    bool invert() const { return loop_->invert(); }

    // The other effects. The four switches are stored when switched but
    // always start off; the spotlight size and the swap mode are kept.
    const fx::EffectState& effects() const { return loop_->effects(); }
    void toggleGreyscale();
    void toggleIsolation();
    void toggleSpotlight();
    void toggleSwap();
    // 1 small, 2 medium, 3 large: the primary display's width div 13, 8, 3.
    void setSpotSize(int index);
    int spotSize() const { return spotIndex_; }
    void setSwapMode(int mode);
    // An effect item: its code, or off when it is the current one.
    void chooseEffect(int code);
    void chooseTint(fx::Tint t);
    // Everything off, the spotlight medium, the first swap mode; stored.
    void resetEffects() override;

    // Shows the target window on the display `SelectMonitor` names.
    void showTargetOnStoredDisplay();
    void hideTarget() override;

    // The screen saver is held off exactly while a running session has the
    // target window showing.
    bool screenSaverHeld() const { return screenSaver_.held(); }

    // The target window's own commands.
    // The next display, wrapping after the last; stored at once.
    void showOnNextDisplay();
    // Full screen, or a framed window of a third of the primary display.
    void toggleFullScreen();
    // Double-click: full screen, or a framed window of a quarter of the
    // primary display at its corner.
    void toggleFraming();
    // Puts the stopped or running session away and hides the window.
    void closeTarget();
    // "Copy Displayed to Clipboard": false when nothing is shown.
    bool copyDisplayedToClipboard();

    // The slideshow source: its player and its editor live with the
    // slideshow, which tells the session through these.
    struct SlideshowHooks {
        std::function<void()> start;
        std::function<void()> stop;
        std::function<bool()> editorOpen;
    };
    void setSlideshowHooks(SlideshowHooks hooks) { slideshow_ = std::move(hooks); }
    void chooseSlideshow() { session_.chooseSlideshow(); }

signals:
    void runningChanged(bool running);
    // The source or the mirrored rectangle changed.
    void sourceChanged();
    // Run was asked for with no source chosen.
    void sourcesWanted();
    // Capture stopped working for good; the message says why.
    void captureFailed(const QString& message);

private:
    void showView(TargetView view) override;
    void setFrameTimer(bool on) override;
    void setFocusTimer(bool on) override;
    void clearDrawing() override;
    bool targetVisible() const override;
    void showTarget() override;
    void raiseTarget() override;
    void offerSources() override;
    void onRunningChanged(bool running) override;
    void onSourceChanged() override { emit sourceChanged(); }
    void startSlideshow() override;
    void stopSlideshow() override;
    bool slideshowEditorOpen() const override;
    void changeCursor(const std::function<void(cursor::Style&)>& change);
    void zoomTo(int position);
    void changeEffects(const std::function<void(fx::EffectState&)>& change);
    // Flips one of the four stored switches and writes it.
    void toggleSwitch(bool fx::EffectState::*which, const BoolKey& key);
    void saveEffects();
    int primaryWidth() const;
    // Full screen, or a framed window of 1/divisor of the primary display.
    void toggleFullScreenAgainst(int divisor, bool atPrimaryCorner);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void updateScreenSaver();

    std::unique_ptr<TFmonitor> target_;
    std::unique_ptr<platform::ScreenCapture> capture_;
    Session session_;
    std::unique_ptr<FrameLoop> loop_;
    platform::ScreenSaverHold screenSaver_;
    std::unique_ptr<platform::WindowTracker> tracker_;
    int spotIndex_ = 2;
    platform::ClipboardReader* clipboard_ = nullptr;
    platform::SystemCursor systemCursor_;
    cursor::SystemPicture systemPicture_;
    quint32 systemSerial_ = 0;
    QTimer* zoomSave_ = nullptr;
    bool zoomPending_ = false;
    int clipboardShown_ = 0;
    SlideshowHooks slideshow_;
};

} // namespace mirovex
