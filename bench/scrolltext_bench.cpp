// One repaint of the scrolling text's strip, 1920x48, as the control paints
// it each display frame: a short and a full-length text, on a background and
// letters only, with the fades at both ends.
#include "display/scrolltext/scrollingtext.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

using namespace mirovex;

namespace {

void repaint(benchmark::State& state, int characters, bool seeThrough)
{
    ScrollingText control;
    control.resize(1920, 48);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    control.setTextFont(font);
    control.setSeeThrough(seeThrough);
    QString text;
    while (text.size() < characters)
        text += QStringLiteral("Mirovex news ticker ");
    control.setText(text.left(characters));
    QImage surface(1920, 48, QImage::Format_ARGB32_Premultiplied);
    int left = 1920;
    for (auto _ : state) {
        QPainter p(&surface);
        control.paintStrip(p, left);
        p.end();
        left = left < -control.textWidth() ? 1920 : left - 3;
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(repaint, Short, 20, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(repaint, Full400, 400, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(repaint, ShortLettersOnly, 20, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(repaint, Full400LettersOnly, 400, true)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
