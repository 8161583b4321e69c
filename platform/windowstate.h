// Asks the window manager to change a window's state directly (EWMH
// _NET_WM_STATE), for windows whose state must follow our command even when
// Qt's own idea of the state lags behind the window manager's.
#pragma once

class QWindow;

namespace mirovex::platform {

// True when the request could be sent (a window manager then acts on it
// asynchronously; watch QWindow::windowStateChanged).
bool requestFullScreen(QWindow* window, bool on);

} // namespace mirovex::platform
