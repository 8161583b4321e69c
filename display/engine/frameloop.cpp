#include "display/engine/frameloop.h"

#include "display/engine/focus.h"
#include "display/engine/framediff.h"
#include "common/geometry/aspectfit.h"
#include "platform/monitors.h"
#include "display/engine/targetwindow.h"
#include "display/engine/vectorstate.h"

#include <QEvent>
#include <QRegion>

#include <cmath>
#include <cstring>

#include <time.h>

namespace mirovex {

namespace {
using Clock = std::chrono::steady_clock;
// A rectangle beyond this on a side is not a desktop area (a stored value
// gone wrong); it is cut to the desktop before any buffer is sized from it.
constexpr int kMaxSide = 16384;
// More changed rectangles than these are worked as the one around them: a
// damage storm costs one copy, never a loop over thousands of pieces.
constexpr int kMaxDamageRects = 256;
constexpr int kMaxParts = 12;
// Parts covering this share of the frame are worked whole, which costs the
// same and keeps the fastest paths.
constexpr int kWholePercent = 60;
constexpr auto kInterval = std::chrono::milliseconds(16);

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
        t->setInterval(kInterval);
        connect(t, &QTimer::timeout, this, &FrameLoop::tick);
    }
    pointerPoll_.setInterval(100);
    connect(&pointerPoll_, &QTimer::timeout, this, [this] {
        if (asleep_ && pointer_ && pointer_() != lastPointer_)
            wake();
    });
    // A new size or the window shown again: the picture there is not ours.
    area_.installEventFilter(this);
}

bool FrameLoop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &area_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        changed();
    return QObject::eventFilter(watched, event);
}

void FrameLoop::setScreenDamage(platform::ScreenDamage* damage)
{
    if (damage_)
        disconnect(damage_, nullptr, this, nullptr);
    damage_ = damage;
    if (damage_)
        connect(damage_, &platform::ScreenDamage::activity, this, [this] {
            if (!asleep_)
                return;
            // Motion wakes only what draws at the pointer.
            const bool moved = damage_->takeMotion();
            if (damage_->quiet() && !(moved && wantsPointer(session_.source())))
                return;
            wake();
        });
    changed();
}

void FrameLoop::setFullFrames(bool on)
{
    fullFrames_ = on;
    changed();
}

void FrameLoop::refreshAll() { changed(); }

void FrameLoop::changed()
{
    whole_ = true;
    wake();
}

void FrameLoop::wake()
{
    if (!asleep_ || !want_)
        return;
    asleep_ = false;
    pointerPoll_.stop();
    timer_.start();
    // Within the cadence: at once when the last tick is a whole interval
    // ago, else on the timer.
    if (Clock::now() - lastTick_ >= kInterval)
        tick();
}

void FrameLoop::maybeSleep(SourceKind source)
{
    if (!want_ || asleep_ || !damage_ || fullFrames_ || !damage_->trusted() || session_.oneShotPending())
        return;
    if (source != SourceKind::Desktop && source != SourceKind::WindowArea)
        return;
    if (cursor_.ring || effects_.changesByItself())
        return;
    if (wantsPointer(source) && !damage_->reportsMotion())
        return;
    // Anything that arrived meanwhile is work for the next tick; once
    // quiet, what comes next is reported and wakes the loop.
    if (!damage_->quiet())
        return;
    timer_.stop();
    asleep_ = true;
    if (wantsPointer(source))
        pointerPoll_.start();
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

void FrameLoop::setEnabled(bool on)
{
    if (on == want_) {
        if (on)
            wake();
        return;
    }
    want_ = on;
    asleep_ = false;
    pointerPoll_.stop();
    // The first frame after a start is worked whole: the picture on the
    // target may be anything by then.
    if (on)
        whole_ = true;
    switchTimer(timer_, on);
}

void FrameLoop::setFocusEnabled(bool on) { switchTimer(focusTimer_, on); }

bool FrameLoop::wantsPointer(SourceKind source) const
{
    return source == SourceKind::Focus || effects_.isolation || effects_.spotlight || cursor_.ring ||
           (!cursor_.hidden && cursor_.kind != cursor::Kind::None);
}

void FrameLoop::drawCursor(const QRect& rootRect, QPoint pointer, const QRect& focusDisplay,
                           const cursor::SystemPicture* system)
{
    QImage& frame = *frame_;
    cursor::Where where;
    where.pointer = pointer - rootRect.topLeft();
    if (!focusDisplay.isNull()) {
        where.onDisplay = focusDisplay.contains(pointer);
        where.crossPen = 1;
    }
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

namespace {
// A part of a picture as a picture of its own, on the same pixels.
QImage partOf(const QImage& image, const QRect& part)
{
    if (part == image.rect())
        return QImage(const_cast<uchar*>(image.constBits()), image.width(), image.height(), image.bytesPerLine(),
                      image.format());
    auto* at = const_cast<uchar*>(image.constBits()) + qsizetype(part.y()) * image.bytesPerLine() + part.x() * 4;
    return QImage(at, part.width(), part.height(), image.bytesPerLine(), image.format());
}
} // namespace

void FrameLoop::runEffects(const QRect& rootRect, bool keepRaw, QPoint pointer, const QRect& part)
{
    QImage& frame = *frame_;
    if (keepRaw) {
        if (raw_.size() != frame.size())
            raw_ = QImage(frame.size(), QImage::Format_RGB32);
        for (int y = part.top(); y <= part.bottom(); ++y) {
            std::memcpy(raw_.scanLine(y) + part.x() * 4, frame.constScanLine(y) + part.x() * 4, size_t(part.width()) * 4);
            if (effects_.invert)
                platform::invertPixels(reinterpret_cast<uint32_t*>(frame.bits() + qsizetype(y) * frame.bytesPerLine()) + part.x(),
                                       part.width());
        }
    }
    QImage pixels = partOf(frame, part);
    const QImage raw = keepRaw ? partOf(raw_, part) : QImage();
    fx::Frame f;
    f.pixels = &pixels;
    f.raw = keepRaw ? &raw : nullptr;
    f.mouse = pointer - rootRect.topLeft() - part.topLeft();
    if (effects_.isolation) {
        // The colour under the pointer, also when it lies outside the area.
        const QPoint m = pointer - rootRect.topLeft();
        f.underMouse = QRect(QPoint(0, 0), raw_.size()).contains(m) ? raw_.pixel(m)
                       : colourAt_                                  ? colourAt_(pointer)
                                                                    : 0;
        lastUnderMouse_ = f.underMouse;
    }
    fx::applyEffects(effects_, f, rng_, scratch_);
}

QRect FrameLoop::overlayBox(const QRect& rootRect, QPoint pointer, const cursor::SystemPicture* system) const
{
    const QPoint at = pointer - rootRect.topLeft();
    QRect box;
    if (!cursor_.hidden && cursor_.kind != cursor::Kind::None) {
        cursor::Where where;
        where.pointer = at;
        box = cursor::drawnBox(cursor_, where, system);
        if (cursor_.kind == cursor::Kind::System && !system)
            box = QRect(at - QPoint(64, 64), QSize(129, 129)); // a picture may come with the next frame
    }
    if (cursor_.ring)
        box |= cursor::Ring::box(at);
    if (effects_.spotlight) {
        // Everything that can be lit: the circle of the radius and the disc.
        const int r = std::max(effects_.spotRadius, 100) + 2;
        box |= QRect(at - QPoint(r, r), QSize(2 * r + 1, 2 * r + 1));
    }
    return box.intersected(QRect(QPoint(0, 0), rootRect.size()));
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

    QImage& back = area_.backBuffer();
    if (back.isNull()) { // no client area: nothing to present
        session_.frameDone();
        return;
    }
    const QRect fitted = aspectFit(rect.size(), back.size());
    const QRect rootRect = desk.toRoot(rect);
    lastTick_ = Clock::now();

    // What changed since the last frame. The damage is taken on every tick,
    // also when the frame is worked whole, so that it never piles up.
    const platform::ScreenDamage::Changes changes =
        damage_ ? damage_->take(kMaxDamageRects) : platform::ScreenDamage::Changes{true, {}};
    bool whole = whole_ || focus || fullFrames_ || changes.all || rect != lastRect_ || fitted != lastFitted_ ||
                 area_.generation() != lastGeneration_ || session_.oneShotPending() || frame_->size() != rect.size();
    // Our own presents inside the mirrored rectangle would be reported as
    // changes and copied back: there every frame is worked whole.
    if (!whole && area_.isVisible())
        whole = QRect(area_.mapToGlobal(QPoint(0, 0)), area_.size()).intersects(rootRect);
    QVector<QRect> parts;
    bool drawOverlay = true;
    // One picture of the system cursor for the whole frame, so that the box
    // kept for the next frame is the one drawn.
    const cursor::SystemPicture* system =
        cursor_.kind == cursor::Kind::System && !cursor_.hidden && systemCursor_ ? systemCursor_() : nullptr;
    const QRect overlay = overlayBox(rootRect, pointer, system);
    if (!whole) {
        parts = framediff::inFrame(changes.rects, rootRect);
        // The overlays are drawn into the frame: where they were is copied
        // again clean, and they are drawn anew, whenever they move or what
        // lies under them changed. Otherwise the frame still holds them.
        bool under = overlay != lastOverlay_ || cursor_.ring;
        for (const QRect& p : parts)
            under = under || p.intersects(lastOverlay_);
        drawOverlay = under;
        if (under) {
            parts.append(lastOverlay_);
            parts.append(overlay);
        }
        parts = framediff::merge(parts, rect.size(), kMaxParts);
        // A change under an effect that reads the neighbours, or under
        // isolation (whose colour under the pointer may have changed), or
        // over most of the frame: the frame is worked whole.
        if (!parts.isEmpty() && (!effects_.worksOnParts() || effects_.isolation ||
                                 framediff::mostOf(parts, rect.size(), kWholePercent)))
            whole = true;
        if (effects_.isolation && pointer != lastPointer_)
            whole = true;
    }
    if (!whole && parts.isEmpty()) {
        // Nothing changed: nothing is copied, worked or presented.
        lastPointer_ = pointer;
        session_.frameDone();
        maybeSleep(source);
        return;
    }

    const auto t0 = Clock::now();
    const auto c0 = threadCpu();
    // Greyscale, isolation, tint and the spotlight's disc start from the
    // picture as captured: then the inversion comes after the copy kept.
    const bool keepRaw = effects_.needsRaw();
    const bool invertInCopy = effects_.invert && !keepRaw;
    const auto result =
        whole ? capture_.capture(rootRect, invertInCopy) : capture_.captureParts(rootRect, parts, invertInCopy);
    timings_.captureCpu = threadCpu() - c0;
    const auto t1 = Clock::now();
    timings_.capture = t1 - t0;
    if (result != platform::ScreenCapture::Result::Ok) {
        // What was taken from the damage may be missing from the frame.
        whole_ = true;
        session_.frameDone();
        if (result == platform::ScreenCapture::Result::Fatal && onFatal_)
            onFatal_(capture_.error());
        // A refused copy (the desktop is changing under us) keeps the last
        // picture on the screen; the next tick tries again.
        return;
    }
    frame_ = &capture_.frame(rect.size());
    const QRect all(QPoint(0, 0), rect.size());
    if (whole)
        parts = {all};
    if (effects_.anyStage() || keepRaw) {
        // The last frame's painting (cursor, presenting) may have left the
        // vector state dirty; the effect rows are SSE loops.
        cleanVectorState();
        for (const QRect& part : parts)
            runEffects(rootRect, keepRaw, pointer, part);
    }
    const auto o0 = Clock::now();
    if (whole || drawOverlay)
        drawCursor(rootRect, pointer, focusDisplay, system);
    timings_.overlay = Clock::now() - o0;

    if (whole) {
        if (fitted != lastFitted_ || area_.generation() != lastGeneration_) {
            // The bands around the picture change with the fit: paint them anew.
            back.fill(Qt::black);
            lastFitted_ = fitted;
            lastGeneration_ = area_.generation();
        }
        scaler_.scale(*frame_, back, fitted);
    } else {
        QRegion shown;
        for (const QRect& part : parts) {
            const QRect span = framediff::scaledSpan(part, rect.size(), fitted, 1);
            scaler_.scale(*frame_, back, fitted, span);
            shown += span;
        }
        ++partial_;
        const auto t2 = Clock::now();
        area_.present(shown);
        timings_.present = Clock::now() - t2;
        timings_.scale = t2 - t1;
    }
    if (whole) {
        const auto t2 = Clock::now();
        area_.present();
        timings_.present = Clock::now() - t2;
        timings_.scale = t2 - t1;
    }
    timings_.whole = whole;
    whole_ = false;
    lastRect_ = rect;
    lastPointer_ = pointer;
    lastOverlay_ = overlay;
    ++shown_;
    countFrame();
    session_.frameDone();
}

} // namespace mirovex
