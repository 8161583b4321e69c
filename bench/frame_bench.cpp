// The per-frame work without a display: scaling, inversion and the memcpy
// floor they are measured against, on 1920x1080 frames.
#include "common/geometry/aspectfit.h"
#include "display/engine/scaler.h"
#include "platform/screencapture.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cstring>

using namespace mirovex;

namespace {

QImage frame(QSize s)
{
    QImage img(s, QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < s.width(); ++x)
            line[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
    }
    return img;
}

void BM_Memcpy1080p(benchmark::State& state)
{
    const QImage a = frame({1920, 1080});
    QImage b(a.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        std::memcpy(b.bits(), a.constBits(), std::size_t(a.sizeInBytes()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memcpy1080p)->Unit(benchmark::kMillisecond);

void BM_Invert1080p(benchmark::State& state)
{
    QImage a = frame({1920, 1080});
    for (auto _ : state) {
        platform::invertPixels(reinterpret_cast<uint32_t*>(a.bits()), qsizetype(a.width()) * a.height());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Invert1080p)->Unit(benchmark::kMillisecond);

void scaleTo(benchmark::State& state, QSize target, FrameScaler::Filter filter)
{
    const QImage src = frame({1920, 1080});
    QImage dst(target, QImage::Format_RGB32);
    FrameScaler scaler;
    scaler.setFilter(filter);
    const QRect fitted = aspectFit(src.size(), dst.size());
    for (auto _ : state) {
        scaler.scale(src, dst, fitted);
        benchmark::ClobberMemory();
    }
}
void BM_Scale1080To720Bilinear(benchmark::State& s) { scaleTo(s, {1280, 720}, FrameScaler::Filter::Bilinear); }
void BM_Scale1080To720Nearest(benchmark::State& s) { scaleTo(s, {1280, 720}, FrameScaler::Filter::Nearest); }
void BM_Scale1080To1080(benchmark::State& s) { scaleTo(s, {1920, 1080}, FrameScaler::Filter::Bilinear); }
BENCHMARK(BM_Scale1080To720Bilinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scale1080To720Nearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scale1080To1080)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
