#include "common/paint/floodfill.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace mirovex::paint {

QRect floodFill(QImage& picture, QPoint seed, const Brush& brush)
{
    if (picture.format() != QImage::Format_RGB32 || !picture.rect().contains(seed) ||
        brush.style == BrushStyle::Clear)
        return {};
    const int w = picture.width(), h = picture.height();
    const QRgb target = picture.pixel(seed) & 0x00ffffffu;
    const QRgb paint = (brush.colour & 0x00ffffffu) | 0xff000000u;
    // One bit per pixel: whether it belongs to the area already found.
    std::vector<std::uint64_t> visited((std::size_t(w) * std::size_t(h) + 63) / 64, 0);
    auto seen = [&](std::size_t base, int x) {
        const std::size_t i = base + std::size_t(x);
        return (visited[i >> 6] >> (i & 63)) & 1u;
    };
    auto mark = [&](std::size_t base, int x) {
        const std::size_t i = base + std::size_t(x);
        visited[i >> 6] |= std::uint64_t(1) << (i & 63);
    };
    auto base = [&](int y) { return std::size_t(y) * std::size_t(w); };
    // Rows are written through one pointer taken once: the picture is ours.
    uchar* bits = picture.bits();
    const qsizetype bpl = picture.bytesPerLine();
    auto row = [&](int y) { return reinterpret_cast<QRgb*>(bits + bpl * y); };
    auto matches = [&](const QRgb* line, std::size_t b, int x) {
        return (line[x] & 0x00ffffffu) == target && !seen(b, x);
    };

    int minX = seed.x(), maxX = seed.x(), minY = seed.y(), maxY = seed.y();
    std::vector<QPoint> stack{seed};
    const bool solid = brush.style == BrushStyle::Solid;
    while (!stack.empty()) {
        const QPoint s = stack.back();
        stack.pop_back();
        QRgb* line = row(s.y());
        const std::size_t b = base(s.y());
        if (!matches(line, b, s.x()))
            continue;
        int x0 = s.x(), x1 = s.x();
        while (x0 > 0 && matches(line, b, x0 - 1))
            --x0;
        while (x1 < w - 1 && matches(line, b, x1 + 1))
            ++x1;
        for (int x = x0; x <= x1; ++x) {
            mark(b, x);
            if (solid || brushCovers(brush.style, x, s.y()))
                line[x] = paint;
        }
        minX = std::min(minX, x0);
        maxX = std::max(maxX, x1);
        minY = std::min(minY, s.y());
        maxY = std::max(maxY, s.y());
        // One seed per run of matching pixels in the rows above and below.
        for (int ny : {s.y() - 1, s.y() + 1}) {
            if (ny < 0 || ny >= h)
                continue;
            const QRgb* next = row(ny);
            const std::size_t nb = base(ny);
            bool inRun = false;
            for (int x = x0; x <= x1; ++x) {
                const bool m = matches(next, nb, x);
                if (m && !inRun)
                    stack.emplace_back(x, ny);
                inRun = m;
            }
        }
    }
    return QRect(QPoint(minX, minY), QPoint(maxX, maxY));
}

} // namespace mirovex::paint
