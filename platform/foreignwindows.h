// Other programs' windows as the window grid acts on them: which one is
// active, what it is, where its visible frame is, and the few things done to
// it (placed, kept above, made see-through). One interface with the X
// server's implementation and an in-memory one for tests. Every request is
// checked: a window that went away, or a window manager that refuses, is a
// false answer, never an error on the screen.
#pragma once

#include "platform/windowlist.h"

#include <QImage>
#include <QList>
#include <QRect>

#include <cstdint>
#include <memory>
#include <optional>

namespace mirovex::platform {

class ForeignWindows {
public:
    virtual ~ForeignWindows() = default;

    // The active window (_NET_ACTIVE_WINDOW); without a window manager, the
    // top-level window that holds the input focus. 0 when none.
    virtual std::uint32_t active() = 0;
    // One window without its icon; none when it is gone.
    virtual std::optional<WindowInfo> describe(std::uint32_t window) = 0;
    // Its icon (_NET_WM_ICON), else the theme's icon for its class; null
    // when neither exists.
    virtual QImage icon(std::uint32_t window) = 0;
    // The client windows from the front to the back, without icons.
    virtual QList<WindowInfo> stacking() = 0;
    virtual std::int64_t currentDesktop() = 0;

    // Places the window so that its visible frame is `frame` (root): it
    // leaves maximised and full-screen states and comes back from
    // minimised first. False when it is gone or the request failed.
    virtual bool place(std::uint32_t window, const QRect& frame) = 0;
    // Only the first part of placing: out of maximised, full-screen and
    // minimised states.
    virtual bool restore(std::uint32_t window) = 0;
    // _NET_WM_STATE_ABOVE.
    virtual bool above(std::uint32_t window) = 0;
    virtual bool setAbove(std::uint32_t window, bool on) = 0;
    // _NET_WM_WINDOW_OPACITY as an alpha 0..255; -1 when it has none.
    virtual int opacity(std::uint32_t window) = 0;
    virtual bool setOpacity(std::uint32_t window, int alpha) = 0;
    virtual bool clearOpacity(std::uint32_t window) = 0;
    // Whether the screen saver shows now (MIT-SCREEN-SAVER).
    virtual bool screenSaverOn() = 0;
};

// The X server's windows, on a connection of their own.
std::unique_ptr<ForeignWindows> x11ForeignWindows();

// Windows kept in memory, for tests of the code that uses them.
class FakeForeignWindows : public ForeignWindows {
public:
    struct Window {
        WindowInfo info;
        int opacity = -1;
        QImage icon;
        bool refusesSize = false; // keeps its size when placed
    };

    // Front to back in the order added; `raise` brings one to the front.
    void add(const Window& w);
    void remove(std::uint32_t window);
    void raise(std::uint32_t window);
    Window* find(std::uint32_t window);

    std::uint32_t activeWindow = 0;
    bool screenSaver = false;
    std::int64_t desktop = 0;
    int places = 0; // how many times place() was asked

    std::uint32_t active() override { return activeWindow; }
    std::optional<WindowInfo> describe(std::uint32_t window) override;
    QImage icon(std::uint32_t window) override;
    QList<WindowInfo> stacking() override;
    std::int64_t currentDesktop() override { return desktop; }
    bool place(std::uint32_t window, const QRect& frame) override;
    bool restore(std::uint32_t window) override;
    bool above(std::uint32_t window) override;
    bool setAbove(std::uint32_t window, bool on) override;
    int opacity(std::uint32_t window) override;
    bool setOpacity(std::uint32_t window, int alpha) override;
    bool clearOpacity(std::uint32_t window) override;
    bool screenSaverOn() override { return screenSaver; }

private:
    QList<Window> windows_;
};

} // namespace mirovex::platform
