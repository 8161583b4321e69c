// The frame loop of the live sources: on each tick of a 16 ms timer, copy
// the mirror rectangle off the screen, fit it into the drawing area with its
// shape kept, and present it.
#pragma once

#include "effects.h"
#include "scaler.h"
#include "screencapture.h"
#include "session.h"

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
};

class FrameLoop : public QObject {
    Q_OBJECT
public:
    FrameLoop(Session& session, DrawingArea& area, platform::ScreenCapture& capture, QObject* parent = nullptr);

    void setEnabled(bool on);
    bool enabled() const { return timer_.isActive(); }

    void setInvert(bool on) { effects_.invert = on; }
    bool invert() const { return effects_.invert; }
    // Every effect of the effect stage; inversion among them.
    void setEffects(const fx::EffectState& e) { effects_ = e; }
    const fx::EffectState& effects() const { return effects_; }
    // Where the pointer is (root coordinates), and the colour under it;
    // asked only while an effect needs them.
    void setPointer(std::function<QPoint()> pointer) { pointer_ = std::move(pointer); }
    void setColourAt(std::function<QRgb(QPoint)> colourAt) { colourAt_ = std::move(colourAt); }
    void setFilter(FrameScaler::Filter f) { scaler_.setFilter(f); }

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

    // One tick, also callable directly (tests, benchmarks).
    void tick();

    int framesPerSecond() const { return fps_; }
    quint64 framesShown() const { return shown_; }
    const FrameTimings& lastTimings() const { return timings_; }
    // The frame buffer of the last capture, in the programs' frame at `origin`.
    const QImage& frame() const { return *frame_; }

private:
    void countFrame();
    void runEffects(const QRect& rootRect, bool keepRaw);

    Session& session_;
    DrawingArea& area_;
    platform::ScreenCapture& capture_;
    FrameScaler scaler_;
    QTimer timer_;
    std::function<bool()> targetVisible_;
    std::function<void(const QString&)> onFatal_;
    std::function<void()> onIdle_;
    std::function<WindowLook()> windowLook_;
    std::function<QPoint()> pointer_;
    std::function<QRgb(QPoint)> colourAt_;
    fx::EffectState effects_;
    fx::Rng rng_;
    fx::Scratch scratch_;
    QImage raw_;

    QImage empty_;
    QImage* frame_ = &empty_;
    QRect lastFitted_;
    quint64 lastGeneration_ = ~0ull;
    quint64 shown_ = 0;
    FrameTimings timings_;

    int fps_ = 0;
    int ticksInSecond_ = 0;
    std::chrono::steady_clock::time_point fpsSince_ = std::chrono::steady_clock::now();
};

} // namespace mirovex
