#include "platform/windowstate.h"

#include "platform/xcbutil.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace mirovex::platform {

namespace {
using xcb::atom;
using xcb::qtConnection;

// Asks the window manager to add or remove up to two states of a managed
// window.
void sendStateRequest(xcb_connection_t* c, xcb_window_t w, bool add, xcb_atom_t first, xcb_atom_t second)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = atom(c, "_NET_WM_STATE");
    ev.data.data32[0] = add ? 1 : 0; // _NET_WM_STATE_ADD / _REMOVE
    ev.data.data32[1] = first;
    ev.data.data32[2] = second;
    ev.data.data32[3] = 1; // from a normal application
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
}
} // namespace

bool requestFullScreen(QWindow* window, bool on)
{
    xcb_connection_t* c = qtConnection();
    if (!window || !c)
        return false;
    sendStateRequest(c, xcb_window_t(window->winId()), on, atom(c, "_NET_WM_STATE_FULLSCREEN"), XCB_ATOM_NONE);
    xcb_flush(c);
    return true;
}

bool keepOffTaskbar(QWindow* window)
{
    xcb_connection_t* c = qtConnection();
    if (!window || !c)
        return false;
    const auto w = xcb_window_t(window->winId());
    const xcb_atom_t skip[2] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    auto* attrs = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool mapped = attrs && attrs->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(attrs);
    if (mapped) {
        // Once mapped, only a request to the window manager counts.
        sendStateRequest(c, w, true, skip[0], skip[1]);
        xcb_flush(c);
        return true;
    }
    // Before mapping, the window's own property is what the window manager
    // reads; Qt keeps atoms it finds there when it adds its own. (A request
    // now would make some window managers answer with a bogus position.)
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 64), nullptr);
    std::vector<xcb_atom_t> atoms;
    if (r && r->format == 32) {
        const auto* v = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
        atoms.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    for (xcb_atom_t a : skip)
        if (std::find(atoms.begin(), atoms.end(), a) == atoms.end())
            atoms.push_back(a);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, state, XCB_ATOM_ATOM, 32, uint32_t(atoms.size()), atoms.data());
    xcb_flush(c);
    return true;
}

bool stackBelow(QWindow* window, QWindow* above)
{
    xcb_connection_t* c = qtConnection();
    if (!c || !window || !above)
        return false;
    // The sibling is the child of the root that holds `above`: its frame.
    const xcb_window_t root = xcb::rootWindow(c);
    xcb_window_t frame = xcb_window_t(above->winId());
    for (int depth = 0; depth < 64; ++depth) {
        xcb::Reply<xcb_query_tree_reply_t> t(xcb_query_tree_reply(c, xcb_query_tree(c, frame), nullptr));
        if (!t)
            return false;
        if (t->parent == root)
            break;
        frame = t->parent;
    }
    const std::uint32_t values[] = {frame, XCB_STACK_MODE_BELOW};
    xcb::Reply<xcb_generic_error_t> e(xcb_request_check(
        c, xcb_configure_window_checked(c, xcb_window_t(window->winId()), XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                                        values)));
    return !e;
}

std::optional<QPoint> rootPosition(QWindow* window)
{
    xcb_connection_t* c = qtConnection();
    if (!window || !c || !window->handle())
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto* r = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, xcb_window_t(window->winId()), root, 0, 0),
                                              nullptr);
    if (!r)
        return std::nullopt;
    const QPoint p(r->dst_x, r->dst_y);
    std::free(r);
    return p;
}

bool setEmptyShape(QWindow* window, bool on)
{
    xcb_connection_t* c = qtConnection();
    if (!c || !window)
        return false;
    const auto w = xcb_window_t(window->winId());
    if (on)
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, w, 0, 0, 0, nullptr);
    else
        xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, w, 0, 0, XCB_NONE);
    xcb_flush(c);
    return true;
}

} // namespace mirovex::platform
