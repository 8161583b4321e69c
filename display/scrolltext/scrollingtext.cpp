#include "display/scrolltext/scrollingtext.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace mirovex {

ScrollingText::ScrollingText(QWidget* parent) : QWidget(parent)
{
    setText(QStringLiteral("Text"));
    frame_ = new QTimer(this);
    // One move per display frame, however short the interval.
    frame_->setInterval(16);
    frame_->setTimerType(Qt::PreciseTimer);
    connect(frame_, &QTimer::timeout, this, &ScrollingText::tick);
    setAttribute(Qt::WA_OpaquePaintEvent);
    renderLetters();
}

void ScrollingText::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    renderLetters();
}

void ScrollingText::setTextFont(const QFont& font)
{
    font_ = font;
    renderLetters();
}

void ScrollingText::setTextColour(const QColor& colour)
{
    if (colour == colour_)
        return;
    colour_ = colour;
    renderLetters();
}

void ScrollingText::setBackground(const QColor& colour)
{
    background_ = colour;
    update();
}

void ScrollingText::setSeeThrough(bool on)
{
    seeThrough_ = on;
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
    update();
}

void ScrollingText::setDirection(scrolltext::Direction direction)
{
    if (direction == direction_)
        return;
    direction_ = direction;
    restart();
}

void ScrollingText::keepPlace()
{
    if (clock_.isValid())
        travelledBefore_ += scrolltext::travelled(step_, interval_, clock_.restart());
}

void ScrollingText::setInterval(int ms)
{
    keepPlace();
    interval_ = std::clamp(ms, scrolltext::kMinStep, scrolltext::kMaxStep);
}

void ScrollingText::setStep(int pixels)
{
    keepPlace();
    step_ = std::clamp(pixels, scrolltext::kMinStep, scrolltext::kMaxStep);
}

void ScrollingText::setScrolling(bool on)
{
    if (on == scrolling_)
        return;
    if (on) {
        clock_.start();
    } else {
        keepPlace();
        clock_.invalidate();
    }
    scrolling_ = on;
    updateTimer();
}

void ScrollingText::restart()
{
    travelledBefore_ = 0;
    if (clock_.isValid())
        clock_.restart();
    update();
}

int ScrollingText::textLeft() const
{
    qint64 travelled = travelledBefore_;
    if (clock_.isValid())
        travelled += scrolltext::travelled(step_, interval_, clock_.elapsed());
    return scrolltext::textLeft(direction_, width(), textWidth_, travelled);
}

void ScrollingText::updateTimer()
{
    if (scrolling_ && isVisible())
        frame_->start();
    else
        frame_->stop();
}

void ScrollingText::tick()
{
    if (textLeft() != shownLeft_)
        update();
}

void ScrollingText::renderLetters()
{
    pieces_.clear();
    const QFontMetrics metrics(font_);
    textWidth_ = text_.isEmpty() ? 0 : metrics.horizontalAdvance(text_);
    const int h = std::max(height(), 1);
    const int baseline = (h - metrics.height()) / 2 + metrics.ascent();
    for (int x = 0; x < textWidth_; x += kPieceWidth) {
        QImage piece(std::min(kPieceWidth, textWidth_ - x), h, QImage::Format_ARGB32_Premultiplied);
        piece.fill(Qt::transparent);
        QPainter p(&piece);
        p.setFont(font_);
        p.setPen(colour_);
        p.drawText(-x, baseline, text_);
        pieces_.push_back(std::move(piece));
    }
    emit lettersChanged();
    update();
}

QRegion ScrollingText::letterOutline() const
{
    QRegion outline;
    int x = 0;
    for (const QImage& piece : pieces_) {
        // Every pixel the letters touch at all belongs to the window.
        outline += QRegion(QBitmap::fromImage(piece.createAlphaMask(Qt::MonoOnly | Qt::ThresholdAlphaDither))).translated(x, 0);
        x += piece.width();
    }
    return outline;
}

void ScrollingText::paintStrip(QPainter& p, int left) const
{
    const QRect all = rect();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(all, seeThrough_ ? QColor(Qt::transparent) : background_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    int x = left;
    for (const QImage& piece : pieces_) {
        if (x + piece.width() > 0 && x < all.width())
            p.drawImage(x, 0, piece);
        x += piece.width();
    }
    // The ends fade: into the background, or, letters only, to nothing.
    const int fade = std::min(kFade, all.width() / 2);
    if (fade <= 0)
        return;
    const auto edge = [&](int x0, int x1) {
        QLinearGradient g(QPointF(x0, 0), QPointF(x1, 0));
        if (seeThrough_) {
            g.setColorAt(0, QColor(0, 0, 0, 0));
            g.setColorAt(1, QColor(0, 0, 0, 255));
            p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        } else {
            QColor solid = background_, clear = background_;
            clear.setAlpha(0);
            g.setColorAt(0, solid);
            g.setColorAt(1, clear);
        }
        p.fillRect(QRect(std::min(x0, x1), 0, fade, all.height()), g);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    };
    edge(0, fade);
    edge(all.width(), all.width() - fade);
}

void ScrollingText::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int left = textLeft();
    paintStrip(p, left);
    if (left != shownLeft_) {
        shownLeft_ = left;
        emit moved(left);
    }
}

void ScrollingText::resizeEvent(QResizeEvent* event)
{
    // The letters are centred in the height; the width only moves them.
    if (event->size().height() != event->oldSize().height())
        renderLetters();
}

void ScrollingText::showEvent(QShowEvent*) { updateTimer(); }

void ScrollingText::hideEvent(QHideEvent*) { updateTimer(); }

} // namespace mirovex
