// Mirrors the primary display onto the target display for a fixed number of
// frames, paced by the real frame timer, and prints frames per second, the
// share of frame intervals within 20 ms, and CPU time per frame of this
// process and of the X server, per stage and in total. Run it under
// tests/desktop/vdesk (see bench/run.sh); it prints figures and never fails.
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "bench/cputime.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>


#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace mirovex;
using Clock = std::chrono::steady_clock;
using bench::selfCpuMs;
using bench::serverCpuMs;

namespace {

double memcpyFloorMs(std::size_t bytes)
{
    std::vector<char> a(bytes, 1), b(bytes);
    const auto t0 = Clock::now();
    for (int i = 0; i < 50; ++i) {
        std::memcpy(b.data(), a.data(), bytes);
        a[std::size_t(i)] = b[bytes - 1 - std::size_t(i)];
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / 50;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(60, std::atoi(argv[1])) : 600;
    const bool nearest = argc > 2 && std::strcmp(argv[2], "nearest") == 0;
    // "heavy": the heaviest combination of effects there is.
    const bool heavy = argc > 2 && std::strcmp(argv[2], "heavy") == 0;
    // "focus": the Focus magnifier at its default size with the dot and the
    // ring, the pointer circling so the rectangle moves on every frame.
    const bool focus = argc > 2 && std::strcmp(argv[2], "focus") == 0;
    // "cursor": the desktop with the dot and the ring.
    const bool cursorOn = focus || (argc > 2 && std::strcmp(argv[2], "cursor") == 0);

    MirrorController ctl;
    if (nearest)
        ctl.frameLoop().setFilter(FrameScaler::Filter::Nearest);
    const auto mons = platform::monitors();
    if (mons.size() < 2) {
        std::puts("framerate: needs two displays");
        return 0;
    }

    std::vector<double> intervals;
    std::vector<double> capture, captureCpu, scale, paint, overlay;
    intervals.reserve(std::size_t(frames));
    quint64 lastShown = 0;
    Clock::time_point last{};
    double cpu0 = 0, server0 = 0;
    int warm = 30;

    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    watch.setInterval(1);
    Clock::time_point start;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const quint64 shown = ctl.frameLoop().framesShown();
        if (shown == lastShown)
            return;
        lastShown = shown;
        const auto now = Clock::now();
        if (warm > 0) {
            if (--warm == 0) {
                cpu0 = selfCpuMs();
                server0 = serverCpuMs();
                start = now;
            }
            last = now;
            return;
        }
        intervals.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        const FrameTimings& t = ctl.frameLoop().lastTimings();
        capture.push_back(std::chrono::duration<double, std::milli>(t.capture).count());
        captureCpu.push_back(std::chrono::duration<double, std::milli>(t.captureCpu).count());
        scale.push_back(std::chrono::duration<double, std::milli>(t.scale).count());
        paint.push_back(ctl.target().drawingArea()->lastPaintMs());
        overlay.push_back(std::chrono::duration<double, std::milli>(t.overlay).count());
        if (focus) {
            const double phase = double(intervals.size()) / 60.0;
            const QPoint c = mons[0].root.center();
            QCursor::setPos(c + QPoint(int(600 * std::cos(phase)), int(300 * std::sin(phase))));
        }
        if (int(intervals.size()) >= frames)
            app.quit();
    });
    watch.start();
    if (cursorOn) {
        ctl.setCursorKind(cursor::Kind::Dot);
        if (!ctl.cursorStyle().ring)
            ctl.toggleRing();
    }
    if (focus)
        ctl.chooseFocus();
    else
        ctl.chooseDesktop();
    if (heavy) {
        ctl.setInvert(true);
        ctl.toggleGreyscale();
        ctl.toggleIsolation();
        ctl.toggleSpotlight();
        ctl.toggleSwap();
        ctl.chooseEffect(fx::kSmoothing);
    }
    app.exec();
    const double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double cpu = selfCpuMs() - cpu0, server = serverCpuMs() - server0;

    auto mean = [](const std::vector<double>& v) {
        double s = 0;
        for (double x : v)
            s += x;
        return v.empty() ? 0 : s / double(v.size());
    };
    const auto within = std::count_if(intervals.begin(), intervals.end(), [](double d) { return d <= 20.0; });
    const QSize src = mons[0].root.size(), dst = ctl.target().size();
    std::printf("mirror %dx%d -> %dx%d, %s scaling, %zu frames, %s\n", src.width(), src.height(), dst.width(), dst.height(),
                nearest ? "nearest" : heavy ? "bilinear + heaviest effects" : focus ? "Focus, bilinear + dot + ring" : cursorOn ? "bilinear + dot + ring" : "bilinear", intervals.size(),
                ctl.capture().usesSharedMemory() ? "MIT-SHM" : "GetImage");
    std::printf("  frames per second          %.1f\n", 1000.0 * double(intervals.size()) / wall);
    std::printf("  intervals <= 20 ms         %.1f %%\n", 100.0 * double(within) / double(intervals.size()));
    std::printf("  Mirovex CPU per frame      %.2f ms (capture wait %.2f, scale %.2f, paint %.2f wall)\n",
                cpu / double(intervals.size()), mean(capture), mean(scale), mean(paint));
    std::printf("  capture CPU per frame      %.2f ms\n", mean(captureCpu));
    if (cursorOn)
        std::printf("  cursor and ring per frame  %.3f ms\n", mean(overlay));
    std::printf("  X server CPU per frame     %.2f ms\n", server / double(intervals.size()));
    std::printf("  memcpy of one frame        %.2f ms\n", memcpyFloorMs(std::size_t(src.width()) * std::size_t(src.height()) * 4));
    return 0;
}
