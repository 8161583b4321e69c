// Which of our slots owns which key. The window system lets one client take
// a key twice without a word, so the order of ownership among our own slots
// is kept here: the slot that registered a key first keeps it. The grabs
// themselves go through a Grabber, the X server's in the program and a
// recording one in tests.
#pragma once

#include "common/hotkeys/shortcut.h"

#include <optional>
#include <vector>

namespace mirovex::hotkey {

enum class GrabResult { Grabbed, Taken, NotOnKeyboard };

class Grabber {
public:
    virtual ~Grabber() = default;
    virtual GrabResult grab(const Shortcut& s) = 0;
    virtual void ungrab(const Shortcut& s) = 0;
};

enum class Status {
    NoKey,         // nothing to register
    NoCommand,     // stored, but nothing to run yet: not grabbed
    Suspended,     // grabs are off for the moment (a key is being recorded)
    Registered,
    TakenByProgram, // another program holds the key
    TakenBySlot,    // an earlier of our own slots has the key
    NotOnKeyboard,  // the keyboard layout has no such key
};

class Registry {
public:
    explicit Registry(Grabber& grabber) : grabber_(grabber) {}
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Adds a slot without a key; returns its index.
    int addSlot(bool hasCommand);
    int size() const { return int(slots_.size()); }

    // Changes one slot's key: its old key is released, the new one grabbed.
    void setKey(int slot, const std::optional<Shortcut>& key);
    // Changes many at once: every changed slot releases its key first, then
    // the changed slots and those that lost their key to another slot grab
    // in slot order, so keys swapped between slots end up with both.
    void setKeys(const std::vector<std::optional<Shortcut>>& keys);

    std::optional<Shortcut> key(int slot) const { return slots_.at(std::size_t(slot)).key; }
    Status status(int slot) const { return slots_.at(std::size_t(slot)).status; }
    // For TakenBySlot: the slot that owns the key.
    int owner(int slot) const;

    // The slot a pressed key belongs to.
    std::optional<int> slotFor(const Shortcut& pressed) const;

    // Releases every grab, and takes them again in slot order (the keyboard
    // layout changed, or recording a key ended).
    void regrabAll();
    // While suspended nothing is grabbed, so keys can be recorded.
    void setSuspended(bool on);
    bool suspended() const { return suspended_; }

private:
    struct Slot {
        std::optional<Shortcut> key;
        bool hasCommand = false;
        Status status = Status::NoKey;
    };
    void release(Slot& s);
    void tryGrab(int index);

    Grabber& grabber_;
    std::vector<Slot> slots_;
    bool suspended_ = false;
};

// The text the hotkey editor shows beside a slot; empty where all is well.
const char* statusText(Status s);

} // namespace mirovex::hotkey
