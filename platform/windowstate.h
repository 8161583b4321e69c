// Asks the window manager to change a window's state directly (EWMH
// _NET_WM_STATE), for windows whose state must follow our command even when
// Qt's own idea of the state lags behind the window manager's.
#pragma once

#include <QPoint>

#include <optional>

class QWindow;

namespace mirovex::platform {

// True when the request could be sent (a window manager then acts on it
// asynchronously; watch QWindow::windowStateChanged).
bool requestFullScreen(QWindow* window, bool on);

// Keeps a window off task bars and pagers (_NET_WM_STATE_SKIP_TASKBAR and
// _SKIP_PAGER). Call it before the window is shown and each time it is
// shown again: a window manager drops the states of a withdrawn window.
bool keepOffTaskbar(QWindow* window);

// Puts a window that the window manager does not manage directly below
// `above`'s frame, so that it floats over everything but that window.
bool stackBelow(QWindow* window, QWindow* above);
// An empty bounding shape: the window stays mapped and shows nothing, so a
// see-through window needs no compositor to be see-through. Off gives the
// window its whole rectangle again.
bool setEmptyShape(QWindow* window, bool on);

// Where the window's client area is on the root, asked of the X server.
std::optional<QPoint> rootPosition(QWindow* window);

} // namespace mirovex::platform
