#include "platform/foreignwindows.h"

#include "platform/windowread.h"
#include "platform/xcbutil.h"

#include <QIcon>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>

namespace mirovex::platform {

namespace {

using xcb::Connection;
using xcb::Reply;

constexpr std::uint32_t kNetWmStateRemove = 0;
constexpr std::uint32_t kNetWmStateAdd = 1;
constexpr std::uint32_t kSourcePager = 2; // requests on the user's behalf
constexpr std::uint32_t kOpaque = 0xffffffffu;

class X11ForeignWindows final : public ForeignWindows {
public:
    X11ForeignWindows() : host_(detail::hostName()) {}

    std::uint32_t active() override
    {
        if (!c_.ok())
            return 0;
        if (wmRunning()) {
            const auto a = c_.longs(c_.root(), "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, 1);
            return a.size() == 1 ? a[0] : 0;
        }
        // Without a window manager the focus is where the programs put it;
        // the window that counts is its top-level ancestor.
        xcb_connection_t* x = c_.get();
        Reply<xcb_get_input_focus_reply_t> f(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
        if (!f || f->focus == XCB_WINDOW_NONE || f->focus == XCB_INPUT_FOCUS_POINTER_ROOT || f->focus == c_.root())
            return 0;
        xcb_window_t w = f->focus;
        for (int depth = 0; depth < 64; ++depth) {
            Reply<xcb_query_tree_reply_t> t(xcb_query_tree_reply(x, xcb_query_tree(x, w), nullptr));
            if (!t)
                return 0;
            if (t->parent == c_.root())
                return w;
            w = t->parent;
        }
        return 0;
    }

    std::optional<WindowInfo> describe(std::uint32_t window) override
    {
        if (!c_.ok() || window == 0)
            return std::nullopt;
        return detail::readWindow(c_, window, host_, false);
    }

    QImage icon(std::uint32_t window) override
    {
        if (!c_.ok())
            return {};
        QImage img = iconFromProperty(c_.longs(window, "_NET_WM_ICON", XCB_ATOM_CARDINAL, 1u << 20));
        if (!img.isNull())
            return img;
        const auto info = describe(window);
        if (!info || info->wmClass.isEmpty())
            return {};
        QIcon themed = QIcon::fromTheme(info->wmClass.toLower());
        if (themed.isNull())
            themed = QIcon::fromTheme(info->wmClass);
        return themed.isNull() ? QImage() : themed.pixmap(32, 32).toImage();
    }

    QList<WindowInfo> stacking() override
    {
        QList<WindowInfo> out;
        if (!c_.ok())
            return out;
        std::vector<std::uint32_t> ids = c_.longs(c_.root(), "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW, 4096);
        if (ids.empty() && !wmRunning()) {
            // The root's children are in stacking order already.
            xcb_connection_t* x = c_.get();
            Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(x, xcb_query_tree(x, c_.root()), nullptr));
            if (tree) {
                const xcb_window_t* kids = xcb_query_tree_children(tree.get());
                for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
                    Reply<xcb_get_window_attributes_reply_t> a(
                        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, kids[i]), nullptr));
                    if (a && !a->override_redirect && a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT &&
                        a->map_state == XCB_MAP_STATE_VIEWABLE)
                        ids.push_back(kids[i]);
                }
            }
        }
        std::reverse(ids.begin(), ids.end()); // the front first
        for (const std::uint32_t id : ids)
            if (auto info = detail::readWindow(c_, id, host_, false))
                out.append(std::move(*info));
        return out;
    }

    std::int64_t currentDesktop() override
    {
        if (!c_.ok())
            return -1;
        const auto d = c_.longs(c_.root(), "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL, 1);
        return d.size() == 1 ? std::int64_t(d[0]) : -1;
    }

    bool place(std::uint32_t window, const QRect& frame) override
    {
        const auto info = describe(window);
        if (!info || frame.width() <= 0 || frame.height() <= 0)
            return false;
        const bool wm = wmRunning();
        restore(*info, wm);
        // The visible frame is the client with the window manager's frame
        // around it and without the shadow a client-side decoration keeps
        // inside it.
        const QMargins wmFrame = wm ? info->wmFrame : QMargins();
        const QMargins shadow = info->shadow;
        const int clientW = frame.width() - wmFrame.left() - wmFrame.right() + shadow.left() + shadow.right();
        const int clientH = frame.height() - wmFrame.top() - wmFrame.bottom() + shadow.top() + shadow.bottom();
        if (clientW <= 0 || clientH <= 0)
            return false;
        if (wm) {
            // North-west gravity: x and y are the outer corner of the frame.
            constexpr std::uint32_t kNorthWest = 1;
            constexpr std::uint32_t kAllFour = 0xf << 8;
            return send(window, "_NET_MOVERESIZE_WINDOW",
                        {kNorthWest | kAllFour | (kSourcePager << 12), std::uint32_t(frame.left() - shadow.left()),
                         std::uint32_t(frame.top() - shadow.top()), std::uint32_t(clientW), std::uint32_t(clientH)});
        }
        const std::uint32_t values[] = {std::uint32_t(frame.left() - shadow.left()), std::uint32_t(frame.top() - shadow.top()),
                                        std::uint32_t(clientW), std::uint32_t(clientH)};
        return checked(xcb_configure_window_checked(
            c_.get(), window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
            values));
    }

    bool restore(std::uint32_t window) override
    {
        const auto info = describe(window);
        if (!info)
            return false;
        restore(*info, wmRunning());
        return true;
    }

    bool above(std::uint32_t window) override
    {
        const auto info = describe(window);
        return info && info->above;
    }

    bool setAbove(std::uint32_t window, bool on) override
    {
        if (!describe(window))
            return false;
        if (wmRunning())
            return sendState(window, on ? kNetWmStateAdd : kNetWmStateRemove, "_NET_WM_STATE_ABOVE", nullptr);
        // Nobody keeps the state without a window manager: record it, and
        // raise the window once.
        const xcb_atom_t a = c_.atom("_NET_WM_STATE_ABOVE");
        std::vector<std::uint32_t> states = c_.longs(window, "_NET_WM_STATE", XCB_ATOM_ATOM, 64);
        states.erase(std::remove(states.begin(), states.end(), a), states.end());
        if (on)
            states.push_back(a);
        if (!checked(xcb_change_property_checked(c_.get(), XCB_PROP_MODE_REPLACE, window, c_.atom("_NET_WM_STATE"),
                                                 XCB_ATOM_ATOM, 32, std::uint32_t(states.size()), states.data())))
            return false;
        if (on) {
            const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
            checked(xcb_configure_window_checked(c_.get(), window, XCB_CONFIG_WINDOW_STACK_MODE, &mode));
        }
        return true;
    }

    int opacity(std::uint32_t window) override
    {
        const auto v = c_.longs(window, "_NET_WM_WINDOW_OPACITY", XCB_ATOM_CARDINAL, 1);
        if (v.size() != 1)
            return -1;
        return int(std::lround(double(v[0]) / kOpaque * 255.0));
    }

    bool setOpacity(std::uint32_t window, int alpha) override
    {
        const std::uint32_t v = std::uint32_t(std::clamp(alpha, 0, 255)) * 0x01010101u;
        return checked(xcb_change_property_checked(c_.get(), XCB_PROP_MODE_REPLACE, window, c_.atom("_NET_WM_WINDOW_OPACITY"),
                                                   XCB_ATOM_CARDINAL, 32, 1, &v));
    }

    bool clearOpacity(std::uint32_t window) override
    {
        return checked(xcb_delete_property_checked(c_.get(), window, c_.atom("_NET_WM_WINDOW_OPACITY")));
    }

    bool screenSaverOn() override
    {
        if (!c_.ok())
            return false;
        xcb_connection_t* x = c_.get();
        Reply<xcb_screensaver_query_info_reply_t> r(
            xcb_screensaver_query_info_reply(x, xcb_screensaver_query_info(x, c_.root()), nullptr));
        return r && r->state == XCB_SCREENSAVER_STATE_ON;
    }

private:
    // Out of maximised and full-screen states, back from minimised.
    void restore(const WindowInfo& info, bool wm)
    {
        if (wm) {
            if (info.partlyMaximized)
                sendState(info.id, kNetWmStateRemove, "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ");
            if (info.fullScreen)
                sendState(info.id, kNetWmStateRemove, "_NET_WM_STATE_FULLSCREEN", nullptr);
            if (info.minimized)
                send(info.id, "_NET_ACTIVE_WINDOW", {kSourcePager, XCB_CURRENT_TIME, 0, 0, 0});
        } else if (!info.viewable) {
            checked(xcb_map_window_checked(c_.get(), info.id));
        }
    }

    bool checked(xcb_void_cookie_t cookie)
    {
        Reply<xcb_generic_error_t> e(xcb_request_check(c_.get(), cookie));
        return !e;
    }

    bool wmRunning()
    {
        const auto check = c_.longs(c_.root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, 1);
        return check.size() == 1 && check[0] != 0;
    }

    bool send(std::uint32_t window, const char* type, std::initializer_list<std::uint32_t> data)
    {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = window;
        e.type = c_.atom(type);
        int i = 0;
        for (const std::uint32_t v : data)
            e.data.data32[i++] = v;
        const bool ok = checked(xcb_send_event_checked(c_.get(), 0, c_.root(),
                                                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                                                       reinterpret_cast<const char*>(&e)));
        xcb_flush(c_.get());
        return ok;
    }

    bool sendState(std::uint32_t window, std::uint32_t action, const char* first, const char* second)
    {
        return send(window, "_NET_WM_STATE",
                    {action, c_.atom(first), second ? c_.atom(second) : xcb_atom_t(XCB_ATOM_NONE), kSourcePager, 0});
    }

    Connection c_;
    QString host_;
};

} // namespace

std::unique_ptr<ForeignWindows> x11ForeignWindows() { return std::make_unique<X11ForeignWindows>(); }

void FakeForeignWindows::add(const Window& w) { windows_.append(w); }

void FakeForeignWindows::remove(std::uint32_t window)
{
    windows_.removeIf([window](const Window& w) { return w.info.id == window; });
}

void FakeForeignWindows::raise(std::uint32_t window)
{
    for (qsizetype i = 0; i < windows_.size(); ++i)
        if (windows_[i].info.id == window) {
            windows_.move(i, 0);
            return;
        }
}

FakeForeignWindows::Window* FakeForeignWindows::find(std::uint32_t window)
{
    for (Window& w : windows_)
        if (w.info.id == window)
            return &w;
    return nullptr;
}

std::optional<WindowInfo> FakeForeignWindows::describe(std::uint32_t window)
{
    if (Window* w = find(window))
        return w->info;
    return std::nullopt;
}

QImage FakeForeignWindows::icon(std::uint32_t window)
{
    Window* w = find(window);
    return w ? w->icon : QImage();
}

QList<WindowInfo> FakeForeignWindows::stacking()
{
    QList<WindowInfo> out;
    for (const Window& w : windows_)
        out.append(w.info);
    return out;
}

bool FakeForeignWindows::place(std::uint32_t window, const QRect& frame)
{
    ++places;
    Window* w = find(window);
    if (!w)
        return false;
    w->info.minimized = w->info.maximized = w->info.partlyMaximized = w->info.fullScreen = false;
    w->info.frame = w->refusesSize ? QRect(frame.topLeft(), w->info.frame.size()) : frame;
    return true;
}

bool FakeForeignWindows::restore(std::uint32_t window)
{
    Window* w = find(window);
    if (w)
        w->info.minimized = w->info.maximized = w->info.partlyMaximized = w->info.fullScreen = false;
    return w != nullptr;
}

bool FakeForeignWindows::above(std::uint32_t window)
{
    Window* w = find(window);
    return w && w->info.above;
}

bool FakeForeignWindows::setAbove(std::uint32_t window, bool on)
{
    Window* w = find(window);
    if (w)
        w->info.above = on;
    return w != nullptr;
}

int FakeForeignWindows::opacity(std::uint32_t window)
{
    Window* w = find(window);
    return w ? w->opacity : -1;
}

bool FakeForeignWindows::setOpacity(std::uint32_t window, int alpha)
{
    Window* w = find(window);
    if (w)
        w->opacity = std::clamp(alpha, 0, 255);
    return w != nullptr;
}

bool FakeForeignWindows::clearOpacity(std::uint32_t window)
{
    Window* w = find(window);
    if (w)
        w->opacity = -1;
    return w != nullptr;
}

} // namespace mirovex::platform
