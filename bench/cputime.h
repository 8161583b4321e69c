// CPU time for the frame-rate runs: this process's, another process's, and
// the X server's of the private desktop (from the pid vdesk recorded).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <sys/resource.h>
#include <unistd.h>

namespace mirovex::bench {

inline double selfCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// User and system time of a process; 0 when it is not there.
inline double procCpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray s = stat.readAll();
    const QList<QByteArray> f = s.mid(s.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 13)
        return 0;
    return (f[11].toDouble() + f[12].toDouble()) * 1000.0 / double(sysconf(_SC_CLK_TCK)); // utime, stime
}

inline qint64 serverPid()
{
    QFile pids(qEnvironmentVariable("VDESK_STATE") + QStringLiteral("/pids"));
    if (!pids.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : pids.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() >= 2 && f[0] == "Xvfb")
            return f[1].toLongLong();
    }
    return 0;
}

inline double serverCpuMs() { return procCpuMs(serverPid()); }

} // namespace mirovex::bench
