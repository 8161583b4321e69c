// The cursor and the ring drawn into a 1920x1080 frame, per frame, for each
// kind of cursor at its largest and at its default size; the ring at its
// largest radius.
#include "display/engine/cursoroverlay.h"

#include <QImage>

#include <benchmark/benchmark.h>

using namespace mirovex;

namespace {

void overlay(benchmark::State& state, cursor::Kind kind, bool largest)
{
    QImage frame(1920, 1080, QImage::Format_RGB32);
    frame.fill(qRgb(40, 90, 160));
    cursor::Style style;
    style.kind = kind;
    style.ring = true;
    style.dotSize = largest ? 40 : 20;
    style.haloSize = largest ? 40 : 5;
    style.crossHalf = largest ? 400 : 25;
    cursor::SystemPicture arrow;
    arrow.image = QImage(32, 32, QImage::Format_ARGB32_Premultiplied);
    arrow.image.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x <= y / 2; ++x)
            arrow.image.setPixel(x, y, qRgba(255, 255, 255, 255));
    cursor::Ring ring;
    const cursor::Where where{QPoint(960, 540)};
    for (auto _ : state) {
        cursor::draw(frame, style, where, &arrow);
        ring.drawAndAdvance(frame, where.pointer, 0, 60);
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(overlay, DotDefault, cursor::Kind::Dot, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(overlay, DotLargest, cursor::Kind::Dot, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(overlay, CrossDefault, cursor::Kind::Cross, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(overlay, CrossLargest, cursor::Kind::Cross, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(overlay, SystemCursor, cursor::Kind::System, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(overlay, RingOnly, cursor::Kind::None, false)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
