#include "common/hotkeys/shortcut.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <array>
#include <vector>

namespace mirovex::hotkey {

namespace {

struct Name {
    const char* text;
    std::uint32_t keysym;
};

// The closed list of keys a hotkey can have: the keys of a standard
// keyboard, bar the lock keys and the modifiers themselves (pressing those
// changes the state of the keyboard for every program). Letters and digits
// are added below.
constexpr Name kNamed[] = {
    {"F1", XKB_KEY_F1}, {"F2", XKB_KEY_F2}, {"F3", XKB_KEY_F3}, {"F4", XKB_KEY_F4},
    {"F5", XKB_KEY_F5}, {"F6", XKB_KEY_F6}, {"F7", XKB_KEY_F7}, {"F8", XKB_KEY_F8},
    {"F9", XKB_KEY_F9}, {"F10", XKB_KEY_F10}, {"F11", XKB_KEY_F11}, {"F12", XKB_KEY_F12},
    {"BkSp", XKB_KEY_BackSpace},
    {"Tab", XKB_KEY_Tab},
    {"Esc", XKB_KEY_Escape},
    {"Enter", XKB_KEY_Return},
    {"Space", XKB_KEY_space},
    {"PgUp", XKB_KEY_Prior},
    {"PgDn", XKB_KEY_Next},
    {"End", XKB_KEY_End},
    {"Home", XKB_KEY_Home},
    {"Left", XKB_KEY_Left},
    {"Up", XKB_KEY_Up},
    {"Right", XKB_KEY_Right},
    {"Down", XKB_KEY_Down},
    {"Ins", XKB_KEY_Insert},
    {"Del", XKB_KEY_Delete},
    {"Pause", XKB_KEY_Pause},
    {"Print", XKB_KEY_Print},
    {"Menu", XKB_KEY_Menu},
    {"`", XKB_KEY_grave},
    {"-", XKB_KEY_minus},
    {"=", XKB_KEY_equal},
    {"[", XKB_KEY_bracketleft},
    {"]", XKB_KEY_bracketright},
    {"\\", XKB_KEY_backslash},
    {";", XKB_KEY_semicolon},
    {"'", XKB_KEY_apostrophe},
    {",", XKB_KEY_comma},
    {".", XKB_KEY_period},
    {"/", XKB_KEY_slash},
    {"Num 0", XKB_KEY_KP_0}, {"Num 1", XKB_KEY_KP_1}, {"Num 2", XKB_KEY_KP_2}, {"Num 3", XKB_KEY_KP_3},
    {"Num 4", XKB_KEY_KP_4}, {"Num 5", XKB_KEY_KP_5}, {"Num 6", XKB_KEY_KP_6}, {"Num 7", XKB_KEY_KP_7},
    {"Num 8", XKB_KEY_KP_8}, {"Num 9", XKB_KEY_KP_9},
    {"Num .", XKB_KEY_KP_Decimal},
    {"Num /", XKB_KEY_KP_Divide},
    {"Num *", XKB_KEY_KP_Multiply},
    {"Num -", XKB_KEY_KP_Subtract},
    {"Num +", XKB_KEY_KP_Add},
    {"Num Enter", XKB_KEY_KP_Enter},
};

// Symbols a key gives at its base level that the table names by another
// symbol of the same key.
constexpr Name kAliases[] = {
    {"Num 0", XKB_KEY_KP_Insert}, {"Num 1", XKB_KEY_KP_End}, {"Num 2", XKB_KEY_KP_Down},
    {"Num 3", XKB_KEY_KP_Next}, {"Num 4", XKB_KEY_KP_Left}, {"Num 5", XKB_KEY_KP_Begin},
    {"Num 6", XKB_KEY_KP_Right}, {"Num 7", XKB_KEY_KP_Home}, {"Num 8", XKB_KEY_KP_Up},
    {"Num 9", XKB_KEY_KP_Prior}, {"Num .", XKB_KEY_KP_Delete},
    {"Tab", XKB_KEY_ISO_Left_Tab},
};

struct Entry {
    QString text;
    std::uint32_t keysym;
};

const std::vector<Entry>& table()
{
    static const std::vector<Entry> all = [] {
        std::vector<Entry> t;
        for (char c = 'A'; c <= 'Z'; ++c)
            t.push_back({QString(QLatin1Char(c)), std::uint32_t(XKB_KEY_a + (c - 'A'))});
        for (char c = '0'; c <= '9'; ++c)
            t.push_back({QString(QLatin1Char(c)), std::uint32_t(XKB_KEY_0 + (c - '0'))});
        for (const Name& n : kNamed)
            t.push_back({QString::fromLatin1(n.text), n.keysym});
        return t;
    }();
    return all;
}

constexpr std::array<std::pair<const char*, Modifier>, 3> kModifiers{{{"Shift+", Shift}, {"Ctrl+", Ctrl}, {"Alt+", Alt}}};

} // namespace

QStringList keyNames()
{
    QStringList out;
    for (const Entry& e : table())
        out << e.text;
    return out;
}

std::uint32_t keysymOf(const QString& name)
{
    for (const Entry& e : table())
        if (e.text.compare(name, Qt::CaseInsensitive) == 0)
            return e.keysym;
    return 0;
}

QString keyName(std::uint32_t keysym)
{
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z)
        keysym += XKB_KEY_a - XKB_KEY_A;
    for (const Entry& e : table())
        if (e.keysym == keysym)
            return e.text;
    for (const Name& n : kAliases)
        if (n.keysym == keysym)
            return QString::fromLatin1(n.text);
    return {};
}

std::optional<Shortcut> parse(const QString& text)
{
    QStringView rest(text);
    rest = rest.trimmed();
    Shortcut s;
    // Modifiers are taken off the front one at a time, so a key whose name
    // holds a '+' ("Num +") still reads.
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, flag] : kModifiers) {
            const QLatin1String p(prefix);
            if (rest.size() > p.size() && rest.startsWith(p, Qt::CaseInsensitive)) {
                if (s.modifiers & flag)
                    return std::nullopt;
                s.modifiers |= flag;
                rest = rest.mid(p.size());
                found = true;
            }
        }
    }
    s.keysym = keysymOf(rest.toString());
    if (s.keysym == 0)
        return std::nullopt;
    return s;
}

QString toText(const Shortcut& shortcut)
{
    const QString name = keyName(shortcut.keysym);
    if (name.isEmpty())
        return QStringLiteral("None");
    QString out;
    for (const auto& [prefix, flag] : kModifiers)
        if (shortcut.modifiers & flag)
            out += QLatin1String(prefix);
    return out + name;
}

QString toText(const std::optional<Shortcut>& shortcut)
{
    return shortcut ? toText(*shortcut) : QStringLiteral("None");
}

} // namespace mirovex::hotkey
