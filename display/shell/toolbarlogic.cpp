#include "display/shell/toolbarlogic.h"

#include <algorithm>

namespace mirovex::toolbar {

Layout layout(bool showSendButton)
{
    if (showSendButton)
        return {QSize(238, 42), 233, 11, 64, 117, 171};
    return {QSize(183, 42), 178, 11, -1, 64, 117};
}

QPoint restoredPosition(QPoint stored, QSize size, const QList<QRect>& displays)
{
    if (displays.isEmpty())
        return stored;
    int widths = 0;
    for (const QRect& d : displays)
        widths += d.width();
    const QRect placed(stored, size);
    const bool reachable = std::any_of(displays.begin(), displays.end(),
                                       [&](const QRect& d) { return d.intersects(placed); });
    if (stored.x() <= widths - 100 && reachable)
        return stored;
    // The usual spot, kept inside the primary.
    const QRect& primary = displays.first();
    const int x = std::clamp(450, primary.left(), std::max(primary.left(), primary.right() + 1 - size.width()));
    const int y = std::clamp(450, primary.top(), std::max(primary.top(), primary.bottom() + 1 - size.height()));
    return QPoint(x, y);
}

bool restoresOpacity(QPoint pointer, const QRect& toolbar, int opacity, const QRect& display)
{
    if (toolbar.contains(pointer) && opacity > 10)
        return true;
    return pointer.y() < display.top() + 15 && pointer.x() > display.left() - 1 && pointer.x() < display.left() + 14;
}

std::optional<QString> trayHintText(int code)
{
    switch (code) {
    case 0: return QStringLiteral("Mirovex");
    case 1: return QStringLiteral("Mirovex\nShow desktop");
    case 2: return QStringLiteral("Mirovex\nShow Selected area");
    case 3: return QStringLiteral("Mirovex\nShow Window area");
    case 4: return QStringLiteral("Mirovex\nShow Clipboard");
    case 5: return QStringLiteral("Mirovex\nSlide Show");
    case 110: return QStringLiteral("Mirovex\nShow Previously selected area");
    default: return std::nullopt;
    }
}

bool bringsToFront(bool visible, bool allowed, std::uint32_t foreground, std::optional<std::uint32_t> atMenu)
{
    return visible && allowed && (!atMenu || foreground != *atMenu);
}

} // namespace mirovex::toolbar
