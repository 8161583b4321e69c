// The target window: fills the target display and shows one view at a time,
// the idle panel when nothing is presented, the drawing area for the live
// sources, the picture view for still pictures.
#pragma once

#include "session.h"

#include <QImage>
#include <QWidget>

class QLabel;
class QStackedLayout;

namespace mirovex {

// Where the frame loop presents: a back buffer of exactly the client size,
// shown 1:1, so presenting is one copy into the window's shared-memory
// backing store and never a scaling pass of Qt's.
class DrawingArea : public QWidget {
    Q_OBJECT
public:
    explicit DrawingArea(QWidget* parent = nullptr);

    // The back buffer at the current client size; null while the client has
    // no area. A new size gives a new, black buffer.
    QImage& backBuffer();
    // Shows what the back buffer holds.
    void present();
    void clearBlack();
    // Every resize or clear gives the buffer a new generation, so the frame
    // loop knows when the bands around the picture need painting again.
    quint64 generation() const { return generation_; }
    // How long the last paint took, for the benchmarks.
    double lastPaintMs() const { return lastPaintMs_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage back_;
    quint64 generation_ = 0;
    double lastPaintMs_ = 0;
};

// Black, with the product name in dark grey growing with the window.
class IdlePanel : public QWidget {
    Q_OBJECT
public:
    explicit IdlePanel(QWidget* parent = nullptr);
    // The point size of the name for a panel this wide.
    static int nameSize(int panelWidth);

protected:
    void paintEvent(QPaintEvent*) override;
};

class TFmonitor : public QWidget {
    Q_OBJECT
public:
    TFmonitor();

    void setView(TargetView view);
    TargetView view() const { return view_; }
    DrawingArea* drawingArea() const { return drawing_; }

    // Shows the window on display `index` of the programs' list (primary =
    // 0, the source display): full screen there, or, when that display is
    // the source itself or the only one, a normal window of a third of the
    // primary display's size that leaves the mirrored picture visible.
    void showOnDisplay(int index);

private:
    void setFramed(bool framed);

    QStackedLayout* stack_ = nullptr;
    IdlePanel* idle_ = nullptr;
    DrawingArea* drawing_ = nullptr;
    QLabel* picture_ = nullptr;
    TargetView view_ = TargetView::Idle;
};

} // namespace mirovex
