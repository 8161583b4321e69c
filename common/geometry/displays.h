// Rules about where a window stands among the displays, shared by every
// window of both programs that is placed on or dragged across them.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace mirovex::geometry {

// The display whose horizontal span strictly contains the window's
// horizontal centre; 0 when none does. Displays primary first.
int displayOf(const QRect& window, const QList<QRect>& displays);

// The window's new top-left while dragged to `window`: edges within
// `within` pixels of the edges of the work area it is over snap to them.
QPoint snapped(const QRect& window, const QList<QRect>& workAreas, int within = 40);

} // namespace mirovex::geometry
