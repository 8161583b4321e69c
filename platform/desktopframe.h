// The programs work in one frame in which the primary display's top-left
// corner is (0,0); the X server works in root coordinates, whose origin is
// the corner of the bounding box of all monitors. This converts between them.
#pragma once

#include <QPoint>
#include <QRect>

namespace mirovex::platform {

struct DesktopFrame {
    QPoint primaryRootOrigin; // where the primary display's corner lies on the root

    QPoint toRoot(QPoint p) const { return p + primaryRootOrigin; }
    QRect toRoot(const QRect& r) const { return r.translated(primaryRootOrigin); }
    QPoint fromRoot(QPoint p) const { return p - primaryRootOrigin; }
    QRect fromRoot(const QRect& r) const { return r.translated(-primaryRootOrigin); }
};

} // namespace mirovex::platform
