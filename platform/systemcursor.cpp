#include "platform/systemcursor.h"

#include "platform/xcbutil.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <cstring>

namespace mirovex::platform {

namespace {
// Cursors are 16 to 64 pixels; anything larger is not one.
constexpr int kMaxSide = 512;
} // namespace

CursorPicture cursorPictureFrom(const quint32* words, qsizetype count, int width, int height, QPoint hotspot)
{
    CursorPicture out;
    if (!words || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || count < qsizetype(width) * height)
        return out;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), words + qsizetype(y) * width, size_t(width) * 4);
    out.image = std::move(image);
    out.hotspot = QPoint(std::clamp(hotspot.x(), 0, width - 1), std::clamp(hotspot.y(), 0, height - 1));
    return out;
}

struct SystemCursor::Impl {
    xcb_connection_t* conn = nullptr;
    uint8_t firstEvent = 0;
    bool xfixes = false;
    bool dirty = true;
    CursorPicture picture;
};

SystemCursor::SystemCursor() : d(std::make_unique<Impl>())
{
    d->conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(d->conn))
        return;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(d->conn, &xcb_xfixes_id);
    if (!ext || !ext->present)
        return;
    xcb::Reply<xcb_xfixes_query_version_reply_t> version(
        xcb_xfixes_query_version_reply(d->conn, xcb_xfixes_query_version(d->conn, 4, 0), nullptr));
    if (!version)
        return;
    d->firstEvent = ext->first_event;
    xcb_xfixes_select_cursor_input(d->conn, xcb::rootWindow(d->conn), XCB_XFIXES_CURSOR_NOTIFY_MASK_DISPLAY_CURSOR);
    xcb_flush(d->conn);
    d->xfixes = true;
}

SystemCursor::~SystemCursor()
{
    if (d->conn)
        xcb_disconnect(d->conn);
}

bool SystemCursor::ok() const { return d->xfixes; }

const CursorPicture* SystemCursor::current()
{
    if (!d->xfixes)
        return nullptr;
    while (xcb_generic_event_t* e = xcb_poll_for_event(d->conn)) {
        if ((e->response_type & 0x7f) == d->firstEvent + XCB_XFIXES_CURSOR_NOTIFY)
            d->dirty = true;
        std::free(e);
    }
    if (xcb_connection_has_error(d->conn)) {
        d->xfixes = false;
        return nullptr;
    }
    if (d->dirty) {
        d->dirty = false;
        xcb::Reply<xcb_xfixes_get_cursor_image_reply_t> r(
            xcb_xfixes_get_cursor_image_reply(d->conn, xcb_xfixes_get_cursor_image(d->conn), nullptr));
        if (r) {
            d->picture = cursorPictureFrom(xcb_xfixes_get_cursor_image_cursor_image(r.get()),
                                           xcb_xfixes_get_cursor_image_cursor_image_length(r.get()), r->width,
                                           r->height, QPoint(r->xhot, r->yhot));
            d->picture.serial = r->cursor_serial;
        }
    }
    return d->picture.image.isNull() ? nullptr : &d->picture;
}

} // namespace mirovex::platform
