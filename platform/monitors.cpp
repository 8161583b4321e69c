#include "monitors.h"

#include <QGuiApplication>
#include <QScreen>

namespace mirovex::platform {

DesktopFrame desktopFrame()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return DesktopFrame{primary ? primary->geometry().topLeft() : QPoint()};
}

QList<Monitor> monitors()
{
    const DesktopFrame f = desktopFrame();
    QList<Monitor> out;
    QList<QScreen*> screens = QGuiApplication::screens();
    // Qt lists the primary first already; keep that rule even if it changes.
    if (QScreen* p = QGuiApplication::primaryScreen(); p && !screens.isEmpty() && screens.first() != p) {
        screens.removeOne(p);
        screens.prepend(p);
    }
    for (QScreen* s : screens)
        out.push_back(Monitor{s->name(), s->geometry(), f.fromRoot(s->geometry()), s});
    return out;
}

int validDisplayIndex(int index, int count) { return (index >= 0 && index < count) ? index : 0; }

} // namespace mirovex::platform
