#include "platform/termination.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace mirovex::platform {

namespace {
int pipeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onSignal(int sig)
{
    const unsigned char b = static_cast<unsigned char>(sig);
    // Only an async-signal-safe write here; a full pipe drops a repeat.
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &b, 1);
}
} // namespace

TerminationWatch::TerminationWatch(QObject* parent) : QObject(parent)
{
    if (pipeFds[0] < 0 && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char b = 0;
        while (::read(pipeFds[0], &b, 1) == 1)
            emit terminationRequested(int(b));
    });
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : kSignals)
        ::sigaction(s, &sa, nullptr);
}

TerminationWatch::~TerminationWatch()
{
    for (int s : kSignals)
        ::signal(s, SIG_DFL);
}

} // namespace mirovex::platform
