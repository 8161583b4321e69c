#include "display/engine/scaler.h"

#include "display/engine/vectorstate.h"

#include <pixman.h>

namespace mirovex {

FrameScaler::~FrameScaler() { forget(); }

void FrameScaler::forget()
{
    if (src_)
        pixman_image_unref(src_);
    if (dst_)
        pixman_image_unref(dst_);
    src_ = dst_ = nullptr;
    srcBits_ = dstBits_ = nullptr;
}

void FrameScaler::setFilter(Filter f)
{
    if (f != filter_) {
        filter_ = f;
        filterChanged_ = true;
    }
}

void FrameScaler::scale(const QImage& source, QImage& target, const QRect& fitted, const QRect& only)
{
    if (source.isNull() || target.isNull() || fitted.isEmpty())
        return;
    const QRect inside = fitted.intersected(target.rect()).intersected(only.isNull() ? target.rect() : only);
    if (inside.isEmpty())
        return;

    // constBits(): the frame buffer wraps memory we own, and a non-const
    // bits() would make QImage copy it.
    const uchar* sb = source.constBits();
    const uchar* db = target.constBits();
    const bool newSource = !src_ || sb != srcBits_ || source.size() != srcSize_;
    const bool newTarget = !dst_ || db != dstBits_ || target.size() != dstSize_;
    if (newSource) {
        if (src_)
            pixman_image_unref(src_);
        src_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, source.width(), source.height(),
                                        reinterpret_cast<uint32_t*>(const_cast<uchar*>(sb)), int(source.bytesPerLine()));
        // Edge pixels repeat outward, so the rim is not blended with black.
        pixman_image_set_repeat(src_, PIXMAN_REPEAT_PAD);
        srcBits_ = sb;
        srcSize_ = source.size();
    }
    if (newTarget) {
        if (dst_)
            pixman_image_unref(dst_);
        uchar* bits = target.bits(); // detaches only if shared, which the presenter's buffer never is
        dst_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, target.width(), target.height(),
                                        reinterpret_cast<uint32_t*>(bits), int(target.bytesPerLine()));
        dstBits_ = target.constBits();
        dstSize_ = target.size();
    }
    if (newSource || fitted != fitted_ || filterChanged_) {
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(double(source.width()) / fitted.width()),
                                    pixman_double_to_fixed(double(source.height()) / fitted.height()));
        pixman_image_set_transform(src_, &t);
        const bool same = source.size() == fitted.size();
        pixman_image_set_filter(src_, same || filter_ == Filter::Nearest ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR,
                                nullptr, 0);
        fitted_ = fitted;
        filterChanged_ = false;
    }
    // The painter may have run on this thread just before.
    cleanVectorState();
    pixman_image_composite32(PIXMAN_OP_SRC, src_, nullptr, dst_, inside.x() - fitted.x(), inside.y() - fitted.y(), 0, 0,
                             inside.x(), inside.y(), inside.width(), inside.height());
}

} // namespace mirovex
