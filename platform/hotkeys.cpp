#include "platform/hotkeys.h"

#include "platform/xcbutil.h"

#include <QCoreApplication>
#include <QTimer>

#include <xcb/xcb_keysyms.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <array>
#include <cstring>

namespace mirovex::platform {

namespace {
// The XKB events that say the keymap changed (xkbType, the event's second byte).
constexpr std::uint8_t kXkbNewKeyboardNotify = 0;
constexpr std::uint8_t kXkbMapNotify = 1;
} // namespace

struct KeyGrabber::Impl {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_key_symbols_t* symbols = nullptr;
    ~Impl()
    {
        if (symbols)
            xcb_key_symbols_free(symbols);
    }
};

KeyGrabber::KeyGrabber() : d_(std::make_unique<Impl>())
{
    d_->c = xcb::qtConnection();
    connection_ = d_->c;
    if (!d_->c)
        return;
    d_->root = xcb::rootWindow(d_->c);
    static const char kXkb[] = "XKEYBOARD";
    xcb::Reply<xcb_query_extension_reply_t> xkb(
        xcb_query_extension_reply(d_->c, xcb_query_extension(d_->c, sizeof kXkb - 1, kXkb), nullptr));
    if (xkb && xkb->present)
        xkbEvent_ = xkb->first_event;
    readKeyboard();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

KeyGrabber::~KeyGrabber()
{
    if (!d_->c)
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const auto& [key, list] : grabs_)
        for (const Grab& g : list)
            xcb_ungrab_key(d_->c, g.keycode, d_->root, g.modifiers);
    xcb_flush(d_->c);
}

void KeyGrabber::readKeyboard()
{
    if (d_->symbols)
        xcb_key_symbols_free(d_->symbols);
    d_->symbols = xcb_key_symbols_alloc(d_->c);
    altMask_ = 0;
    numLockMask_ = 0;
    // Which modifier bit Alt and NumLock sit on is the server's choice.
    xcb::Reply<xcb_get_modifier_mapping_reply_t> map(
        xcb_get_modifier_mapping_reply(d_->c, xcb_get_modifier_mapping(d_->c), nullptr));
    if (!map || !d_->symbols)
        return;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
    const int perModifier = map->keycodes_per_modifier;
    for (int mod = 0; mod < 8; ++mod) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[mod * perModifier + i];
            if (code == 0)
                continue;
            for (int col = 0; col < 4; ++col) {
                const xcb_keysym_t sym = xcb_key_symbols_get_keysym(d_->symbols, code, col);
                if ((sym == XKB_KEY_Alt_L || sym == XKB_KEY_Alt_R) && !altMask_)
                    altMask_ = std::uint16_t(1u << mod);
                if (sym == XKB_KEY_Num_Lock && !numLockMask_)
                    numLockMask_ = std::uint16_t(1u << mod);
            }
        }
    }
}

std::uint16_t KeyGrabber::modifierMask(const hotkey::Shortcut& s) const
{
    std::uint16_t m = 0;
    if (s.modifiers & hotkey::Shift)
        m |= XCB_MOD_MASK_SHIFT;
    if (s.modifiers & hotkey::Ctrl)
        m |= XCB_MOD_MASK_CONTROL;
    if (s.modifiers & hotkey::Alt)
        m |= altMask_;
    return m;
}

hotkey::GrabResult KeyGrabber::grab(const hotkey::Shortcut& s)
{
    if (!d_->c || !d_->symbols)
        return hotkey::GrabResult::NotOnKeyboard;
    if ((s.modifiers & hotkey::Alt) && !altMask_)
        return hotkey::GrabResult::NotOnKeyboard;
    const auto key = std::make_pair(s.keysym, s.modifiers);
    if (grabs_.count(key))
        return hotkey::GrabResult::Grabbed;
    std::vector<xcb_keycode_t> keycodes;
    if (xcb_keycode_t* list = xcb_key_symbols_get_keycode(d_->symbols, s.keysym)) {
        for (xcb_keycode_t* k = list; *k != XCB_NO_SYMBOL; ++k)
            keycodes.push_back(*k);
        std::free(list);
    }
    if (keycodes.empty())
        return hotkey::GrabResult::NotOnKeyboard;

    // The key must fire whether CapsLock or NumLock is on.
    const std::uint16_t base = modifierMask(s);
    std::vector<std::uint16_t> variants{base, std::uint16_t(base | XCB_MOD_MASK_LOCK)};
    if (numLockMask_) {
        variants.push_back(std::uint16_t(base | numLockMask_));
        variants.push_back(std::uint16_t(base | numLockMask_ | XCB_MOD_MASK_LOCK));
    }
    std::vector<Grab> made;
    std::vector<xcb_void_cookie_t> cookies;
    for (xcb_keycode_t code : keycodes) {
        for (std::uint16_t mods : variants) {
            // Not owner_events: the press comes to the root even when one of
            // our own windows has the focus, so it is always seen as a hotkey.
            cookies.push_back(xcb_grab_key_checked(d_->c, 0, d_->root, mods, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            made.push_back({code, mods});
        }
    }
    bool refused = false;
    for (xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* e = xcb_request_check(d_->c, cookie)) {
            refused = true;
            std::free(e);
        }
    }
    if (refused) {
        // Half a hotkey would fire only with some lock keys on: give back
        // every grab of the set. Releasing one we never got touches nothing
        // of the other program's.
        for (const Grab& g : made)
            xcb_ungrab_key(d_->c, g.keycode, d_->root, g.modifiers);
        xcb_flush(d_->c);
        return hotkey::GrabResult::Taken;
    }
    grabs_[key] = std::move(made);
    return hotkey::GrabResult::Grabbed;
}

void KeyGrabber::ungrab(const hotkey::Shortcut& s)
{
    const auto it = grabs_.find(std::make_pair(s.keysym, s.modifiers));
    if (it == grabs_.end() || !d_->c)
        return;
    for (const Grab& g : it->second)
        xcb_ungrab_key(d_->c, g.keycode, d_->root, g.modifiers);
    grabs_.erase(it);
    xcb_flush(d_->c);
}

std::uint32_t KeyGrabber::baseKeysym(std::uint32_t keycode) const
{
    if (!d_->symbols || keycode > 255)
        return 0;
    return xcb_key_symbols_get_keysym(d_->symbols, xcb_keycode_t(keycode), 0);
}

bool KeyGrabber::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* ev = static_cast<xcb_generic_event_t*>(message);
    const std::uint8_t type = ev->response_type & 0x7f;
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
        auto* k = reinterpret_cast<xcb_key_press_event_t*>(ev);
        if (k->event != d_->root)
            return false;
        if (type == XCB_KEY_RELEASE) {
            heldKeycode_ = 0;
            releasedKeycode_ = k->detail;
            releasedAt_ = k->time;
            return true;
        }
        // A held key repeats as presses without releases, or as a release
        // and a press with the same time.
        const bool repeat = heldKeycode_ == k->detail || (releasedKeycode_ == k->detail && releasedAt_ == k->time);
        heldKeycode_ = k->detail;
        const std::uint16_t mods = k->state & (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | altMask_);
        for (const auto& [key, list] : grabs_) {
            for (const Grab& g : list) {
                if (g.keycode == k->detail && (g.modifiers & ~(XCB_MOD_MASK_LOCK | numLockMask_)) == mods) {
                    emit pressed(hotkey::Shortcut{key.first, key.second}, repeat);
                    return true;
                }
            }
        }
        return true;
    }
    bool changed = false;
    if (type == XCB_MAPPING_NOTIFY) {
        auto* m = reinterpret_cast<xcb_mapping_notify_event_t*>(ev);
        changed = m->request == XCB_MAPPING_KEYBOARD || m->request == XCB_MAPPING_MODIFIER;
    } else if (xkbEvent_ && type == xkbEvent_) {
        const std::uint8_t xkbType = reinterpret_cast<const std::uint8_t*>(ev)[1];
        changed = xkbType == kXkbNewKeyboardNotify || xkbType == kXkbMapNotify;
    }
    if (changed && !changePending_) {
        // Qt reads the new map from the same event; ours is read once the
        // burst of notices is over.
        changePending_ = true;
        QTimer::singleShot(0, this, [this] {
            changePending_ = false;
            readKeyboard();
            emit keyboardChanged();
        });
    }
    return false;
}

} // namespace mirovex::platform
