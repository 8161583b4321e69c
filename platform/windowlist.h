// The application windows on the desktop, as the window manager lists them
// (EWMH), and where a window's visible frame is. Everything read from other
// programs' properties is bounded and checked; a window that goes away while
// it is read is simply left out.
#pragma once

#include <QImage>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace mirovex::platform {

struct WindowInfo {
    std::uint32_t id = 0;   // the client window
    QString title;          // _NET_WM_NAME, else WM_NAME; at most kMaxTitle characters
    QString wmClass;        // the class part of WM_CLASS
    int pid = 0;            // _NET_WM_PID when the window is of this host, else 0
    QString executable;     // /proc/<pid>/exe, empty when it cannot be read
    bool minimized = false; // _NET_WM_STATE_HIDDEN or WM_STATE Iconic
    bool maximized = false; // maximised both ways
    bool partlyMaximized = false; // maximised at least one way
    bool fullScreen = false;
    bool above = false;     // _NET_WM_STATE_ABOVE
    bool resizable = true;  // neither fixed by its size hints nor refused by the window manager
    bool skipTaskbar = false;
    bool viewable = false;  // mapped
    QStringList types;      // _NET_WM_WINDOW_TYPE, without the prefix ("NORMAL", "DOCK", ...)
    std::int64_t desktop = -1; // _NET_WM_DESKTOP; 0xFFFFFFFF means every desktop
    QRect frame;            // the visible frame bounds on the root
    QMargins wmFrame;       // the window manager's frame around the client
    QMargins shadow;        // a client-side decoration's shadow inside the client
    QImage icon;            // from _NET_WM_ICON, the size nearest 32; null when none
};

inline constexpr int kMaxTitle = 1024;

// The window manager's client list, each window read once. Without a window
// manager, the viewable children of the root that carry WM_STATE.
QList<WindowInfo> listWindows();
// The desktop the window manager shows now (_NET_CURRENT_DESKTOP), -1 unknown.
std::int64_t currentDesktop();

// An application window of the current desktop, not one of the program
// `ourPid`: docks, desktops, menus and the like are no applications, and
// neither is a window that keeps itself off the task bar.
bool isApplicationWindow(const WindowInfo& w, std::int64_t currentDesktop, int ourPid);

// The visible frame bounds of a window on the root: its client area with
// the window manager's frame (_NET_FRAME_EXTENTS) and without the shadow of
// a client-side decoration (_GTK_FRAME_EXTENTS). None when the window is gone.
std::optional<QRect> visibleFrameBounds(std::uint32_t window);

// The icon nearest 32 pixels among those a _NET_WM_ICON property offers
// (width, height, then width × height ARGB values, repeated); a damaged
// list ends where it stops making sense. Null when none is usable.
QImage iconFromProperty(const std::vector<std::uint32_t>& data);

// Follows one window on a connection of its own: its changes arrive as
// events, so a look at it costs nothing while it keeps still.
class WindowTracker {
public:
    enum class State { Shown, Minimized, Gone };
    struct Look {
        State state = State::Gone;
        QRect frame; // valid while Shown
    };

    explicit WindowTracker(std::uint32_t window);
    ~WindowTracker();
    WindowTracker(const WindowTracker&) = delete;
    WindowTracker& operator=(const WindowTracker&) = delete;

    std::uint32_t window() const { return window_; }
    // Reads what changed since the last look.
    Look look();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    std::uint32_t window_;
};

} // namespace mirovex::platform
