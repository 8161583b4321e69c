#include "display/selection/areaselection.h"

#include "platform/desktopstate.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "display/selection/selectionwindow.h"
#include "common/settings/settingsfolder.h"
#include "common/ui/dialogs.h"
#include "display/selection/windowrows.h"

#include <QTimer>

#include <unistd.h>

namespace mirovex {

namespace {
constexpr int kSettleMs = 150;

bool isSelectedArea(const Session& s)
{
    return s.source() == SourceKind::Desktop && (s.trayHint() == 2 || s.trayHint() == 110);
}
} // namespace

AreaSelection::AreaSelection(MirrorController& mirror) : mirror_(mirror), compositor_(&platform::compositorRunning)
{
    const SettingsFile file(settings::mainFilePath());
    mode_ = area::MarkMode(file.read(settings::key::oznaciCurrent));
    if (!file.read(settings::key::configSelectArea))
        mode_ = area::MarkMode::None;
    connect(&mirror_, &MirrorController::sourceChanged, this, &AreaSelection::updateMarking);
    compositorWatch_.setInterval(1000);
    connect(&compositorWatch_, &QTimer::timeout, this, [this] {
        if (compositor_() != compositorSeen_)
            updateMarking();
    });
}

QRect AreaSelection::desktopFrame() const
{
    QRect all;
    for (const platform::Monitor& m : platform::monitors())
        all |= m.frame;
    return all;
}

std::optional<QRect> AreaSelection::runSelection()
{
    const QList<platform::Monitor> list = platform::monitors();
    if (list.isEmpty())
        return std::nullopt;
    QRect rootArea;
    for (const platform::Monitor& m : list)
        rootArea |= m.root;
    // Without a compositor the layer shows a still picture of the screen as
    // it is now, without our own windows.
    QImage still;
    if (!compositor_()) {
        platform::ScreenCapture& capture = mirror_.capture();
        if (capture.capture(rootArea, false) == platform::ScreenCapture::Result::Ok) {
            still = capture.frame(rootArea.size()).copy();
        } else {
            still = QImage(rootArea.size(), QImage::Format_RGB32);
            still.fill(Qt::black);
        }
    }
    TfGrab grab(rootArea, list.first().root.topLeft(), still);
    if (ui::runModal(grab) != QDialog::Accepted)
        return std::nullopt;
    return grab.selection();
}

void AreaSelection::selectDesktopArea()
{
    if (selecting_ || ui::busy())
        return;
    if (beforeChoosing_)
        beforeChoosing_();
    selecting_ = true;
    Session& session = mirror_.session();
    // The target keeps its last frame while the presenter chooses.
    const bool wasRunning = session.running();
    session.stop();
    marking_.unmark();
    if (hideShell_)
        hideShell_(true);
    // The windows beneath ours repaint themselves after ours are gone; the
    // still picture must not catch them half done.
    QTimer::singleShot(kSettleMs, this, [this, wasRunning] { finishSelection(wasRunning); });
}

void AreaSelection::finishSelection(bool wasRunning)
{
    Session& session = mirror_.session();
    const std::optional<QRect> chosen = runSelection();
    if (hideShell_)
        hideShell_(false);
    selecting_ = false;
    if (!chosen) {
        updateMarking();
        if (wasRunning)
            session.start();
        emit selectionFinished(false);
        return;
    }
    last_ = *chosen;
    if (area::storable(*chosen))
        area::writeStoredArea(settingsPath(area::kAreaFile), *chosen);
    mirror_.chooseArea(*chosen, 2);
    mirror_.target().raise();
    emit selectionFinished(true);
}

void AreaSelection::previouslySelected()
{
    if (selecting_)
        return;
    Session& session = mirror_.session();
    if (!(isSelectedArea(session) && session.trayHint() == 110)) {
        const QRect primary(QPoint(0, 0), platform::primaryRoot().size());
        const QRect stored = area::readStoredArea(SettingsFile(settingsPath(area::kAreaFile)), primary, desktopFrame());
        last_ = stored;
        mirror_.chooseArea(stored, 110);
    }
    if (session.autoRun())
        session.start();
    mirror_.target().raise();
}

void AreaSelection::chooseWindowArea()
{
    if (selecting_ || ui::busy())
        return;
    if (beforeChoosing_)
        beforeChoosing_();
    Session& session = mirror_.session();
    const std::uint32_t previous = session.source() == SourceKind::WindowArea ? session.window() : 0;
    // Listing reads the windows only: what is presented stays as it is.
    TFselectWindow picker(picker::rows(platform::listWindows(), platform::currentDesktop(), int(::getpid())));
    selecting_ = true;
    if (runPicker_) {
        runPicker_(picker);
    } else {
        ui::runModal(picker);
    }
    selecting_ = false;
    std::uint32_t chosen = picker.choice().value_or(previous);
    if (chosen == 0)
        return;
    if (chosen != previous && !mirror_.chooseWindow(chosen)) {
        // Gone between the listing and the click.
        chosen = previous;
        if (chosen == 0)
            return;
    }
    session.start();
    mirror_.target().raise();
}

void AreaSelection::toggleMarkSelected() { setMode(mode_ == area::MarkMode::Frame ? area::MarkMode::None : area::MarkMode::Frame); }

void AreaSelection::toggleBlurUnselected() { setMode(mode_ == area::MarkMode::Dim ? area::MarkMode::None : area::MarkMode::Dim); }

void AreaSelection::setMode(area::MarkMode mode)
{
    mode_ = mode;
    writeSetting(settings::mainFilePath(), settings::key::oznaciCurrent, int(mode));
    marking_.unmark();
    updateMarking();
}

void AreaSelection::updateMarking()
{
    const Session& session = mirror_.session();
    const bool marked = isSelectedArea(session) || session.source() == SourceKind::WindowArea ||
                        session.source() == SourceKind::Focus;
    if (!marked || mode_ == area::MarkMode::None) {
        compositorWatch_.stop();
        marking_.unmark();
        return;
    }
    const platform::DesktopFrame frame = platform::desktopFrame();
    const QRect mirrorRoot = frame.toRoot(session.mirrorRect());
    QRect display;
    for (const platform::Monitor& m : platform::monitors())
        if (display.isNull() || m.root.contains(mirrorRoot.center()))
            display = m.root;
    // Without a compositor a see-through window is a dark wall: the
    // darkening falls back to the frame, and comes back with the compositor.
    compositorSeen_ = compositor_();
    marking_.mark(mirrorRoot, mode_, display, compositorSeen_);
    if (mode_ == area::MarkMode::Dim)
        compositorWatch_.start();
    else
        compositorWatch_.stop();
}

} // namespace mirovex
