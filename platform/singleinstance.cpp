#include "platform/singleinstance.h"

#include "platform/xcbutil.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QDir>
#include <QThread>

#include <xcb/xcb.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mirovex::platform {

namespace {
bool privateFolderOfOurs(const QByteArray& path)
{
    struct stat st{};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}
} // namespace

QString runtimeFolder(const QString& program)
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && xdg.startsWith('/') && privateFolderOfOurs(xdg))
        return QString::fromLocal8Bit(xdg);
    const QByteArray own = QStringLiteral("/tmp/%1-%2").arg(program).arg(::getuid()).toLocal8Bit();
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // Someone else's folder, a link or one others can write to is no place
    // for our lock.
    return privateFolderOfOurs(own) ? QString::fromLocal8Bit(own) : QString();
}

QString lockFilePath(const QString& folder, const QString& program, const QString& executable, const QString& display)
{
    QString server = display;
    const int colon = server.lastIndexOf(QLatin1Char(':'));
    const int dot = server.lastIndexOf(QLatin1Char('.'));
    if (colon >= 0 && dot > colon)
        server.truncate(dot);
    const QByteArray key = (executable + QLatin1Char('\n') + server).toUtf8();
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
    return QDir(folder).filePath(QStringLiteral("%1-%2.lock").arg(program, hash));
}

SingleInstance::Outcome SingleInstance::acquire(const QString& path)
{
    release();
    path_ = path;
    const QByteArray p = QFile::encodeName(path);
    const int fd = ::open(p.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Outcome::NoLock;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Outcome::AlreadyRunning : Outcome::NoLock;
    }
    fd_ = fd;
    // What an earlier copy published is stale now; if it cannot be cleared,
    // a later copy only raises a window that is gone.
    [[maybe_unused]] const int cleared = ::ftruncate(fd_, 0);
    return Outcome::First;
}

bool SingleInstance::publishWindow(std::uint32_t window)
{
    if (fd_ < 0)
        return false;
    const QByteArray text = QByteArray::number(window) + '\n';
    return ::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, text.constData(), size_t(text.size()), 0) == text.size();
}

void SingleInstance::release()
{
    if (fd_ >= 0) {
        ::close(fd_); // closing drops the flock
        fd_ = -1;
    }
}

std::optional<std::uint32_t> SingleInstance::publishedWindow(const QString& path, int waitMs)
{
    const QByteArray p = QFile::encodeName(path);
    for (int waited = 0;; waited += 50) {
        const int fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd >= 0) {
            char buf[32] = {};
            const ssize_t n = ::read(fd, buf, sizeof buf - 1);
            ::close(fd);
            bool ok = false;
            const uint id = n > 0 ? QByteArray(buf, int(n)).trimmed().toUInt(&ok) : 0;
            if (ok && id != 0)
                return id;
        }
        if (waited >= waitMs)
            return std::nullopt;
        QThread::msleep(50);
    }
}

bool sendRaiseRequest(std::uint32_t window)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    const xcb_atom_t type = xcb::atom(c, kRaiseRequestAtom);
    bool ok = false;
    if (type != XCB_ATOM_NONE) {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = window;
        ev.type = type;
        // A window id that no longer exists is an error, not a crash.
        ok = !xcb_request_check(c, xcb_send_event_checked(c, 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                          reinterpret_cast<const char*>(&ev)));
    }
    xcb_disconnect(c);
    return ok;
}

namespace {
class RaiseFilter : public RaiseRequestWatch {
public:
    RaiseFilter(xcb_atom_t type, std::function<void()> onRaise)
        : filter_(type, [onRaise = std::move(onRaise)](const xcb_client_message_event_t&) { onRaise(); })
    {
    }

private:
    xcb::ClientMessageFilter filter_;
};
} // namespace

std::unique_ptr<RaiseRequestWatch> watchRaiseRequests(std::function<void()> onRaise)
{
    xcb_connection_t* c = xcb::qtConnection();
    const xcb_atom_t type = c ? xcb::atom(c, kRaiseRequestAtom) : xcb_atom_t(XCB_ATOM_NONE);
    if (type == XCB_ATOM_NONE)
        return nullptr;
    return std::make_unique<RaiseFilter>(type, std::move(onRaise));
}

} // namespace mirovex::platform
