// The mirror session: what is presented, whether it runs, and a pending
// single frame. Every entry point (tray, toolbar, hotkeys, control panel)
// calls these operations; the windows the session drives sit behind
// SessionHost, so the state machine runs without a display in tests.
#pragma once

#include <QRect>

#include <cstdint>

namespace mirovex {

enum class SourceKind : int {
    None = 0,
    Desktop = 2, // also a selected area: the mirror rectangle tells them apart
    WindowArea = 3,
    Clipboard = 4,
    Slideshow = 5,
    Focus = 8,
    EditorPicture = 20,
    Annotation = 1002,
};

enum class TargetView { Idle, Drawing, Picture, Slideshow };

class SessionHost {
public:
    virtual ~SessionHost() = default;
    virtual void showView(TargetView view) = 0;
    virtual void setFrameTimer(bool on) = 0;
    // The Focus source's own timer.
    virtual void setFocusTimer(bool on) = 0;
    // Paints the drawing area black and presents it.
    virtual void clearDrawing() = 0;
    virtual bool targetVisible() const = 0;
    virtual void showTarget() = 0;
    virtual void hideTarget() = 0;
    virtual void raiseTarget() = 0;
    // Run was asked for with nothing to run: offer the sources instead.
    virtual void offerSources() = 0;
    // The running flag changed (run/stop captions and pictures follow it).
    virtual void onRunningChanged(bool running) = 0;
    // What is presented changed: the source, or the mirrored rectangle.
    virtual void onSourceChanged() {}
    // Stop projection puts every effect back to off.
    virtual void resetEffects() {}
    // The slideshow source: its player starts with the session and stops
    // with it; while the slideshow editor is open Run does nothing.
    virtual void startSlideshow() {}
    virtual void stopSlideshow() {}
    virtual bool slideshowEditorOpen() const { return false; }
};

class Session {
public:
    explicit Session(SessionHost& host) : host_(host) {}

    SourceKind source() const { return source_; }
    bool running() const { return running_; }
    bool oneShotPending() const { return oneShot_; }
    bool autoRun() const { return autoRun_; }
    void setAutoRun(bool on) { autoRun_ = on; }

    // The mirrored part of the desktop, in the programs' frame; Right and
    // Bottom exclusive, as QRect's width and height count.
    QRect mirrorRect() const { return mirror_; }

    // Starts presenting the chosen source; nothing when none is chosen or it
    // already runs. Showing the target window belongs to starting only.
    void start();
    // Stops presenting; the last frame stays on the target display.
    void stop();
    // The Run/Stop button and its hotkey: stop when running, else start, or
    // offer the sources when none is chosen.
    void toggle();
    // Exactly one new frame while stopped.
    void sendOneFrame();
    // Back to the idle panel, nothing chosen, stopped.
    void stopProjection();
    // Puts everything away: the target window is hidden first, so that
    // nothing is shown on the target display while the session winds down.
    void stopAll();

    // Which text the tray icon's hint shows (see trayHintText).
    int trayHint() const { return trayHint_; }
    void setTrayHint(int code) { trayHint_ = code; }

    // The source command "Desktop": the source display's rectangle.
    void chooseDesktop(const QRect& sourceDisplay);
    // A rectangle of the desktop: a newly selected area (tray hint 2) or the
    // previously selected one (110).
    void chooseArea(const QRect& area, int trayHint = 2);

    // The source command "Clipboard": each new picture copied is shown.
    void chooseClipboard();

    // The source command "Window Area": the chosen window, whose visible
    // frame is `frame`.
    void chooseWindow(std::uint32_t window, const QRect& frame);
    std::uint32_t window() const { return window_; }
    // The followed window moved or changed size.
    void followWindow(const QRect& frame);

    // The source command "Focus": the magnified rectangle around the
    // pointer, starting at `rect`. Chosen again while it is the source, it
    // starts it when stopped and otherwise changes nothing.
    void chooseFocus(const QRect& rect);
    // The magnified rectangle moved with the pointer or the zoom.
    void followFocus(const QRect& rect);

    // The slideshow source (tray hint 5): whatever runs stops; Run then plays
    // the slideshow list.
    void chooseSlideshow();
    // The slideshow editor closed: nothing is chosen any more when the
    // slideshow was (tray hint back to the plain name).
    void leaveSlideshow();

    // Called by the frame loop after each frame it completed or gave up on:
    // a pending single frame is done, and the timer stops when not running.
    void frameDone();

private:
    void choose(SourceKind kind, const QRect& rect, int trayHint, std::uint32_t window);
    void setTimers(bool on);
    void follow(SourceKind kind, const QRect& rect);

    SessionHost& host_;
    SourceKind source_ = SourceKind::None;
    bool running_ = false;
    bool oneShot_ = false;
    bool autoRun_ = true;
    int trayHint_ = 0;
    QRect mirror_;
    std::uint32_t window_ = 0;
};

} // namespace mirovex
