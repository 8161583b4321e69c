// What every X11 file of the platform layer needs: replies that free
// themselves, Qt's own connection, atoms by name, and a connection of our
// own with bounded property reads. Internal to platform/.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QHash>
#include <QString>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include <cstdlib>
#include <memory>

namespace mirovex::platform::xcb {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, FreeDeleter>;

// Qt's connection to the X server; null without an X11 application.
xcb_connection_t* qtConnection();

// XCB_ATOM_NONE when the server does not answer.
xcb_atom_t atom(xcb_connection_t* c, const char* name);

// Hands the client messages of one type that reach Qt's connection to
// `onMessage`, for as long as it lives; they go no further in Qt.
class ClientMessageFilter : public QAbstractNativeEventFilter {
public:
    using Handler = std::function<void(const xcb_client_message_event_t&)>;
    ClientMessageFilter(xcb_atom_t type, Handler onMessage);
    ~ClientMessageFilter() override;
    ClientMessageFilter(const ClientMessageFilter&) = delete;
    ClientMessageFilter& operator=(const ClientMessageFilter&) = delete;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override;

private:
    xcb_atom_t type_;
    Handler onMessage_;
};

inline xcb_window_t rootWindow(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

// A connection of our own: what we read of other programs never waits
// behind Qt's event traffic. Atoms and their names are kept once asked.
class Connection {
public:
    Connection() : c_(xcb_connect(nullptr, nullptr))
    {
        if (!xcb_connection_has_error(c_))
            root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    }
    ~Connection() { xcb_disconnect(c_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return root_ != XCB_WINDOW_NONE && !xcb_connection_has_error(c_); }
    xcb_connection_t* get() const { return c_; }
    xcb_window_t root() const { return root_; }

    xcb_atom_t atom(const char* name)
    {
        const QByteArray key(name);
        if (auto it = atoms_.find(key); it != atoms_.end())
            return *it;
        const xcb_atom_t a = xcb::atom(c_, name);
        atoms_.insert(key, a);
        return a;
    }
    QString atomName(xcb_atom_t a)
    {
        if (auto it = names_.find(a); it != names_.end())
            return *it;
        Reply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, a), nullptr));
        const QString n = r ? QString::fromLatin1(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get()))
                            : QString();
        names_.insert(a, n);
        return n;
    }

    // A property, at most `maxLongs` 32-bit units of it; null when absent
    // or the window is gone.
    Reply<xcb_get_property_reply_t> property(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type, std::uint32_t maxLongs)
    {
        Reply<xcb_get_property_reply_t> r(
            xcb_get_property_reply(c_, xcb_get_property(c_, 0, w, prop, type, 0, maxLongs), nullptr));
        if (!r || r->type == XCB_ATOM_NONE)
            return nullptr;
        return r;
    }
    std::vector<std::uint32_t> longs(xcb_window_t w, const char* prop, xcb_atom_t type, std::uint32_t maxLongs)
    {
        auto r = property(w, atom(prop), type, maxLongs);
        if (!r || r->format != 32)
            return {};
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
        return std::vector<std::uint32_t>(v, v + xcb_get_property_value_length(r.get()) / 4);
    }
    QByteArray bytes(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type, std::uint32_t maxBytes)
    {
        auto r = property(w, prop, type, (maxBytes + 3) / 4);
        if (!r || r->format != 8)
            return {};
        return QByteArray(static_cast<const char*>(xcb_get_property_value(r.get())),
                          std::min<int>(xcb_get_property_value_length(r.get()), int(maxBytes)));
    }

private:
    xcb_connection_t* c_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    QHash<QByteArray, xcb_atom_t> atoms_;
    QHash<xcb_atom_t, QString> names_;
};

} // namespace mirovex::platform::xcb
