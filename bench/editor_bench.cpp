// The paint editor's board: strokes of 200 moves as the mouse makes them,
// each move followed by the repaint of what it changed into a 1600 × 900
// viewport, on a 1080p and a 12-megapixel picture at 40 %, 100 % and
// 1000 %; the first change after an undo push; a fill of the whole picture;
// the undo steps' memory after 100 strokes.
#include "common/paint/floodfill.h"
#include "display/editor/board.h"
#include "display/editor/boardview.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <string>

using namespace mirovex;
using namespace mirovex::editor;

namespace {

constexpr QSize kViewport(1600, 900);
constexpr int kMoves = 200;

QImage photo(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgb((x >> 3) & 255, (y >> 3) & 255, ((x + y) >> 4) & 255);
    }
    return img;
}

const QImage& picture(int which)
{
    static const QImage hd = photo({1920, 1080});
    static const QImage mp12 = photo({4000, 3000});
    return which == 0 ? hd : mp12;
}

long rssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// args: picture (0 1080p, 1 12 MP), zoom in percent.
void strokes(benchmark::State& state, ToolId tool, bool viewportSized)
{
    const QImage& pic = picture(int(state.range(0)));
    const double zoom = double(state.range(1)) / 100.0;
    Board board(qint64(8) << 30);
    board.start(pic);
    board.setViewScale(1.0 / zoom);
    board.chooseTool(tool);
    board.setSize(tool == ToolId::Marker ? 4 : 3);
    const QSize boardSize(int(pic.width() * zoom), int(pic.height() * zoom));
    QImage screen(kViewport, QImage::Format_RGB32);
    screen.fill(Qt::black);

    // From near the top-left toward the bottom-right of the viewport (a band
    // as large as the viewport), or a short freehand path.
    const QPoint from(10, 10);
    const QPoint span = viewportSized ? QPoint(kViewport.width() - 20, kViewport.height() - 20) : QPoint(600, 300);
    auto repaint = [&] {
        const QRect dirty = board.takeDirty();
        if (dirty.isEmpty())
            return;
        const double f = board.viewScale();
        const QRect view =
            QRectF(dirty.x() / f, dirty.y() / f, dirty.width() / f, dirty.height() / f).toAlignedRect().adjusted(-2, -2, 2, 2) &
            QRect(QPoint(0, 0), kViewport);
        QPainter p(&screen);
        paintBoard(p, board, boardSize, view, false);
    };
    for (auto _ : state) {
        board.press(from, Qt::LeftButton);
        repaint();
        for (int i = 1; i <= kMoves; ++i) {
            board.move(from + span * i / kMoves, Qt::LeftButton);
            repaint();
        }
        board.release(from + span, Qt::LeftButton);
        repaint();
        state.PauseTiming();
        board.undo();
        board.takeDirty();
        state.ResumeTiming();
    }
    state.counters["ms_per_move"] =
        benchmark::Counter(double(kMoves) / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Pencil(benchmark::State& s) { strokes(s, ToolId::Pencil, false); }
void BM_Marker(benchmark::State& s) { strokes(s, ToolId::Marker, false); }
void BM_RectangleBand(benchmark::State& s) { strokes(s, ToolId::Rectangle, true); }

void zooms(benchmark::internal::Benchmark* b)
{
    for (int pic : {0, 1})
        for (int zoom : {40, 100, 1000})
            b->Args({pic, zoom});
    b->ArgNames({"12mp", "zoom"})->Unit(benchmark::kMillisecond)->Iterations(5);
}
BENCHMARK(BM_Pencil)->Apply(zooms);
BENCHMARK(BM_Marker)->Apply(zooms);
BENCHMARK(BM_RectangleBand)->Apply(zooms);

// The floor for the copy below: 12 MP into memory already touched.
void BM_Memcpy12MP(benchmark::State& state)
{
    const QImage& a = picture(1);
    QImage b(a.size(), QImage::Format_RGB32);
    b.fill(0);
    for (auto _ : state) {
        std::memcpy(b.bits(), a.constBits(), std::size_t(a.sizeInBytes()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memcpy12MP)->Unit(benchmark::kMillisecond);

// A press pushes a step sharing the picture; the first change then gives
// the picture pixels of its own. arg 1: the ring at its budget (buffers of
// dropped steps come back); arg 0: the ring still filling (a buffer made
// ready on a worker during the pause before the stroke).
void BM_FirstChangeAfterPush(benchmark::State& state)
{
    const QImage& pic = picture(1);
    const bool atBudget = state.range(0) == 1;
    Board board(atBudget ? 3 * pic.sizeInBytes() : (qint64(64) << 30));
    board.start(pic);
    board.chooseTool(ToolId::Pencil);
    int n = 0;
    for (auto _ : state) {
        board.pushUndo();
        benchmark::DoNotOptimize(board.canvas());
        // The presenter's pause before the next stroke.
        state.PauseTiming();
        board.settle();
        state.ResumeTiming();
        if (!atBudget && ++n % 20 == 0) {
            // Keep the machine's memory: drop what the ring holds, untimed.
            state.PauseTiming();
            while (board.undoSteps() > 0)
                board.undo();
            board.start(pic);
            board.chooseTool(ToolId::Pencil);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_FirstChangeAfterPush)->Arg(0)->Arg(1)->ArgName("at_budget")->Unit(benchmark::kMillisecond);

void BM_FillWholePicture(benchmark::State& state)
{
    QImage img(picture(int(state.range(0))).size(), QImage::Format_RGB32);
    img.fill(qRgb(255, 255, 255));
    bool red = false;
    for (auto _ : state) {
        red = !red;
        paint::floodFill(img, {img.width() / 2, img.height() / 2},
                         paint::Brush{red ? qRgb(255, 0, 0) : qRgb(255, 255, 255), paint::BrushStyle::Solid});
    }
}
BENCHMARK(BM_FillWholePicture)->Arg(0)->Arg(1)->ArgName("12mp")->Unit(benchmark::kMillisecond);

// 100 pencil strokes, each pushing a step and changing the picture, within
// a budget of 1 GiB: the memory the steps hold, and the process's.
void BM_UndoMemoryAfter100Strokes(benchmark::State& state)
{
    const QImage& pic = picture(int(state.range(0)));
    const qint64 budget = qint64(1) << 30;
    for (auto _ : state) {
        Board board(budget);
        board.start(pic);
        board.chooseTool(ToolId::Pencil);
        for (int i = 0; i < 100; ++i) {
            board.press({10 + i, 10}, Qt::LeftButton);
            board.move({10 + i, 50}, Qt::LeftButton);
            board.release({10 + i, 50}, Qt::LeftButton);
        }
        state.counters["steps"] = board.undoSteps();
        state.counters["ring_MiB"] = double(board.undoRing().bytes()) / (1 << 20);
        state.counters["budget_MiB"] = double(budget) / (1 << 20);
        state.counters["rss_MiB"] = double(rssKiB()) / 1024;
    }
}
BENCHMARK(BM_UndoMemoryAfter100Strokes)->Arg(0)->Arg(1)->ArgName("12mp")->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
