#include "platform/xcbutil.h"

#include <QGuiApplication>

#include <cstring>

namespace mirovex::platform::xcb {

xcb_connection_t* qtConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

ClientMessageFilter::ClientMessageFilter(xcb_atom_t type, Handler onMessage)
    : type_(type), onMessage_(std::move(onMessage))
{
    qGuiApp->installNativeEventFilter(this);
}

ClientMessageFilter::~ClientMessageFilter()
{
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

bool ClientMessageFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* e = static_cast<const xcb_generic_event_t*>(message);
    if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(e);
    if (m->type != type_)
        return false;
    onMessage_(*m);
    return true;
}

} // namespace mirovex::platform::xcb
