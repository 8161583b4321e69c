#include "display/engine/session.h"

namespace mirovex {

namespace {
bool usesFrameLoop(SourceKind s) { return s == SourceKind::Desktop || s == SourceKind::WindowArea || s == SourceKind::Focus; }
} // namespace

// The live sources run on the frame timer, Focus on its own; the other one
// is always off, so only one drives the drawing area.
void Session::setTimers(bool on)
{
    const bool focus = on && source_ == SourceKind::Focus;
    host_.setFrameTimer(on && !focus);
    host_.setFocusTimer(focus);
}

void Session::start()
{
    if (running_ || source_ == SourceKind::None)
        return;
    if (usesFrameLoop(source_)) {
        host_.clearDrawing();
        host_.showView(TargetView::Drawing);
        setTimers(true);
    } else if (source_ == SourceKind::Clipboard) {
        host_.showView(TargetView::Picture);
    } else if (source_ == SourceKind::Slideshow) {
        // Neither timer runs during a show: the player paints the view.
        setTimers(false);
        host_.showView(TargetView::Slideshow);
    }
    running_ = true;
    host_.onRunningChanged(true);
    if (!host_.targetVisible())
        host_.showTarget();
    host_.raiseTarget();
    if (source_ == SourceKind::Slideshow)
        host_.startSlideshow();
}

void Session::stop()
{
    if (!running_)
        return;
    running_ = false;
    setTimers(false);
    if (source_ == SourceKind::Slideshow)
        host_.stopSlideshow();
    host_.onRunningChanged(false);
}

void Session::toggle()
{
    if (source_ == SourceKind::None) {
        host_.offerSources();
        return;
    }
    // The slideshow editor plays its own preview: Run only shows its run
    // picture again.
    if (host_.slideshowEditorOpen()) {
        host_.onRunningChanged(running_);
        return;
    }
    if (running_)
        stop();
    else
        start();
}

void Session::sendOneFrame()
{
    if (running_)
        return;
    if (!host_.targetVisible() && int(source_) >= int(SourceKind::Desktop))
        host_.showTarget();
    if (usesFrameLoop(source_)) {
        host_.showView(TargetView::Drawing);
        oneShot_ = true;
        setTimers(true);
    }
}

void Session::stopProjection()
{
    host_.resetEffects();
    host_.clearDrawing();
    setTimers(false);
    if (source_ == SourceKind::Slideshow)
        host_.stopSlideshow();
    source_ = SourceKind::None;
    window_ = 0;
    oneShot_ = false;
    trayHint_ = 0;
    host_.onSourceChanged();
    host_.showView(TargetView::Idle);
    if (running_) {
        running_ = false;
        host_.onRunningChanged(false);
    }
}

void Session::stopAll()
{
    host_.hideTarget();
    stopProjection();
}

void Session::choose(SourceKind kind, const QRect& rect, int trayHint, std::uint32_t window)
{
    stop();
    source_ = kind;
    trayHint_ = trayHint;
    mirror_ = rect;
    window_ = window;
    host_.onSourceChanged();
    if (usesFrameLoop(kind))
        host_.clearDrawing();
    if (!host_.targetVisible())
        host_.showTarget();
    if (autoRun_)
        start();
}

void Session::chooseSlideshow()
{
    stop();
    source_ = SourceKind::Slideshow;
    trayHint_ = 5;
    window_ = 0;
    host_.onSourceChanged();
}

void Session::leaveSlideshow()
{
    if (source_ != SourceKind::Slideshow)
        return;
    stop();
    source_ = SourceKind::None;
    trayHint_ = 0;
    host_.onSourceChanged();
}

void Session::chooseDesktop(const QRect& sourceDisplay) { choose(SourceKind::Desktop, sourceDisplay, 1, 0); }

void Session::chooseArea(const QRect& area, int trayHint) { choose(SourceKind::Desktop, area, trayHint, 0); }

// 400: a code without a hint text, so the tray hint stays as it was.
void Session::chooseClipboard() { choose(SourceKind::Clipboard, mirror_, 400, 0); }

void Session::chooseWindow(std::uint32_t window, const QRect& frame) { choose(SourceKind::WindowArea, frame, 3, window); }

void Session::chooseFocus(const QRect& rect)
{
    if (source_ == SourceKind::Focus) {
        start();
        return;
    }
    // 800: a code without a hint text, so the tray hint stays as it was.
    choose(SourceKind::Focus, rect, 800, 0);
}

void Session::follow(SourceKind kind, const QRect& rect)
{
    if (source_ != kind || rect == mirror_)
        return;
    mirror_ = rect;
    host_.onSourceChanged();
}

void Session::followWindow(const QRect& frame) { follow(SourceKind::WindowArea, frame); }

void Session::followFocus(const QRect& rect) { follow(SourceKind::Focus, rect); }

void Session::frameDone()
{
    if (!oneShot_)
        return;
    oneShot_ = false;
    if (!running_)
        setTimers(false);
}

} // namespace mirovex
