// Reading one client window's properties on a connection of our own: shared
// by the window list and the code that acts on other programs' windows.
// Internal to platform/.
#pragma once

#include "platform/windowlist.h"
#include "platform/xcbutil.h"

#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>

namespace mirovex::platform::detail {

QString hostName();

struct Decoration {
    QMargins wmFrame; // _NET_FRAME_EXTENTS
    QMargins shadow;  // _GTK_FRAME_EXTENTS
};
Decoration decoration(xcb::Connection& c, xcb_window_t w);

// The visible frame on the root; none when the window is gone.
std::optional<QRect> frameBounds(xcb::Connection& c, xcb_window_t w, const Decoration& d);
std::optional<QRect> frameBounds(xcb::Connection& c, xcb_window_t w);

// None when the window is gone. The icon is read only when asked for: it
// can be the largest property a window has.
std::optional<WindowInfo> readWindow(xcb::Connection& c, xcb_window_t w, const QString& host, bool withIcon);

} // namespace mirovex::platform::detail
