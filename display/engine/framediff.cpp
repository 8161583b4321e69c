#include "display/engine/framediff.h"

#include <QRegion>

#include <cmath>

namespace mirovex::framediff {

QVector<QRect> inFrame(const QVector<QRect>& changed, const QRect& mirror)
{
    QVector<QRect> out;
    for (const QRect& r : changed) {
        const QRect in = r.intersected(mirror);
        if (!in.isEmpty())
            out.append(in.translated(-mirror.topLeft()));
    }
    return out;
}

QVector<QRect> merge(const QVector<QRect>& parts, QSize frame, int maxCount)
{
    const QRect all(QPoint(0, 0), frame);
    QRegion region;
    for (const QRect& p : parts) {
        const QRect in = p.intersected(all);
        if (!in.isEmpty())
            region += in;
    }
    if (region.isEmpty())
        return {};
    if (region.rectCount() > maxCount)
        return {region.boundingRect()};
    return QVector<QRect>(region.begin(), region.end());
}

bool mostOf(const QVector<QRect>& parts, QSize frame, int percent)
{
    qint64 area = 0;
    for (const QRect& p : parts)
        area += qint64(p.width()) * p.height();
    return area * 100 >= qint64(frame.width()) * frame.height() * percent;
}

QRect scaledSpan(const QRect& part, QSize source, const QRect& fitted, int margin)
{
    if (part.isEmpty() || source.isEmpty() || fitted.isEmpty())
        return {};
    // Target pixel t samples the source at s = (t + 0.5) k - 0.5 and reads
    // floor(s) and the pixel after it; it sees a source span [a, b) when
    // a - 1 <= s < b.
    const auto span = [margin](int a, int b, int sourceLength, int fittedLength) {
        const double k = double(sourceLength) / fittedLength;
        const int first = int(std::ceil((a - 0.5) / k - 0.5)) - margin;
        const int end = int(std::ceil((b + 0.5) / k - 0.5)) + margin;
        return std::pair(std::max(first, 0), std::min(end, fittedLength));
    };
    const auto [x0, x1] = span(part.left(), part.left() + part.width(), source.width(), fitted.width());
    const auto [y0, y1] = span(part.top(), part.top() + part.height(), source.height(), fitted.height());
    if (x1 <= x0 || y1 <= y0)
        return {};
    return QRect(fitted.x() + x0, fitted.y() + y0, x1 - x0, y1 - y0);
}

} // namespace mirovex::framediff
