#include "display/settings/hotkeyslots.h"

#include "common/settings/settingsfile.h"
#include "common/settings/settingsfolder.h"

namespace mirovex::hotkeys {

const std::array<SlotInfo, kSlotCount>& slotTable()
{
    static const std::array<SlotInfo, kSlotCount> table{{
        {Slot::SendToTarget, "HotKey1", "Send to Target Display"},
        {Slot::RunStop, "HotKey2", "Run / Stop"},
        {Slot::ShowToolbar, "HotKey3", "Show Toolbar"},
        {Slot::WindowGrid, "HotKey4", "Window Management"},
        {Slot::Annotate, "HotKey5", "Vidizizu"},
        {Slot::StopAll, "HotKey6", "Stop All"},
        {Slot::FocusLarger, "HotKey7", "Increase Focus Area Size"},
        {Slot::FocusSmaller, "HotKey8", "Decrease Focus Area Size"},
        {Slot::FindToolbar, "HotKey9", "Find Toolbar"},
        {Slot::LockMouse, "HotKey10", "Lock Mouse On Primary Display"},
        {Slot::Focus, "HotKey11", "Focus"},
        {Slot::ShowPreview, "HotKey1x1", "Show Preview"},
        {Slot::TransparentBar, "HotKey1x2", "Transparent Toolbar"},
        {Slot::Desktop, "HotKey101", "Desktop"},
        {Slot::CopyDisplayed, "HotKey102", "Copy Displayed to Clipboard"},
        {Slot::WindowArea, "HotKey103", "Windov Area"},
        {Slot::PreviousArea, "HotKey104", "Previously Selected Desktop Area"},
        {Slot::SelectArea, "HotKey301", "Select Desktop Area"},
        {Slot::HideCursor, "HotKey302", "Show Cursor On/Off"},
    }};
    return table;
}

QString filePath() { return settingsPath(kHotkeyFile); }

Keys load(const QString& path)
{
    const SettingsFile file(path);
    Keys keys;
    for (int i = 0; i < kSlotCount; ++i)
        keys[std::size_t(i)] = hotkey::parse(file.readString(kSection, slotTable()[std::size_t(i)].key, QStringLiteral("None")));
    return keys;
}

bool save(const QString& path, const Keys& keys)
{
    SettingsEdit edit(path);
    for (int i = 0; i < kSlotCount; ++i) {
        const auto& k = keys[std::size_t(i)];
        edit.setString(kSection, slotTable()[std::size_t(i)].key, k ? hotkey::toText(*k) : QString());
    }
    return edit.commit();
}

namespace {

QString text(const Keys& keys, Slot slot) { return hotkey::toText(keys[std::size_t(slot)]); }

} // namespace

QStringList printLines(const Keys& keys, const QString& annotationPath, const QString& stamp)
{
    static const QString kUnderline = QStringLiteral("________________________________________________________");
    QStringList out;
    const auto entry = [&out](const QString& line) { out << line << QStringLiteral(" "); };
    const auto heading = [&out](const QString& title) {
        out << QStringLiteral(" ") << title << kUnderline << QStringLiteral(" ");
    };

    heading(QStringLiteral("Mirovex - Hotkeys    ( %1 )").arg(stamp));
    const struct {
        const char* label;
        std::optional<Slot> slot; // none: a line of its own
    } ours[] = {
        {"  Send to target display :  ", Slot::SendToTarget},
        {"  Run / Stop :  ", Slot::RunStop},
        {"  Stop all :  ", Slot::StopAll},
        {"  Increase Focus Area Size:  ", Slot::FocusLarger},
        {"  Decrease Focus Area Size:  ", Slot::FocusSmaller},
        {"  Vidizizu :  ", Slot::Annotate},
        {"- - - - - - - - - - - - - - - ", std::nullopt},
        // Each under the name of the command it runs.
        {"  Copy Displayed to Clipboard :  ", Slot::CopyDisplayed},
        {"  Show Preview :  ", Slot::ShowPreview},
        {"  Show cursor On/Off :  ", Slot::HideCursor},
        {"  Lock the mouse on primary display :  ", Slot::LockMouse},
        {"  Window Management  :  ", Slot::WindowGrid},
        {"  Show Toolbar :  ", Slot::ShowToolbar},
        {"  Find Toolbar :  ", Slot::FindToolbar},
        {"  Transparent Toolbar :  ", Slot::TransparentBar},
        {"[ Quick Start showing ]", std::nullopt},
        {"  Select desktop area :  ", Slot::SelectArea},
        {"  Previously selected desktop area :  ", Slot::PreviousArea},
        {"  Focus :  ", Slot::Focus},
        {"  Desktop :  ", Slot::Desktop},
        {"  Window Area :  ", Slot::WindowArea},
    };
    for (const auto& line : ours)
        entry(QString::fromLatin1(line.label) + (line.slot ? text(keys, *line.slot) : QString()));

    heading(QStringLiteral("Mirovex - Vidizizu - Hotkeys"));
    const SettingsFile annotation(annotationPath);
    const struct {
        const char* label;
        const char* key;
    } theirs[] = {
        {" Desktop :  ", "HotKey18"}, {" Pen :  ", "HotKey6"}, {" Highlighter :  ", "HotKey9"},
        {" Arrow :  ", "HotKey13"}, {" Spray :  ", "HotKey8"}, {" Flood Fill :  ", "HotKey210"},
        {" Rectangle :  ", "HotKey10"}, {" Ellipse :  ", "HotKey11"}, {" Line :  ", "HotKey12"},
        {" Freehand Arrow :  ", "HotKey7"}, {" Grid :  ", "HotKey17"}, {" Text :  ", "HotKey14"},
        {" Stamp :  ", "HotKey1"}, {" Eraser :  ", "HotKey15"}, {" Undo :  ", "HotKey3"},
        {" Clear all :  ", "HotKey2"}, {" Draw once :  ", "HotKey4"}, {" Settings :  ", "HotKey220"},
        {" Screenshoot :  ", "HotKey5"}, {" Show Toolbar :  ", "HotKey16"},
    };
    for (const auto& line : theirs) {
        // Through the one reading of shortcut texts: what the other program
        // would not take as a key is printed as no key, not as it stands.
        const auto key = hotkey::parse(annotation.readString(kSection, line.key, QStringLiteral("None")));
        entry(QString::fromLatin1(line.label) + hotkey::toText(key));
    }
    out << QStringLiteral(" ") << QStringLiteral(" ");
    return out;
}

} // namespace mirovex::hotkeys
