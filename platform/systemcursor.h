// The system cursor's picture as the X server shows it now (XFixes), with
// its hotspot. It is read again only after the server said that the cursor
// changed, so asking on every frame costs no round trip.
#pragma once

#include <QImage>
#include <QPoint>

#include <memory>

namespace mirovex::platform {

struct CursorPicture {
    QImage image; // premultiplied ARGB; null when the cursor is hidden
    QPoint hotspot;
    quint32 serial = 0;
};

class SystemCursor {
public:
    // Opens a connection of its own to $DISPLAY; without XFixes there, no
    // picture is ever known.
    SystemCursor();
    ~SystemCursor();
    SystemCursor(const SystemCursor&) = delete;
    SystemCursor& operator=(const SystemCursor&) = delete;

    bool ok() const;
    // The current picture; null when none is known.
    const CursorPicture* current();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A cursor picture from the server's 32-bit ARGB words, checked against
// the words there are; a null picture when they do not fit.
CursorPicture cursorPictureFrom(const quint32* words, qsizetype count, int width, int height, QPoint hotspot);

} // namespace mirovex::platform
