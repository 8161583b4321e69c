// Scales the frame into the presenter's back buffer at the fitted rectangle.
// The pixman images that describe the two buffers are made when a buffer or
// the fitted rectangle changes, never per frame.
#pragma once

#include <QImage>
#include <QRect>

union pixman_image;

namespace mirovex {

class FrameScaler {
public:
    enum class Filter { Nearest, Bilinear };

    FrameScaler() = default;
    ~FrameScaler();
    FrameScaler(const FrameScaler&) = delete;
    FrameScaler& operator=(const FrameScaler&) = delete;

    void setFilter(Filter f);

    // Scales all of `source` into `fitted` of `target`; both Format_RGB32.
    // At equal sizes this is a straight copy. With `only` given, only the
    // target pixels inside it are written, each exactly as the whole
    // scaling writes it.
    void scale(const QImage& source, QImage& target, const QRect& fitted, const QRect& only = QRect());

private:
    void forget();
    pixman_image* src_ = nullptr;
    pixman_image* dst_ = nullptr;
    const uchar* srcBits_ = nullptr;
    const uchar* dstBits_ = nullptr;
    QSize srcSize_, dstSize_;
    QRect fitted_;
    Filter filter_ = Filter::Bilinear;
    bool filterChanged_ = true;
};

} // namespace mirovex
