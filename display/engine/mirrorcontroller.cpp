#include "display/engine/mirrorcontroller.h"

#include "display/engine/focus.h"
#include "display/settings/mirovexsettings.h"
#include "common/picture/decode.h"
#include "platform/monitors.h"

#include <QClipboard>
#include <QCursor>
#include <QScreen>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

namespace mirovex {

MirrorController::MirrorController()
    : target_(std::make_unique<TFmonitor>()),
      capture_(std::make_unique<platform::ScreenCapture>()),
      session_(*this),
      loop_(std::make_unique<FrameLoop>(session_, *target_->drawingArea(), *capture_))
{
    const SettingsFile file(settings::mainFilePath());
    session_.setAutoRun(file.read(settings::key::samozagon));
    fx::EffectState effects;
    effects.invert = file.read(settings::key::on2C);
    effects.spotRadius = settings::spotLightPremer(file, primaryWidth());
    spotIndex_ = file.read(settings::key::spotLightIdx);
    effects.swapMode = file.read(settings::key::swapColorIdx);
    loop_->setEffects(effects);
    loop_->setFullFrames(file.read(settings::key::fullFrames));
    loop_->setScreenDamage(new platform::ScreenDamage(this));
    loop_->setFocusPosition(file.read(settings::key::opKrizValue));
    loop_->setFocusDisplay([this] { return focusDisplay(); });
    reloadCursor();
    loop_->setSystemCursor([this]() -> const cursor::SystemPicture* {
        const platform::CursorPicture* now = systemCursor_.current();
        if (!now)
            return nullptr;
        if (now->serial != systemSerial_ || systemPicture_.image.isNull()) {
            systemPicture_ = {now->image, now->hotspot};
            systemSerial_ = now->serial;
        }
        return &systemPicture_;
    });
    zoomSave_ = new QTimer(this);
    zoomSave_->setSingleShot(true);
    // Longer than a held key's first repeat, so a held key writes once.
    zoomSave_->setInterval(800);
    connect(zoomSave_, &QTimer::timeout, this, &MirrorController::saveFocusPosition);
    loop_->setPointer([] { return QCursor::pos(); });
    loop_->setColourAt([](QPoint p) -> QRgb {
        QScreen* s = QGuiApplication::screenAt(p);
        if (!s)
            return 0;
        const QImage one = s->grabWindow(0, p.x() - s->geometry().x(), p.y() - s->geometry().y(), 1, 1).toImage();
        return one.isNull() ? 0 : one.pixel(0, 0);
    });
    connect(target_.get(), &TFmonitor::fullScreenWanted, this, &MirrorController::toggleFullScreen);
    connect(target_.get(), &TFmonitor::nextDisplayWanted, this, &MirrorController::showOnNextDisplay);
    connect(target_.get(), &TFmonitor::doubleClicked, this, &MirrorController::toggleFraming);
    connect(target_.get(), &TFmonitor::closeWanted, this, &MirrorController::closeTarget);
    target_->installEventFilter(this);
    loop_->setTargetVisible([this] { return target_->isVisible(); });
    loop_->setOnIdle([this] { target_->setView(TargetView::Idle); });
    // The picture is read on a thread of its own: a clipboard owner that is
    // slow or gone never holds up the frames, the toolbar or the hotkeys.
    clipboard_ = new platform::ClipboardReader(this);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        if (session_.source() == SourceKind::Clipboard && session_.running())
            clipboard_->request();
    });
    connect(clipboard_, &platform::ClipboardReader::pictureRead, this, [this](const platform::ClipboardData& data) {
        if (session_.source() != SourceKind::Clipboard || !session_.running() || data.bytes.isEmpty())
            return;
        // Text, a picture that does not decode or one too large leaves the
        // last picture, and says nothing.
        QImage picture = picture::decodeWithinBudget(data.bytes);
        if (picture.isNull())
            return;
        picture = picture.convertToFormat(QImage::Format_RGB32);
        if (loop_->invert())
            picture.invertPixels();
        target_->pictureView()->setPicture(picture);
        target_->setView(TargetView::Picture);
        ++clipboardShown_;
    });
    loop_->setWindowLook([this] {
        FrameLoop::WindowLook out;
        if (!tracker_ || tracker_->window() != session_.window())
            return out;
        const platform::WindowTracker::Look look = tracker_->look();
        using S = platform::WindowTracker::State;
        out.state = look.state == S::Shown       ? FrameLoop::WindowLook::State::Shown
                    : look.state == S::Minimized ? FrameLoop::WindowLook::State::Minimized
                                                 : FrameLoop::WindowLook::State::Gone;
        out.frame = platform::desktopFrame().fromRoot(look.frame);
        return out;
    });
    loop_->setOnFatal([this](const QString& why) {
        // Capture is gone for good (the display closed): a frozen picture
        // would pretend to be live.
        session_.stop();
        hideTarget();
        emit captureFailed(why);
    });
}

MirrorController::~MirrorController() { saveFocusPosition(); }

QRect MirrorController::focusDisplay() const { return platform::primaryRoot(); }

void MirrorController::chooseFocus()
{
    const QRect display = focusDisplay();
    if (display.isEmpty())
        return;
    const int a = focus::halfWidth(loop_->focusPosition(), display.size());
    session_.chooseFocus(platform::desktopFrame().fromRoot(focus::rect(QCursor::pos(), display, a)));
}

void MirrorController::zoomTo(int position)
{
    if (position == loop_->focusPosition())
        return;
    loop_->setFocusPosition(position);
    zoomPending_ = true;
    zoomSave_->start();
}

void MirrorController::zoomIn() { zoomTo(focus::zoomIn(loop_->focusPosition(), focusDisplay().size())); }

void MirrorController::zoomOut() { zoomTo(focus::zoomOut(loop_->focusPosition(), focusDisplay().size())); }

bool MirrorController::saveFocusPosition()
{
    if (!zoomPending_)
        return true;
    zoomSave_->stop();
    zoomPending_ = false;
    return writeSetting(settings::mainFilePath(), settings::key::opKrizValue, loop_->focusPosition());
}

void MirrorController::changeCursor(const std::function<void(cursor::Style&)>& change)
{
    cursor::Style style = loop_->cursorStyle();
    change(style);
    loop_->setCursorStyle(style);
}

void MirrorController::setCursorKind(cursor::Kind kind)
{
    changeCursor([&](cursor::Style& s) { s.kind = kind; });
    writeSetting(settings::mainFilePath(), settings::key::cursorCurrent, int(kind));
}

void MirrorController::toggleRing()
{
    changeCursor([](cursor::Style& s) { s.ring = !s.ring; });
    writeSetting(settings::mainFilePath(), settings::key::animation, loop_->cursorStyle().ring);
}

void MirrorController::toggleHideCursor()
{
    changeCursor([](cursor::Style& s) { s.hidden = !s.hidden; });
}

void MirrorController::reloadCursor()
{
    const SettingsFile file(settings::mainFilePath());
    const cursor::Sliders sliders{file.read(settings::key::opPikaValue), file.read(settings::key::opSencaValue),
                                  file.read(settings::key::opKrizVelikosr)};
    // The dynamic size follows the rectangle presented: it is what the
    // target enlarges.
    const QRect area = session_.mirrorRect();
    const cursor::Sizes sizes = cursor::sizes(sliders, file.read(settings::key::dynamicCursor),
                                              session_.source() == SourceKind::Desktop && session_.trayHint() == 1,
                                              area.size(), platform::primaryRoot().size());
    changeCursor([&](cursor::Style& s) {
        s.kind = cursor::Kind(file.read(settings::key::cursorCurrent));
        s.ring = file.read(settings::key::animation);
        s.dotSize = sizes.dot;
        s.haloSize = sizes.halo;
        s.crossHalf = sliders.cross;
        s.dotColour = file.read(settings::key::selectDotColor);
        s.crossColour = file.read(settings::key::selectCrossColor);
    });
}

bool MirrorController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == target_.get() && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        updateScreenSaver();
    return QObject::eventFilter(watched, event);
}

void MirrorController::updateScreenSaver() { screenSaver_.set(session_.running() && target_->isVisible()); }

void MirrorController::toggleFullScreenAgainst(int divisor, bool atPrimaryCorner)
{
    const QRect primary = platform::primaryRoot();
    target_->setFullScreenOn(!target_->fullScreenShown(), primary.size() / divisor,
                             atPrimaryCorner ? std::optional<QPoint>(primary.topLeft()) : std::nullopt);
}

void MirrorController::showOnNextDisplay()
{
    const QList<platform::Monitor> list = platform::monitors();
    if (!target_->isVisible() || list.size() < 2)
        return;
    // A stale stored index is put right before stepping on from it.
    const int current = platform::validDisplayIndex(
        SettingsFile(settings::mainFilePath()).read(settings::key::selectMonitor), int(list.size()));
    const int next = (current + 1) % int(list.size());
    writeSetting(settings::mainFilePath(), settings::key::selectMonitor, next);
    target_->showOnDisplay(next);
}

void MirrorController::toggleFullScreen()
{
    toggleFullScreenAgainst(3, false);
    if (session_.source() == SourceKind::None)
        session_.stopProjection();
}

void MirrorController::toggleFraming() { toggleFullScreenAgainst(4, true); }

void MirrorController::closeTarget()
{
    // Closing never leaves a session running behind a hidden window.
    session_.stopProjection();
    hideTarget();
}

bool MirrorController::copyDisplayedToClipboard()
{
    const QImage picture = target_->displayedPicture();
    if (picture.isNull())
        return false;
    QGuiApplication::clipboard()->setImage(picture);
    return true;
}

void MirrorController::chooseClipboard()
{
    // Black until the next picture is copied.
    target_->pictureView()->setPicture(QImage());
    session_.chooseClipboard();
}

bool MirrorController::chooseWindow(std::uint32_t window)
{
    auto tracker = std::make_unique<platform::WindowTracker>(window);
    const platform::WindowTracker::Look look = tracker->look();
    if (look.state == platform::WindowTracker::State::Gone)
        return false;
    // A minimised window shows once it is back; until then its last place.
    const std::optional<QRect> frame =
        look.state == platform::WindowTracker::State::Shown ? std::optional<QRect>(look.frame) : platform::visibleFrameBounds(window);
    if (!frame)
        return false;
    tracker_ = std::move(tracker);
    session_.chooseWindow(window, platform::desktopFrame().fromRoot(*frame));
    return true;
}

void MirrorController::chooseDesktop()
{
    const QList<platform::Monitor> list = platform::monitors();
    if (list.isEmpty())
        return;
    session_.chooseDesktop(list.first().frame);
}

void MirrorController::setInvert(bool on)
{
    loop_->setInvert(on);
    writeSetting(settings::mainFilePath(), settings::key::on2C, on);
}

int MirrorController::primaryWidth() const { return platform::primaryRoot().width(); }

void MirrorController::changeEffects(const std::function<void(fx::EffectState&)>& change)
{
    fx::EffectState e = loop_->effects();
    change(e);
    loop_->setEffects(e);
}

void MirrorController::saveEffects()
{
    const fx::EffectState& e = loop_->effects();
    SettingsEdit(settings::mainFilePath())
        .set(settings::key::spotLightPremer, std::max(1, e.spotRadius))
        .set(settings::key::spotLightIdx, spotIndex_)
        .set(settings::key::swapColorIdx, e.swapMode)
        .commit();
}

void MirrorController::toggleSwitch(bool fx::EffectState::*which, const BoolKey& key)
{
    changeEffects([which](fx::EffectState& e) { e.*which = !(e.*which); });
    writeSetting(settings::mainFilePath(), key, effects().*which);
}

void MirrorController::toggleGreyscale() { toggleSwitch(&fx::EffectState::greyscale, settings::key::sivaSkala); }
void MirrorController::toggleIsolation() { toggleSwitch(&fx::EffectState::isolation, settings::key::colorIsolation); }
void MirrorController::toggleSpotlight() { toggleSwitch(&fx::EffectState::spotlight, settings::key::spotLight); }
void MirrorController::toggleSwap() { toggleSwitch(&fx::EffectState::swap, settings::key::swapColors); }

void MirrorController::setSpotSize(int index)
{
    index = std::clamp(index, 1, 3);
    static constexpr int kDivisor[] = {13, 8, 3};
    const int radius = primaryWidth() / kDivisor[index - 1];
    spotIndex_ = index;
    changeEffects([radius](fx::EffectState& e) { e.spotRadius = radius; });
    saveEffects();
}

void MirrorController::setSwapMode(int mode)
{
    changeEffects([mode](fx::EffectState& e) { e.swapMode = (mode >= 0 && mode <= 4) ? mode : 0; });
    saveEffects();
}

void MirrorController::chooseEffect(int code)
{
    changeEffects([code](fx::EffectState& e) { e.code = e.code == code ? fx::kNone : code; });
}

void MirrorController::chooseTint(fx::Tint t)
{
    changeEffects([t](fx::EffectState& e) { e.tint = e.tint == t ? fx::Tint::None : t; });
}

void MirrorController::resetEffects()
{
    fx::EffectState e;
    e.swapMode = 0;
    spotIndex_ = 2;
    e.spotRadius = primaryWidth() / 8;
    loop_->setEffects(e);
    writeSetting(settings::mainFilePath(), settings::key::on2C, false);
    saveEffects();
}

void MirrorController::showTargetOnStoredDisplay()
{
    target_->showOnDisplay(SettingsFile(settings::mainFilePath()).read(settings::key::selectMonitor));
}

void MirrorController::hideTarget() { target_->hide(); }

void MirrorController::showView(TargetView view) { target_->setView(view); }
void MirrorController::setFrameTimer(bool on) { loop_->setEnabled(on); }
void MirrorController::setFocusTimer(bool on) { loop_->setFocusEnabled(on); }
void MirrorController::clearDrawing() { target_->drawingArea()->clearBlack(); }
bool MirrorController::targetVisible() const { return target_->isVisible(); }
void MirrorController::showTarget() { showTargetOnStoredDisplay(); }
void MirrorController::raiseTarget() { target_->raise(); }
void MirrorController::offerSources() { emit sourcesWanted(); }
void MirrorController::startSlideshow()
{
    if (slideshow_.start)
        slideshow_.start();
}
void MirrorController::stopSlideshow()
{
    if (slideshow_.stop)
        slideshow_.stop();
}
bool MirrorController::slideshowEditorOpen() const { return slideshow_.editorOpen && slideshow_.editorOpen(); }
void MirrorController::onRunningChanged(bool running)
{
    if (running)
        reloadCursor();
    updateScreenSaver();
    emit runningChanged(running);
}

} // namespace mirovex
