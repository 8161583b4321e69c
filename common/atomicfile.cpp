#include "common/atomicfile.h"

#include <QFile>
#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace mirovex {
namespace {
std::atomic<int> g_writes{0};
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // Writing in place would defeat the point: a crash could leave half a file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    ++g_writes;
    return true;
}

int atomicWriteCount() { return g_writes.load(); }

FolderLock::FolderLock(const QString& folder, int timeoutMs)
{
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::close(fd);
}

FolderLock::~FolderLock()
{
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor releases the lock
}

} // namespace mirovex
