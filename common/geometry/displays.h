// Rules about where a window stands among the displays, shared by every
// window of both programs that is placed on or dragged across them.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace mirovex::geometry {

// The display a point is on: the one that contains it; when none does, the
// last whose horizontal span strictly contains its x, else display 0.
// Displays primary first.
int displayAt(QPoint point, const QList<QRect>& displays);

// The display a window is on: the display of its centre point
// (left + width / 2, top + height / 2).
int displayOf(const QRect& window, const QList<QRect>& displays);

// The window's new top-left while dragged to `window`: edges within
// `within` pixels of the edges of the work area it is over snap to them.
QPoint snapped(const QRect& window, const QList<QRect>& workAreas, int within = 40);

} // namespace mirovex::geometry
