#include "display/grid/gridgeometry.h"

#include <algorithm>
#include <cmath>

namespace mirovex::grid {

int clampCells(int n) { return std::clamp(n, kMinCells, kMaxCells); }

QSize cellSize(int n)
{
    n = clampCells(n);
    return {kMapSize.width() / n, kMapSize.height() / n};
}

Cell cellAt(QPoint p, int n)
{
    n = clampCells(n);
    const QSize c = cellSize(n);
    // A border point belongs to the cell left of it or above it.
    const auto index = [n](int v, int side) { return v <= 0 ? 0 : std::clamp((v - 1) / side, 0, n - 1); };
    return {index(p.x(), c.width()), index(p.y(), c.height())};
}

QRect cellOnMap(Cell cell, int n)
{
    const QSize c = cellSize(n);
    return {cell.column * c.width(), cell.row * c.height(), c.width(), c.height()};
}

int roundEven(double v) { return int(std::nearbyint(v)); }

QRect spanRect(const QRect& display, const QRect& workArea, int n, Cell a, Cell b)
{
    n = clampCells(n);
    const int c1 = std::clamp(std::min(a.column, b.column), 0, n - 1), c2 = std::clamp(std::max(a.column, b.column), 0, n - 1);
    const int r1 = std::clamp(std::min(a.row, b.row), 0, n - 1), r2 = std::clamp(std::max(a.row, b.row), 0, n - 1);
    const int w = roundEven(double(display.width()) / n);
    const int h = workArea.height() / n;
    return {display.left() + c1 * w, workArea.top() + r1 * h, w * (c2 - c1) + w, h + h * (r2 - r1)};
}

QList<QRect> tileLayout(int count, const QRect& display, const QRect& workArea)
{
    QList<QRect> out;
    if (count < 2)
        return out;
    const double root = std::sqrt(double(count));
    int rows = roundEven(root);
    if (rows * rows != count)
        ++rows;
    const int columns = (count + rows - 1) / rows;
    const int columnWidth = display.width() / columns;
    const int rowHeight = workArea.height() / rows;
    int x = display.left() + 1;
    int y = workArea.top();
    for (int i = 0; i < count; ++i) {
        out.append(QRect(x, y, columnWidth, rowHeight));
        y += rowHeight;
        if ((i + 1) % rows == 0) {
            y = workArea.top();
            x += columnWidth + 1;
        }
    }
    return out;
}

QList<Placement> tile(const QList<QRect>& frames, const QRect& display, const QRect& workArea)
{
    QList<int> here;
    for (int i = 0; i < frames.size(); ++i)
        if (display.contains(frames[i].center()))
            here.append(i);
    const QList<QRect> places = tileLayout(int(here.size()), display, workArea);
    QList<Placement> out;
    for (int i = 0; i < places.size(); ++i)
        out.append({here[i], places[i]});
    return out;
}

QList<Placement> cascade(const QList<QRect>& frames, const QRect& display, const QRect& workArea, int titleHeight)
{
    const int step = std::max(titleHeight, 1);
    QList<Placement> out;
    int k = 0;
    for (int i = 0; i < frames.size(); ++i) {
        if (!display.contains(frames[i].center()))
            continue;
        // Back from the corner again when the next one would leave the work area.
        QPoint corner = workArea.topLeft() + QPoint(k * step, k * step);
        QSize size = frames[i].size().boundedTo(workArea.size());
        if (corner.x() + size.width() > workArea.right() + 1 || corner.y() + size.height() > workArea.bottom() + 1) {
            k = 0;
            corner = workArea.topLeft();
        }
        out.append({i, QRect(corner, size)});
        ++k;
    }
    return out;
}

QPoint restoredPosition(QPoint stored, QSize size, const QList<QRect>& displays)
{
    const QRect window(stored, size);
    for (const QRect& d : displays) {
        const QRect seen = d.intersected(window);
        if (seen.width() >= 30 && seen.height() >= 30)
            return stored;
    }
    const QRect primary = displays.isEmpty() ? QRect(0, 0, 1920, 1080) : displays.first();
    const auto overlap = [](int a0, int a1, int b0, int b1) { return std::min(a1, b1) - std::max(a0, b0); };
    QPoint p = stored;
    if (overlap(window.left(), window.left() + size.width(), primary.left(), primary.left() + primary.width()) < 30)
        p.setX(primary.left() + (primary.width() - size.width()) / 2);
    if (overlap(window.top(), window.top() + size.height(), primary.top(), primary.top() + primary.height()) < 30)
        p.setY(primary.top() + (primary.height() - size.height()) / 2);
    return p;
}

QString percentText(int position)
{
    return QStringLiteral("%1 %").arg(roundEven(std::clamp(position, 0, 255) / 255.0 * 100));
}

} // namespace mirovex::grid
