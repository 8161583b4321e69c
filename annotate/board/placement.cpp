#include "annotate/board/placement.h"

#include "common/geometry/displays.h"

#include <algorithm>

namespace mirovex::annotate {

namespace {
constexpr int kMargin = 30;
}

QPoint trayButtonPlace(QPoint stored, const QList<QRect>& displays)
{
    for (const QRect& d : displays) {
        if (d.adjusted(0, 0, -kMargin, -kMargin).contains(stored))
            return stored;
    }
    const QRect primary = displays.isEmpty() ? QRect(0, 0, 1920, 1080) : displays.first();
    QPoint p = stored;
    if (p.x() < 0 || p.x() > primary.x() + primary.width() - kMargin)
        p.setX(kDefaultPlace);
    if (p.y() < 0 || p.y() > primary.y() + primary.height() - kMargin)
        p.setY(kDefaultPlace);
    return p;
}

QRect boardDisplay(const QRect& trayButton, const QList<QRect>& displays)
{
    if (displays.isEmpty())
        return QRect(0, 0, 1920, 1080);
    return displays[geometry::displayOf(trayButton, displays)];
}

QPoint limitedDrag(QPoint wanted)
{
    return QPoint(std::max(wanted.x(), kTrayButtonLimit), std::max(wanted.y(), kTrayButtonLimit));
}

bool inRaiseCorner(QPoint pointer, const QRect& display)
{
    return pointer.x() >= display.left() && pointer.x() < display.left() + 14 && pointer.y() >= display.top() &&
           pointer.y() < display.top() + 15;
}

} // namespace mirovex::annotate
