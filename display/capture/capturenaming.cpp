#include "display/capture/capturenaming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace mirovex::capture {

namespace {
// A folder with this many taken names in a row is not worth searching on.
constexpr int kMaxTries = 100000;
} // namespace

QString fileName(const QString& folder, const QString& base, int number, const QString& ext)
{
    QString dir = folder;
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir + base + QString::number(number) + ext;
}

std::optional<Reservation> reserve(const QString& folder, const QString& base, int from, const QString& ext, QString* error)
{
    if (base.contains(QLatin1Char('/'))) {
        if (error)
            *error = QStringLiteral("The file name may not contain \"/\".");
        return std::nullopt;
    }
    for (int i = 0, n = from; i < kMaxTries && n >= 0; ++i, ++n) {
        const QString path = fileName(folder, base, n, ext);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return Reservation{n, path};
        }
        if (errno == EEXIST)
            continue;
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    if (error)
        *error = QStringLiteral("No free number is left for this name.");
    return std::nullopt;
}

int nextCounter(int counter, bool fromCounter, int used)
{
    if (fromCounter)
        return used < INT_MAX ? std::max(counter, used + 1) : counter;
    return counter < INT_MAX ? counter + 1 : counter;
}

bool writableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace mirovex::capture
