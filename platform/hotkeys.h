// Keys taken from the whole desktop: a passive grab on the root window for
// each hotkey, so its presses reach us whichever program has the focus.
#pragma once

#include "common/hotkeys/registry.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace mirovex::platform {

class KeyGrabber : public QObject, public hotkey::Grabber, private QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // On Qt's own connection: the presses arrive with Qt's events.
    KeyGrabber();
    ~KeyGrabber() override;

    bool available() const { return connection_ != nullptr; }

    // Grabs the key with each combination of CapsLock and NumLock added,
    // as checked requests: when another program holds one of them, the
    // ones already made are given back and the key is Taken.
    hotkey::GrabResult grab(const hotkey::Shortcut& s) override;
    void ungrab(const hotkey::Shortcut& s) override;

    // The unshifted symbol of a key, by its keycode; 0 when it has none.
    std::uint32_t baseKeysym(std::uint32_t keycode) const;

signals:
    // A grabbed key went down; `repeat` when the key is held and repeats.
    void pressed(const hotkey::Shortcut& key, bool repeat);
    // The keyboard's layout changed: grabs must be made again, since the
    // same key may now have another keycode.
    void keyboardChanged();

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void readKeyboard();
    std::uint16_t modifierMask(const hotkey::Shortcut& s) const;

    struct Grab {
        std::uint8_t keycode;
        std::uint16_t modifiers;
    };
    struct Impl;
    std::unique_ptr<Impl> d_;
    void* connection_ = nullptr;
    std::map<std::pair<std::uint32_t, std::uint8_t>, std::vector<Grab>> grabs_;
    std::uint16_t altMask_ = 0;
    std::uint16_t numLockMask_ = 0;
    std::uint8_t xkbEvent_ = 0;
    std::uint8_t heldKeycode_ = 0;
    std::uint8_t releasedKeycode_ = 0;
    std::uint32_t releasedAt_ = 0;
    bool changePending_ = false;
};

} // namespace mirovex::platform
