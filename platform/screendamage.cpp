#include "platform/screendamage.h"

#include "platform/xcbutil.h"

#include <QByteArray>
#include <QSocketNotifier>

#include <xcb/damage.h>
#include <xcb/randr.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>

#include <chrono>
#include <cstdio>

namespace mirovex::platform {

namespace {
using Clock = std::chrono::steady_clock;
// Long enough for a loaded machine and a compositor's next paint.
constexpr auto kProbeWait = std::chrono::seconds(3);
} // namespace

struct ScreenDamage::Impl {
    xcb_connection_t* conn = nullptr;
    xcb_window_t root = 0;
    QSize rootSize;
    int screenNumber = 0;
    uint8_t damageEvent = 0, randrEvent = 0, xfixesEvent = 0, xinputOpcode = 0;
    bool haveDamage = false, haveRandr = false, haveMotion = false;
    bool broken = false;  // the connection failed: never trusted again
    bool refused = false; // the probe failed: never trusted this session
    xcb_damage_damage_t damage = 0;
    xcb_xfixes_region_t region = 0;

    bool damagePending = false;
    bool allPending = true; // the first question always gets everything
    bool motion = false;

    // The probe: a window of one pixel, mapped and waited for.
    xcb_window_t probe = 0;
    QRect probeRect;
    Clock::time_point probeDeadline;
    bool probing = false;
    bool probeWanted = true; // made when first asked, not before anything is mirrored

    QSocketNotifier* notifier = nullptr;

    ~Impl()
    {
        if (conn)
            xcb_disconnect(conn);
    }

    void say(const char* why)
    {
        std::fprintf(stderr, "Mirovex: %s; every frame is copied whole\n", why);
    }

    void fail(const char* why)
    {
        if (broken)
            return;
        broken = true;
        say(why);
    }

    void endProbe()
    {
        if (probe) {
            xcb_destroy_window(conn, probe);
            xcb_flush(conn);
            probe = 0;
        }
        probing = false;
    }

    void startProbe()
    {
        endProbe();
        if (broken || refused || !haveDamage)
            return;
        // The corner pixel's own colour: mapping the window changes nothing
        // anybody sees, but the server reports the area as drawn.
        const int16_t x = int16_t(rootSize.width() - 1), y = int16_t(rootSize.height() - 1);
        xcb::Reply<xcb_get_image_reply_t> px(
            xcb_get_image_reply(conn, xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x, y, 1, 1, ~0u), nullptr));
        uint32_t colour = 0;
        if (px && xcb_get_image_data_length(px.get()) >= 4) {
            const uint8_t* b = xcb_get_image_data(px.get());
            colour = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16;
        }
        probe = xcb_generate_id(conn);
        const uint32_t values[] = {colour, 1};
        xcb_create_window(conn, XCB_COPY_FROM_PARENT, probe, root, x, y, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(conn, probe);
        xcb_flush(conn);
        probeRect = QRect(x, y, 1, 1);
        probeDeadline = Clock::now() + kProbeWait;
        probing = true;
    }

    void probeSeen(const QRect& drawn)
    {
        if (probing && drawn.intersects(probeRect))
            endProbe();
    }
};

ScreenDamage::ScreenDamage(QObject* parent) : QObject(parent), d(std::make_unique<Impl>())
{
    int number = 0;
    d->conn = xcb_connect(nullptr, &number);
    if (xcb_connection_has_error(d->conn)) {
        d->fail("cannot watch the screen for changes");
        return;
    }
    d->screenNumber = number;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(d->conn));
    for (int i = 0; i < number && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        d->fail("cannot watch the screen for changes");
        return;
    }
    d->root = it.data->root;
    d->rootSize = QSize(it.data->width_in_pixels, it.data->height_in_pixels);

    xcb_prefetch_extension_data(d->conn, &xcb_damage_id);
    xcb_prefetch_extension_data(d->conn, &xcb_xfixes_id);
    xcb_prefetch_extension_data(d->conn, &xcb_randr_id);
    xcb_prefetch_extension_data(d->conn, &xcb_input_id);

    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(d->conn, &xcb_xfixes_id);
    const xcb_query_extension_reply_t* dmg = xcb_get_extension_data(d->conn, &xcb_damage_id);
    if (fixes && fixes->present && dmg && dmg->present) {
        // Both versions must be asked before the requests are used.
        xcb::Reply<xcb_xfixes_query_version_reply_t> fv(
            xcb_xfixes_query_version_reply(d->conn, xcb_xfixes_query_version(d->conn, 5, 0), nullptr));
        xcb::Reply<xcb_damage_query_version_reply_t> dv(
            xcb_damage_query_version_reply(d->conn, xcb_damage_query_version(d->conn, 1, 1), nullptr));
        if (fv && dv && fv->major_version >= 2) {
            d->damageEvent = dmg->first_event;
            d->xfixesEvent = fixes->first_event;
            d->damage = xcb_generate_id(d->conn);
            xcb_damage_create(d->conn, d->damage, d->root, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            d->region = xcb_generate_id(d->conn);
            xcb_xfixes_create_region(d->conn, d->region, 0, nullptr);
            d->haveDamage = true;
            // A compositor starting or stopping repaints everything its own
            // way; the probe must show again that its drawing reaches us.
            const QByteArray cm = "_NET_WM_CM_S" + QByteArray::number(d->screenNumber);
            if (const xcb_atom_t sel = xcb::atom(d->conn, cm.constData()))
                xcb_xfixes_select_selection_input(d->conn, d->root, sel,
                                                  XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                                      XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                                      XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        }
    }
    if (!d->haveDamage)
        d->say("the X server does not report screen changes (no DAMAGE extension)");

    // Monitors and the root's size: pixels move without being drawn.
    const uint32_t rootMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(d->conn, d->root, XCB_CW_EVENT_MASK, &rootMask);
    if (const auto* rr = xcb_get_extension_data(d->conn, &xcb_randr_id); rr && rr->present) {
        xcb::Reply<xcb_randr_query_version_reply_t> rv(
            xcb_randr_query_version_reply(d->conn, xcb_randr_query_version(d->conn, 1, 5), nullptr));
        if (rv) {
            d->randrEvent = rr->first_event;
            d->haveRandr = true;
            xcb_randr_select_input(d->conn, d->root,
                                   XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
        }
    }

    // Pointer motion anywhere, without taking it from anyone.
    if (const auto* xi = xcb_get_extension_data(d->conn, &xcb_input_id); xi && xi->present) {
        xcb::Reply<xcb_input_xi_query_version_reply_t> iv(
            xcb_input_xi_query_version_reply(d->conn, xcb_input_xi_query_version(d->conn, 2, 0), nullptr));
        if (iv && iv->major_version >= 2) {
            struct {
                xcb_input_event_mask_t head;
                uint32_t mask;
            } sel{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
            xcb::Reply<xcb_generic_error_t> err(
                xcb_request_check(d->conn, xcb_input_xi_select_events_checked(d->conn, d->root, 1, &sel.head)));
            d->xinputOpcode = xi->major_opcode;
            d->haveMotion = !err;
        }
    }
    xcb_flush(d->conn);
    if (xcb_connection_has_error(d->conn)) {
        d->fail("lost the connection that watches the screen");
        return;
    }

    d->notifier = new QSocketNotifier(xcb_get_file_descriptor(d->conn), QSocketNotifier::Read, this);
    connect(d->notifier, &QSocketNotifier::activated, this, [this] {
        readEvents();
        emit activity();
    });
}

ScreenDamage::~ScreenDamage()
{
    if (d->conn && !d->broken)
        d->endProbe();
}

bool ScreenDamage::trusted() const
{
    return d->haveDamage && !d->broken && !d->refused && !d->probing && !d->probeWanted;
}

bool ScreenDamage::reportsMotion() const { return d->haveMotion && !d->broken; }

void ScreenDamage::readEvents()
{
    if (d->broken)
        return;
    while (xcb_generic_event_t* e = xcb_poll_for_event(d->conn)) {
        const uint8_t type = e->response_type & 0x7f;
        if (d->haveDamage && type == d->damageEvent + XCB_DAMAGE_NOTIFY) {
            const auto* n = reinterpret_cast<const xcb_damage_notify_event_t*>(e);
            d->damagePending = true;
            d->probeSeen(QRect(n->area.x, n->area.y, n->area.width, n->area.height));
        } else if (d->haveDamage && type == d->xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
            d->allPending = true;
            d->probeWanted = true;
        } else if (d->haveRandr && (type == d->randrEvent + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                    type == d->randrEvent + XCB_RANDR_NOTIFY)) {
            d->allPending = true;
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            const auto* c = reinterpret_cast<const xcb_configure_notify_event_t*>(e);
            if (c->window == d->root) {
                d->allPending = true;
                d->rootSize = QSize(c->width, c->height);
            }
        } else if (type == XCB_GE_GENERIC) {
            const auto* g = reinterpret_cast<const xcb_ge_generic_event_t*>(e);
            if (g->extension == d->xinputOpcode)
                d->motion = true;
        }
        std::free(e);
    }
    if (xcb_connection_has_error(d->conn)) {
        d->fail("lost the connection that watches the screen");
        if (d->notifier)
            d->notifier->setEnabled(false);
    }
}

ScreenDamage::Changes ScreenDamage::take(int maxRects)
{
    Changes out;
    readEvents();
    if (d->probeWanted) {
        d->probeWanted = false;
        d->startProbe();
    }
    if (!d->broken && d->haveDamage && d->damagePending) {
        d->damagePending = false;
        // Moves what was drawn into our region and empties the damage, so the
        // next drawing is reported again.
        xcb_damage_subtract(d->conn, d->damage, XCB_NONE, d->region);
        xcb::Reply<xcb_xfixes_fetch_region_reply_t> r(
            xcb_xfixes_fetch_region_reply(d->conn, xcb_xfixes_fetch_region(d->conn, d->region), nullptr));
        if (!r) {
            d->fail("the X server stopped reporting screen changes");
        } else {
            const int n = xcb_xfixes_fetch_region_rectangles_length(r.get());
            const xcb_rectangle_t* rects = xcb_xfixes_fetch_region_rectangles(r.get());
            const QRect extents(r->extents.x, r->extents.y, r->extents.width, r->extents.height);
            d->probeSeen(extents);
            if (n > maxRects) {
                // A storm: one rectangle around it all, never a loop over it.
                out.rects.append(extents);
            } else {
                out.rects.reserve(n);
                for (int i = 0; i < n; ++i)
                    out.rects.append(QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
            }
        }
    }
    if (d->probing && Clock::now() > d->probeDeadline) {
        d->endProbe();
        d->refused = true;
        d->say("changes on the screen are not reported reliably here");
    }
    out.all = d->allPending || !trusted();
    d->allPending = false;
    if (out.all)
        out.rects.clear();
    return out;
}

bool ScreenDamage::takeMotion()
{
    readEvents();
    const bool moved = d->motion;
    d->motion = false;
    return moved;
}

bool ScreenDamage::quiet()
{
    readEvents();
    return !d->broken && !d->damagePending && !d->allPending && !d->motion && !d->probing;
}

void ScreenDamage::invalidate() { d->allPending = true; }

} // namespace mirovex::platform
