// Drawing on a picture the way the editors' strokes expect it: aliased shapes,
// round caps and joins, the four pen modes (copy, exclusive-or, its negation
// for rubber bands, and the AND of the marker) and the eight brush codes,
// whose hatches are anchored at the picture's origin and leave the pixels
// between their lines untouched.
//
// Every shape is first rendered into a coverage mask (pen or brush per pixel)
// and then applied once per pixel. A pixel is therefore touched at most once
// per shape, so a shape drawn twice in exclusive-or (or its negation) gives
// back every byte it changed.
//
// One pixel rule for all shapes, that of the system the editors come from:
// a rectangle or ellipse with the corners a and b covers the columns
// min(a.x, b.x) up to but not including max(a.x, b.x), and the rows likewise;
// a width-1 line from a to b covers a up to but not including b. Wider lines
// and outlines are round-capped strokes centred on the same pixel centres.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QSize>

#include <vector>

namespace mirovex::paint {

enum class PenMode {
    Copy,   // the colour replaces the pixel
    Xor,    // the pixel's bits flipped where the colour has ones
    NotXor, // the negation of that: flips where the colour has zeros
    Mask,   // each channel ANDed with the colour (a marker)
};

// The brush codes as the editor stores them (0 to 7).
enum class BrushStyle {
    Solid = 0,
    Clear = 1,
    Horizontal = 2,
    Vertical = 3,
    FDiagonal = 4,
    BDiagonal = 5,
    Cross = 6,
    DiagCross = 7,
};

struct Pen {
    QRgb colour = 0xff000000;
    int width = 1;
    PenMode mode = PenMode::Copy;
};

struct Brush {
    QRgb colour = 0xff000000;
    BrushStyle style = BrushStyle::Clear;
};

// Whether the brush paints the picture pixel (x, y): every pixel for a solid
// brush, none for a clear one, an 8-pixel hatch anchored at (0, 0) otherwise.
bool brushCovers(BrushStyle style, int x, int y);

// One pixel of the picture put through a pen mode.
QRgb applyMode(PenMode mode, QRgb pixel, QRgb colour);

class RasterCanvas {
public:
    // picture: Format_RGB32; it must outlive the calls. Null draws nothing.
    explicit RasterCanvas(QImage* picture = nullptr) : picture_(picture) {}
    void setPicture(QImage* picture) { picture_ = picture; }

    // Each call returns the rectangle of picture pixels it may have changed
    // (clipped to the picture; empty when nothing was drawn).
    QRect line(QPoint a, QPoint b, const Pen& pen);
    QRect rectangle(QPoint a, QPoint b, const Pen& pen, const Brush& brush);
    QRect ellipse(QPoint a, QPoint b, const Pen& pen, const Brush& brush);
    // corner: the width and height of the ellipse that rounds each corner.
    QRect roundRect(QPoint a, QPoint b, QSize corner, const Pen& pen, const Brush& brush);
    // A closed polygon, filled with the brush and outlined with the pen.
    QRect polygon(const QPolygon& points, const Pen& pen, const Brush& brush);
    // The path filled with the brush (no outline), in the given mode.
    QRect fillPath(const QPainterPath& path, const Brush& brush, PenMode mode = PenMode::Copy);
    // Single pixels of one colour, copied; points outside are left out.
    QRect pixels(const std::vector<QPoint>& points, QRgb colour);

private:
    enum class Outline { Line, Rect, Ellipse, RoundRect, Polygon };
    struct Shape {
        Outline kind;
        QPoint a, b;
        QSize corner;
        QPolygon points;
    };
    QRect draw(const Shape& shape, const Pen& pen, const Brush& brush);
    QRect apply(QRect area, const Pen& pen, const Brush& brush);
    // An empty mask over `area`, and a picture that paints into it.
    QImage clearMask(QRect area);
    uchar* maskRow(int y) { return mask_.data() + std::size_t(y) * std::size_t(maskStride_); }

    QImage* picture_;
    // Coverage of the current shape over its bounding rectangle, reused
    // between calls: 0 untouched, 1 pen, 2 brush.
    std::vector<uchar> mask_;
    int maskStride_ = 0;
};

} // namespace mirovex::paint
