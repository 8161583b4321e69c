// The scrolling control: one line of text moving across a strip, fading out
// over 15 pixels at both ends. The composer's preview (`rtmSet`) and the
// strip on the target display (`rtmdis`) are both one of these.
//
// The position follows the clock (step pixels every interval), and the
// control repaints at most once a display frame from the text drawn once
// into pictures, so an interval of 1 ms costs no more than one of 50 ms.
#pragma once

#include "display/scrolltext/scrolltextfile.h"

#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QWidget>

#include <vector>

class QTimer;

namespace mirovex {

class ScrollingText : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFade = 15;

    explicit ScrollingText(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }
    void setTextFont(const QFont& font);
    QFont textFont() const { return font_; }
    void setTextColour(const QColor& colour);
    QColor textColour() const { return colour_; }
    void setBackground(const QColor& colour);
    QColor background() const { return background_; }
    // Letters only: the background is painted fully see-through (in a window
    // with an alpha channel) and the fade works on the letters' alpha.
    void setSeeThrough(bool on);
    bool seeThrough() const { return seeThrough_; }
    void setDirection(scrolltext::Direction direction);
    scrolltext::Direction direction() const { return direction_; }
    void setInterval(int ms);
    int interval() const { return interval_; }
    void setStep(int pixels);
    int step() const { return step_; }

    // The enabled flag: moving (and repainting) only while on and shown.
    void setScrolling(bool on);
    bool scrolling() const { return scrolling_; }
    // Starts the text again from its entering edge.
    void restart();

    // Where the text's left edge stands now, in the control.
    int textLeft() const;
    int textWidth() const { return textWidth_; }
    // The letters, drawn once per text, font and colour: pieces of at most
    // kPieceWidth pixels side by side, each the control's height.
    static constexpr int kPieceWidth = 4096;
    const std::vector<QImage>& textPieces() const { return pieces_; }
    // The letters' outline at textLeft() == 0, for a window without alpha.
    QRegion letterOutline() const;

    // Paints the control as it stands with the text at `left` (the paint
    // event's work, for benchmarks and tests).
    void paintStrip(QPainter& p, int left) const;

signals:
    // Emitted after each repaint that moved the text.
    void moved(int left);
    // The letters changed (text, font, colour, height).
    void lettersChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void renderLetters();
    void tick();
    void updateTimer();
    // Folds the distance moved so far in before the speed changes, so the
    // text does not jump.
    void keepPlace();

    QString text_;
    QFont font_;
    QColor colour_ = Qt::black;
    QColor background_ = Qt::white;
    bool seeThrough_ = false;
    scrolltext::Direction direction_ = scrolltext::Direction::LeftToRight;
    int interval_ = 50;
    int step_ = 1;
    bool scrolling_ = false;

    std::vector<QImage> pieces_;
    int textWidth_ = 0;
    QTimer* frame_ = nullptr;
    QElapsedTimer clock_;
    qint64 travelledBefore_ = 0;
    int shownLeft_ = INT_MIN;
};

} // namespace mirovex
