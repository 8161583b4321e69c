// Which windows the window-area picker lists, in which order, and what its
// rows say; plain functions over the window list.
#pragma once

#include "platform/windowlist.h"

#include <QList>
#include <QString>

namespace mirovex::picker {

// Listed: a titled, visible, not minimised application window of the
// current desktop, larger than 19 pixels both ways, and not ours. Docks,
// desktops, menus and the like are no applications; neither is a window
// that keeps itself off the task bar.
bool listed(const platform::WindowInfo& w, std::int64_t currentDesktop, int ourPid);

// The first 20 characters of the title, with commas, "=" and every
// character not strictly between "(" and "~" taken out (spaces and
// non-ASCII letters among them); compared without regard to case.
QString sortKey(const QString& title);

// The listed windows, sorted by their keys; equal keys keep the order of
// the window ids, so the list is the same every time.
QList<platform::WindowInfo> rows(const QList<platform::WindowInfo>& all, std::int64_t currentDesktop, int ourPid);

// "Minimized", or "Maximized" / "Normal" with " ( left, top, right, bottom )"
// of the frame in the programs' frame (right and bottom exclusive).
QString stateText(const platform::WindowInfo& w, const QRect& frameInProgramFrame);
// The state line is left-aligned for titles longer than 45 characters.
inline bool stateLeftAligned(const QString& title) { return title.size() > 45; }

} // namespace mirovex::picker
