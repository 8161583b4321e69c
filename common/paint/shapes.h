// The geometry of the marks both drawing programs make: arrowheads, the
// stamped curved arrow and the airbrush's scatter. Plain functions on
// picture coordinates; the callers draw the result.
#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QPolygon>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace mirovex::paint {

// Rounds to the nearest whole number, halves to even.
int roundEven(double v);

// What sets an arrowhead's size: the two sliders of the arrow settings
// (length in steps of 16 pixels, half-width in steps of 2) and whether the
// arrow has a head at both ends.
struct ArrowHeadStyle {
    int length = 1;
    int width = 4;
    bool twoHeads = false;
};

// The triangle of a head whose tip is at `tip`, pointing from `from` to
// `tip`: the tip, then the two corners. None when the two points coincide.
std::optional<std::array<QPoint, 3>> arrowHead(QPoint from, QPoint tip, const ArrowHeadStyle& style);

// One point of the curved arrow's outline and how the path reaches it.
struct PathPoint {
    enum Kind { Move, Bezier, Line };
    QPoint at;
    Kind kind;
};

// The 18 points of the curved arrow stamped with its tip at `tip`, size s
// (pixels): a half ring over the top that ends in a head pointing down to
// the tip. Points 1-6 and 11-16 are two cubic curves each.
std::array<PathPoint, 18> curvedArrowPoints(QPoint tip, int s);
QPainterPath curvedArrow(QPoint tip, int s);
// The size in pixels of a curved arrow for a tool size of 1 to 20.
inline int curvedArrowSize(int toolSize) { return toolSize * 25 + 50; }

// A uniform random number in [0, 1).
using Random = std::function<double()>;

// One puff of the airbrush: 101 pixels around `centre` within `size`.
std::vector<QPoint> sprayPoints(QPoint centre, int size, const Random& random);

} // namespace mirovex::paint
