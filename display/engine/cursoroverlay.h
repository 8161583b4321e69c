// The cursor drawn into each mirrored frame, where the pointer is: a dot with
// a soft halo, a cross that contrasts with what lies under it, the system's
// own cursor picture, or nothing; and the ring that grows around the pointer
// so the audience can find it. A screen copy holds no pointer, so without
// these the audience would not see where the presenter points.
//
// Plain functions over a frame (QImage::Format_RGB32) with no display needed;
// only the pixels around the pointer are touched.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

namespace mirovex::cursor {

enum class Kind { Dot = 0, Cross = 1, System = 2, None = 3 };

// Colours as the settings store them: 0x00BBGGRR.
constexpr quint32 kHaloValue = 0x80FFFF; // red 255, green 255, blue 128
constexpr int kHaloAlpha = 64;
constexpr quint32 kRingValue = 0xFF8000; // red 0, green 128, blue 255
constexpr int kRingMinimum = 5;
constexpr int kRingMaximum = 50;

struct Style {
    Kind kind = Kind::Dot;
    int dotSize = 20;   // diameter
    int haloSize = 5;   // the halo's diameter is four times this
    int crossHalf = 25; // half the length of each arm
    quint32 dotColour = 255;
    quint32 crossColour = 255;
    bool hidden = false; // "Hide Custom Cursor On Target Display"
    bool ring = false;   // "Animation Around Cursor"
};

// The system cursor's picture: premultiplied ARGB, with the spot that points.
struct SystemPicture {
    QImage image;
    QPoint hotspot;
};

// Lightening and darkening a stored colour by p percent, per channel, with
// halves rounded up as integer MulDiv does.
quint32 lighten(quint32 value, int percent);
quint32 darken(quint32 value, int percent);

// The cross's colour over the frame at `at`: the average of the packed
// values (0x00BBGGRR, so blue weighs most) at the pointer and 5 pixels out
// on each diagonal decides: below 0x7F7F80 the colour is lightened by half,
// else darkened. Probes outside the frame are left out of the average.
quint32 crossColourOver(const QImage& frame, QPoint at, quint32 crossColour);

// The slider positions behind the sizes, as stored.
struct Sliders {
    int dot = 200;  // 50..400
    int halo = 50;  // 5..400
    int cross = 25; // 5..400
};

// Dot and halo size from the sliders. With `dynamic` on and an area smaller
// than `display` presented (not the whole desktop), the sizes shrink by the
// area's magnification on its longer side, at most by half, so the cursor
// keeps its size on the target. An area of no width or height changes
// nothing.
struct Sizes {
    int dot = 20;
    int halo = 5;
};
Sizes sizes(const Sliders& sliders, bool dynamic, bool wholeDesktop, const QSize& area, const QSize& display);

// What the Focus source draws differently: the cross with a one-pixel pen,
// and the cross and the system cursor only while the pointer is on the
// magnified display.
struct Where {
    QPoint pointer;        // in the frame's pixels
    bool onDisplay = true; // Focus: the pointer lies on its display
    int crossPen = 2;      // Focus draws it one pixel wide
};

// Draws `style`'s cursor into `frame`. Nothing outside the frame is touched.
// `system` may be null (no picture of the system cursor is known).
void draw(QImage& frame, const Style& style, const Where& where, const SystemPicture* system);

// The box that draw() may change, for the given style and pointer.
QRect drawnBox(const Style& style, const Where& where, const SystemPicture* system);

// The expanding ring: it grows by 2 or 3 pixels a frame from 5 to 50 and
// starts again, and is drawn only once it is clear of the dot.
class Ring {
public:
    int radius() const { return radius_; }
    // The step for a frame rate: 30 / fps between 2 and 3, rounded as the
    // frame counter rounds; 2 when the rate is not known yet.
    static int step(int framesPerSecond);
    bool shows(int dotSize) const { return dotSize + 4 < radius_; }
    // Draws the ring (when it shows) and grows it for the next frame.
    void drawAndAdvance(QImage& frame, QPoint pointer, int dotSize, int framesPerSecond);
    void advance(int framesPerSecond);
    // Every pixel the ring can draw at any radius around `pointer`.
    static QRect box(QPoint pointer)
    {
        constexpr int r = kRingMaximum + 2;
        return QRect(pointer - QPoint(r, r), QSize(2 * r + 1, 2 * r + 1));
    }

private:
    int radius_ = kRingMinimum;
};

} // namespace mirovex::cursor
