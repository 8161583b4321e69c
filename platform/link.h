// The link between the display program and the annotation program: one
// private ClientMessage to a window id. The sender waits, on a connection of
// its own and never longer than a second, for the receiver's acknowledgement,
// so that a code has been taken when send() returns. X reuses window ids, so
// a message goes only to a window that carries the role property we set: a
// stale id, or another program's window, gets nothing.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace mirovex::platform::link {

inline constexpr const char* kLinkAtom = "_MIROVEX_LINK";
inline constexpr const char* kAckAtom = "_MIROVEX_LINK_ACK";
inline constexpr const char* kRoleAtom = "_MIROVEX_ROLE";

enum class Role { DisplayToolbar, AnnotationControl };

// The codes the display program sends.
inline constexpr std::uint32_t kToggle = 200;
inline constexpr std::uint32_t kQuit = 402;

// What a message carries besides its value.
enum class Kind : std::uint32_t {
    Code = 1,      // a code: kToggle, kQuit
    Handshake = 2, // the sender's own window id, to be stored
    Adopt = 3,     // a display toolbar's id that a second copy was given
};

// A window id as the command line gives it: decimal 1 ... 2^32 - 1, blanks
// around it allowed, no sign, no other base.
std::optional<std::uint32_t> parseWindowId(const QString& text);

// Marks one of our windows (on Qt's connection) with its role.
bool setRole(std::uint32_t window, Role role);
// Whether the window exists and carries the role (own connection).
bool hasRole(std::uint32_t window, Role role);

enum class SendResult { Acked, NoWindow, WrongRole, NoAck, NoDisplay };

struct SendOptions {
    int ackTimeoutMs = 1000;
    // After an acknowledged quit: how long to wait for the window to go.
    int goneTimeoutMs = 0;
};

// Sends kind/value to `window` if it carries `expected`.
SendResult send(std::uint32_t window, Role expected, Kind kind, std::uint32_t value, SendOptions options = {});

// The receiving side: a native event filter on Qt's connection. Each message
// is acknowledged at once (even when the program is busy); `handler` then
// runs from the event loop.
class Receiver {
public:
    virtual ~Receiver() = default;
};
using Handler = std::function<void(Kind kind, std::uint32_t value)>;
// `immediate`, when set, is called inside the filter right after the
// acknowledgement has been flushed and before anything is queued; it returns
// true when it took the message (the quit code, which must not wait behind a
// busy event loop).
std::unique_ptr<Receiver> receive(Handler handler, std::function<bool(Kind, std::uint32_t)> immediate = {});

} // namespace mirovex::platform::link
