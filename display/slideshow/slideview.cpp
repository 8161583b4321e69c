#include "display/slideshow/slideview.h"

#include "common/geometry/aspectfit.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace mirovex::slides {

SlideView::SlideView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_.setInterval(kStepMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SlideView::step);
}

void SlideView::compose(const QImage& picture, QImage& into) const
{
    if (into.size() != size())
        into = QImage(size(), QImage::Format_RGB32);
    into.fill(Qt::black);
    const QRect fitted = aspectFit(picture.size(), size());
    if (picture.isNull() || fitted.isEmpty())
        return;
    QPainter p(&into);
    if (picture.size() == fitted.size()) {
        p.drawImage(fitted.topLeft(), picture);
    } else {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(fitted, picture);
    }
}

void SlideView::showPicture(const QImage& picture, int style, std::uint32_t seed)
{
    picture_ = picture.convertToFormat(QImage::Format_RGB32);
    if (size().isEmpty())
        return;
    if (frame_.size() != size()) {
        frame_ = QImage(size(), QImage::Format_RGB32);
        frame_.fill(Qt::black);
    }
    // The transition starts from what is on the screen now, also when the
    // previous one has not finished.
    if (from_.size() != frame_.size())
        from_ = QImage(frame_.size(), QImage::Format_RGB32);
    std::memcpy(from_.bits(), frame_.constBits(), std::size_t(frame_.sizeInBytes()));
    compose(picture_, to_);
    style_ = std::clamp(style, 0, transitions::kStyleCount - 1);
    seed_ = seed;
    renderer_.prepare(style_, frame_.size(), seed_);
    watch_.start();
    startedAt_ = clock_ ? clock_() : 0;
    progress_ = 0;
    if (style_ == 0) {
        progress_ = 100;
        std::memcpy(frame_.bits(), to_.constBits(), std::size_t(frame_.sizeInBytes()));
        timer_.stop();
        update();
        return;
    }
    timer_.start();
    update();
}

void SlideView::step()
{
    if (progress_ >= 100) {
        timer_.stop();
        return;
    }
    const qint64 steps = elapsed() / kStepMs;
    progress_ = int(std::min<qint64>(100, steps * kStepPercent));
    renderer_.render(style_, from_, to_, progress_, seed_, frame_);
    if (progress_ >= 100)
        timer_.stop();
    update();
}

void SlideView::clear()
{
    timer_.stop();
    picture_ = QImage();
    progress_ = 100;
    if (!size().isEmpty()) {
        frame_ = QImage(size(), QImage::Format_RGB32);
        frame_.fill(Qt::black);
    }
    update();
}

void SlideView::resizeEvent(QResizeEvent*)
{
    // A new size shows the newest picture at once, fitted anew.
    timer_.stop();
    progress_ = 100;
    compose(picture_, frame_);
}

void SlideView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    if (frame_.size() == size())
        p.drawImage(e->rect().topLeft(), frame_, e->rect());
    else
        p.fillRect(e->rect(), Qt::black);
}

} // namespace mirovex::slides
