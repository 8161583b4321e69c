#include "display/grid/gridparts.h"

#include "common/settings/settingsfile.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>

namespace mirovex {

namespace {

QColor c(quint32 value) { return colourFromValue(value); }

constexpr int kPinMs = 1250;

} // namespace

GridMap::GridMap(QWidget* parent) : QWidget(parent), picture_(grid::kMapSize, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("Tabla"));
    setFixedSize(grid::kMapSize);
    setMouseTracking(true);
    picture_.fill(c(gridcolour::kBackground));
}

void GridMap::redraw(int n, grid::Cell from, grid::Cell to)
{
    n = grid::clampCells(n);
    ++redraws_;
    picture_.fill(c(gridcolour::kBackground));
    QPainter p(&picture_);
    p.setRenderHint(QPainter::Antialiasing);
    const int c1 = std::min(from.column, to.column), c2 = std::max(from.column, to.column);
    const int r1 = std::min(from.row, to.row), r2 = std::max(from.row, to.row);
    // Cells off the map light nothing.
    const bool lit = c1 >= 0 && r1 >= 0 && c2 < n && r2 < n;
    p.setPen(c(gridcolour::kCellOutline));
    for (int r = 0; r < n; ++r)
        for (int col = 0; col < n; ++col) {
            const bool on = lit && col >= c1 && col <= c2 && r >= r1 && r <= r2;
            p.setBrush(c(on ? gridcolour::kHighlight : gridcolour::kBackground));
            p.drawRoundedRect(QRectF(grid::cellOnMap({col, r}, n)).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        }
    p.end();
    update();
}

void GridMap::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

void GridMap::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        emit pressed(e->position().toPoint());
}

void GridMap::mouseMoveEvent(QMouseEvent* e) { emit moved(e->position().toPoint(), e->buttons() & Qt::LeftButton); }

void GridMap::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        emit released(e->position().toPoint());
}

void GridMap::leaveEvent(QEvent*) { emit left(); }

TfFakeOkno::TfFakeOkno()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput)
{
    setObjectName(QStringLiteral("FAK"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    panel_ = new QWidget(this);
    panel_->setAutoFillBackground(true);
    park();
}

void TfFakeOkno::showOver(const QRect& rect, bool lit)
{
    QPalette pal = panel_->palette();
    pal.setColor(QPalette::Window, lit ? c(gridcolour::kPreviewPanel) : Qt::white);
    panel_->setPalette(pal);
    setGeometry(rect);
    if (!isVisible())
        show();
    raise();
}

void TfFakeOkno::park()
{
    hide();
    setGeometry(-3000, -3000, 1, 1);
}

void TfFakeOkno::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    // A part of the frame exposed alone shows in a colour of its own.
    if (!e->rect().isEmpty() && e->rect() != rect()) {
        auto* rng = QRandomGenerator::global();
        p.fillRect(e->rect(), QColor(int(rng->bounded(255)), int(rng->bounded(255)), int(rng->bounded(255))));
    } else {
        p.fillRect(rect(), Qt::white);
    }
}

void TfFakeOkno::resizeEvent(QResizeEvent*)
{
    setMask(roundedRegion(rect(), 16));
    const QRect inner = rect().adjusted(3, 3, -3, -3);
    panel_->setGeometry(inner);
    if (inner.width() > 0 && inner.height() > 0)
        panel_->setMask(roundedRegion(QRect(QPoint(), inner.size()), 20));
}

TfReferWin::TfReferWin() : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("ReferWin"));
    setWindowTitle(QStringLiteral("Transparent Window Example"));
    setFixedSize(400, 232);
    auto* layout = new QGridLayout(this);
    const quint32 colours[] = {255, 65280, 16711680, 65535, 16776960, 16711935};
    for (int i = 0; i < 6; ++i) {
        auto* panel = new QLabel(this);
        panel->setAutoFillBackground(true);
        QPalette pal = panel->palette();
        pal.setColor(QPalette::Window, c(colours[i]));
        panel->setPalette(pal);
        layout->addWidget(panel, i / 3, i % 3);
    }
}

PinGlyph::PinGlyph()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput)
{
    setObjectName(QStringLiteral("PinGlyph"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(24, 24);
    setMask(roundedRegion(rect(), 24));
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(kPinMs);
    connect(timer_, &QTimer::timeout, this, &QWidget::hide);
}

void PinGlyph::flash(QPoint at, bool pinned)
{
    pinned_ = pinned;
    move(at - QPoint(width() / 2, 0));
    show();
    raise();
    update();
    timer_->start();
}

void PinGlyph::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, gridGlyph(pinned_ ? QStringLiteral("pin") : QStringLiteral("unpin"), width()));
}

QRegion roundedRegion(const QRect& r, int corner)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(r), corner / 2.0, corner / 2.0);
    return QRegion(path.toFillPolygon().toPolygon());
}

QPixmap gridGlyph(const QString& name, int side)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = side;
    QPen pen(Qt::white, std::max(1.5, s / 12));
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    if (name == QLatin1String("close")) {
        p.drawLine(QPointF(s * .25, s * .25), QPointF(s * .75, s * .75));
        p.drawLine(QPointF(s * .75, s * .25), QPointF(s * .25, s * .75));
    } else if (name == QLatin1String("undo")) {
        p.drawArc(QRectF(s * .25, s * .3, s * .5, s * .45), 90 * 16, -270 * 16);
        p.drawLine(QPointF(s * .5, s * .3), QPointF(s * .38, s * .2));
        p.drawLine(QPointF(s * .5, s * .3), QPointF(s * .38, s * .42));
    } else if (name == QLatin1String("pin") || name == QLatin1String("unpin")) {
        const bool pinned = name == QLatin1String("pin");
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(pinned ? QColor(220, 40, 40) : QColor(150, 150, 150));
        p.drawEllipse(QRectF(s * .28, s * .08, s * .44, s * .44));
        p.setPen(QPen(pinned ? QColor(60, 60, 60) : QColor(120, 120, 120), std::max(1.5, s / 10)));
        p.drawLine(QPointF(s * .5, s * .52), QPointF(s * .5, s * .92));
        if (!pinned) {
            p.setPen(QPen(QColor(220, 40, 40), std::max(1.5, s / 12)));
            p.drawLine(QPointF(s * .15, s * .85), QPointF(s * .85, s * .15));
        }
    } else if (name == QLatin1String("cascade")) {
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRectF(s * (.15 + i * .12), s * (.15 + i * .12), s * .45, s * .4));
    } else if (name == QLatin1String("tile")) {
        p.drawRect(QRectF(s * .15, s * .2, s * .7, s * .6));
        p.drawLine(QPointF(s * .5, s * .2), QPointF(s * .5, s * .8));
        p.drawLine(QPointF(s * .15, s * .5), QPointF(s * .85, s * .5));
    } else if (name == QLatin1String("grid")) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                p.drawRect(QRectF(s * (.18 + i * .22), s * (.18 + j * .22), s * .14, s * .14));
    } else if (name == QLatin1String("transparent")) {
        p.setBrush(QColor(255, 255, 255, 90));
        p.drawRect(QRectF(s * .2, s * .2, s * .6, s * .6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * .2, s * .2, s * .3, s * .6));
    } else if (name == QLatin1String("desktop")) {
        p.drawRect(QRectF(s * .1, s * .15, s * .8, s * .55));
        p.drawLine(QPointF(s * .5, s * .7), QPointF(s * .5, s * .85));
        p.drawLine(QPointF(s * .3, s * .85), QPointF(s * .7, s * .85));
    }
    return pm;
}

} // namespace mirovex
