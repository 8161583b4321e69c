// The Focus source's geometry: a rectangle of the source display around the
// pointer, in the display's shape, whose width the zoom position sets, kept
// whole inside the display. Plain functions, no display needed.
//
// The zoom position is the "Focus Area Size" value: the larger it is, the
// smaller the rectangle and the stronger the magnification. Its half-width
// is half the display's width less the position. The range runs from 25
// (zoom out stops there: almost the whole display) up to the position that
// leaves the least half-width, so the magnified picture never becomes empty.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace mirovex::focus {

constexpr int kStep = 25;   // one zoom command
constexpr int kLeast = 25;  // the lowest position
constexpr int kDefault = 503;

// The smallest half-width: 32 pixels, and never so narrow that the
// rectangle is less than 16 pixels high.
int leastHalfWidth(const QSize& display);
// The highest position on a display of this size.
int mostPosition(const QSize& display);
int clampPosition(int position, const QSize& display);
int halfWidth(int position, const QSize& display);
// The zoom commands: one step of 25 in, or out, within the range.
int zoomIn(int position, const QSize& display);
int zoomOut(int position, const QSize& display);

// The magnified rectangle for the pointer (both on the root): 2a wide, as
// high as the display's shape gives, centred on the pointer and pushed back
// inside the display at its edges.
QRect rect(QPoint pointer, const QRect& display, int a);

} // namespace mirovex::focus
