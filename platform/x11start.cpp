#include "platform/x11start.h"

#include <QByteArray>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

namespace mirovex::platform {

bool prepareX11(const char* program, const char* product)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Capture, cursor and window bounds all count in screen pixels.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    const bool reachable = !xcb_connection_has_error(probe);
    xcb_disconnect(probe);
    if (reachable)
        return true;
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr,
                 "%s: cannot reach the X display %s%s%s. %s needs an X11 desktop session "
                 "(on Wayland, through XWayland); start it from the desktop or set DISPLAY.\n",
                 program, display ? "\"" : "", display ? display : "(DISPLAY is not set)", display ? "\"" : "",
                 product);
    return false;
}

} // namespace mirovex::platform
