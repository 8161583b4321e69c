// The slideshow's costs: one 1920x1080 transition step of every style (the
// per-transition preparation apart), a 24-megapixel JPEG decoded and fitted
// to the view and to the editor's preview, and the editor's rows for 500
// photos (header probes only; the same few files under 500 names).
#include "common/picture/picturefile.h"
#include "display/slideshow/sliderows.h"
#include "display/slideshow/transitions.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

using namespace mirovex;

namespace {

constexpr int kW = 1920, kH = 1080;

QImage photo(int w, int h, int seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const unsigned n = unsigned(x) * 2654435761u ^ unsigned(y + seed) * 40503u;
            line[x] = qRgb((x / 7 + seed * 40 + int(n >> 29)) & 255, (y / 5 + int(n >> 28)) & 255, ((x + y) / 9 + seed * 90) & 255);
        }
    }
    return img;
}

struct Frames {
    QImage from = photo(kW, kH, 1), to = photo(kW, kH, 2), out = QImage(kW, kH, QImage::Format_RGB32);
};
Frames& frames()
{
    static Frames f;
    return f;
}

void BM_TransitionStep(benchmark::State& state)
{
    const int style = int(state.range(0));
    Frames& f = frames();
    transitions::Renderer renderer;
    renderer.prepare(style, f.out.size(), 7);
    int progress = 4;
    for (auto _ : state) {
        renderer.render(style, f.from, f.to, progress, 7, f.out);
        benchmark::DoNotOptimize(f.out.constBits());
        progress = progress >= 96 ? 4 : progress + 4;
    }
    state.SetLabel(transitions::styleName(style).toStdString());
}
BENCHMARK(BM_TransitionStep)->DenseRange(0, transitions::kStyleCount - 1)->Unit(benchmark::kMillisecond);

// Once per picture, before its first step: the threshold map of a mask.
void BM_TransitionPrepare(benchmark::State& state)
{
    const int style = int(state.range(0));
    std::uint32_t seed = 1;
    transitions::Renderer renderer;
    for (auto _ : state)
        renderer.prepare(style, QSize(kW, kH), seed++);
    state.SetLabel(transitions::styleName(style).toStdString());
}
BENCHMARK(BM_TransitionPrepare)->Arg(5)->Arg(84)->Arg(116)->Arg(150)->Arg(151)->Arg(169)->Unit(benchmark::kMillisecond);

const QString& bigJpeg()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("big.jpg"));
        picture::writePictureFile(p, photo(6000, 4000, 3), picture::FileType::Jpeg);
        return p;
    }();
    return path;
}

void BM_DecodeFitted(benchmark::State& state)
{
    const QSize box(int(state.range(0)), int(state.range(1)));
    const QString& path = bigJpeg();
    for (auto _ : state) {
        const QImage img = picture::readPictureFitted(path, box);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_DecodeFitted)->Args({1920, 1080})->Args({209, 209})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeFull(benchmark::State& state)
{
    const QString& path = bigJpeg();
    for (auto _ : state) {
        const QImage img = picture::readPictureFile(path);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_DecodeFull)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Rows500(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString& big = bigJpeg();
    QStringList paths;
    for (int i = 0; i < 500; ++i) {
        const QString p = dir.filePath(QStringLiteral("photo-%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        if (::link(QFile::encodeName(big).constData(), QFile::encodeName(p).constData()) != 0)
            QFile::copy(big, p);
        paths << p;
    }
    for (auto _ : state) {
        slides::SlideRows rows;
        for (const QString& p : paths)
            rows.add(slides::makeRow(p), true);
        benchmark::DoNotOptimize(rows.count());
    }
}
BENCHMARK(BM_Rows500)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
