#pragma once

#include "tests/support/desktop.h"

#include <QImage>
#include <QRect>
#include <QStringList>

#include <functional>

namespace mirovex::test {

// The pixels the X server shows in rootRect (root coordinates), as
// Format_RGB32, read with GetImage on a connection of its own to $DISPLAY, so
// what comes back is what a person would see: other windows on top, and the
// compositor's blended picture when one runs. The rectangle is clipped to the
// root; the image is null when nothing of it is on the root or the read fails.
//
// The server serves each client in turn, so pixels that the program under
// test has just asked for may not be there yet: poll with waitUntil.
QImage grabRoot(QRect rootRect);

// Polls cond, handling Qt events in between, until it holds or timeoutMs has
// passed; true when it held. cond is checked once more at the deadline.
bool waitUntil(std::function<bool()> cond, int timeoutMs);


// A modal dialog that the test's input never reached is closed after
// `timeoutMs`, for as long as the guard lives: a lost click fails the test
// instead of hanging it.
class ModalGuard {
public:
    explicit ModalGuard(int timeoutMs);
    ~ModalGuard();
    ModalGuard(const ModalGuard&) = delete;
    ModalGuard& operator=(const ModalGuard&) = delete;

private:
    void* timer_;
};

}  // namespace mirovex::test
