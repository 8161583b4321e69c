#include "display/slideshow/slideplayer.h"

#include "display/slideshow/slidelist.h"

#include <algorithm>

namespace mirovex::slides {

void SlidePlayer::start(const QStringList& paths, bool loop, std::function<int()> durationSeconds, Options options)
{
    stop();
    paths_ = paths;
    loop_ = loop;
    duration_ = std::move(durationSeconds);
    options_ = options;
    shown_ = 0;
    waitedThisPass_ = false;
    enter(0);
}

void SlidePlayer::stop()
{
    if (state_ == State::Idle)
        return;
    state_ = State::Idle;
    // Answers to decodes asked for so far no longer match anything.
    token_ = nextToken_ = 0;
    nextIndex_ = -1;
    nextPicture_ = QImage();
    host_.wakeAt(-1);
}

qint64 SlidePlayer::durationMs() const
{
    const int seconds = duration_ ? duration_() : kDefaultDuration;
    return qint64(std::clamp(seconds, kMinDuration, kMaxDuration)) * 1000;
}

void SlidePlayer::wait(State state)
{
    state_ = state;
    host_.wakeAt(host_.now() + durationMs());
}

void SlidePlayer::enter(int from)
{
    // Entries that are passed over are walked here, not by recursion, so a
    // long run of them costs no stack.
    for (int i = from;; ++i) {
        if (i >= int(paths_.size())) {
            if (!loop_) {
                // From a timer or from start(): the owner hears of the end
                // once the current call has returned.
                state_ = State::Ending;
                host_.wakeAt(host_.now());
                return;
            }
            if (!waitedThisPass_) {
                // Nothing could be shown: wait one duration before trying
                // again rather than spinning through the list.
                index_ = -1;
                wait(State::Pausing);
                return;
            }
            waitedThisPass_ = false;
            i = -1;
            continue;
        }
        index_ = i;
        const QString& path = paths_[i];
        if (options_.endAtMissing && !host_.exists(path)) {
            state_ = State::Idle;
            host_.wakeAt(-1);
            host_.missing(path);
            host_.finished();
            return;
        }
        host_.entered(i, int(paths_.size()));
        const EntryKind kind = entryKind(path);
        if (kind == EntryKind::Text && options_.holdOnText) {
            waitedThisPass_ = true;
            wait(State::Showing);
            preload(i);
            return;
        }
        if (kind != EntryKind::Picture)
            continue;
        if (nextIndex_ == i && nextToken_ != 0) {
            // Started ahead during the previous picture.
            const std::uint64_t token = nextToken_;
            nextToken_ = 0;
            nextIndex_ = -1;
            if (nextReady_) {
                const QImage picture = nextPicture_;
                nextPicture_ = QImage();
                if (picture.isNull())
                    continue;
                showPicture(picture);
                return;
            }
            token_ = token;
        } else {
            token_ = ++tokens_;
            host_.load(token_, path);
        }
        state_ = State::Loading;
        host_.wakeAt(-1);
        return;
    }
}

void SlidePlayer::showPicture(const QImage& picture)
{
    host_.show(picture, index_);
    ++shown_;
    waitedThisPass_ = true;
    wait(State::Showing);
    preload(index_);
}

int SlidePlayer::nextPicture(int after) const
{
    const int n = int(paths_.size());
    for (int step = 1; step <= n; ++step) {
        const int j = after + step;
        if (j >= n && !loop_)
            return -1;
        const int k = j % n;
        if (entryKind(paths_[k]) == EntryKind::Picture)
            return k == after ? -1 : k;
        if (entryKind(paths_[k]) == EntryKind::Text && options_.holdOnText)
            return -1; // it holds the screen first; the picture after it loads then
    }
    return -1;
}

void SlidePlayer::preload(int after)
{
    const int j = nextPicture(after);
    if (j < 0 || (options_.endAtMissing && !host_.exists(paths_[j])))
        return;
    nextIndex_ = j;
    nextToken_ = ++tokens_;
    nextReady_ = false;
    nextPicture_ = QImage();
    host_.load(nextToken_, paths_[j]);
}

void SlidePlayer::loaded(std::uint64_t token, const QImage& picture)
{
    if (token == 0 || state_ == State::Idle)
        return;
    if (token == nextToken_) {
        nextReady_ = true;
        nextPicture_ = picture;
        return;
    }
    if (token != token_ || state_ != State::Loading)
        return;
    token_ = 0;
    if (picture.isNull()) {
        // Passed over without a word, like every picture that does not load.
        enter(index_ + 1);
        return;
    }
    showPicture(picture);
}

void SlidePlayer::wake()
{
    switch (state_) {
    case State::Idle:
    case State::Loading: return;
    case State::Showing: enter(index_ + 1); return;
    case State::Pausing: enter(0); return;
    case State::Ending:
        state_ = State::Idle;
        host_.wakeAt(-1);
        host_.finished();
        return;
    }
}

} // namespace mirovex::slides
