// The marking of the mirrored area on the presenter's screen: a dashed red
// frame, or the surround darkened with a white border. X copies every mapped
// window, so the marking lies strictly outside the mirrored pixels and never
// shows in the mirror. It takes no input and no focus.
#pragma once

#include "display/selection/areageometry.h"

#include <QWidget>

namespace mirovex {

class MarkingOverlay : public QWidget {
    Q_OBJECT
public:
    MarkingOverlay();

    // Marks `mirror` (on the root) on `display` (the display it lies on,
    // on the root). Darkening needs a compositor; without one the frame is
    // drawn instead. Nothing is redrawn when nothing changed.
    void mark(const QRect& mirror, area::MarkMode mode, const QRect& display, bool compositor);
    void unmark();

    // What is drawn now (None when hidden).
    area::MarkMode shownMode() const { return isVisible() ? drawn_ : area::MarkMode::None; }
    QRect markedArea() const { return mirror_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect mirror_;
    QRect display_;
    area::MarkMode drawn_ = area::MarkMode::None;
};

// The pixels of the dashed frame around `mirror`, in the outline's own
// coordinates: 18 on, 6 off along the border, as a pen dash goes.
QRegion dashedFrame(const QRect& outline);

} // namespace mirovex
