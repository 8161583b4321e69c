// The display program's hotkey slots, their file "MirovexHOT.cfg" and the
// printed list of the hotkeys of both programs. Plain data and functions: the
// window system's part is in platform/hotkeys.h, the editor in
// hotkeyeditor.h.
#pragma once

#include "common/hotkeys/shortcut.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace mirovex::hotkeys {

inline const QString kHotkeyFile = QStringLiteral("MirovexHOT.cfg");
inline const QString kAnnotationHotkeyFile = QStringLiteral("NotelHOT.cfg");
inline constexpr const char* kSection = "Options";

// The slots in their order: the order they are loaded, registered (the first
// of two with one key keeps it) and written.
enum class Slot {
    SendToTarget,   // HotKey1
    RunStop,        // HotKey2
    ShowToolbar,    // HotKey3
    WindowGrid,     // HotKey4
    Annotate,       // HotKey5
    StopAll,        // HotKey6
    FocusLarger,    // HotKey7
    FocusSmaller,   // HotKey8
    FindToolbar,    // HotKey9
    LockMouse,      // HotKey10
    Focus,          // HotKey11
    ShowPreview,    // HotKey1x1
    TransparentBar, // HotKey1x2
    Desktop,        // HotKey101
    CopyDisplayed,  // HotKey102
    WindowArea,     // HotKey103
    PreviousArea,   // HotKey104
    SelectArea,     // HotKey301
    HideCursor,     // HotKey302
};
inline constexpr int kSlotCount = 19;

struct SlotInfo {
    Slot slot;
    const char* key;   // in "MirovexHOT.cfg"
    const char* label; // in the editor
};
const std::array<SlotInfo, kSlotCount>& slotTable();

using Keys = std::array<std::optional<hotkey::Shortcut>, kSlotCount>;

// "MirovexHOT.cfg" in the settings folder.
QString filePath();

// Every slot's key from the file; a missing file, key or text that names no
// key gives a slot without a key.
Keys load(const QString& path);
// Writes all slots in one rewrite, a slot without a key as the empty text.
// False, with the file as it was, when it cannot be written.
bool save(const QString& path, const Keys& keys);

// The printed list: this program's slots, then the annotation program's
// hotkeys as its file (read at `annotationPath`) holds them. `stamp` is the
// date and time printed in the heading.
QStringList printLines(const Keys& keys, const QString& annotationPath, const QString& stamp);

} // namespace mirovex::hotkeys
