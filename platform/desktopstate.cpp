#include "platform/desktopstate.h"

#include "platform/xcbutil.h"

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace mirovex::platform {

namespace {
using xcb::Reply;
using xcb::atom;
using xcb::qtConnection;
using xcb::rootWindow;

// Qt's screen number for its default screen: the selection names carry it.
int defaultScreenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int dot = display.lastIndexOf('.');
    const int colon = display.lastIndexOf(':');
    return dot > colon && colon >= 0 ? display.mid(dot + 1).toInt() : 0;
}
} // namespace

bool compositorRunning()
{
    xcb_connection_t* c = qtConnection();
    if (!c)
        return false;
    const xcb_atom_t sel = atom(c, ("_NET_WM_CM_S" + QByteArray::number(defaultScreenNumber())).constData());
    if (sel == XCB_ATOM_NONE)
        return false;
    Reply<xcb_get_selection_owner_reply_t> r(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, sel), nullptr));
    return r && r->owner != XCB_WINDOW_NONE;
}

std::uint32_t activeWindow()
{
    xcb_connection_t* c = qtConnection();
    if (!c)
        return 0;
    const xcb_atom_t prop = atom(c, "_NET_ACTIVE_WINDOW");
    if (prop == XCB_ATOM_NONE)
        return 0;
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        c, xcb_get_property(c, 0, rootWindow(c), prop, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4)
        return 0;
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
}

bool ScreenSaverHold::set(bool held)
{
    if (held == held_)
        return true;
    held_ = held;
    xcb_connection_t* c = qtConnection();
    if (!c)
        return false;
    Reply<xcb_screensaver_query_version_reply_t> v(
        xcb_screensaver_query_version_reply(c, xcb_screensaver_query_version(c, 1, 1), nullptr));
    // Suspend came with version 1.1 of the extension.
    if (!v || (v->server_major_version == 1 && v->server_minor_version < 1))
        return false;
    const bool ok = !xcb_request_check(c, xcb_screensaver_suspend_checked(c, held ? 1 : 0));
    xcb_flush(c);
    return ok;
}

} // namespace mirovex::platform
