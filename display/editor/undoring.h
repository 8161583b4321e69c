// The editor's undo steps: whole pictures, newest last, at most 100, within a
// memory budget. A step shares its pixels with the picture it was taken from
// (QImage's implicit sharing), so a push costs a reference; the picture is
// copied only when it is first changed afterwards, and then into a buffer
// left over from a dropped or undone step where one of the right size is at
// hand, since a fresh allocation of a large picture costs far more than the
// copy itself. While the steps are still filling up there is no such buffer:
// after each copy the next one is allocated and its pages touched on a
// worker thread, in the time between two strokes.
#pragma once

#include <QImage>

#include <deque>
#include <functional>
#include <future>
#include <optional>
#include <vector>

namespace mirovex::editor {

// A quarter of the machine's physical memory.
qint64 defaultUndoBudget();

class UndoRing {
public:
    static constexpr int kSteps = 100;

    explicit UndoRing(qint64 budgetBytes);
    ~UndoRing();
    UndoRing(const UndoRing&) = delete;
    UndoRing& operator=(const UndoRing&) = delete;

    // The picture as it is now becomes the newest step. With 100 steps the
    // oldest goes; over the budget the oldest go too, but never the newest.
    void push(const QImage& picture);
    // Takes the newest step off; none when there is none.
    std::optional<QImage> undo();
    void clear();

    int count() const { return int(steps_.size()); }
    bool empty() const { return steps_.empty(); }
    bool full() const { return count() == kSteps; }
    // The bytes of all steps' pictures (shared ones counted in full).
    qint64 bytes() const { return bytes_; }
    qint64 budget() const { return budget_; }
    void setBudget(qint64 budgetBytes);

    // Before a change to `picture`: when a step still shares its pixels, gives
    // the picture pixels of its own. When memory runs out, the oldest steps
    // are dropped until it fits; returns false only when the picture still
    // cannot be changed (it is then left as it was).
    bool makeWritable(QImage& picture);
    // A picture no longer needed (one replaced by an undo): its buffer is
    // kept for the next copy.
    void recycle(QImage&& picture);
    // How picture buffers are made (a null picture: no memory); tests
    // replace it to run out of memory.
    using Allocate = std::function<QImage(QSize, QImage::Format)>;
    void setAllocator(Allocate allocate) { allocate_ = std::move(allocate); }
    // Waits until the buffer being made ready for the next change is there
    // (the pause between two strokes, for benchmarks and tests).
    void settle();

private:
    void dropOldest();
    void trim();
    QImage takeSpare(QSize size, QImage::Format format);
    void prepareSpare(QSize size, QImage::Format format);

    std::deque<QImage> steps_;
    std::vector<QImage> spare_;
    Allocate allocate_;
    std::future<QImage> pending_;
    QSize pendingSize_;
    QImage::Format pendingFormat_ = QImage::Format_Invalid;
    qint64 budget_;
    qint64 bytes_ = 0;
};

} // namespace mirovex::editor
