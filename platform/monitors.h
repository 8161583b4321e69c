// The displays, as the programs number them: primary first (index 0), then
// the others in the order Qt lists them.
#pragma once

#include "platform/desktopframe.h"

#include <QList>
#include <QRect>
#include <QString>

class QScreen;

namespace mirovex::platform {

struct Monitor {
    QString name;
    QRect root;   // on the X root
    QRect frame;  // in the programs' frame (primary top-left = 0,0)
    QScreen* screen = nullptr;
};

QList<Monitor> monitors();
// The displays' rectangles in the programs' frame, in the same order.
QList<QRect> displayFrames();
DesktopFrame desktopFrame();

// A stored display index that is not a display of the list (negative, or
// past the last) means the first display.
int validDisplayIndex(int index, int count);

// The work areas of the displays (without panels), on the root.
QList<QRect> workAreas();

// The primary display on the root; a 1920x1080 stand-in while Qt knows no
// display at all.
QRect primaryRoot();
// The display a stored index names, by the rule above, on the root.
QRect displayRootAt(int storedIndex);

} // namespace mirovex::platform
