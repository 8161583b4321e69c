#include "annotate/settings/notelhotkeys.h"

#include "common/settings/settingsfile.h"
#include "common/settings/settingsfolder.h"

#include <cstring>

namespace mirovex::notel {

namespace {
constexpr const char* kSection = "Options";
constexpr const char* kKeptKey = "HotKey19";
} // namespace

const std::array<HotkeySlot, kHotkeySlots>& hotkeySlots()
{
    static const std::array<HotkeySlot, kHotkeySlots> table{{
        {"HotKey1", "Stamp"},
        {"HotKey2", "Clear All"},
        {"HotKey3", "Undo"},
        {"HotKey4", "Draw Once"},
        {"HotKey5", "Screenshot"},
        {"HotKey6", "Pen "},
        {"HotKey7", "Freehand Arrow"},
        {"HotKey8", "Spray"},
        {"HotKey9", "Highlighter"},
        {"HotKey10", "Rectangle"},
        {"HotKey11", "Ellipse"},
        {"HotKey12", "Line"},
        {"HotKey13", "Arrow"},
        {"HotKey14", "Text"},
        {"HotKey15", "Eraser"},
        {"HotKey16", "Show Toolbar"},
        {"HotKey17", "Grid"},
        {"HotKey18", "Desktop"},
        {"HotKey19", nullptr},
        {"HotKey210", "Flood Fill"},
        {"HotKey220", "Settings"},
        {"HotKey300", "Freeze Desktop"},
    }};
    return table;
}

int hotkeySlot(const char* key)
{
    for (int i = 0; i < kHotkeySlots; ++i) {
        if (std::strcmp(hotkeySlots()[std::size_t(i)].key, key) == 0)
            return i;
    }
    return -1;
}

QString hotkeyPath() { return settingsPath(kHotkeyFile); }

Hotkeys loadHotkeys(const QString& path)
{
    const SettingsFile file(path);
    Hotkeys h;
    for (int i = 0; i < kHotkeySlots; ++i) {
        const char* key = hotkeySlots()[std::size_t(i)].key;
        h.keys[std::size_t(i)] = hotkey::parse(file.readString(kSection, key, QStringLiteral("None")));
    }
    if (const auto raw = file.raw(kSection, kKeptKey))
        h.keptText = *raw;
    return h;
}

bool saveHotkeys(const QString& path, const Hotkeys& h)
{
    SettingsEdit edit(path);
    for (int i = 0; i < kHotkeySlots; ++i) {
        const char* key = hotkeySlots()[std::size_t(i)].key;
        if (std::strcmp(key, kKeptKey) == 0) {
            if (h.keptText)
                edit.setString(kSection, key, *h.keptText);
            continue;
        }
        edit.setString(kSection, key, hotkey::toText(h.keys[std::size_t(i)]));
    }
    return edit.commit();
}

} // namespace mirovex::notel
