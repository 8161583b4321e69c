// Plays a list of pictures one after another, each for its duration, as a
// state machine driven by a timer: nothing here waits or spins an event
// loop. The clock, the timer, the decoding and what is shown are the host's,
// so the player runs on a fake clock in tests. Both players are this class:
// the session player (run/stop with the slideshow source) and the editor's
// preview player, which differ only in their options.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace mirovex::slides {

class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    // Milliseconds on a steady clock.
    virtual qint64 now() const = 0;
    // Calls SlidePlayer::wake at `ms` (or soon after); a new call replaces
    // the pending one, and -1 cancels it.
    virtual void wakeAt(qint64 ms) = 0;
    virtual bool exists(const QString& path) const = 0;
    // Decodes `path` off the user-interface thread and answers with
    // SlidePlayer::loaded(token, picture), a null picture when it does not
    // decode. Answers to earlier tokens may still come and are ignored.
    virtual void load(std::uint64_t token, const QString& path) = 0;
    // Entry `index` is on from now (its label, its preview).
    virtual void entered(int index, int count) { (void)index; (void)count; }
    // A picture to show, with a new transition.
    virtual void show(const QImage& picture, int index) = 0;
    // The session player found no file at `path`; it ends after this.
    virtual void missing(const QString& path) { (void)path; }
    // The player ended by itself (not by stop()).
    virtual void finished() = 0;
};

class SlidePlayer {
public:
    struct Options {
        // The session player ends with a message at a missing file; the
        // preview passes over it like any picture that does not load.
        bool endAtMissing = false;
        // Text entries (".rtf", ".txt") keep the previous picture for their
        // duration (session), or are passed over (preview).
        bool holdOnText = true;
    };

    explicit SlidePlayer(PlayerHost& host) : host_(host) {}

    // Starts from the first entry; a running show stops first. The duration
    // (seconds) is asked for again for every entry, so a change takes effect
    // from the next picture.
    void start(const QStringList& paths, bool loop, std::function<int()> durationSeconds, Options options);
    // Ends at once; no finished() follows.
    void stop();
    bool playing() const { return state_ != State::Idle; }
    int index() const { return index_; }
    void setLoop(bool on) { loop_ = on; }

    // The host's timer fired.
    void wake();
    // A decode the player asked for is done.
    void loaded(std::uint64_t token, const QImage& picture);

    // How many pictures were shown since start (for tests and the label).
    int shownCount() const { return shown_; }

private:
    enum class State { Idle, Loading, Showing, Pausing, Ending };
    void enter(int index);
    void showPicture(const QImage& picture);
    void wait(State state);
    void preload(int after);
    int nextPicture(int after) const;
    qint64 durationMs() const;

    PlayerHost& host_;
    QStringList paths_;
    bool loop_ = false;
    std::function<int()> duration_;
    Options options_;
    State state_ = State::Idle;
    int index_ = -1;
    std::uint64_t token_ = 0;     // the decode the current entry waits for
    std::uint64_t nextToken_ = 0; // the one started ahead for the next picture
    int nextIndex_ = -1;
    QImage nextPicture_;
    bool nextReady_ = false;
    bool nextFailed_ = false;
    std::uint64_t tokens_ = 0;
    int shown_ = 0;
    bool waitedThisPass_ = false;
};

} // namespace mirovex::slides
