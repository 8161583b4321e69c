#include "annotate/shell/traybutton.h"

#include "annotate/board/placement.h"
#include "annotate/settings/notelsettings.h"
#include "platform/monitors.h"
#include "platform/windowstate.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace mirovex::annotate {

TfMenu::TfMenu() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TfMenu"));
    setWindowTitle(QStringLiteral("Mirovex Vidizizu"));
    setFixedSize(kTrayButtonSize, kTrayButtonSize);
    setCursor(Qt::PointingHandCursor);
    menu_ = new QMenu(this);
    menu_->addAction(QStringLiteral("Minimize to Tray"), this, &TfMenu::putAwayRequested);
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Close Vidizizu"), this, &TfMenu::closeRequested);
    cornerTimer_ = new QTimer(this);
    cornerTimer_->setInterval(500);
    connect(cornerTimer_, &QTimer::timeout, this, &TfMenu::raiseInCorner);
    cornerTimer_->start();
}

void TfMenu::placeFromSettings()
{
    const SettingsFile a(notel::pathA());
    moveToFrame(trayButtonPlace(QPoint(a.read(notel::a::menuSx), a.read(notel::a::menuTop)), platform::displayFrames()));
}

QPoint TfMenu::framePos() const { return platform::desktopFrame().fromRoot(pos()); }

void TfMenu::moveToFrame(QPoint p) { move(platform::desktopFrame().toRoot(p)); }

void TfMenu::raiseInCorner()
{
    if (!isVisible())
        return;
    const QPoint pointer = platform::desktopFrame().fromRoot(QCursor::pos());
    const QList<QRect> displays = platform::displayFrames();
    if (displays.isEmpty())
        return;
    if (inRaiseCorner(pointer, boardDisplay(QRect(framePos(), size()), displays)))
        raise();
}

void TfMenu::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0xF0, 0xF0, 0xF0));
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    // A pen nib: the program's mark.
    p.setPen(QPen(QColor(0x20, 0x60, 0xC0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 23), QPointF(23, 9));
    p.setPen(QPen(QColor(0xD0, 0x30, 0x30), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 25), QPointF(9, 23));
}

void TfMenu::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    pressGlobal_ = event->globalPosition().toPoint();
    pressPos_ = pos();
}

void TfMenu::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_)
        return;
    const QPoint framePlace =
        platform::desktopFrame().fromRoot(pressPos_ + event->globalPosition().toPoint() - pressGlobal_);
    moveToFrame(limitedDrag(framePlace));
}

void TfMenu::mouseReleaseEvent(QMouseEvent* event)
{
    if (!pressed_ || event->button() != Qt::LeftButton)
        return;
    pressed_ = false;
    if (event->globalPosition().toPoint() == pressGlobal_)
        emit clicked();
    else
        emit draggedAway();
}

void TfMenu::mouseDoubleClickEvent(QMouseEvent*) { emit doubleClicked(); }

void TfMenu::contextMenuEvent(QContextMenuEvent* event)
{
    emit menuOpening();
    menu_->popup(event->globalPos());
}

void TfMenu::closeEvent(QCloseEvent* event)
{
    if (closeAllowed_)
        event->accept();
    else
        event->ignore();
}

} // namespace mirovex::annotate
