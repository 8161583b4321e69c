#include "display/shell/splash.h"

#include "display/shell/toolbarstyle.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace mirovex {

TSplashScreen::TSplashScreen()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("SplashScreen"));
    setWindowTitle(QStringLiteral("Mirovex"));
    setFixedSize(438, 113);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

void TSplashScreen::setProgress(int step)
{
    progress_ = step;
    if (isVisible())
        repaint();
}

void TSplashScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    raise();
}

void TSplashScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), style::colour(3353896));
    QFont f(QStringLiteral("Segoe UI"));
    f.setPixelSize(24);
    p.setFont(f);
    p.setPen(style::colour(14803423));
    p.drawText(QRect(0, 20, width(), 50), Qt::AlignCenter, QStringLiteral("Mirovex"));

    const QRect bar(19, 83, 401, 8);
    QLinearGradient back(bar.topLeft(), bar.topRight());
    back.setColorAt(0, style::colour(4605510));
    back.setColorAt(1, style::colour(7303023));
    p.fillRect(bar, back);
    const int filled = bar.width() * std::clamp(progress_, 0, kSteps) / kSteps;
    if (filled > 0) {
        const QRect done(bar.left(), bar.top(), filled, bar.height());
        QLinearGradient front(done.topLeft(), done.topRight());
        front.setColorAt(0, style::colour(13553358));
        front.setColorAt(1, style::colour(7566195));
        p.fillRect(done, front);
    }
    p.setPen(Qt::black);
    p.drawRect(bar.adjusted(0, 0, -1, -1));
}

} // namespace mirovex
