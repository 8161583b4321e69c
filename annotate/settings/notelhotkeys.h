// The annotation program's 22 hotkey slots and their file "NotelHOT.cfg".
// Plain data and functions; the grabs are platform/hotkeys.h's.
#pragma once

#include "common/hotkeys/shortcut.h"

#include <QString>

#include <array>
#include <optional>

namespace mirovex::notel {

inline const QString kHotkeyFile = QStringLiteral("NotelHOT.cfg");

// The slots in the file's order, which is also the order they are
// registered in (the first of two with one key keeps it).
inline constexpr int kHotkeySlots = 22;
struct HotkeySlot {
    const char* key;   // in "NotelHOT.cfg" [Options]
    const char* label; // the settings window's editor; null: none
};
const std::array<HotkeySlot, kHotkeySlots>& hotkeySlots();
// The slot index of a key name ("HotKey16"); -1 when there is none.
int hotkeySlot(const char* key);

struct Hotkeys {
    std::array<std::optional<hotkey::Shortcut>, kHotkeySlots> keys;
    // "HotKey19" has no editor: its text is written back as it was read.
    std::optional<QString> keptText;
};

QString hotkeyPath();
Hotkeys loadHotkeys(const QString& path);
// All slots in one rewrite; false, with the file as it was, on failure.
bool saveHotkeys(const QString& path, const Hotkeys& h);

} // namespace mirovex::notel
