#include "platform/clipboardreader.h"

#include "platform/xcbutil.h"

#include <QElapsedTimer>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <poll.h>

namespace mirovex::platform {

namespace {
using xcb::Reply;

// The picture types asked for, best first.
const char* const kTypes[] = {"image/png", "image/bmp", "image/x-bmp", "image/x-MS-bmp", "image/jpeg", "image/gif"};

class Reader {
public:
    Reader(int deadlineMs, qint64 maxBytes, const std::atomic_bool* stop)
        : c_(xcb_connect(nullptr, nullptr)), deadlineMs_(deadlineMs), maxBytes_(maxBytes), stop_(stop)
    {
        if (xcb_connection_has_error(c_))
            return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        window_ = xcb_generate_id(c_);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        clipboard_ = atom("CLIPBOARD");
        property_ = atom("_MIROVEX_CLIPBOARD");
        incr_ = atom("INCR");
    }
    ~Reader() { xcb_disconnect(c_); }

    ClipboardData read()
    {
        if (xcb_connection_has_error(c_))
            return {};
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, clipboard_), nullptr));
        if (!owner || owner->owner == XCB_WINDOW_NONE)
            return {};
        const QByteArray targets = convert(atom("TARGETS"), 4096 * 4);
        const auto* offered = reinterpret_cast<const xcb_atom_t*>(targets.constData());
        const int count = int(targets.size() / 4);
        for (const char* type : kTypes) {
            const xcb_atom_t a = atom(type);
            if (std::find(offered, offered + count, a) == offered + count)
                continue;
            QByteArray bytes = convert(a, maxBytes_);
            if (bytes.isEmpty())
                return {};
            return {QString::fromLatin1(type), std::move(bytes)};
        }
        return {};
    }

    // UTF-8 text, else the older Latin-1 form; nothing when the clipboard
    // holds no text or its owner does not answer in time.
    std::optional<QString> readText()
    {
        if (xcb_connection_has_error(c_))
            return std::nullopt;
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, clipboard_), nullptr));
        if (!owner || owner->owner == XCB_WINDOW_NONE)
            return std::nullopt;
        if (std::optional<QByteArray> utf8 = convert(atom("UTF8_STRING"), maxBytes_, true))
            return QString::fromUtf8(*utf8);
        if (std::optional<QByteArray> latin1 = convert(XCB_ATOM_STRING, maxBytes_, true))
            return QString::fromLatin1(*latin1);
        return std::nullopt;
    }

private:
    xcb_atom_t atom(const char* name) { return xcb::atom(c_, name); }

    // As below, but an empty value (an empty text) is a value.
    std::optional<QByteArray> convert(xcb_atom_t target, qint64 limit, bool)
    {
        bool answered = false;
        QByteArray bytes = convert(target, limit, &answered);
        if (!answered)
            return std::nullopt;
        return bytes;
    }

    // The next event that `want` accepts, or null at the deadline.
    template <class Want> Reply<xcb_generic_event_t> waitFor(Want want)
    {
        for (;;) {
            while (Reply<xcb_generic_event_t> e{xcb_poll_for_event(c_)})
                if (want(e.get()))
                    return e;
            if (xcb_connection_has_error(c_) || (stop_ && stop_->load()))
                return nullptr;
            // Each step has its deadline, and the whole read a longer one,
            // so an owner that trickles tiny pieces cannot keep it forever.
            const qint64 left = std::min<qint64>(deadlineMs_ - clock_.elapsed(), kWholeReadSteps * qint64(deadlineMs_) - whole_.elapsed());
            if (left <= 0)
                return nullptr;
            pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
            // Short waits, so a stop is seen at once.
            ::poll(&p, 1, int(std::min<qint64>(left, 50)));
        }
    }

    // Takes the property's value and deletes it.
    Reply<xcb_get_property_reply_t> take()
    {
        return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
            c_, xcb_get_property(c_, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, std::uint32_t((maxBytes_ + 3) / 4 + 1)),
            nullptr));
    }

    // The selection converted to `target`: empty when refused, too large or
    // too late. Large values come in pieces (INCR).
    QByteArray convert(xcb_atom_t target, qint64 limit, bool* answered = nullptr)
    {
        clock_.start();
        whole_.start();
        xcb_convert_selection(c_, window_, clipboard_, target, property_, XCB_CURRENT_TIME);
        xcb_flush(c_);
        auto notify = waitFor([](xcb_generic_event_t* e) { return (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY; });
        if (!notify || reinterpret_cast<xcb_selection_notify_event_t*>(notify.get())->property == XCB_ATOM_NONE)
            return {};
        auto value = take();
        if (!value || value->bytes_after > 0)
            return {};
        if (value->type != incr_) {
            const int n = xcb_get_property_value_length(value.get());
            if (n > limit)
                return {};
            if (answered)
                *answered = true;
            return QByteArray(static_cast<const char*>(xcb_get_property_value(value.get())), n);
        }
        // In pieces: each new value is a piece, an empty one the end.
        QByteArray all;
        xcb_flush(c_);
        for (;;) {
            clock_.start();
            auto e = waitFor([this](xcb_generic_event_t* ev) {
                if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
                return p->atom == property_ && p->state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!e)
                return {};
            auto piece = take();
            xcb_flush(c_);
            if (!piece)
                return {};
            const int n = xcb_get_property_value_length(piece.get());
            if (n == 0) {
                if (answered)
                    *answered = true;
                return all;
            }
            if (all.size() + n > limit)
                return {};
            all.append(static_cast<const char*>(xcb_get_property_value(piece.get())), n);
        }
    }

    xcb_connection_t* c_;
    int deadlineMs_;
    qint64 maxBytes_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    xcb_atom_t clipboard_ = XCB_ATOM_NONE, property_ = XCB_ATOM_NONE, incr_ = XCB_ATOM_NONE;
    const std::atomic_bool* stop_;
    QElapsedTimer clock_;
    QElapsedTimer whole_;
    static constexpr int kWholeReadSteps = 10;
};

constexpr int kDeadlineMs = 2000;
constexpr qint64 kMaxBytes = 256ll << 20;
// Text is for one line of a few hundred characters: a bound well above that.
constexpr qint64 kMaxTextBytes = 1 << 20;

class Worker : public QObject {
    Q_OBJECT
public:
signals:
    void read(const mirovex::platform::ClipboardData& data);

public:
    explicit Worker(const std::atomic_bool* stop) : stop_(stop) {}
    void run() { emit read(readClipboardPicture(kDeadlineMs, kMaxBytes, stop_)); }
    void runText() { emit readText(readClipboardText(kDeadlineMs, kMaxTextBytes, stop_)); }

signals:
    void readText(const std::optional<QString>& text);

private:
    const std::atomic_bool* stop_;
};

} // namespace

ClipboardData readClipboardPicture(int deadlineMs, qint64 maxBytes, const std::atomic_bool* stop)
{
    return Reader(deadlineMs, maxBytes, stop).read();
}

std::optional<QString> readClipboardText(int deadlineMs, qint64 maxBytes, const std::atomic_bool* stop)
{
    return Reader(deadlineMs, maxBytes, stop).readText();
}

ClipboardReader::ClipboardReader(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<mirovex::platform::ClipboardData>();
    qRegisterMetaType<std::optional<QString>>();
    auto* worker = new Worker(&stopping_);
    worker_ = worker;
    worker->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &Worker::read, this, &ClipboardReader::done, Qt::QueuedConnection);
    connect(worker, &Worker::readText, this, &ClipboardReader::textRead, Qt::QueuedConnection);
    thread_.start();
}

ClipboardReader::~ClipboardReader()
{
    // Quitting never waits for a clipboard owner.
    stopping_ = true;
    thread_.quit();
    thread_.wait();
}

void ClipboardReader::request()
{
    if (busy_) {
        again_ = true;
        return;
    }
    busy_ = true;
    QMetaObject::invokeMethod(static_cast<Worker*>(worker_), &Worker::run, Qt::QueuedConnection);
}

void ClipboardReader::requestText()
{
    QMetaObject::invokeMethod(static_cast<Worker*>(worker_), &Worker::runText, Qt::QueuedConnection);
}

void ClipboardReader::done(const ClipboardData& data)
{
    busy_ = false;
    if (again_) {
        // A newer copy came while this one was read: only it counts.
        again_ = false;
        request();
        return;
    }
    emit pictureRead(data);
}

} // namespace mirovex::platform

#include "clipboardreader.moc"
