#include "common/geometry/displays.h"

#include <cstdlib>

namespace mirovex::geometry {

int displayAt(QPoint point, const QList<QRect>& displays)
{
    for (int i = 0; i < displays.size(); ++i)
        if (displays[i].contains(point))
            return i;
    // Off every display: the horizontal rule alone, which cannot tell two
    // stacked displays apart and so only serves where containment fails.
    for (int i = int(displays.size()) - 1; i >= 0; --i) {
        const QRect& d = displays[i];
        if (point.x() > d.left() && point.x() < d.left() + d.width())
            return i;
    }
    return 0;
}

int displayOf(const QRect& window, const QList<QRect>& displays)
{
    return displayAt(QPoint(window.left() + window.width() / 2, window.top() + window.height() / 2), displays);
}

QPoint snapped(const QRect& window, const QList<QRect>& workAreas, int within)
{
    if (workAreas.isEmpty())
        return window.topLeft();
    // The work area under the window's centre, else the nearest one.
    const QPoint c = window.center();
    const QRect* area = &workAreas.first();
    long best = -1;
    for (const QRect& a : workAreas) {
        const long dx = c.x() < a.left() ? a.left() - c.x() : c.x() > a.right() ? c.x() - a.right() : 0;
        const long dy = c.y() < a.top() ? a.top() - c.y() : c.y() > a.bottom() ? c.y() - a.bottom() : 0;
        const long d = dx * dx + dy * dy;
        if (best < 0 || d < best) {
            best = d;
            area = &a;
        }
    }
    int x = window.left();
    int y = window.top();
    const int right = area->left() + area->width();
    const int bottom = area->top() + area->height();
    if (std::abs(window.left() - area->left()) < within)
        x = area->left();
    else if (std::abs(window.left() + window.width() - right) < within)
        x = right - window.width();
    if (std::abs(window.top() - area->top()) < within)
        y = area->top();
    else if (std::abs(window.top() + window.height() - bottom) < within)
        y = bottom - window.height();
    return QPoint(x, y);
}

} // namespace mirovex::geometry
