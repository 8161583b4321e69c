#include "display/engine/cursoroverlay.h"

#include "common/settings/settingsfile.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace mirovex::cursor {

namespace {

// Integer a·b/c rounded half up, for the non-negative values used here.
int mulDiv(int a, int b, int c) { return (a * b + c / 2) / c; }

template <typename F>
quint32 perChannel(quint32 value, F f)
{
    const int r = int(value & 0xff), g = int((value >> 8) & 0xff), b = int((value >> 16) & 0xff);
    return quint32(f(r)) | (quint32(f(g)) << 8) | (quint32(f(b)) << 16);
}

quint32 packed(QRgb c) { return quint32(qRed(c)) | (quint32(qGreen(c)) << 8) | (quint32(qBlue(c)) << 16); }

QColor colour(quint32 value, int alpha = 255)
{
    QColor c = colourFromValue(value);
    c.setAlpha(alpha);
    return c;
}

// Sizes are rounded as the frame counter rounds: halves to even.
int roundEven(double v) { return int(std::nearbyint(v)); }

} // namespace

quint32 lighten(quint32 value, int percent)
{
    return perChannel(value, [&](int c) { return c + mulDiv(255 - c, percent, 100); });
}

quint32 darken(quint32 value, int percent)
{
    return perChannel(value, [&](int c) { return c - mulDiv(c, percent, 100); });
}

quint32 crossColourOver(const QImage& frame, QPoint at, quint32 crossColour)
{
    constexpr int kThreshold = 0x7F7F80;
    const QRect inside(QPoint(0, 0), frame.size());
    qint64 sum = 0;
    int count = 0;
    for (const QPoint d : {QPoint(0, 0), QPoint(-5, -5), QPoint(-5, 5), QPoint(5, -5), QPoint(5, 5)}) {
        const QPoint p = at + d;
        if (!inside.contains(p))
            continue;
        sum += packed(reinterpret_cast<const QRgb*>(frame.constScanLine(p.y()))[p.x()]);
        ++count;
    }
    const qint64 average = count ? sum / count : 0;
    return average < kThreshold ? lighten(crossColour, 50) : darken(crossColour, 50);
}

Sizes sizes(const Sliders& sliders, bool dynamic, bool wholeDesktop, const QSize& area, const QSize& display)
{
    const int dot = std::clamp(sliders.dot, 50, 400);
    const int halo = std::clamp(sliders.halo, 5, 400);
    if (!dynamic || wholeDesktop || area.width() <= 0 || area.height() <= 0 || display.isEmpty())
        return {dot / 10, halo / 10};
    // How much the area is enlarged on the target, on its longer side. A
    // larger area than the display would grow the dot: it stays as set.
    const bool wide = area.height() < area.width();
    const double k = std::clamp(double(wide ? display.width() : display.height()) /
                                    double(wide ? area.width() : area.height()),
                                1.0, 2.0);
    return {roundEven(dot / 10.0 / k), roundEven(halo / 10.0 / k)};
}

QRect drawnBox(const Style& style, const Where& where, const SystemPicture* system)
{
    const QPoint p = where.pointer;
    switch (style.hidden ? Kind::None : style.kind) {
    case Kind::Dot: {
        const int r = std::max(2 * style.haloSize, style.dotSize / 2 + 1) + 1;
        return QRect(p - QPoint(r, r), QSize(2 * r + 1, 2 * r + 1));
    }
    case Kind::Cross: {
        const int r = style.crossHalf + where.crossPen;
        return QRect(p - QPoint(r, r), QSize(2 * r + 1, 2 * r + 1));
    }
    case Kind::System:
        if (!system || system->image.isNull())
            return {};
        return QRect(p - system->hotspot, system->image.size());
    case Kind::None: break;
    }
    return {};
}

void draw(QImage& frame, const Style& style, const Where& where, const SystemPicture* system)
{
    if (style.hidden || style.kind == Kind::None || frame.isNull())
        return;
    const QRect box = drawnBox(style, where, system) & QRect(QPoint(0, 0), frame.size());
    if (box.isEmpty())
        return;
    const QPointF at(where.pointer);
    QPainter p(&frame);
    p.setClipRect(box);
    p.setRenderHint(QPainter::Antialiasing);
    switch (style.kind) {
    case Kind::Dot: {
        const qreal h = style.haloSize, d = style.dotSize;
        p.setPen(Qt::NoPen);
        p.setBrush(colour(kHaloValue, kHaloAlpha));
        p.drawEllipse(QRectF(at.x() - 2 * h, at.y() - 2 * h, 4 * h, 4 * h));
        p.setBrush(colour(style.dotColour));
        const qreal half = style.dotSize / 2;
        p.drawEllipse(QRectF(at.x() - half, at.y() - half, d, d));
        break;
    }
    case Kind::Cross: {
        if (!where.onDisplay)
            break;
        const quint32 c = crossColourOver(frame, where.pointer, style.crossColour);
        QPen pen(colour(c), where.crossPen, Qt::SolidLine, Qt::FlatCap);
        p.setPen(pen);
        // An odd pen is centred on the pixel row, so the line stays crisp.
        const qreal off = where.crossPen % 2 ? 0.5 : 0.0;
        const qreal L = style.crossHalf;
        p.drawLine(QPointF(at.x() - L, at.y() + off), QPointF(at.x() + L, at.y() + off));
        p.drawLine(QPointF(at.x() + off, at.y() - L), QPointF(at.x() + off, at.y() + L));
        break;
    }
    case Kind::System:
        if (where.onDisplay && system && !system->image.isNull())
            p.drawImage(where.pointer - system->hotspot, system->image);
        break;
    case Kind::None: break;
    }
}

int Ring::step(int framesPerSecond)
{
    if (framesPerSecond <= 0)
        return 2;
    return roundEven(std::clamp(30.0 / framesPerSecond, 2.0, 3.0));
}

void Ring::advance(int framesPerSecond)
{
    radius_ += step(framesPerSecond);
    if (radius_ > kRingMaximum)
        radius_ = kRingMinimum;
}

void Ring::drawAndAdvance(QImage& frame, QPoint pointer, int dotSize, int framesPerSecond)
{
    if (shows(dotSize) && !frame.isNull()) {
        const int r = radius_;
        const QRect box = QRect(pointer - QPoint(r + 2, r + 2), QSize(2 * r + 5, 2 * r + 5)) &
                          QRect(QPoint(0, 0), frame.size());
        if (!box.isEmpty()) {
            QPainter p(&frame);
            p.setClipRect(box);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(colour(kRingValue), 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(pointer.x() - r, pointer.y() - r, 2 * r, 2 * r));
        }
    }
    advance(framesPerSecond);
}

} // namespace mirovex::cursor
