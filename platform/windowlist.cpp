#include "platform/windowlist.h"

#include "platform/windowread.h"
#include "platform/xcbutil.h"

#include <QFileInfo>
#include <QHash>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace mirovex::platform {

namespace {

using xcb::Connection;
using xcb::Reply;

// No icon side beyond this is believed, and no property beyond this is read.
constexpr std::uint32_t kMaxIconSide = 1024;
constexpr std::uint32_t kMaxIconLongs = 1u << 20;
// Even without events, a followed window is looked at again this often.
constexpr int kRecheckLooks = 30;

} // namespace

namespace detail {

QString hostName()
{
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0)
        return {};
    return QString::fromLocal8Bit(buf);
}

Decoration decoration(Connection& c, xcb_window_t w)
{
    Decoration d;
    // A frame of the window manager's around it...
    if (const auto e = c.longs(w, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, 4); e.size() == 4 && e[0] < 4096 &&
                                                                              e[1] < 4096 && e[2] < 4096 && e[3] < 4096)
        d.wmFrame = QMargins(int(e[0]), int(e[2]), int(e[1]), int(e[3]));
    // ...or a shadow of its own inside it, which nobody counts as the window.
    if (const auto e = c.longs(w, "_GTK_FRAME_EXTENTS", XCB_ATOM_CARDINAL, 4); e.size() == 4) {
        const auto side = [](std::uint32_t v) { return int(std::min<std::uint32_t>(v, 4096)); };
        d.shadow = QMargins(side(e[0]), side(e[2]), side(e[1]), side(e[3]));
    }
    return d;
}

std::optional<QRect> frameBounds(Connection& c, xcb_window_t w, const Decoration& d)
{
    xcb_connection_t* x = c.get();
    auto geo = xcb_get_geometry(x, w);
    auto tr = xcb_translate_coordinates(x, w, c.root(), 0, 0);
    Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(x, geo, nullptr));
    Reply<xcb_translate_coordinates_reply_t> t(xcb_translate_coordinates_reply(x, tr, nullptr));
    if (!g || !t)
        return std::nullopt;
    QRect r = QRect(t->dst_x, t->dst_y, g->width, g->height).marginsAdded(d.wmFrame);
    const QRect inner = r.marginsRemoved(d.shadow);
    if (inner.width() > 0 && inner.height() > 0)
        r = inner;
    return r;
}

std::optional<QRect> frameBounds(Connection& c, xcb_window_t w) { return frameBounds(c, w, decoration(c, w)); }


std::optional<WindowInfo> readWindow(Connection& c, xcb_window_t w, const QString& host, bool withIcon)
{
    xcb_connection_t* x = c.get();
    Reply<xcb_get_window_attributes_reply_t> attrs(
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, w), nullptr));
    if (!attrs)
        return std::nullopt; // gone
    WindowInfo info;
    info.id = w;
    info.viewable = attrs->map_state == XCB_MAP_STATE_VIEWABLE;

    QByteArray title = c.bytes(w, c.atom("_NET_WM_NAME"), c.atom("UTF8_STRING"), kMaxTitle * 4);
    info.title = QString::fromUtf8(title);
    if (info.title.isEmpty())
        info.title = QString::fromLatin1(c.bytes(w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, kMaxTitle));
    info.title.truncate(kMaxTitle);
    const QByteArray cls = c.bytes(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 512);
    if (const int nul = cls.indexOf('\0'); nul >= 0)
        info.wmClass = QString::fromLatin1(cls.mid(nul + 1)).section(QLatin1Char('\0'), 0, 0);

    const QString machine = QString::fromLatin1(c.bytes(w, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 256));
    if (const auto pid = c.longs(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 1); pid.size() == 1 && (machine.isEmpty() || machine == host)) {
        info.pid = int(pid[0]);
        info.executable = QFileInfo(QStringLiteral("/proc/%1/exe").arg(info.pid)).symLinkTarget();
    }
    int maximizedWays = 0;
    for (const std::uint32_t a : c.longs(w, "_NET_WM_STATE", XCB_ATOM_ATOM, 64)) {
        const QString n = c.atomName(a);
        if (n == QLatin1String("_NET_WM_STATE_HIDDEN"))
            info.minimized = true;
        else if (n == QLatin1String("_NET_WM_STATE_SKIP_TASKBAR"))
            info.skipTaskbar = true;
        else if (n == QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT") || n == QLatin1String("_NET_WM_STATE_MAXIMIZED_HORZ"))
            ++maximizedWays;
        else if (n == QLatin1String("_NET_WM_STATE_FULLSCREEN"))
            info.fullScreen = true;
        else if (n == QLatin1String("_NET_WM_STATE_ABOVE"))
            info.above = true;
    }
    info.maximized = maximizedWays == 2;
    info.partlyMaximized = maximizedWays > 0;
    // A window whose smallest and largest sizes are one, or that the window
    // manager will not resize, keeps its size.
    if (const auto h = c.longs(w, "WM_NORMAL_HINTS", XCB_ATOM_WM_SIZE_HINTS, 18); h.size() >= 9) {
        constexpr std::uint32_t kMinSize = 16, kMaxSize = 32;
        if ((h[0] & kMinSize) && (h[0] & kMaxSize) && h[5] == h[7] && h[6] == h[8])
            info.resizable = false;
    }
    if (const auto actions = c.longs(w, "_NET_WM_ALLOWED_ACTIONS", XCB_ATOM_ATOM, 64); !actions.empty()) {
        const xcb_atom_t resize = c.atom("_NET_WM_ACTION_RESIZE");
        if (std::find(actions.begin(), actions.end(), resize) == actions.end())
            info.resizable = false;
    }
    if (const auto s = c.longs(w, "WM_STATE", c.atom("WM_STATE"), 2); !s.empty() && s[0] == 3)
        info.minimized = true; // IconicState
    for (const std::uint32_t a : c.longs(w, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, 16))
        info.types << c.atomName(a).remove(QStringLiteral("_NET_WM_WINDOW_TYPE_"));
    if (const auto d = c.longs(w, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL, 1); d.size() == 1)
        info.desktop = d[0];
    if (withIcon)
        info.icon = iconFromProperty(c.longs(w, "_NET_WM_ICON", XCB_ATOM_CARDINAL, kMaxIconLongs));
    const Decoration decor = decoration(c, w);
    info.wmFrame = decor.wmFrame;
    info.shadow = decor.shadow;
    const auto frame = frameBounds(c, w, decor);
    if (!frame)
        return std::nullopt;
    info.frame = *frame;
    return info;
}


} // namespace detail

namespace {
using detail::frameBounds;
using detail::hostName;
using detail::readWindow;
} // namespace

QImage iconFromProperty(const std::vector<std::uint32_t>& data)
{
    std::size_t best = 0, bestW = 0, bestH = 0;
    long bestScore = -1;
    for (std::size_t i = 0; i + 2 <= data.size();) {
        const std::uint32_t w = data[i], h = data[i + 1];
        if (w == 0 || h == 0 || w > kMaxIconSide || h > kMaxIconSide || data.size() - i - 2 < std::size_t(w) * h)
            break; // a damaged list ends here
        const long score = w >= 32 ? long(w) - 32 : 10000 + (32 - long(w));
        if (bestScore < 0 || score < bestScore) {
            bestScore = score;
            best = i + 2;
            bestW = w;
            bestH = h;
        }
        i += 2 + std::size_t(w) * h;
    }
    if (bestScore < 0)
        return {};
    QImage img(int(bestW), int(bestH), QImage::Format_ARGB32);
    for (std::size_t y = 0; y < bestH; ++y)
        std::memcpy(img.scanLine(int(y)), data.data() + best + y * bestW, bestW * 4);
    return img;
}


QList<WindowInfo> listWindows()
{
    Connection c;
    QList<WindowInfo> out;
    if (!c.ok())
        return out;
    std::vector<std::uint32_t> ids = c.longs(c.root(), "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, 4096);
    if (ids.empty()) {
        // No window manager: the root's children that are client windows.
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c.get(), xcb_query_tree(c.get(), c.root()), nullptr));
        if (tree) {
            const xcb_window_t* kids = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
                if (!c.longs(kids[i], "WM_STATE", c.atom("WM_STATE"), 2).empty())
                    ids.push_back(kids[i]);
        }
    }
    const QString host = hostName();
    for (const std::uint32_t id : ids)
        if (auto info = readWindow(c, id, host, true))
            out.append(std::move(*info));
    return out;
}

bool isApplicationWindow(const WindowInfo& w, std::int64_t currentDesktop, int ourPid)
{
    static const QStringList notApplications = {
        QStringLiteral("DESKTOP"), QStringLiteral("DOCK"),          QStringLiteral("MENU"),
        QStringLiteral("DROPDOWN_MENU"), QStringLiteral("POPUP_MENU"), QStringLiteral("TOOLTIP"),
        QStringLiteral("NOTIFICATION"), QStringLiteral("SPLASH"),   QStringLiteral("COMBO"),
        QStringLiteral("DND"),
    };
    if (w.skipTaskbar || (ourPid > 0 && w.pid == ourPid))
        return false;
    for (const QString& t : w.types)
        if (notApplications.contains(t))
            return false;
    return currentDesktop < 0 || w.desktop < 0 || w.desktop == 0xFFFFFFFFLL || w.desktop == currentDesktop;
}

std::int64_t currentDesktop()
{
    Connection c;
    if (!c.ok())
        return -1;
    const auto d = c.longs(c.root(), "_NET_CURRENT_DESKTOP", XCB_ATOM_CARDINAL, 1);
    return d.size() == 1 ? std::int64_t(d[0]) : -1;
}

std::optional<QRect> visibleFrameBounds(std::uint32_t window)
{
    Connection c;
    if (!c.ok())
        return std::nullopt;
    return frameBounds(c, window);
}

struct WindowTracker::Impl {
    Connection c;
    bool watching = false;
    bool dirty = true;
    bool gone = false;
    int looksSinceRead = 0;
    Look last;
};

WindowTracker::WindowTracker(std::uint32_t window) : d(std::make_unique<Impl>()), window_(window)
{
    if (!d->c.ok()) {
        d->gone = true;
        return;
    }
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    d->gone = xcb_request_check(d->c.get(), xcb_change_window_attributes_checked(d->c.get(), window, XCB_CW_EVENT_MASK, &mask)) !=
              nullptr;
    d->watching = !d->gone;
}

WindowTracker::~WindowTracker() = default;

WindowTracker::Look WindowTracker::look()
{
    if (d->gone || xcb_connection_has_error(d->c.get()))
        return {State::Gone, {}};
    while (Reply<xcb_generic_event_t> e{xcb_poll_for_event(d->c.get())}) {
        const int type = e->response_type & 0x7f;
        if (type == XCB_DESTROY_NOTIFY && reinterpret_cast<xcb_destroy_notify_event_t*>(e.get())->window == window_) {
            d->gone = true;
            return {State::Gone, {}};
        }
        d->dirty = true; // moved, resized, mapped, unmapped, a property
    }
    if (!d->dirty && ++d->looksSinceRead < kRecheckLooks)
        return d->last;
    d->dirty = false;
    d->looksSinceRead = 0;
    Connection& c = d->c;
    Reply<xcb_get_window_attributes_reply_t> attrs(
        xcb_get_window_attributes_reply(c.get(), xcb_get_window_attributes(c.get(), window_), nullptr));
    if (!attrs) {
        d->gone = true;
        return {State::Gone, {}};
    }
    bool minimized = false;
    if (const auto s = c.longs(window_, "WM_STATE", c.atom("WM_STATE"), 2); !s.empty() && s[0] == 3)
        minimized = true;
    for (const std::uint32_t a : c.longs(window_, "_NET_WM_STATE", XCB_ATOM_ATOM, 64))
        minimized = minimized || c.atomName(a) == QLatin1String("_NET_WM_STATE_HIDDEN");
    if (minimized || attrs->map_state != XCB_MAP_STATE_VIEWABLE) {
        d->last = {State::Minimized, d->last.frame};
        return d->last;
    }
    const auto frame = frameBounds(c, window_);
    if (!frame) {
        d->gone = true;
        return {State::Gone, {}};
    }
    d->last = {State::Shown, *frame};
    return d->last;
}

} // namespace mirovex::platform
