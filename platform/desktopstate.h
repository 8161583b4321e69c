// What the desktop underneath tells about itself and the few requests our
// floating windows make of it: whether a compositor runs, which window is
// active, and holding off the screen saver while a presentation runs.
#pragma once

#include <cstdint>

namespace mirovex::platform {

// A compositing manager owns the _NET_WM_CM_S<screen> selection. See-through
// windows paint alpha only while one runs; without one, they fall back to a
// shape mask.
bool compositorRunning();

// The window the window manager calls active (_NET_ACTIVE_WINDOW); 0 when
// none or without a window manager.
std::uint32_t activeWindow();

// Holds off the screen saver and display power-off (MIT-SCREEN-SAVER
// suspend, which also pauses the DPMS timers) for as long as it is held.
// The hold belongs to our X connection: a crash releases it.
class ScreenSaverHold {
public:
    ScreenSaverHold() = default;
    ScreenSaverHold(const ScreenSaverHold&) = delete;
    ScreenSaverHold& operator=(const ScreenSaverHold&) = delete;
    ~ScreenSaverHold() { set(false); }

    // False when the server cannot suspend its screen saver; the state is
    // still recorded so that a later release is not sent twice.
    bool set(bool held);
    bool held() const { return held_; }

private:
    bool held_ = false;
};

} // namespace mirovex::platform
