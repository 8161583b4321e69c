// Which parts of a mirrored frame must be worked again: the screen's changed
// rectangles cut to the mirrored rectangle, the boxes our own overlays drew
// into, merged into a few rectangles, and where each lands on the target
// once scaled. Plain functions on rectangles, no display needed.
#pragma once

#include <QRect>
#include <QSize>
#include <QVector>

namespace mirovex::framediff {

// The screen's changed rectangles (on the root) that fall inside the
// mirrored rectangle `mirror` (on the root), in the frame's pixels.
QVector<QRect> inFrame(const QVector<QRect>& changed, const QRect& mirror);

// The parts as a few disjoint rectangles inside `frame`: their union, or its
// bounding rectangle when the union takes more than `maxCount` rectangles.
// Empty parts are dropped.
QVector<QRect> merge(const QVector<QRect>& parts, QSize frame, int maxCount);

// Whether the parts cover so much of the frame that working it whole costs
// no more (at least `percent` of its area).
bool mostOf(const QVector<QRect>& parts, QSize frame, int percent);

// The target pixels that a change of `part` (in a frame of `source` size)
// can reach once the frame is scaled into `fitted` with a filter that reads
// up to one pixel beyond the sampled point (bilinear or nearest), widened by
// `margin` target pixels and cut to `fitted`.
QRect scaledSpan(const QRect& part, QSize source, const QRect& fitted, int margin);

} // namespace mirovex::framediff
