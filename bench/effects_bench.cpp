// The effect stage on 1920x1080 frames: each stage and each effect code on
// its own, the memcpy of a frame as the floor they are measured against, and
// the heaviest combination the stage allows.
#include "display/engine/effects.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cstring>

using namespace mirovex;

namespace {

constexpr int kW = 1920, kH = 1080;

// Gradients crossed with a hash, so that neither the branches of the point
// effects nor the trace's palette steps see a uniform picture.
QImage frame()
{
    QImage img(kW, kH, QImage::Format_RGB32);
    for (int y = 0; y < kH; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < kW; ++x) {
            const unsigned h = unsigned(x) * 2654435761u ^ unsigned(y) * 40503u;
            line[x] = qRgb((x + (h >> 28)) & 255, (y + (h >> 24)) & 255, ((x ^ y) + (h >> 20)) & 255);
        }
    }
    return img;
}

const QImage& captured()
{
    static const QImage raw = frame();
    return raw;
}

void BM_Memcpy(benchmark::State& state)
{
    const QImage& a = captured();
    QImage b(a.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        std::memcpy(b.bits(), a.constBits(), std::size_t(a.sizeInBytes()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_Greyscale(benchmark::State& state)
{
    QImage dst = captured().copy();
    for (auto _ : state) {
        fx::greyscale(dst, captured());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Greyscale)->Unit(benchmark::kMillisecond);

void BM_Isolation(benchmark::State& state)
{
    QImage dst = captured().copy();
    for (auto _ : state) {
        fx::isolate(dst, captured(), qRgb(128, 128, 128));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Isolation)->Unit(benchmark::kMillisecond);

void BM_Spotlight(benchmark::State& state)
{
    QImage dst = captured().copy();
    for (auto _ : state) {
        fx::spotlight(dst, &captured(), {kW / 2, kH / 2}, kW / 8);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Spotlight)->Unit(benchmark::kMillisecond);

void BM_Tint(benchmark::State& state)
{
    QImage dst = captured().copy();
    for (auto _ : state) {
        fx::tint(dst, captured(), fx::Tint::Night);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Tint)->Unit(benchmark::kMillisecond);

void BM_Swap(benchmark::State& state)
{
    QImage dst = captured().copy();
    for (auto _ : state) {
        fx::swapChannels(dst, 2);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Swap)->Unit(benchmark::kMillisecond);

// Codes run on the same frame again and again: their cost does not depend on
// what earlier runs left in it.
void code(benchmark::State& state, int c)
{
    QImage pic = captured().copy();
    fx::Rng rng;
    fx::Scratch scratch;
    for (auto _ : state) {
        fx::applyCode(c, pic, rng, scratch);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(code, Smoothing, fx::kSmoothing)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, Contrast, fx::kContrast)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, Emboss, fx::kEmboss)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, ExtractBlue, fx::kExtractBlue)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, ExtractGreen, fx::kExtractGreen)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, ExtractRed, fx::kExtractRed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, ExtractXBlue, fx::kExtractXBlue)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, ExtractXGreen, fx::kExtractXGreen)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, ExtractXRed, fx::kExtractXRed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, MonoNoise, fx::kMonoNoise)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, Saturation, fx::kSaturation)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, Sharpen, fx::kSharpen)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, SplitBlur, fx::kSplitBlur)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, Trace, fx::kTrace)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, WavyAverage, fx::kWavy)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, Posterize, fx::kPosterize)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, SemiOpaque, fx::kSemiOpaque)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(code, Solarize, fx::kSolarize)->Unit(benchmark::kMillisecond);

// The wave itself: a seed that makes every call wave, amplitude 2.
void BM_WavyEveryCall(benchmark::State& state)
{
    std::uint64_t seed = 1;
    for (;; ++seed) {
        fx::Rng r(seed);
        if (r.below(10) == 5 && r.below(3) == 2)
            break;
    }
    QImage pic = captured().copy();
    fx::Scratch scratch;
    for (auto _ : state) {
        fx::Rng rng(seed);
        fx::applyCode(fx::kWavy, pic, rng, scratch);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_WavyEveryCall)->Unit(benchmark::kMillisecond);

// Everything that may run together: greyscale, isolation, spotlight, one
// neighbourhood code and the swap (tint is excluded by the others).
void heaviest(benchmark::State& state, int c)
{
    QImage pixels = captured().copy();
    fx::EffectState s;
    s.greyscale = s.isolation = s.spotlight = s.swap = true;
    s.spotRadius = kW / 8;
    s.swapMode = 4;
    s.code = c;
    fx::Frame f;
    f.pixels = &pixels;
    f.raw = &captured();
    f.mouse = {kW / 2, kH / 2};
    f.underMouse = qRgb(128, 128, 128);
    fx::Rng rng;
    fx::Scratch scratch;
    for (auto _ : state) {
        fx::applyEffects(s, f, rng, scratch);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(heaviest, Sharpen, fx::kSharpen)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(heaviest, Smoothing, fx::kSmoothing)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
