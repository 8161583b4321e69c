// What mirroring the primary display costs for four kinds of screen: still,
// a small change (200x40 repainted every frame, like a caret or a clock), a
// scrolled half screen, and full motion. For each: this process's and the X
// server's CPU as % of a core, CPU ms per shown frame, frames per second and
// the share of frame intervals within 20 ms; with frames worked in parts (now)
// and every frame whole (FullFrames=1, as before), and a GStreamer pipeline
// (ximagesrc ! videoscale ! ximagesink) on the same area and target size as a
// peer. Then the latency from a pixel changing on the source to the target
// showing it, also after the loop slept. Run it under tests/desktop/vdesk
// (see bench/run.sh); it prints figures and never fails.
//
//   bench_changes [SECONDS]        the whole table
//   bench_changes --scene KIND     the changing screen, in its own process
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "bench/cputime.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace mirovex;
using Clock = std::chrono::steady_clock;
using namespace mirovex::bench;

namespace {

// Spins the event loop for `ms`.
void run(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// ---------------------------------------------------------------- the scene

class Scene : public QWidget {
public:
    explicit Scene(QString kind) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), kind_(std::move(kind))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        tick_.setTimerType(Qt::PreciseTimer);
        tick_.setInterval(16);
        connect(&tick_, &QTimer::timeout, this, [this] { step(); });
    }
    void begin()
    {
        picture_ = QImage(size() * 2, QImage::Format_RGB32);
        for (int y = 0; y < picture_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y));
            for (int x = 0; x < picture_.width(); ++x)
                line[x] = qRgb((x * 3) & 255, (y * 5) & 255, ((x ^ y) * 7) & 255);
        }
        update();
        if (kind_ != QLatin1String("still"))
            tick_.start();
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPainter p(this);
        if (kind_ == QLatin1String("small") && e->rect() == kSmall) {
            p.fillRect(kSmall, QColor::fromHsv((n_ * 7) % 360, 200, 220));
            p.drawText(kSmall, Qt::AlignCenter, QString::number(n_));
            return;
        }
        const QPoint off(kind_ == QLatin1String("full") ? (n_ * 7) % width() : 0,
                         kind_ == QLatin1String("full") ? (n_ * 3) % height() : n_ * 8 % height());
        p.drawImage(e->rect(), picture_, e->rect().translated(off));
    }

private:
    static constexpr QRect kSmall{860, 520, 200, 40};
    void step()
    {
        ++n_;
        if (kind_ == QLatin1String("small"))
            update(kSmall);
        else if (kind_ == QLatin1String("scroll"))
            update(QRect(0, 0, width(), height() / 2));
        else
            update();
    }
    QString kind_;
    QTimer tick_;
    QImage picture_;
    int n_ = 0;
};

int sceneMain(const QString& kind)
{
    const auto mons = platform::monitors();
    Scene scene(kind);
    scene.setGeometry(mons.first().root);
    scene.show();
    run(500);
    scene.begin();
    std::puts("ready");
    std::fflush(stdout);
    return qApp->exec();
}

// ---------------------------------------------------------------- measuring

struct Row {
    double cpuPct = 0, serverPct = 0, msPerFrame = 0, fps = 0, within20 = 0;
};

void print(const char* scene, const char* who, const Row& r)
{
    std::printf("  %-7s %-22s %7.2f %% %8.3f ms %7.2f %% %6.1f fps %6.1f %%\n", scene, who, r.cpuPct, r.msPerFrame,
                r.serverPct, r.fps, r.within20);
}

// Times of the drawing area's paints: each is one frame on the screen.
class PaintClock : public QObject {
public:
    std::vector<Clock::time_point> at;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            at.push_back(Clock::now());
        return false;
    }
};

Row framesOf(const std::vector<Clock::time_point>& at, double wallMs)
{
    Row r;
    r.fps = wallMs > 0 ? 1000.0 * double(at.size()) / wallMs : 0;
    int within = 0;
    for (std::size_t i = 1; i < at.size(); ++i)
        within += std::chrono::duration<double, std::milli>(at[i] - at[i - 1]).count() <= 20.0 ? 1 : 0;
    r.within20 = at.size() > 1 ? 100.0 * within / double(at.size() - 1) : 0;
    return r;
}

Row measureMirror(MirrorController& ctl, PaintClock& paints, int seconds)
{
    run(1000);
    const qint64 server = serverPid();
    paints.at.clear();
    const double c0 = selfCpuMs(), s0 = procCpuMs(server);
    const quint64 shown0 = ctl.frameLoop().framesShown();
    QElapsedTimer wall;
    wall.start();
    run(seconds * 1000);
    const double ms = double(wall.elapsed());
    const double cpu = selfCpuMs() - c0, srv = procCpuMs(server) - s0;
    const quint64 shown = ctl.frameLoop().framesShown() - shown0;
    Row r = framesOf(paints.at, ms);
    r.cpuPct = 100.0 * cpu / ms;
    r.serverPct = 100.0 * srv / ms;
    r.msPerFrame = shown ? cpu / double(shown) : 0;
    r.fps = 1000.0 * double(shown) / ms;
    return r;
}

Row measureGst(const QRect& source, QSize target, int seconds)
{
    QProcess gst;
    const QString pipeline =
        QStringLiteral("ximagesrc startx=%1 starty=%2 endx=%3 endy=%4 use-damage=false show-pointer=false ! "
                       "video/x-raw,framerate=60/1 ! videoscale method=bilinear ! video/x-raw,width=%5,height=%6 ! "
                       "ximagesink sync=false")
            .arg(source.left()).arg(source.top()).arg(source.right()).arg(source.bottom())
            .arg(target.width()).arg(target.height());
    gst.start(QStringLiteral("gst-launch-1.0"), QStringList{QStringLiteral("-q")} + pipeline.split(QLatin1Char(' ')));
    Row r;
    if (!gst.waitForStarted(5000))
        return r;
    run(1500);
    const qint64 server = serverPid();
    const double g0 = procCpuMs(gst.processId()), s0 = procCpuMs(server);
    QElapsedTimer wall;
    wall.start();
    run(seconds * 1000);
    const double ms = double(wall.elapsed());
    const double cpu = procCpuMs(gst.processId()) - g0, srv = procCpuMs(server) - s0;
    gst.kill();
    gst.waitForFinished(5000);
    r.cpuPct = 100.0 * cpu / ms;
    r.serverPct = 100.0 * srv / ms;
    // The pipeline runs at the source's 60 frames per second.
    r.msPerFrame = cpu / (ms / 1000.0 * 60.0);
    r.fps = 60;
    return r;
}

Row measureSceneAlone(int seconds)
{
    const qint64 server = serverPid();
    const double s0 = procCpuMs(server);
    QElapsedTimer wall;
    wall.start();
    run(seconds * 1000);
    Row r;
    r.serverPct = 100.0 * (procCpuMs(server) - s0) / double(wall.elapsed());
    return r;
}

// A small window that changes colour now and then over the mirrored area;
// how long until the target shows the new colour, read off the screen.
void measureLatency(MirrorController& ctl, const QRect& source, int samples, const char* scene)
{
    QWidget probe(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                               Qt::WindowStaysOnTopHint);
    const QRect at(source.topLeft() + QPoint(300, 300), QSize(60, 60));
    probe.setGeometry(at);
    probe.setAutoFillBackground(true);
    probe.show();
    run(500);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const QRect target(ctl.target().mapToGlobal(QPoint(0, 0)), ctl.target().size());
    const double k = double(target.width()) / source.width();
    const QPoint watch = target.topLeft() + QPoint(int((at.center().x() - source.x()) * k), int((at.center().y() - source.y()) * k));
    const auto pixel = [&]() -> QRgb {
        auto* r = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(watch.x()), int16_t(watch.y()), 1, 1, ~0u), nullptr);
        if (!r)
            return 0;
        QRgb v = 0;
        if (xcb_get_image_data_length(r) >= 4)
            std::memcpy(&v, xcb_get_image_data(r), 4);
        std::free(r);
        return v & 0xFFFFFF;
    };
    std::vector<double> lat;
    int asleepBefore = 0;
    for (int i = 0; i < samples; ++i) {
        run(120 + (i * 37) % 150); // long enough for the loop to fall asleep on a still screen
        asleepBefore += ctl.frameLoop().asleep() ? 1 : 0;
        const QRgb want = (i & 1) ? 0x20D040 : 0xD02040;
        QPalette pal = probe.palette();
        pal.setColor(QPalette::Window, QColor(QRgb(0xFF000000 | want)));
        probe.setPalette(pal);
        probe.repaint();
        const auto t0 = Clock::now();
        double ms = -1;
        while (std::chrono::duration<double, std::milli>(Clock::now() - t0).count() < 500) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (pixel() == want) {
                ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                break;
            }
        }
        lat.push_back(ms < 0 ? 500 : ms);
    }
    xcb_disconnect(c);
    std::sort(lat.begin(), lat.end());
    const auto within = std::count_if(lat.begin(), lat.end(), [](double v) { return v <= 17.0; });
    std::printf("  %-7s latency: median %.1f ms, 99th %.1f ms, %.0f %% within 17 ms (%zu samples, %d after the loop slept)\n",
                scene, lat[lat.size() / 2], lat[std::min(lat.size() - 1, lat.size() * 99 / 100)],
                100.0 * double(within) / double(lat.size()), lat.size(), asleepBefore);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--scene") == 0)
        return sceneMain(QString::fromLatin1(argv[2]));
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;

    const auto mons = platform::monitors();
    if (mons.size() < 2) {
        std::puts("changes: needs two displays");
        return 0;
    }
    const bool gst = !QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0")).isEmpty();
    std::printf("mirror %dx%d -> %dx%d bilinear, %d s a row; CPU %% of one core\n", mons[0].root.width(),
                mons[0].root.height(), mons[1].root.width(), mons[1].root.height(), seconds);
    std::printf("  %-7s %-22s %9s %11s %9s %10s %8s\n", "screen", "who", "CPU", "CPU/frame", "X server", "rate",
                "<=20ms");
    for (const char* kind : {"still", "small", "scroll", "full"}) {
        QProcess scene;
        scene.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--scene"), QString::fromLatin1(kind)});
        if (!scene.waitForReadyRead(15000)) {
            std::printf("  %s: the scene did not start\n", kind);
            continue;
        }
        print(kind, "scene alone", measureSceneAlone(seconds));
        {
            auto ctl = std::make_unique<MirrorController>();
            PaintClock paints;
            ctl->target().drawingArea()->installEventFilter(&paints);
            ctl->chooseDesktop();
            print(kind, "Mirovex", measureMirror(*ctl, paints, seconds));
            ctl->frameLoop().setFullFrames(true);
            print(kind, "Mirovex FullFrames=1", measureMirror(*ctl, paints, seconds));
            ctl->frameLoop().setFullFrames(false);
            measureLatency(*ctl, mons[0].root, 60, kind);
            ctl->target().drawingArea()->removeEventFilter(&paints);
        }
        if (gst)
            print(kind, "GStreamer", measureGst(mons[0].root, mons[1].root.size(), seconds));
        scene.kill();
        scene.waitForFinished(5000);
    }
    return 0;
}
