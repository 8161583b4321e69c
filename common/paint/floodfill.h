// Filling the connected area of one colour, for both programs' fill tools.
#pragma once

#include "common/paint/rastercanvas.h"

#include <QImage>
#include <QPoint>
#include <QRect>

namespace mirovex::paint {

// Paints, with the brush, every pixel 4-connected to seed that has exactly
// the colour of the seed pixel; a hatched brush paints only its hatch lines
// there. Each pixel is visited once, so a fill in the area's own colour ends
// like any other. A seed outside the picture, a clear brush or a picture
// that is not Format_RGB32 paint nothing. Returns the rectangle changed.
QRect floodFill(QImage& picture, QPoint seed, const Brush& brush);

} // namespace mirovex::paint
