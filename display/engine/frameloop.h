// The frame loop of the live sources: on each tick of a 16 ms timer, copy
// the mirror rectangle off the screen, fit it into the drawing area with its
// shape kept, and present it.
#pragma once

#include "display/engine/cursoroverlay.h"
#include "display/engine/effects.h"
#include "display/engine/scaler.h"
#include "platform/screencapture.h"
#include "platform/screendamage.h"
#include "display/engine/session.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace mirovex {

class DrawingArea;

// Timings of the last frame, for the benchmarks and the ring's frame rate.
struct FrameTimings {
    std::chrono::nanoseconds capture{0}, scale{0}, present{0}; // wall time
    std::chrono::nanoseconds captureCpu{0};                     // this thread's CPU in the capture
    std::chrono::nanoseconds overlay{0};                        // cursor and ring
    bool whole = true;                                          // the whole frame was worked
};

class FrameLoop : public QObject {
    Q_OBJECT
public:
    FrameLoop(Session& session, DrawingArea& area, platform::ScreenCapture& capture, QObject* parent = nullptr);

    // The frame timer of the live sources, and the Focus source's own.
    // Enabled, the timer may sleep while nothing on the screen, the pointer
    // or an animation changes; it still counts as enabled then.
    void setEnabled(bool on);
    bool enabled() const { return want_; }
    bool asleep() const { return asleep_; }
    void setFocusEnabled(bool on);
    bool focusEnabled() const { return focusTimer_.isActive(); }

    // The cursor drawn into each frame, and the system cursor's picture
    // (null when none is known).
    void setCursorStyle(const cursor::Style& style)
    {
        cursor_ = style;
        changed();
    }
    const cursor::Style& cursorStyle() const { return cursor_; }
    void setSystemCursor(std::function<const cursor::SystemPicture*()> picture) { systemCursor_ = std::move(picture); }
    const cursor::Ring& ring() const { return ring_; }

    // Focus: the display that is magnified (on the root) and the zoom
    // position (see focus.h).
    void setFocusDisplay(std::function<QRect()> display) { focusDisplay_ = std::move(display); }
    void setFocusPosition(int position) { focusPosition_ = position; }
    int focusPosition() const { return focusPosition_; }

    void setInvert(bool on)
    {
        effects_.invert = on;
        changed();
    }
    bool invert() const { return effects_.invert; }
    // Every effect of the effect stage; inversion among them.
    void setEffects(const fx::EffectState& e)
    {
        effects_ = e;
        changed();
    }
    const fx::EffectState& effects() const { return effects_; }
    // Where the pointer is (root coordinates), and the colour under it;
    // asked only while an effect, the cursor or Focus needs them.
    void setPointer(std::function<QPoint()> pointer) { pointer_ = std::move(pointer); }
    void setColourAt(std::function<QRgb(QPoint)> colourAt) { colourAt_ = std::move(colourAt); }
    void setFilter(FrameScaler::Filter f)
    {
        scaler_.setFilter(f);
        changed();
    }

    // Whether the target window is up; with it hidden nothing is captured.
    void setTargetVisible(std::function<bool()> visible) { targetVisible_ = std::move(visible); }
    // Called when capture can no longer work at all; the owner hides the
    // target window rather than freeze a picture that will never change.
    void setOnFatal(std::function<void(const QString&)> f) { onFatal_ = std::move(f); }
    // Source none: the owner shows the idle panel.
    void setOnIdle(std::function<void()> f) { onIdle_ = std::move(f); }

    // The followed window of a window area, looked at on each tick: where
    // its frame is now (programs' frame), that it is minimised (the last
    // picture stays), or that it is gone (the projection stops).
    struct WindowLook {
        enum class State { Shown, Minimized, Gone } state = State::Gone;
        QRect frame;
    };
    void setWindowLook(std::function<WindowLook()> look) { windowLook_ = std::move(look); }

    // Where the screen changed since the last frame; without it every frame
    // is worked whole and the timer never sleeps.
    void setScreenDamage(platform::ScreenDamage* damage);
    // Every frame whole, as before changes were tracked (the FullFrames key).
    void setFullFrames(bool on);
    bool fullFrames() const { return fullFrames_; }
    // The next frame is worked whole: something changed pixels that the
    // screen's damage does not tell (a window shown again, a new size).
    void refreshAll();

    // One tick, also callable directly (tests, benchmarks).
    void tick();

    int framesPerSecond() const { return fps_; }
    quint64 framesShown() const { return shown_; }
    // Of those, the ones worked in parts.
    quint64 partialFrames() const { return partial_; }
    const FrameTimings& lastTimings() const { return timings_; }
    // The frame buffer of the last capture, in the programs' frame at `origin`.
    const QImage& frame() const { return *frame_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void countFrame();
    void runEffects(const QRect& rootRect, bool keepRaw, QPoint pointer, const QRect& part);
    // What our own drawing over the frame covers at this pointer, in the
    // frame's pixels.
    QRect overlayBox(const QRect& rootRect, QPoint pointer, const cursor::SystemPicture* system) const;
    void changed();
    void wake();
    // After a tick that found nothing to do: stop the timer when nothing
    // but the screen or the pointer can bring work, and both are reported.
    void maybeSleep(SourceKind source);
    void drawCursor(const QRect& rootRect, QPoint pointer, const QRect& focusDisplay, const cursor::SystemPicture* system);
    bool wantsPointer(SourceKind source) const;

    Session& session_;
    DrawingArea& area_;
    platform::ScreenCapture& capture_;
    FrameScaler scaler_;
    QTimer timer_;
    QTimer focusTimer_;
    // While asleep: a slow look at the pointer, for moves no device made
    // (a program warping it), which raw motion does not report.
    QTimer pointerPoll_;
    std::function<bool()> targetVisible_;
    std::function<void(const QString&)> onFatal_;
    std::function<void()> onIdle_;
    std::function<WindowLook()> windowLook_;
    std::function<QPoint()> pointer_;
    std::function<QRgb(QPoint)> colourAt_;
    fx::EffectState effects_;
    cursor::Style cursor_;
    cursor::Ring ring_;
    std::function<const cursor::SystemPicture*()> systemCursor_;
    std::function<QRect()> focusDisplay_;
    int focusPosition_ = 503;
    fx::Rng rng_;
    fx::Scratch scratch_;
    QImage raw_;

    QImage empty_;
    QImage* frame_ = &empty_;
    QRect lastFitted_;
    quint64 lastGeneration_ = ~0ull;
    quint64 shown_ = 0;
    quint64 partial_ = 0;

    platform::ScreenDamage* damage_ = nullptr;
    bool fullFrames_ = false;
    bool want_ = false;
    bool asleep_ = false;
    bool whole_ = true;  // the next frame is worked whole
    QRect lastRect_;     // the mirrored rectangle of the last frame
    QPoint lastPointer_; // on the root
    QRect lastOverlay_;  // in the frame's pixels
    QRgb lastUnderMouse_ = 0;
    std::chrono::steady_clock::time_point lastTick_;
    FrameTimings timings_;

    int fps_ = 0;
    int ticksInSecond_ = 0;
    std::chrono::steady_clock::time_point fpsSince_ = std::chrono::steady_clock::now();
};

} // namespace mirovex
