// The slideshow view of the target window (`Pixa`): the picture centred and
// fitted proportionally on black, and the transition from what was shown
// before to it, in steps of 4 % every 80 ms, the step taken from the time
// passed, so a late timer catches up instead of slowing the transition.
#pragma once

#include "display/slideshow/transitions.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace mirovex::slides {

class SlideView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kStepMs = 80;
    static constexpr int kStepPercent = 4;

    explicit SlideView(QWidget* parent = nullptr);

    // Starts the transition of `style` from what is shown now to `picture`.
    // Style 0 cuts at once.
    void showPicture(const QImage& picture, int style, std::uint32_t seed);
    // Black at once; the next picture comes out of black.
    void clear();
    // What is shown, at the view's size (black before any picture).
    QImage shown() const { return frame_; }
    bool transitioning() const { return timer_.isActive(); }
    int progress() const { return progress_; }
    int style() const { return style_; }
    // Milliseconds since the transition started; tests drive it.
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    // One step as the timer takes it.
    void step();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void compose(const QImage& picture, QImage& into) const;
    qint64 elapsed() const { return clock_ ? clock_() - startedAt_ : watch_.elapsed(); }

    QImage picture_; // the newest picture, as given
    QImage from_, to_, frame_;
    transitions::Renderer renderer_;
    QTimer timer_;
    QElapsedTimer watch_;
    std::function<qint64()> clock_;
    qint64 startedAt_ = 0;
    int style_ = 0;
    std::uint32_t seed_ = 0;
    int progress_ = 100;
};

} // namespace mirovex::slides
