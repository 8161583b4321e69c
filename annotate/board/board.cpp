#include "annotate/board/board.h"

#include "platform/desktopstate.h"
#include "platform/windowstate.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWindow>

namespace mirovex::annotate {

TfBoard::TfBoard() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TfBoard"));
    setWindowTitle(QStringLiteral("Mirovex Vidizizu"));
    // The visual is fixed when the native window is made: ARGB from the
    // start, so the board can be see-through whenever a compositor runs.
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus);
    winId();
}

void TfBoard::applySeeThrough()
{
    // Without a compositor the alpha channel shows as black: an empty shape
    // keeps the desktop visible instead.
    platform::setEmptyShape(windowHandle(), !platform::compositorRunning());
}

void TfBoard::showOver(const QRect& display)
{
    setGeometry(display);
    platform::keepOffTaskbar(windowHandle());
    show();
    applySeeThrough();
    raise();
    // Over a focused full-screen window only an activation request puts the
    // board above it (_NET_ACTIVE_WINDOW through the window manager).
    activateWindow();
}

void TfBoard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
}

void TfBoard::keyPressEvent(QKeyEvent* event)
{
    // Escape and Enter would close or confirm something a presenter did not
    // mean to; the board takes them and does nothing.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TfBoard::closeEvent(QCloseEvent* event)
{
    if (closeAllowed_)
        event->accept();
    else
        event->ignore();
}

} // namespace mirovex::annotate
