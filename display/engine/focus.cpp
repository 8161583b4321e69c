#include "display/engine/focus.h"

#include <algorithm>

namespace mirovex::focus {

namespace {
constexpr int kLeastHalfWidth = 32;
constexpr int kLeastHalfHeight = 8;
} // namespace

int leastHalfWidth(const QSize& display)
{
    const int w = std::max(display.width(), 2), h = std::max(display.height(), 1);
    // a·h/w ≥ 8, rounded up.
    const int forHeight = int((qint64(kLeastHalfHeight) * w + h - 1) / h);
    return std::min(std::max(kLeastHalfWidth, forHeight), w / 2);
}

int mostPosition(const QSize& display) { return std::max(kLeast, display.width() / 2 - leastHalfWidth(display)); }

int clampPosition(int position, const QSize& display) { return std::clamp(position, kLeast, mostPosition(display)); }

int halfWidth(int position, const QSize& display)
{
    return std::max(display.width() / 2 - clampPosition(position, display), leastHalfWidth(display));
}

int zoomIn(int position, const QSize& display) { return clampPosition(clampPosition(position, display) + kStep, display); }

int zoomOut(int position, const QSize& display) { return clampPosition(clampPosition(position, display) - kStep, display); }

QRect rect(QPoint pointer, const QRect& display, int a)
{
    if (display.isEmpty())
        return {};
    a = std::clamp(a, 1, std::max(display.width() / 2, 1));
    const int w = std::min(2 * a, display.width());
    const int h = std::min(int(2 * (qint64(a) * display.height() / display.width())), display.height());
    // Pushed back inside: the right and bottom edges first, then the left
    // and top, so a display smaller than the rectangle keeps its top-left.
    const int left = std::max(std::min(pointer.x() - a, display.left() + display.width() - w), display.left());
    const int top = std::max(std::min(pointer.y() - h / 2, display.top() + display.height() - h), display.top());
    return QRect(left, top, w, std::max(h, 1));
}

} // namespace mirovex::focus
