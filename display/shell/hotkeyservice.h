// The hotkeys of the running program: the slots with their commands, the
// grabs on the desktop, and the keys as "MirovexHOT.cfg" keeps them.
#pragma once

#include "display/settings/hotkeyslots.h"
#include "common/hotkeys/registry.h"
#include "common/ui/hotkeyfield.h"

#include <QObject>

#include <functional>
#include <memory>

namespace mirovex {

namespace platform {
class KeyGrabber;
}

class HotkeyService : public QObject {
    Q_OBJECT
public:
    struct Command {
        std::function<void()> run; // empty: the command does not exist yet
        bool repeats = false;      // a held key runs it again and again
    };
    using Commands = std::array<Command, hotkeys::kSlotCount>;

    explicit HotkeyService(Commands commands);
    ~HotkeyService() override;

    // Reads the file and registers every slot that has a command.
    void load();
    // The editor's keys: registered anew (all released first, then grabbed)
    // and written. False when the file could not be written; the keys are
    // in use all the same.
    bool confirm(const hotkeys::Keys& keys);

    hotkeys::Keys keys() const;
    hotkey::Status status(hotkeys::Slot slot) const { return registry_.status(int(slot)); }
    int owner(hotkeys::Slot slot) const { return registry_.owner(int(slot)); }
    // Why a slot's key does not work, for the presenter; empty when it does
    // or when it has none.
    QString problem(hotkeys::Slot slot) const { return problemOf(int(slot)); }

    // The capture window's own key, taken only while capture is armed;
    // nothing (empty or unparsable text) puts it away. What it came to.
    hotkey::Status setCaptureKey(const QString& text, std::function<void()> run);
    hotkey::Status captureStatus() const { return registry_.status(captureSlot_); }
    QString captureProblem() const { return problemOf(captureSlot_); }

    // Off while a key is being recorded, so that pressing a hotkey records it.
    void setSuspended(bool on);
    // For the fields that record keys: the keyboard as it is now, and our
    // grabs put away while a field records.
    ui::HotkeyField::Keyboard keyboard();

    // How many commands hotkeys have run (tests).
    int commandsRun() const { return run_; }
    // How many presses of our keys came while a dialog was open (tests).
    int pressesRefused() const { return refused_; }

signals:
    // A slot's status changed (registered, refused, ...).
    void statusChanged();

private:
    QString problemOf(int slot) const;
    void pressed(const hotkey::Shortcut& key, bool repeat);

    Commands commands_;
    std::function<void()> captureRun_;
    int captureSlot_ = -1;
    std::unique_ptr<platform::KeyGrabber> grabber_;
    hotkey::Registry registry_;
    int run_ = 0;
    int refused_ = 0;
};

} // namespace mirovex
