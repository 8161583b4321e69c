// Start with the system: an XDG autostart entry for the display program. The
// entry's presence is the option's state, so a menu item built from it cannot
// claim "on" after a write that failed.
#pragma once

#include <QString>

namespace mirovex::platform {

// $XDG_CONFIG_HOME/autostart/Mirovex.desktop (~/.config when unset).
QString autostartEntryPath();

// One argument of an Exec= line, quoted for the desktop-entry format and then
// escaped as its string value. Empty when the path cannot be expressed
// (it holds a line break or a NUL).
QString quoteExecArgument(const QString& argument);

// The path the entry starts: the installed link (bin/mirovex beside the
// program folder, as the package lays them out) when it leads to this very
// executable, so the entry keeps working after the package is updated;
// else the executable itself.
QString launcherPath(const QString& executable);

// The entry exists and is not disabled in it (Hidden=true, or the desktop's
// own "autostart enabled" switch set to false).
bool isStartWithSystemOn();

// Write or remove the entry. Each returns the state afterwards, as read back
// from the disk.
bool turnStartWithSystemOn(const QString& executable);
bool turnStartWithSystemOff();

// The menu item: checked turns it off, unchecked turns it on. Returns the state
// the item must show afterwards.
bool toggleStartWithSystem(bool checked, const QString& executable);

} // namespace mirovex::platform
