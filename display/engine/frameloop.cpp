#include "display/engine/frameloop.h"

#include "display/engine/focus.h"
#include "common/geometry/aspectfit.h"
#include "platform/monitors.h"
#include "display/engine/targetwindow.h"
#include "display/engine/vectorstate.h"

#include <cmath>
#include <cstring>

#include <time.h>

namespace mirovex {

namespace {
using Clock = std::chrono::steady_clock;
// A rectangle beyond this on a side is not a desktop area (a stored value
// gone wrong); it is cut to the desktop before any buffer is sized from it.
constexpr int kMaxSide = 16384;

std::chrono::nanoseconds threadCpu()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}
} // namespace

FrameLoop::FrameLoop(Session& session, DrawingArea& area, platform::ScreenCapture& capture, QObject* parent)
    : QObject(parent), session_(session), area_(area), capture_(capture)
{
    // At most one tick every 16 ms, on time: a coarse timer would drift to
    // 20 ms and more and the picture would judder.
    for (QTimer* t : {&timer_, &focusTimer_}) {
        t->setTimerType(Qt::PreciseTimer);
        t->setInterval(16);
        connect(t, &QTimer::timeout, this, &FrameLoop::tick);
    }
}

namespace {
void switchTimer(QTimer& t, bool on)
{
    if (on == t.isActive())
        return;
    if (on)
        t.start();
    else
        t.stop();
}
} // namespace

void FrameLoop::setEnabled(bool on) { switchTimer(timer_, on); }

void FrameLoop::setFocusEnabled(bool on) { switchTimer(focusTimer_, on); }

bool FrameLoop::wantsPointer(SourceKind source) const
{
    return source == SourceKind::Focus || effects_.isolation || effects_.spotlight || cursor_.ring ||
           (!cursor_.hidden && cursor_.kind != cursor::Kind::None);
}

void FrameLoop::drawCursor(const QRect& rootRect, QPoint pointer, const QRect& focusDisplay)
{
    QImage& frame = *frame_;
    cursor::Where where;
    where.pointer = pointer - rootRect.topLeft();
    if (!focusDisplay.isNull()) {
        where.onDisplay = focusDisplay.contains(pointer);
        where.crossPen = 1;
    }
    const cursor::SystemPicture* system =
        cursor_.kind == cursor::Kind::System && !cursor_.hidden && systemCursor_ ? systemCursor_() : nullptr;
    cursor::draw(frame, cursor_, where, system);
    if (cursor_.ring)
        ring_.drawAndAdvance(frame, where.pointer, cursor_.dotSize, fps_);
}

void FrameLoop::countFrame()
{
    ++ticksInSecond_;
    const auto now = Clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - fpsSince_).count();
    if (ms >= 1000) {
        fps_ = int(std::lround(double(ticksInSecond_) * 1000.0 / double(ms)));
        ticksInSecond_ = 0;
        fpsSince_ = now;
    }
}

void FrameLoop::runEffects(const QRect& rootRect, bool keepRaw, QPoint pointer)
{
    QImage& frame = *frame_;
    if (keepRaw) {
        if (raw_.size() != frame.size())
            raw_ = QImage(frame.size(), QImage::Format_RGB32);
        for (int y = 0; y < frame.height(); ++y)
            std::memcpy(raw_.scanLine(y), frame.constScanLine(y), size_t(frame.width()) * 4);
        if (effects_.invert)
            platform::invertPixels(reinterpret_cast<uint32_t*>(frame.bits()), frame.sizeInBytes() / 4);
    }
    fx::Frame f;
    f.pixels = &frame;
    f.raw = keepRaw ? &raw_ : nullptr;
    f.mouse = pointer - rootRect.topLeft();
    if (effects_.isolation) {
        // The colour under the pointer, also when it lies outside the area.
        f.underMouse = QRect(QPoint(0, 0), raw_.size()).contains(f.mouse) ? raw_.pixel(f.mouse)
                       : colourAt_                                        ? colourAt_(pointer)
                                                                          : 0;
    }
    fx::applyEffects(effects_, f, rng_, scratch_);
}

void FrameLoop::tick()
{
    const SourceKind source = session_.source();
    const bool focus = source == SourceKind::Focus;
    // Each timer drives its own sources only: a tick of the other one (a
    // source chosen in between) switches it off.
    QTimer* const driver = qobject_cast<QTimer*>(sender());
    if (driver && (driver == &focusTimer_) != focus) {
        switchTimer(*driver, false);
        if (source != SourceKind::None)
            return;
    }
    if (source != SourceKind::Desktop && source != SourceKind::WindowArea && !focus) {
        if (source == SourceKind::None && onIdle_)
            onIdle_();
        setEnabled(false);
        setFocusEnabled(false);
        session_.frameDone();
        return;
    }

    if (source == SourceKind::WindowArea && windowLook_) {
        const WindowLook look = windowLook_();
        if (look.state == WindowLook::State::Gone) {
            // The window closed: nothing is left to present.
            session_.stopProjection();
            return;
        }
        if (look.state == WindowLook::State::Minimized) {
            session_.frameDone();
            return;
        }
        session_.followWindow(look.frame);
    }

    // Only the pointer's users ask the server where it is.
    const QPoint pointer = wantsPointer(source) && pointer_ ? pointer_() : QPoint();
    QRect focusDisplay;
    if (focus) {
        focusDisplay = focusDisplay_ ? focusDisplay_() : QRect();
        if (focusDisplay.isEmpty()) {
            session_.frameDone();
            return;
        }
        const int a = focus::halfWidth(focusPosition_, focusDisplay.size());
        session_.followFocus(platform::desktopFrame().fromRoot(focus::rect(pointer, focusDisplay, a)));
    }

    QRect rect = session_.mirrorRect();
    // Nothing to show: the last picture stays and a pending single frame
    // waits for a rectangle it can show.
    if (rect.width() < 1 || rect.height() < 1)
        return;

    // Nobody would see the frame.
    if (targetVisible_ && !targetVisible_()) {
        session_.frameDone();
        return;
    }

    const platform::DesktopFrame desk = platform::desktopFrame();
    if (rect.width() > kMaxSide || rect.height() > kMaxSide) {
        rect = rect.intersected(desk.fromRoot(QRect(QPoint(0, 0), capture_.rootSize())));
        if (rect.isEmpty()) {
            session_.frameDone();
            return;
        }
    }

    const auto t0 = Clock::now();
    const auto c0 = threadCpu();
    // Greyscale, isolation, tint and the spotlight's disc start from the
    // picture as captured: then the inversion comes after the copy kept.
    const bool keepRaw = effects_.needsRaw();
    const QRect rootRect = desk.toRoot(rect);
    const auto result = capture_.capture(rootRect, effects_.invert && !keepRaw);
    timings_.captureCpu = threadCpu() - c0;
    const auto t1 = Clock::now();
    timings_.capture = t1 - t0;
    if (result == platform::ScreenCapture::Result::Fatal) {
        session_.frameDone();
        if (onFatal_)
            onFatal_(capture_.error());
        return;
    }
    if (result == platform::ScreenCapture::Result::Transient) {
        // A refused copy (the desktop is changing under us) keeps the last
        // picture on the screen; the next tick tries again.
        session_.frameDone();
        return;
    }
    frame_ = &capture_.frame(rect.size());
    if (effects_.anyStage() || keepRaw) {
        // The last frame's painting (cursor, presenting) may have left the
        // vector state dirty; the effect rows are SSE loops.
        cleanVectorState();
        runEffects(rootRect, keepRaw, pointer);
    }
    const auto o0 = Clock::now();
    drawCursor(rootRect, pointer, focusDisplay);
    timings_.overlay = Clock::now() - o0;

    QImage& back = area_.backBuffer();
    if (back.isNull()) { // no client area: nothing to present
        session_.frameDone();
        return;
    }
    const QRect fitted = aspectFit(rect.size(), back.size());
    if (fitted != lastFitted_ || area_.generation() != lastGeneration_) {
        // The bands around the picture change with the fit: paint them anew.
        back.fill(Qt::black);
        lastFitted_ = fitted;
        lastGeneration_ = area_.generation();
    }
    scaler_.scale(*frame_, back, fitted);
    const auto t2 = Clock::now();
    area_.present();
    const auto t3 = Clock::now();
    timings_.scale = t2 - t1;
    timings_.present = t3 - t2;
    ++shown_;
    countFrame();
    session_.frameDone();
}

} // namespace mirovex
