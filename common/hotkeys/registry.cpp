#include "common/hotkeys/registry.h"

#include <algorithm>

namespace mirovex::hotkey {

Registry::~Registry()
{
    for (Slot& s : slots_)
        release(s);
}

int Registry::addSlot(bool hasCommand)
{
    Slot s;
    s.hasCommand = hasCommand;
    s.status = hasCommand ? Status::NoKey : Status::NoCommand;
    slots_.push_back(s);
    return int(slots_.size()) - 1;
}

void Registry::release(Slot& s)
{
    if (s.status == Status::Registered)
        grabber_.ungrab(*s.key);
    s.status = Status::NoKey;
}

void Registry::tryGrab(int index)
{
    Slot& s = slots_[std::size_t(index)];
    if (s.status == Status::Registered)
        return;
    if (!s.key) {
        s.status = Status::NoKey;
        return;
    }
    if (!s.hasCommand) {
        s.status = Status::NoCommand;
        return;
    }
    if (suspended_) {
        s.status = Status::Suspended;
        return;
    }
    for (const Slot& other : slots_) {
        if (&other != &s && other.status == Status::Registered && other.key == s.key) {
            s.status = Status::TakenBySlot;
            return;
        }
    }
    switch (grabber_.grab(*s.key)) {
    case GrabResult::Grabbed:
        s.status = Status::Registered;
        break;
    case GrabResult::Taken:
        s.status = Status::TakenByProgram;
        break;
    case GrabResult::NotOnKeyboard:
        s.status = Status::NotOnKeyboard;
        break;
    }
}

void Registry::setKey(int slot, const std::optional<Shortcut>& key)
{
    std::vector<std::optional<Shortcut>> keys;
    for (const Slot& s : slots_)
        keys.push_back(s.key);
    keys.at(std::size_t(slot)) = key;
    setKeys(keys);
}

void Registry::setKeys(const std::vector<std::optional<Shortcut>>& keys)
{
    const std::size_t n = std::min(keys.size(), slots_.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (slots_[i].key != keys[i]) {
            release(slots_[i]);
            slots_[i].key = keys[i];
        }
    }
    for (std::size_t i = 0; i < slots_.size(); ++i)
        tryGrab(int(i));
}

int Registry::owner(int slot) const
{
    const Slot& s = slots_.at(std::size_t(slot));
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].status == Status::Registered && slots_[i].key == s.key)
            return int(i);
    return -1;
}

std::optional<int> Registry::slotFor(const Shortcut& pressed) const
{
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].status == Status::Registered && slots_[i].key == pressed)
            return int(i);
    return std::nullopt;
}

void Registry::regrabAll()
{
    for (Slot& s : slots_)
        release(s);
    for (std::size_t i = 0; i < slots_.size(); ++i)
        tryGrab(int(i));
}

void Registry::setSuspended(bool on)
{
    if (on == suspended_)
        return;
    // Released under the old state, taken (or marked suspended) under the new.
    for (Slot& s : slots_)
        release(s);
    suspended_ = on;
    for (std::size_t i = 0; i < slots_.size(); ++i)
        tryGrab(int(i));
}

const char* statusText(Status s)
{
    switch (s) {
    case Status::TakenByProgram:
        return "in use by another program";
    case Status::TakenBySlot:
        return "already used by another hotkey above";
    case Status::NotOnKeyboard:
        return "not on this keyboard";
    case Status::NoCommand:
        return "not available yet";
    default:
        return "";
    }
}

} // namespace mirovex::hotkey
