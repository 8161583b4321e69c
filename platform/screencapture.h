// Copies a rectangle of the X root into a frame buffer: through MIT-SHM into
// a shared segment that is the frame buffer itself, so a frame costs the X
// server's copy and nothing more; through a plain GetImage where the server
// has no shared memory (a remote display).
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

#include <memory>

namespace mirovex::platform {

class ScreenCapture {
public:
    enum class Result {
        Ok,
        Transient, // this frame failed (the server refused it, e.g. during a display change); try again
        Fatal,     // capture cannot work any more (the display is gone)
    };

    // Opens a connection of its own to $DISPLAY; check ok().
    ScreenCapture();
    ~ScreenCapture();
    ScreenCapture(const ScreenCapture&) = delete;
    ScreenCapture& operator=(const ScreenCapture&) = delete;

    bool ok() const;
    QString error() const;
    bool usesSharedMemory() const;
    QSize rootSize() const;

    // The frame buffer, `size` large, Format_RGB32. Its memory is kept and
    // reused: it is reallocated only when it must grow, so changing back and
    // forth between sources costs nothing per frame. The image stays valid
    // until the next call of frame() with another size.
    QImage& frame(QSize size);

    // Copies rootRect of the root into frame(rootRect.size()). Parts outside
    // the root come out black; when `invert` is set the colours are inverted
    // on the way.
    Result capture(const QRect& rootRect, bool invert);

    // Copies only `parts` (in the frame's pixels, inside it) of rootRect
    // into the frame left by the last capture of that rectangle; the rest of
    // the frame stays as it is.
    Result captureParts(const QRect& rootRect, const QVector<QRect>& parts, bool invert);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Inverts the colours of a 32-bit picture in place.
void invertPixels(uint32_t* pixels, qsizetype count);

} // namespace mirovex::platform
