#include "mirrorcontroller.h"

#include "mirovexsettings.h"
#include "monitors.h"

namespace mirovex {

MirrorController::MirrorController()
    : target_(std::make_unique<TFmonitor>()),
      capture_(std::make_unique<platform::ScreenCapture>()),
      session_(*this),
      loop_(std::make_unique<FrameLoop>(session_, *target_->drawingArea(), *capture_))
{
    const SettingsFile file(settings::mainFilePath());
    session_.setAutoRun(file.read(settings::key::samozagon));
    loop_->setInvert(file.read(settings::key::on2C));
    loop_->setTargetVisible([this] { return target_->isVisible(); });
    loop_->setOnIdle([this] { target_->setView(TargetView::Idle); });
    loop_->setOnFatal([this](const QString& why) {
        // Capture is gone for good (the display closed): a frozen picture
        // would pretend to be live.
        session_.stop();
        hideTarget();
        emit captureFailed(why);
    });
}

MirrorController::~MirrorController() = default;

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

void MirrorController::showTargetOnStoredDisplay()
{
    target_->showOnDisplay(SettingsFile(settings::mainFilePath()).read(settings::key::selectMonitor));
}

void MirrorController::hideTarget() { target_->hide(); }

void MirrorController::showView(TargetView view) { target_->setView(view); }
void MirrorController::setFrameTimer(bool on) { loop_->setEnabled(on); }
void MirrorController::clearDrawing() { target_->drawingArea()->clearBlack(); }
bool MirrorController::targetVisible() const { return target_->isVisible(); }
void MirrorController::showTarget() { showTargetOnStoredDisplay(); }
void MirrorController::raiseTarget() { target_->raise(); }
void MirrorController::offerSources() { emit sourcesWanted(); }
void MirrorController::onRunningChanged(bool running) { emit runningChanged(running); }

} // namespace mirovex
