#include "platform/screencapture.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace mirovex::platform {

namespace {
struct Free {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;
} // namespace

__attribute__((target_clones("avx2", "default"))) void invertPixels(uint32_t* pixels, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i)
        pixels[i] ^= 0x00FFFFFFu;
}

struct ScreenCapture::Impl {
    xcb_connection_t* conn = nullptr;
    xcb_window_t root = 0;
    QSize rootSize;
    QString error;
    bool formatOk = false;
    bool shm = false;

    // The frame buffer: a shared segment when the server has MIT-SHM, else
    // plain memory.
    uchar* memory = nullptr;
    std::size_t capacity = 0;
    int shmId = -1;
    xcb_shm_seg_t seg = 0;
    QImage image;

    ~Impl()
    {
        release();
        if (conn)
            xcb_disconnect(conn);
    }

    void release()
    {
        image = QImage();
        if (shm && seg) {
            xcb_shm_detach(conn, seg);
            xcb_flush(conn);
            seg = 0;
        }
        if (shmId >= 0) {
            shmdt(memory);
            shmId = -1;
        } else {
            std::free(memory);
        }
        memory = nullptr;
        capacity = 0;
    }

    bool allocate(std::size_t bytes)
    {
        release();
        if (shm) {
            shmId = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
            if (shmId >= 0) {
                void* p = shmat(shmId, nullptr, 0);
                if (p != reinterpret_cast<void*>(-1)) {
                    memory = static_cast<uchar*>(p);
                    seg = xcb_generate_id(conn);
                    Reply<xcb_generic_error_t> err(xcb_request_check(conn, xcb_shm_attach_checked(conn, seg, uint32_t(shmId), 0)));
                    // Marked for removal at once: the kernel frees it when both
                    // sides have detached, also when this process crashes.
                    shmctl(shmId, IPC_RMID, nullptr);
                    if (!err) {
                        capacity = bytes;
                        return true;
                    }
                    seg = 0;
                    shmdt(memory);
                    memory = nullptr;
                } else {
                    shmctl(shmId, IPC_RMID, nullptr);
                }
                shmId = -1;
            }
            // The server cannot reach our segment (another host, a container):
            // plain requests work everywhere.
            shm = false;
        }
        memory = static_cast<uchar*>(std::malloc(bytes));
        if (!memory)
            return false;
        capacity = bytes;
        return true;
    }
};

ScreenCapture::ScreenCapture() : d(std::make_unique<Impl>())
{
    int screenNumber = 0;
    d->conn = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(d->conn)) {
        d->error = QStringLiteral("cannot connect to the X display");
        return;
    }
    const xcb_setup_t* setup = xcb_get_setup(d->conn);
    auto it = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        d->error = QStringLiteral("the X display has no screen %1").arg(screenNumber);
        return;
    }
    const xcb_screen_t* screen = it.data;
    d->root = screen->root;
    d->rootSize = QSize(screen->width_in_pixels, screen->height_in_pixels);

    // The frame buffer is QImage's RGB32, which is what a 24-bit true-colour
    // root in 32-bit pixels, least significant byte first, sends as it is.
    int bpp = 0;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == screen->root_depth)
            bpp = f.data->bits_per_pixel;
    const xcb_visualtype_t* visual = nullptr;
    for (auto dp = xcb_screen_allowed_depths_iterator(screen); dp.rem; xcb_depth_next(&dp))
        for (auto v = xcb_depth_visuals_iterator(dp.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen->root_visual)
                visual = v.data;
    d->formatOk = bpp == 32 && (screen->root_depth == 24 || screen->root_depth == 32) && visual
        && visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 && visual->blue_mask == 0xff
        && setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    if (!d->formatOk) {
        d->error = QStringLiteral("the X display's pixel format (depth %1, %2 bits per pixel) cannot be captured")
                       .arg(screen->root_depth)
                       .arg(bpp);
        return;
    }

    Reply<xcb_shm_query_version_reply_t> shmVersion(
        xcb_shm_query_version_reply(d->conn, xcb_shm_query_version(d->conn), nullptr));
    d->shm = shmVersion != nullptr;
}

ScreenCapture::~ScreenCapture() = default;

bool ScreenCapture::ok() const { return d->error.isEmpty() && !xcb_connection_has_error(d->conn); }
QString ScreenCapture::error() const { return d->error; }
bool ScreenCapture::usesSharedMemory() const { return d->shm; }
QSize ScreenCapture::rootSize() const { return d->rootSize; }

QImage& ScreenCapture::frame(QSize size)
{
    size = size.expandedTo(QSize(1, 1));
    if (d->image.size() == size)
        return d->image;
    // Twice the frame: the parts of a partial copy land after the frame
    // first, since the server writes each part's rows packed.
    const std::size_t bytes = std::size_t(size.width()) * std::size_t(size.height()) * 4 * 2;
    if (bytes > d->capacity && !d->allocate(bytes)) {
        d->image = QImage();
        return d->image;
    }
    d->image = QImage(d->memory, size.width(), size.height(), size.width() * 4, QImage::Format_RGB32);
    return d->image;
}

ScreenCapture::Result ScreenCapture::capture(const QRect& rootRect, bool invert)
{
    if (!ok())
        return Result::Fatal;
    QImage& img = frame(rootRect.size());
    if (img.isNull())
        return Result::Transient;
    const int stride = img.width() * 4;
    uchar* base = d->memory;

    // The server refuses any request that reaches outside the root: copy the
    // part on it and paint the rest black.
    const QRect part = rootRect.intersected(QRect(QPoint(0, 0), d->rootSize));
    if (part != rootRect)
        std::memset(base, 0, std::size_t(stride) * std::size_t(img.height()));
    if (part.isEmpty())
        return Result::Ok;
    const QPoint at = part.topLeft() - rootRect.topLeft();
    uchar* dst = base + std::size_t(at.y()) * std::size_t(stride) + std::size_t(at.x()) * 4;
    const int rowBytes = part.width() * 4;

    if (d->shm) {
        auto cookie = xcb_shm_get_image(d->conn, d->root, int16_t(part.x()), int16_t(part.y()), uint16_t(part.width()),
                                        uint16_t(part.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, d->seg,
                                        uint32_t(dst - base));
        xcb_generic_error_t* rawError = nullptr;
        Reply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(d->conn, cookie, &rawError));
        Reply<xcb_generic_error_t> error(rawError);
        if (!reply)
            return xcb_connection_has_error(d->conn) ? Result::Fatal : Result::Transient;
        // The server wrote the rows packed; spread them to the frame's stride,
        // last first, as each moves to a place at or after its own.
        if (rowBytes != stride) {
            for (int y = part.height() - 1; y > 0; --y)
                std::memmove(dst + std::size_t(y) * std::size_t(stride), dst + std::size_t(y) * std::size_t(rowBytes),
                             std::size_t(rowBytes));
            // What the packed rows left in the margins beside the part goes
            // back to black.
            const std::size_t left = std::size_t(at.x()) * 4;
            const std::size_t right = std::size_t(stride) - left - std::size_t(rowBytes);
            for (int y = 0; y < part.height(); ++y) {
                uchar* row = dst + std::size_t(y) * std::size_t(stride);
                std::memset(row - left, 0, left);
                std::memset(row + rowBytes, 0, right);
            }
        }
    } else {
        auto cookie = xcb_get_image(d->conn, XCB_IMAGE_FORMAT_Z_PIXMAP, d->root, int16_t(part.x()), int16_t(part.y()),
                                    uint16_t(part.width()), uint16_t(part.height()), ~0u);
        xcb_generic_error_t* rawError = nullptr;
        Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(d->conn, cookie, &rawError));
        Reply<xcb_generic_error_t> error(rawError);
        if (!reply)
            return xcb_connection_has_error(d->conn) ? Result::Fatal : Result::Transient;
        if (xcb_get_image_data_length(reply.get()) < rowBytes * part.height())
            return Result::Transient;
        const uint8_t* src = xcb_get_image_data(reply.get());
        for (int y = 0; y < part.height(); ++y)
            std::memcpy(dst + std::size_t(y) * std::size_t(stride), src + std::size_t(y) * std::size_t(rowBytes),
                        std::size_t(rowBytes));
    }

    if (invert) {
        if (part == rootRect)
            invertPixels(reinterpret_cast<uint32_t*>(base), qsizetype(img.width()) * img.height());
        else
            for (int y = 0; y < part.height(); ++y)
                invertPixels(reinterpret_cast<uint32_t*>(dst + std::size_t(y) * std::size_t(stride)), part.width());
    }
    return Result::Ok;
}

ScreenCapture::Result ScreenCapture::captureParts(const QRect& rootRect, const QVector<QRect>& parts, bool invert)
{
    if (!ok())
        return Result::Fatal;
    QImage& img = d->image;
    if (img.isNull() || img.size() != rootRect.size() || img.constBits() != d->memory)
        return capture(rootRect, invert);
    const int stride = img.width() * 4;
    const std::size_t frameBytes = std::size_t(stride) * std::size_t(img.height());
    const QRect rootArea(QPoint(0, 0), d->rootSize);

    struct Job {
        QRect part;         // in the frame
        std::size_t offset; // where the server writes it
        bool inPlace;       // whole rows: written straight into the frame
        xcb_shm_get_image_cookie_t shmCookie;
        xcb_get_image_cookie_t cookie;
    };
    std::vector<Job> jobs;
    jobs.reserve(std::size_t(parts.size()));
    std::size_t scratch = frameBytes;
    for (const QRect& p : parts) {
        // Off the root the frame is black from the whole copy and stays so.
        const QRect onRoot = p.intersected(img.rect()).translated(rootRect.topLeft()).intersected(rootArea);
        if (onRoot.isEmpty())
            continue;
        Job job{onRoot.translated(-rootRect.topLeft()), 0, false, {}, {}};
        job.inPlace = job.part.width() == img.width();
        const std::size_t bytes = std::size_t(onRoot.width()) * std::size_t(onRoot.height()) * 4;
        if (job.inPlace) {
            job.offset = std::size_t(job.part.y()) * std::size_t(stride);
        } else {
            if (scratch + bytes > d->capacity) // overlapping parts: not worth sorting out
                return capture(rootRect, invert);
            job.offset = scratch;
            scratch += bytes;
        }
        if (d->shm)
            job.shmCookie = xcb_shm_get_image(d->conn, d->root, int16_t(onRoot.x()), int16_t(onRoot.y()),
                                              uint16_t(onRoot.width()), uint16_t(onRoot.height()), ~0u,
                                              XCB_IMAGE_FORMAT_Z_PIXMAP, d->seg, uint32_t(job.offset));
        else
            job.cookie = xcb_get_image(d->conn, XCB_IMAGE_FORMAT_Z_PIXMAP, d->root, int16_t(onRoot.x()),
                                       int16_t(onRoot.y()), uint16_t(onRoot.width()), uint16_t(onRoot.height()), ~0u);
        jobs.push_back(job);
    }
    // Every request is on its way before the first answer is waited for.
    Result result = Result::Ok;
    for (const Job& job : jobs) {
        const std::size_t rowBytes = std::size_t(job.part.width()) * 4;
        uchar* dst = d->memory + std::size_t(job.part.y()) * std::size_t(stride) + std::size_t(job.part.x()) * 4;
        xcb_generic_error_t* rawError = nullptr;
        if (d->shm) {
            Reply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(d->conn, job.shmCookie, &rawError));
            Reply<xcb_generic_error_t> error(rawError);
            if (!reply) {
                result = xcb_connection_has_error(d->conn) ? Result::Fatal : Result::Transient;
                continue;
            }
            if (!job.inPlace)
                for (int y = 0; y < job.part.height(); ++y)
                    std::memcpy(dst + std::size_t(y) * std::size_t(stride),
                                d->memory + job.offset + std::size_t(y) * rowBytes, rowBytes);
        } else {
            Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(d->conn, job.cookie, &rawError));
            Reply<xcb_generic_error_t> error(rawError);
            if (!reply || std::size_t(xcb_get_image_data_length(reply.get())) < rowBytes * std::size_t(job.part.height())) {
                result = reply || !xcb_connection_has_error(d->conn) ? Result::Transient : Result::Fatal;
                continue;
            }
            const uint8_t* src = xcb_get_image_data(reply.get());
            for (int y = 0; y < job.part.height(); ++y)
                std::memcpy(dst + std::size_t(y) * std::size_t(stride), src + std::size_t(y) * rowBytes, rowBytes);
        }
        if (invert)
            for (int y = 0; y < job.part.height(); ++y)
                invertPixels(reinterpret_cast<uint32_t*>(dst + std::size_t(y) * std::size_t(stride)), job.part.width());
    }
    return result;
}

} // namespace mirovex::platform
