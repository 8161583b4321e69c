#include "common/paint/rastercanvas.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace mirovex::paint {

namespace {

constexpr uchar kPen = 255;
constexpr uchar kBrush = 128;
constexpr QRgb kOpaque = 0xff000000u;

QRect box(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

// Bresenham from a toward b; b itself is left out, as a width-1 line ends.
template <typename Plot>
void bresenham(QPoint a, QPoint b, Plot plot)
{
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    while (x != b.x() || y != b.y()) {
        plot(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

} // namespace

bool brushCovers(BrushStyle style, int x, int y)
{
    // Hatches repeat every 8 pixels; the modulo stays positive for negative
    // coordinates so the pattern is continuous across the origin.
    const int mx = x & 7, my = y & 7;
    switch (style) {
    case BrushStyle::Solid: return true;
    case BrushStyle::Clear: return false;
    case BrushStyle::Horizontal: return my == 0;
    case BrushStyle::Vertical: return mx == 0;
    case BrushStyle::FDiagonal: return ((x - y) & 7) == 0;
    case BrushStyle::BDiagonal: return ((x + y) & 7) == 0;
    case BrushStyle::Cross: return mx == 0 || my == 0;
    case BrushStyle::DiagCross: return ((x - y) & 7) == 0 || ((x + y) & 7) == 0;
    }
    return false;
}

QRgb applyMode(PenMode mode, QRgb pixel, QRgb colour)
{
    colour &= 0x00ffffffu;
    switch (mode) {
    case PenMode::Copy: return colour | kOpaque;
    case PenMode::Xor: return (pixel ^ colour) | kOpaque;
    case PenMode::NotXor: return (~(pixel ^ colour) & 0x00ffffffu) | kOpaque;
    case PenMode::Mask: return (pixel & colour) | kOpaque;
    }
    return pixel;
}

QRect RasterCanvas::line(QPoint a, QPoint b, const Pen& pen)
{
    return draw({Outline::Line, a, b, {}, {}}, pen, Brush{pen.colour, BrushStyle::Clear});
}

QRect RasterCanvas::rectangle(QPoint a, QPoint b, const Pen& pen, const Brush& brush)
{
    return draw({Outline::Rect, a, b, {}, {}}, pen, brush);
}

QRect RasterCanvas::ellipse(QPoint a, QPoint b, const Pen& pen, const Brush& brush)
{
    return draw({Outline::Ellipse, a, b, {}, {}}, pen, brush);
}

QRect RasterCanvas::roundRect(QPoint a, QPoint b, QSize corner, const Pen& pen, const Brush& brush)
{
    return draw({Outline::RoundRect, a, b, corner, {}}, pen, brush);
}

QRect RasterCanvas::polygon(const QPolygon& points, const Pen& pen, const Brush& brush)
{
    if (points.isEmpty())
        return {};
    const QRect r = points.boundingRect();
    return draw({Outline::Polygon, r.topLeft(), r.bottomRight(), {}, points}, pen, brush);
}

QRect RasterCanvas::draw(const Shape& s, const Pen& pen, const Brush& brush)
{
    if (!picture_ || picture_->isNull())
        return {};
    const int w = std::max(1, pen.width);
    const QRect shapeBox = box(s.a, s.b);
    // The exclusive right and bottom edge: shapes with no area draw nothing.
    const bool boxed = s.kind == Outline::Rect || s.kind == Outline::Ellipse || s.kind == Outline::RoundRect;
    if (boxed && (shapeBox.width() <= 1 || shapeBox.height() <= 1))
        return {};
    if (s.kind == Outline::Line && w == 1 && s.a == s.b)
        return {};
    const int margin = w / 2 + 2;
    const QRect area = shapeBox.adjusted(-margin, -margin, margin, margin).intersected(picture_->rect());
    if (area.isEmpty())
        return {};

    QImage mask = clearMask(area);
    auto plot = [&](int x, int y) {
        if (area.contains(x, y))
            maskRow(y - area.y())[x - area.x()] = kPen;
    };

    // The last pixel inside the box on each side, the path runs through
    // these pixels' centres.
    const int l = shapeBox.left(), t = shapeBox.top();
    const int r = shapeBox.right() - 1, b = shapeBox.bottom() - 1;

    const bool fill = brush.style != BrushStyle::Clear && s.kind != Outline::Line;
    if (fill && s.kind == Outline::Rect) {
        const QRect inner = QRect(QPoint(l, t), QPoint(r, b)).intersected(area);
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            std::memset(maskRow(y - area.y()) + (inner.left() - area.x()), kBrush, std::size_t(inner.width()));
    }

    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(-area.x(), -area.y());
        const QColor penColour(kPen, kPen, kPen), brushColour(kBrush, kBrush, kBrush);
        const QRectF centres(l, t, r - l, b - t);
        const qreal rx = s.corner.width() / 2.0, ry = s.corner.height() / 2.0;
        auto outline = [&](auto&& shape) {
            p.setBrush(Qt::NoBrush);
            if (w == 1) {
                p.setPen(QPen(penColour, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
                p.save();
                shape(QPointF(0, 0));
                p.restore();
            } else {
                p.setPen(QPen(penColour, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                shape(QPointF(0.5, 0.5));
            }
        };
        if (fill && s.kind != Outline::Rect) {
            p.setPen(Qt::NoPen);
            p.setBrush(brushColour);
            const QPointF c(0.5, 0.5);
            if (s.kind == Outline::Ellipse)
                p.drawEllipse(centres.translated(c));
            else if (s.kind == Outline::RoundRect)
                p.drawRoundedRect(centres.translated(c), rx, ry);
            else if (s.kind == Outline::Polygon)
                p.drawPolygon(QPolygonF(s.points).translated(c));
        }
        switch (s.kind) {
        case Outline::Line:
            if (w == 1) {
                bresenham(s.a, s.b, plot);
            } else if (s.a == s.b) {
                // A round pen's dot where a stroke starts and ends in one place.
                p.setPen(Qt::NoPen);
                p.setBrush(penColour);
                p.drawEllipse(QPointF(s.a) + QPointF(0.5, 0.5), w / 2.0, w / 2.0);
            } else {
                p.setPen(QPen(penColour, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                p.drawLine(QPointF(s.a) + QPointF(0.5, 0.5), QPointF(s.b) + QPointF(0.5, 0.5));
            }
            break;
        case Outline::Rect:
            if (w == 1) {
                for (int x = l; x <= r; ++x) {
                    plot(x, t);
                    plot(x, b);
                }
                for (int y = t; y <= b; ++y) {
                    plot(l, y);
                    plot(r, y);
                }
            } else {
                outline([&](QPointF o) { p.drawRect(centres.translated(o)); });
            }
            break;
        case Outline::Ellipse:
            outline([&](QPointF o) { p.drawEllipse(centres.translated(o)); });
            break;
        case Outline::RoundRect:
            outline([&](QPointF o) { p.drawRoundedRect(centres.translated(o), rx, ry); });
            break;
        case Outline::Polygon:
            if (w == 1) {
                for (int i = 0; i < s.points.size(); ++i)
                    bresenham(s.points[i], s.points[(i + 1) % s.points.size()], plot);
                if (s.points.size() == 1)
                    plot(s.points[0].x(), s.points[0].y());
            } else {
                outline([&](QPointF o) { p.drawPolygon(QPolygonF(s.points).translated(o)); });
            }
            break;
        }
    }
    return apply(area, pen, brush);
}

QRect RasterCanvas::fillPath(const QPainterPath& path, const Brush& brush, PenMode mode)
{
    if (!picture_ || picture_->isNull() || brush.style == BrushStyle::Clear)
        return {};
    const QRect area = path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1).intersected(picture_->rect());
    if (area.isEmpty())
        return {};
    QImage mask = clearMask(area);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(-area.x() + 0.5, -area.y() + 0.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(kBrush, kBrush, kBrush));
        p.drawPath(path);
    }
    return apply(area, Pen{brush.colour, 1, mode}, brush);
}

QRect RasterCanvas::pixels(const std::vector<QPoint>& points, QRgb colour)
{
    if (!picture_ || picture_->isNull())
        return {};
    QRect dirty;
    const QRect bounds = picture_->rect();
    for (const QPoint& pt : points) {
        if (!bounds.contains(pt))
            continue;
        reinterpret_cast<QRgb*>(picture_->scanLine(pt.y()))[pt.x()] = (colour & 0x00ffffffu) | kOpaque;
        dirty |= QRect(pt, QSize(1, 1));
    }
    return dirty;
}

QImage RasterCanvas::clearMask(QRect area)
{
    maskStride_ = (area.width() + 7) & ~7;
    const std::size_t bytes = std::size_t(maskStride_) * std::size_t(area.height());
    if (mask_.size() < bytes)
        mask_.resize(bytes);
    std::memset(mask_.data(), 0, bytes);
    return QImage(mask_.data(), area.width(), area.height(), maskStride_, QImage::Format_Grayscale8);
}

QRect RasterCanvas::apply(QRect area, const Pen& pen, const Brush& brush)
{
    QRect dirty;
    int top = -1, bottom = -1, left = area.width(), right = -1;
    for (int y = 0; y < area.height(); ++y) {
        const uchar* m = maskRow(y);
        auto* px = reinterpret_cast<QRgb*>(picture_->scanLine(area.y() + y)) + area.x();
        const int py = area.y() + y;
        int x = 0;
        bool any = false;
        while (x < area.width()) {
            // Outlines leave most of their box empty: skip it a word at a time.
            if (x + 8 <= area.width()) {
                std::uint64_t word;
                std::memcpy(&word, m + x, 8);
                if (word == 0) {
                    x += 8;
                    continue;
                }
            }
            const uchar v = m[x];
            if (v == kPen) {
                px[x] = applyMode(pen.mode, px[x], pen.colour);
                any = true;
                left = std::min(left, x);
                right = std::max(right, x);
            } else if (v == kBrush && brushCovers(brush.style, area.x() + x, py)) {
                px[x] = applyMode(pen.mode, px[x], brush.colour);
                any = true;
                left = std::min(left, x);
                right = std::max(right, x);
            }
            ++x;
        }
        if (any) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    }
    if (top < 0)
        return {};
    return QRect(area.x() + left, area.y() + top, right - left + 1, bottom - top + 1);
}

} // namespace mirovex::paint
