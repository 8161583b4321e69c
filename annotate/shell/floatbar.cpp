#include "annotate/shell/floatbar.h"

#include "platform/monitors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace mirovex::annotate {

TFloat::TFloat() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TFloat"));
    setWindowTitle(QStringLiteral("Mirovex Vidizizu"));
    setFixedSize(120, 32);
    setCursor(Qt::SizeAllCursor);
    menu_ = new QMenu(this);
    menu_->addAction(QStringLiteral("Minimize to Tray"), this, &TFloat::putAwayRequested);
    menu_->addAction(QStringLiteral("Close Vidizizu"), this, &TFloat::closeRequested);
}

QPoint TFloat::framePos() const { return platform::desktopFrame().fromRoot(pos()); }

void TFloat::moveToFrame(QPoint p) { move(platform::desktopFrame().toRoot(p)); }

void TFloat::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    for (int x = 8; x < 20; x += 4)
        p.fillRect(x, 9, 2, 14, QColor(0xA0, 0xA0, 0xA0));
    p.setPen(Qt::black);
    p.drawText(rect().adjusted(24, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Vidizizu"));
}

void TFloat::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    dragged_ = false;
    pressGlobal_ = event->globalPosition().toPoint();
    pressPos_ = pos();
}

void TFloat::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_)
        return;
    const QPoint delta = event->globalPosition().toPoint() - pressGlobal_;
    if (!dragged_ && delta.manhattanLength() < QApplication::startDragDistance())
        return;
    dragged_ = true;
    move(pressPos_ + delta);
}

void TFloat::mouseReleaseEvent(QMouseEvent* event)
{
    if (!pressed_ || event->button() != Qt::LeftButton)
        return;
    pressed_ = false;
    if (!dragged_)
        emit putAwayRequested();
}

void TFloat::contextMenuEvent(QContextMenuEvent* event) { menu_->popup(event->globalPos()); }

void TFloat::closeEvent(QCloseEvent* event)
{
    if (closeAllowed_)
        event->accept();
    else
        event->ignore();
}

} // namespace mirovex::annotate
