#include "platform/windowshape.h"

#include "platform/xcbutil.h"

#include <xcb/shape.h>

#include <vector>

namespace mirovex::platform {

namespace {
bool haveShape(xcb_connection_t* c)
{
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shape_id);
    return ext && ext->present;
}
} // namespace

bool setWindowOutline(std::uint32_t window, const QRegion& region)
{
    xcb_connection_t* c = xcb::qtConnection();
    if (!c || !window || !haveShape(c))
        return false;
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(std::size_t(region.rectCount()));
    for (const QRect& r : region)
        rects.push_back({qint16(r.x()), qint16(r.y()), quint16(r.width()), quint16(r.height())});
    // Unsorted: QRegion's bands are y-x sorted, but saying so buys little.
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, window, 0, 0,
                         std::uint32_t(rects.size()), rects.data());
    xcb_flush(c);
    return true;
}

void moveWindowOutline(std::uint32_t window, int dx, int dy)
{
    xcb_connection_t* c = xcb::qtConnection();
    if (!c || !window || (dx == 0 && dy == 0) || !haveShape(c))
        return;
    xcb_shape_offset(c, XCB_SHAPE_SK_BOUNDING, window, qint16(dx), qint16(dy));
    xcb_flush(c);
}

void clearWindowOutline(std::uint32_t window)
{
    xcb_connection_t* c = xcb::qtConnection();
    if (!c || !window || !haveShape(c))
        return;
    xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, window, 0, 0, XCB_NONE);
    xcb_flush(c);
}

} // namespace mirovex::platform
