// The outline of a top-level window (its X Shape bounding region), set and
// moved directly on the server, for see-through windows without a
// compositor: set once, then moved by offsets, which costs one small request
// however many rectangles the outline has.
#pragma once

#include <QRegion>

#include <cstdint>

namespace mirovex::platform {

// Only `region` (window coordinates) of the window is drawn and seen; an
// empty region hides all of it. False without the Shape extension.
bool setWindowOutline(std::uint32_t window, const QRegion& region);
// Moves the outline set before by (dx, dy).
void moveWindowOutline(std::uint32_t window, int dx, int dy);
// The whole window again.
void clearWindowOutline(std::uint32_t window);

} // namespace mirovex::platform
