// The text form of a hotkey, as both programs store it: "Shift+", "Ctrl+",
// "Alt+" in this order, then the name of the key. A key is named by its
// unshifted symbol (Shift+1 is "Shift+1", never "!"), and only names of the
// one table in shortcut.cpp exist, so every stored text means one key on
// every keyboard layout that has it.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace mirovex::hotkey {

enum Modifier : std::uint8_t { Shift = 1, Ctrl = 2, Alt = 4 };

struct Shortcut {
    std::uint32_t keysym = 0; // an X keysym, the unshifted symbol of the key
    std::uint8_t modifiers = 0; // Modifier flags

    bool operator==(const Shortcut&) const = default;
};

// "None", the empty text and text that names no key of the table give
// nothing. Modifier names and key names are read without regard to case;
// a modifier named twice, or modifiers with no key, give nothing.
std::optional<Shortcut> parse(const QString& text);

// The stored form: "None" for no key (and for a key outside the table).
QString toText(const std::optional<Shortcut>& shortcut);
QString toText(const Shortcut& shortcut);

// The table's name of a keysym, or empty when the key has none. The keysyms
// a key gives at its base level where that differs from the table's own
// (keypad digits without NumLock, upper-case letters, Shift+Tab) are named
// as their key.
QString keyName(std::uint32_t keysym);
// The keysym of a table name (exact spelling, any case); 0 when unknown.
std::uint32_t keysymOf(const QString& name);

// Every name of the table, in its order.
QStringList keyNames();

} // namespace mirovex::hotkey
