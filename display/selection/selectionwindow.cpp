#include "display/selection/selectionwindow.h"

#include "display/selection/areageometry.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace mirovex {

namespace {
constexpr int kIdleAlpha = 5;
constexpr int kDragAlpha = 180;
} // namespace

TfGrab::TfGrab(const QRect& rootArea, QPoint primaryOrigin, QImage still)
    : QDialog(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint),
      rootArea_(rootArea), primaryOrigin_(primaryOrigin), still_(std::move(still))
{
    setObjectName(QStringLiteral("fGrab"));
    setWindowTitle(QStringLiteral("Mirovex - Select Area"));
    if (still_.isNull())
        setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_OpaquePaintEvent, !still_.isNull());
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setGeometry(rootArea_);
}

void TfGrab::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Nothing gives a window that bypasses the window manager the keyboard;
    // Escape must still cancel.
    QTimer::singleShot(0, this, [this] {
        activateWindow();
        grabKeyboard();
    });
}

void TfGrab::hideEvent(QHideEvent* event)
{
    releaseKeyboard();
    QDialog::hideEvent(event);
}

QPoint TfGrab::clampedLocal(QPoint p) const
{
    return QPoint(std::clamp(p.x(), 0, width()), std::clamp(p.y(), 0, height()));
}

QRect TfGrab::bandLocal() const { return press_ ? area::fromDrag(*press_, pointer_) : QRect(); }

QRect TfGrab::readoutRect() const { return QRect(primaryOrigin_ - rootArea_.topLeft() + QPoint(7, 8), QSize(193, 17)); }

void TfGrab::setReadout(const QString& text)
{
    if (text == readout_)
        return;
    readout_ = text;
    update(readoutRect());
}

void TfGrab::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) {
        selection_.reset();
        reject();
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    press_ = pointer_ = clampedLocal(e->position().toPoint());
    setReadout(area::readout(toFrame(*press_), toFrame(pointer_)));
    update(); // the whole surround darkens
}

void TfGrab::mouseMoveEvent(QMouseEvent* e)
{
    const QRect before = bandLocal();
    pointer_ = clampedLocal(e->position().toPoint());
    if (!press_) {
        setReadout(area::readout(toFrame(pointer_)));
        return;
    }
    setReadout(area::readout(toFrame(*press_), toFrame(pointer_)));
    // Only what the band left or took changes.
    update(QRegion(before.adjusted(-3, -3, 3, 3)).united(bandLocal().adjusted(-3, -3, 3, 3)));
}

void TfGrab::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !press_)
        return;
    pointer_ = clampedLocal(e->position().toPoint());
    selection_ = area::fromDrag(toFrame(*press_), toFrame(pointer_));
    press_.reset();
    unsetCursor();
    accept();
}

void TfGrab::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        selection_.reset();
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TfGrab::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRegion dirty = event->region();
    if (still_.isNull()) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(event->rect(), Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        for (const QRect& r : dirty)
            p.drawImage(r, still_, r);
    }
    const QRect band = bandLocal();
    QRegion dim = dirty;
    if (press_)
        dim -= band;
    p.setClipRegion(dim);
    p.fillRect(event->rect(), QColor(0, 0, 0, press_ ? kDragAlpha : kIdleAlpha));
    p.setClipping(false);
    if (press_ && !band.isEmpty()) {
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(band).adjusted(-1, -1, 1, 1));
    }
    const QRect ro = readoutRect();
    if (dirty.intersects(ro)) {
        p.fillRect(ro, Qt::black);
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawRect(ro.adjusted(0, 0, -1, -1));
        QFont f(QStringLiteral("Segoe UI"));
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0, 255, 0));
        p.drawText(ro.adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, readout_);
    }
}

} // namespace mirovex
