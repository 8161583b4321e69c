// One running copy per program, executable and display: an exclusive flock
// on a lock file in the user's runtime folder. The kernel drops the lock when
// the process ends in any way, so a crash never blocks the next start. The
// running copy publishes its toolbar's window in the file; a second copy
// asks that window to come forward and leaves.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace mirovex::platform {

// The folder for lock files: $XDG_RUNTIME_DIR when it is a folder of ours,
// else /tmp/<program>-<uid>, created 0700 and refused unless it is ours and
// private. Empty when neither can be had.
QString runtimeFolder(const QString& program);

// The lock file for `executable` (canonical path) on `display` ($DISPLAY,
// with any screen number dropped: one copy per X server).
QString lockFilePath(const QString& folder, const QString& program, const QString& executable, const QString& display);

class SingleInstance {
public:
    enum class Outcome { First, AlreadyRunning, NoLock };

    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance() { release(); }

    Outcome acquire(const QString& path);
    // Takes the lock at the last path again, after release().
    Outcome reacquire() { return acquire(path_); }
    bool held() const { return fd_ >= 0; }
    // The first copy: the window a later copy should raise.
    bool publishWindow(std::uint32_t window);
    // Lets go of the lock, e.g. before starting a fresh copy of ourselves.
    void release();

    // A later copy: the window the running one published, waiting up to
    // `waitMs` for a copy that is still starting.
    static std::optional<std::uint32_t> publishedWindow(const QString& path, int waitMs);

private:
    int fd_ = -1;
    QString path_;
};

// Sends the running copy's window our raise request over a connection of
// its own (before any Qt window exists).
bool sendRaiseRequest(std::uint32_t window);

// The running copy: calls `onRaise` in the event loop for each raise request
// that reaches one of its windows, for as long as the returned watch lives.
class RaiseRequestWatch {
public:
    virtual ~RaiseRequestWatch() = default;
};
std::unique_ptr<RaiseRequestWatch> watchRaiseRequests(std::function<void()> onRaise);

// The ClientMessage type of the raise request.
inline constexpr const char* kRaiseRequestAtom = "_MIROVEX_RAISE";

} // namespace mirovex::platform
