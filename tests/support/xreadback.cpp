#include "tests/support/xreadback.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace mirovex::test {
namespace {

struct Disconnect {
    void operator()(xcb_connection_t *c) const { xcb_disconnect(c); }
};
struct Free {
    void operator()(void *p) const { std::free(p); }
};

const xcb_visualtype_t *findVisual(const xcb_screen_t *screen, xcb_visualid_t id)
{
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == id)
                return v.data;
        }
    }
    return nullptr;
}

// One colour channel of a pixel value, widened to 8 bits.
int channel(uint32_t pixel, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8)
        return int(value >> (bits - 8));
    return int(value * 255 / ((1u << bits) - 1));
}

}  // namespace

QImage grabRoot(QRect rootRect)
{
    int screenNumber = 0;
    std::unique_ptr<xcb_connection_t, Disconnect> conn(xcb_connect(nullptr, &screenNumber));
    if (xcb_connection_has_error(conn.get())) {
        qWarning("grabRoot: cannot connect to the X display \"%s\"", qgetenv("DISPLAY").constData());
        return {};
    }
    const xcb_setup_t *setup = xcb_get_setup(conn.get());
    auto it = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return {};
    const xcb_screen_t *screen = it.data;

    const QRect area = rootRect.intersected(QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels));
    if (area.isEmpty())
        return {};

    xcb_generic_error_t *rawError = nullptr;
    const auto cookie = xcb_get_image(conn.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, int16_t(area.x()),
                                      int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u);
    std::unique_ptr<xcb_get_image_reply_t, Free> reply(xcb_get_image_reply(conn.get(), cookie, &rawError));
    std::unique_ptr<xcb_generic_error_t, Free> error(rawError);
    if (!reply) {
        qWarning("grabRoot: GetImage failed (X error %d)", error ? int(error->error_code) : -1);
        return {};
    }

    const xcb_format_t *format = nullptr;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth == reply->depth)
            format = f.data;
    }
    const xcb_visualtype_t *visual = findVisual(screen, reply->visual);
    if (!format || !visual || format->bits_per_pixel % 8 != 0 || format->bits_per_pixel < 16 ||
        format->bits_per_pixel > 32) {
        qWarning("grabRoot: cannot read pixels of depth %d", int(reply->depth));
        return {};
    }

    const int width = area.width();
    const int height = area.height();
    const int bytesPerPixel = format->bits_per_pixel / 8;
    const int pad = format->scanline_pad;
    const qsizetype stride = (qsizetype(width) * format->bits_per_pixel + pad - 1) / pad * pad / 8;
    const uint8_t *data = xcb_get_image_data(reply.get());
    if (xcb_get_image_data_length(reply.get()) < stride * height) {
        qWarning("grabRoot: GetImage returned too little data");
        return {};
    }

    const bool lsbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    QImage image(width, height, QImage::Format_RGB32);
    if (bytesPerPixel == 4 && lsbFirst && std::endian::native == std::endian::little &&
        visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 && visual->blue_mask == 0xff) {
        // The server's layout is already QImage's, but for the padding byte.
        for (int y = 0; y < height; ++y) {
            auto *out = reinterpret_cast<uint32_t *>(image.scanLine(y));
            std::memcpy(out, data + y * stride, size_t(width) * 4);
            for (int x = 0; x < width; ++x)
                out[x] |= 0xff000000u;
        }
        return image;
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t *in = data + y * stride;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x, in += bytesPerPixel) {
            uint32_t pixel = 0;
            for (int b = 0; b < bytesPerPixel; ++b) {
                const int byte = lsbFirst ? b : bytesPerPixel - 1 - b;
                pixel |= uint32_t(in[byte]) << (8 * b);
            }
            out[x] = qRgb(channel(pixel, visual->red_mask), channel(pixel, visual->green_mask),
                          channel(pixel, visual->blue_mask));
        }
    }
    return image;
}

bool waitUntil(std::function<bool()> cond, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (cond())
            return true;
        if (timer.hasExpired(timeoutMs))
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

}  // namespace mirovex::test

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace mirovex::test {

ModalGuard::ModalGuard(int timeoutMs) : timer_(new QTimer)
{
    auto* t = static_cast<QTimer*>(timer_);
    t->setSingleShot(true);
    QObject::connect(t, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    t->start(timeoutMs);
}

ModalGuard::~ModalGuard() { delete static_cast<QTimer*>(timer_); }

}  // namespace mirovex::test
