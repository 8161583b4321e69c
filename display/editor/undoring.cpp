#include "display/editor/undoring.h"

#include <unistd.h>

#include <cstring>
#include <new>

namespace mirovex::editor {

namespace {
// Two spare buffers cover the picture being changed and the one an undo
// just replaced; more would only hold memory.
constexpr std::size_t kSpares = 2;
} // namespace

qint64 defaultUndoBudget()
{
    const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page <= 0)
        return qint64(1) << 30;
    return qint64(pages) * qint64(page) / 4;
}

UndoRing::UndoRing(qint64 budgetBytes) : budget_(budgetBytes) {}

void UndoRing::setBudget(qint64 budgetBytes)
{
    budget_ = budgetBytes;
    trim();
}

void UndoRing::push(const QImage& picture)
{
    if (full())
        dropOldest();
    steps_.push_back(picture);
    bytes_ += picture.sizeInBytes();
    trim();
}

std::optional<QImage> UndoRing::undo()
{
    if (steps_.empty())
        return std::nullopt;
    QImage top = std::move(steps_.back());
    steps_.pop_back();
    bytes_ -= top.sizeInBytes();
    return top;
}

void UndoRing::clear()
{
    while (!steps_.empty())
        dropOldest();
}

void UndoRing::dropOldest()
{
    QImage old = std::move(steps_.front());
    steps_.pop_front();
    bytes_ -= old.sizeInBytes();
    recycle(std::move(old));
}

void UndoRing::trim()
{
    while (steps_.size() > 1 && bytes_ > budget_)
        dropOldest();
}

void UndoRing::recycle(QImage&& picture)
{
    // Only a buffer nobody else holds can be written into later.
    if (picture.isNull() || !picture.isDetached())
        return;
    if (spare_.size() >= kSpares)
        spare_.erase(spare_.begin());
    spare_.push_back(std::move(picture));
}

bool UndoRing::makeWritable(QImage& picture)
{
    if (picture.isNull() || picture.isDetached())
        return !picture.isNull();
    for (;;) {
        QImage target;
        for (auto it = spare_.begin(); it != spare_.end(); ++it)
            if (it->size() == picture.size() && it->format() == picture.format() && it->isDetached()) {
                target = std::move(*it);
                spare_.erase(it);
                break;
            }
        if (target.isNull()) {
            try {
                target = QImage(picture.size(), picture.format());
            } catch (const std::bad_alloc&) {
                target = QImage();
            }
        }
        if (!target.isNull()) {
            const QImage& from = picture;
            const qsizetype bpl = std::min(from.bytesPerLine(), target.bytesPerLine());
            for (int y = 0; y < from.height(); ++y)
                std::memcpy(target.scanLine(y), from.constScanLine(y), std::size_t(bpl));
            picture = std::move(target);
            return true;
        }
        // Out of memory: older steps give their pixels back until the copy
        // fits, or until nothing shares the picture any more.
        spare_.clear();
        if (steps_.empty())
            return false;
        dropOldest();
        spare_.clear();
        if (picture.isDetached())
            return true;
    }
}

} // namespace mirovex::editor
