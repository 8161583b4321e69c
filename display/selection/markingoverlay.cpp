#include "display/selection/markingoverlay.h"

#include <QPainter>

namespace mirovex {

namespace {
constexpr int kDashOn = 18;
constexpr int kDashOff = 6;
const QColor kDim(0x3C, 0x3C, 0x3C, 180);
} // namespace

QRegion dashedFrame(const QRect& outline)
{
    const int w = outline.width(), h = outline.height();
    QRegion out;
    if (w <= 0 || h <= 0)
        return out;
    // Around the border clockwise from the top-left corner, one dash phase.
    int phase = 0;
    const auto run = [&](int length, auto pixelAt) {
        for (int i = 0; i < length;) {
            const int inPeriod = phase % (kDashOn + kDashOff);
            const int left = inPeriod < kDashOn ? kDashOn - inPeriod : kDashOn + kDashOff - inPeriod;
            const int n = std::min(left, length - i);
            if (inPeriod < kDashOn)
                out += pixelAt(i, n);
            i += n;
            phase += n;
        }
    };
    run(w, [&](int i, int n) { return QRect(i, 0, n, 1); });
    run(h - 1, [&](int i, int n) { return QRect(w - 1, 1 + i, 1, n); });
    run(w - 1, [&](int i, int n) { return QRect(w - 2 - i - n + 1, h - 1, n, 1); });
    run(h - 2, [&](int i, int n) { return QRect(0, h - 2 - i - n + 1, 1, n); });
    return out;
}

MarkingOverlay::MarkingOverlay()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("fTrans"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void MarkingOverlay::mark(const QRect& mirror, area::MarkMode mode, const QRect& display, bool compositor)
{
    if (mode == area::MarkMode::None || mirror.isEmpty()) {
        unmark();
        return;
    }
    if (mode == area::MarkMode::Dim && !compositor)
        mode = area::MarkMode::Frame;
    if (isVisible() && mode == drawn_ && mirror == mirror_ && (mode == area::MarkMode::Frame || display == display_))
        return;
    // A darkened surround that only moved (Focus follows the pointer on
    // every frame) repaints just the pixels around the old and the new
    // rectangle, not the whole display.
    const bool moved = isVisible() && mode == area::MarkMode::Dim && drawn_ == mode && display == display_;
    const QRect before = mirror_;
    mirror_ = mirror;
    display_ = display;
    drawn_ = mode;
    if (moved) {
        const QMargins border(3, 3, 3, 3);
        update(QRegion(before.marginsAdded(border).translated(-display.topLeft())) |
               QRegion(mirror.marginsAdded(border).translated(-display.topLeft())));
        return;
    }
    if (mode == area::MarkMode::Frame) {
        // The window is the frame itself: its shape is the dashes, so it
        // needs no compositor and covers nothing else.
        const QRect outline = area::frameOutline(mirror);
        setGeometry(outline);
        setMask(dashedFrame(QRect(QPoint(0, 0), outline.size())));
    } else {
        setGeometry(display);
        clearMask();
    }
    update();
    show();
}

void MarkingOverlay::unmark()
{
    hide();
    drawn_ = area::MarkMode::None;
}

void MarkingOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (drawn_ == area::MarkMode::Frame) {
        p.fillRect(rect(), QColor(255, 0, 0));
        return;
    }
    p.fillRect(rect(), Qt::transparent);
    const QPoint origin = geometry().topLeft();
    const QRect mirror = mirror_.translated(-origin);
    for (const QRect& r : area::dimmedRegion(rect(), mirror))
        p.fillRect(r, kDim);
    for (const QRect& r : area::dimBorder(mirror))
        p.fillRect(r, Qt::white);
}

} // namespace mirovex
