// The desktop-area source: "Select Desktop Area", "Previously Selected
// Desktop Area", the marking mode and the marking shown while an area is
// presented.
#pragma once

#include "display/selection/areageometry.h"
#include "display/selection/markingoverlay.h"

#include "display/selection/windowpicker.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace mirovex {

class MirrorController;

class AreaSelection : public QObject {
    Q_OBJECT
public:
    explicit AreaSelection(MirrorController& mirror);

    // Hides (true) and brings back (false) the program's own windows around
    // a selection, so they neither cover the desktop nor show in its picture.
    void setShellHider(std::function<void(bool)> hide) { hideShell_ = std::move(hide); }
    // Runs as "Select Desktop Area" and "Window Area" begin (the slideshow
    // editor closes then, or the new area would never start).
    void setBeforeChoosing(std::function<void()> before) { beforeChoosing_ = std::move(before); }

    // Lets the presenter drag an area and presents it. Cancelling leaves
    // everything as it was. Refused while a selection or dialog is open.
    // The layer comes up once our own windows have left the screen;
    // selectionFinished() follows either way.
    void selectDesktopArea();
    // Presents the stored area.
    void previouslySelected();
    // "Window Area": the presenter picks a window, which is then followed.
    // Closing the picker keeps the window presented before, if any.
    void chooseWindowArea();
    // How the picker is shown; tests answer it. By default modally.
    void setPickerRunner(std::function<int(TFselectWindow&)> run) { runPicker_ = std::move(run); }
    bool selecting() const { return selecting_; }

    // The last selection, in the programs' frame.
    std::optional<QRect> lastSelection() const { return last_; }

    area::MarkMode markMode() const { return mode_; }
    // "Mark Selected Area" and "Blur Unselected Area": each switches its
    // mode on, or marking off when it is the mode already. Stored at once.
    void toggleMarkSelected();
    void toggleBlurUnselected();

    MarkingOverlay& marking() { return marking_; }
    // Whether the marking darkens with a compositor's help; the real desktop
    // by default.
    void setCompositorProbe(std::function<bool()> probe) { compositor_ = std::move(probe); }

signals:
    void selectionFinished(bool chosen);

private:
    void finishSelection(bool wasRunning);
    std::optional<QRect> runSelection();
    void setMode(area::MarkMode mode);
    void updateMarking();
    QRect desktopFrame() const;

    MirrorController& mirror_;
    MarkingOverlay marking_;
    std::function<void(bool)> hideShell_;
    std::function<void()> beforeChoosing_;
    std::function<bool()> compositor_;
    std::function<int(TFselectWindow&)> runPicker_;
    area::MarkMode mode_ = area::MarkMode::Dim;
    bool selecting_ = false;
    std::optional<QRect> last_;
    // While a darkened marking is wanted: the compositor it needs may stop
    // or start at any time.
    QTimer compositorWatch_;
    bool compositorSeen_ = false;
};

} // namespace mirovex
