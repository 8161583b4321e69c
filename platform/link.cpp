#include "platform/link.h"

#include "platform/xcbutil.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <thread>

namespace mirovex::platform::link {

namespace {
using Clock = std::chrono::steady_clock;

QByteArray roleText(Role role)
{
    return role == Role::DisplayToolbar ? QByteArrayLiteral("mirovex-display-toolbar")
                                        : QByteArrayLiteral("mirovex-annotation-control");
}

enum class RoleCheck { Yes, NoWindow, Other };

struct Atoms {
    xcb_atom_t role = XCB_ATOM_NONE, link = XCB_ATOM_NONE, ack = XCB_ATOM_NONE;
};

// The three names in one round trip.
Atoms internAtoms(xcb_connection_t* c)
{
    const char* names[] = {kRoleAtom, kLinkAtom, kAckAtom};
    xcb_intern_atom_cookie_t cookies[3];
    for (int i = 0; i < 3; ++i)
        cookies[i] = xcb_intern_atom(c, 0, uint16_t(std::strlen(names[i])), names[i]);
    xcb_atom_t out[3];
    for (int i = 0; i < 3; ++i) {
        xcb::Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(c, cookies[i], nullptr));
        out[i] = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    return {out[0], out[1], out[2]};
}

RoleCheck checkRole(xcb_connection_t* c, xcb_atom_t roleAtom, xcb_window_t window, Role role)
{
    xcb_generic_error_t* error = nullptr;
    xcb::Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, roleAtom, XCB_ATOM_STRING, 0, 16), &error));
    if (error) {
        std::free(error);
        return RoleCheck::NoWindow;
    }
    if (!r)
        return RoleCheck::NoWindow;
    const QByteArray want = roleText(role);
    const int len = xcb_get_property_value_length(r.get());
    if (r->format != 8 || len != want.size() ||
        std::memcmp(xcb_get_property_value(r.get()), want.constData(), std::size_t(len)) != 0)
        return RoleCheck::Other;
    return RoleCheck::Yes;
}

bool windowExists(xcb_connection_t* c, xcb_window_t window)
{
    xcb_generic_error_t* error = nullptr;
    xcb::Reply<xcb_get_window_attributes_reply_t> r(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), &error));
    std::free(error);
    return r != nullptr;
}

std::atomic<std::uint32_t> serialCounter{1};
} // namespace

std::optional<std::uint32_t> parseWindowId(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 10)
        return std::nullopt;
    for (const QChar ch : t) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const qulonglong v = t.toULongLong(&ok, 10);
    if (!ok || v == 0 || v > 0xFFFFFFFFull)
        return std::nullopt;
    return std::uint32_t(v);
}

bool setRole(std::uint32_t window, Role role)
{
    xcb_connection_t* c = xcb::qtConnection();
    if (!c)
        return false;
    const xcb_atom_t roleAtom = xcb::atom(c, kRoleAtom);
    if (roleAtom == XCB_ATOM_NONE)
        return false;
    const QByteArray text = roleText(role);
    const bool ok = !xcb_request_check(c, xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, window, roleAtom,
                                                                      XCB_ATOM_STRING, 8, uint32_t(text.size()),
                                                                      text.constData()));
    xcb_flush(c);
    return ok;
}

bool hasRole(std::uint32_t window, Role role)
{
    if (window == 0)
        return false;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool ok = !xcb_connection_has_error(c) && checkRole(c, xcb::atom(c, kRoleAtom), window, role) == RoleCheck::Yes;
    xcb_disconnect(c);
    return ok;
}

SendResult send(std::uint32_t window, Role expected, Kind kind, std::uint32_t value, SendOptions options)
{
    if (window == 0)
        return SendResult::NoWindow;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return SendResult::NoDisplay;
    }
    const auto finish = [c](SendResult r) {
        xcb_disconnect(c);
        return r;
    };
    const Atoms atoms = internAtoms(c);
    if (atoms.role == XCB_ATOM_NONE || atoms.link == XCB_ATOM_NONE || atoms.ack == XCB_ATOM_NONE)
        return finish(SendResult::NoDisplay);
    switch (checkRole(c, atoms.role, window, expected)) {
    case RoleCheck::NoWindow:
        return finish(SendResult::NoWindow);
    case RoleCheck::Other:
        return finish(SendResult::WrongRole);
    case RoleCheck::Yes:
        break;
    }
    const xcb_atom_t linkAtom = atoms.link;
    const xcb_atom_t ackAtom = atoms.ack;

    // The acknowledgement comes to a window of this connection, so it never
    // mixes with the sender's other events.
    const xcb_window_t reply = xcb_generate_id(c);
    xcb_create_window(c, 0, reply, xcb::rootWindow(c), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::uint32_t serial = serialCounter.fetch_add(1);
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = linkAtom;
    ev.data.data32[0] = std::uint32_t(kind);
    ev.data.data32[1] = value;
    ev.data.data32[2] = reply;
    ev.data.data32[3] = serial;
    // A window that went between the check and now is an error, not a hang:
    // the error comes back among the events.
    const xcb_void_cookie_t sent =
        xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
    xcb_flush(c);

    bool acked = false;
    bool failed = false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(options.ackTimeoutMs);
    const int fd = xcb_get_file_descriptor(c);
    while (!acked && !failed) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            if (e->response_type == 0 && reinterpret_cast<xcb_generic_error_t*>(e)->sequence == (sent.sequence & 0xffff))
                failed = true;
            if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(e);
                if (m->type == ackAtom && m->window == reply && m->data.data32[0] == serial)
                    acked = true;
            }
            std::free(e);
        }
        if (acked || failed || xcb_connection_has_error(c))
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, int(left));
    }
    if (failed)
        return finish(SendResult::NoWindow);
    if (!acked)
        return finish(SendResult::NoAck);

    if (options.goneTimeoutMs > 0) {
        const auto goneBy = Clock::now() + std::chrono::milliseconds(options.goneTimeoutMs);
        while (windowExists(c, window) && Clock::now() < goneBy)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return finish(SendResult::Acked);
}

namespace {
class Filter : public Receiver {
public:
    Filter(xcb_connection_t* c, Handler handler, std::function<bool(Kind, std::uint32_t)> immediate)
        : c_(c), ack_(xcb::atom(c, kAckAtom)), handler_(std::move(handler)), immediate_(std::move(immediate)),
          filter_(xcb::atom(c, kLinkAtom), [this](const xcb_client_message_event_t& m) { take(m); })
    {
    }

private:
    void take(const xcb_client_message_event_t& m)
    {
        if (m.format != 32)
            return;
        const auto kind = Kind(m.data.data32[0]);
        const std::uint32_t value = m.data.data32[1];
        // The acknowledgement goes first, whatever follows: the sender waits
        // for it and must never wait on our work.
        xcb_client_message_event_t ack{};
        ack.response_type = XCB_CLIENT_MESSAGE;
        ack.format = 32;
        ack.window = m.data.data32[2];
        ack.type = ack_;
        ack.data.data32[0] = m.data.data32[3];
        xcb_send_event(c_, 0, ack.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ack));
        xcb_flush(c_);
        if (kind != Kind::Code && kind != Kind::Handshake && kind != Kind::Adopt)
            return;
        if (immediate_ && immediate_(kind, value))
            return;
        QMetaObject::invokeMethod(
            qApp, [h = handler_, kind, value] { h(kind, value); }, Qt::QueuedConnection);
    }

    xcb_connection_t* c_;
    xcb_atom_t ack_;
    Handler handler_;
    std::function<bool(Kind, std::uint32_t)> immediate_;
    // Last: it may call take() as soon as it exists.
    xcb::ClientMessageFilter filter_;
};
} // namespace

std::unique_ptr<Receiver> receive(Handler handler, std::function<bool(Kind, std::uint32_t)> immediate)
{
    xcb_connection_t* c = xcb::qtConnection();
    if (!c || xcb::atom(c, kLinkAtom) == XCB_ATOM_NONE)
        return nullptr;
    return std::make_unique<Filter>(c, std::move(handler), std::move(immediate));
}

} // namespace mirovex::platform::link
