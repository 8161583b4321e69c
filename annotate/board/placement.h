// Where the annotation program's windows go among the displays: plain
// functions on rectangles in the programs' frame (primary top-left 0,0).
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace mirovex::annotate {

inline constexpr int kTrayButtonSize = 32;
// The tray button never goes further left or higher than this.
inline constexpr int kTrayButtonLimit = -13;
inline constexpr int kDefaultPlace = 200;

// The tray button's place from the stored one: kept when the button's
// top-left with a 30-pixel margin lies on a display (a second display
// included); else each axis outside the primary display (`displays[0]`) by
// that margin, or negative, becomes 200.
QPoint trayButtonPlace(QPoint stored, const QList<QRect>& displays);

// The display the board covers: the display of the tray button's centre.
QRect boardDisplay(const QRect& trayButton, const QList<QRect>& displays);

// A dragged tray button's top-left, held inside the limit.
QPoint limitedDrag(QPoint wanted);

// Whether the pointer is in the top-left corner of its display, where the
// tray button comes forward: within 14 pixels of the left edge and less
// than 15 below the top.
bool inRaiseCorner(QPoint pointer, const QRect& display);

} // namespace mirovex::annotate
