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

UndoRing::UndoRing(qint64 budgetBytes)
    : allocate_([](QSize size, QImage::Format format) {
          try {
              return QImage(size, format);
          } catch (const std::bad_alloc&) {
              return QImage();
          }
      }),
      budget_(budgetBytes)
{
}

UndoRing::~UndoRing()
{
    settle();
}

void UndoRing::settle()
{
    if (pending_.valid())
        pending_.wait();
}

QImage UndoRing::takeSpare(QSize size, QImage::Format format)
{
    for (auto it = spare_.begin(); it != spare_.end(); ++it)
        if (it->size() == size && it->format() == format && it->isDetached()) {
            QImage found = std::move(*it);
            spare_.erase(it);
            return found;
        }
    if (pending_.valid() && pendingSize_ == size && pendingFormat_ == format)
        return pending_.get();
    return {};
}

void UndoRing::prepareSpare(QSize size, QImage::Format format)
{
    for (const QImage& s : spare_)
        if (s.size() == size && s.format() == format)
            return;
    if (pending_.valid()) {
        if (pendingSize_ == size && pendingFormat_ == format)
            return;
        pending_.get(); // another size: not wanted any more
    }
    pendingSize_ = size;
    pendingFormat_ = format;
    pending_ = std::async(std::launch::async, [size, format, allocate = allocate_] {
        QImage buffer = allocate(size, format);
        // Touching every page now is what makes the later copy cheap.
        if (!buffer.isNull())
            std::memset(buffer.bits(), 0, std::size_t(buffer.sizeInBytes()));
        return buffer;
    });
}

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
        QImage target = takeSpare(picture.size(), picture.format());
        if (target.isNull())
            target = allocate_(picture.size(), picture.format());
        if (!target.isNull()) {
            const QImage& from = picture;
            if (from.bytesPerLine() == target.bytesPerLine()) {
                std::memcpy(target.bits(), from.constBits(), std::size_t(from.sizeInBytes()));
            } else {
                const qsizetype bpl = std::min(from.bytesPerLine(), target.bytesPerLine());
                for (int y = 0; y < from.height(); ++y)
                    std::memcpy(target.scanLine(y), from.constScanLine(y), std::size_t(bpl));
            }
            picture = std::move(target);
            // The next step will want a buffer of this size too.
            if (!full() && bytes_ + picture.sizeInBytes() <= budget_)
                prepareSpare(picture.size(), picture.format());
            return true;
        }
        // Out of memory: older steps give their pixels back until the copy
        // fits, or until nothing shares the picture any more.
        spare_.clear();
        settle();
        if (pending_.valid())
            pending_.get();
        if (steps_.empty())
            return false;
        dropOldest();
        spare_.clear();
        if (picture.isDetached())
            return true;
    }
}

} // namespace mirovex::editor
