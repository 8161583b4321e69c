#include "platform/monitors.h"

#include <QGuiApplication>
#include <QScreen>

namespace mirovex::platform {

DesktopFrame desktopFrame()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return DesktopFrame{primary ? primary->geometry().topLeft() : QPoint()};
}

QList<QRect> displayFrames()
{
    QList<QRect> out;
    for (const Monitor& m : monitors())
        out.append(m.frame);
    return out;
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

QList<QRect> workAreas()
{
    QList<QRect> out;
    for (const QScreen* s : QGuiApplication::screens())
        out.append(s->availableGeometry());
    return out;
}

QRect primaryRoot()
{
    const QScreen* p = QGuiApplication::primaryScreen();
    return p ? p->geometry() : QRect(0, 0, 1920, 1080);
}

QRect displayRootAt(int storedIndex)
{
    const QList<Monitor> list = monitors();
    return list.isEmpty() ? primaryRoot() : list[validDisplayIndex(storedIndex, int(list.size()))].root;
}

} // namespace mirovex::platform
