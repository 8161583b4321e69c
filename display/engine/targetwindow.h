// The target window: fills the target display and shows one view at a time,
// the idle panel when nothing is presented, the drawing area for the live
// sources, the picture view for still pictures.
#pragma once

#include "display/engine/session.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QRegion;
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
    // Shows what the back buffer holds; only `changed` of it when given.
    void present();
    void present(const QRegion& changed);
    void clearBlack();
    // A copy of what is shown, at the client size.
    QImage picture() const;
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

// Still pictures (the clipboard's): fitted proportionally and centred on
// the background colour, scaled once per picture or size, with the fast
// scaler, not on every paint.
class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);
    void setPicture(const QImage& picture);
    void setBackground(const QColor& c);
    bool hasPicture() const { return !source_.isNull(); }
    // What is shown, at the view's size; null without a picture.
    QImage shown() const { return hasPicture() ? composed_ : QImage(); }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void compose();
    QImage source_;
    QImage composed_;
    QColor background_ = Qt::black;
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
    // A strip laid over the views (the scrolling text's), kept above
    // whichever view is shown; null takes it away again.
    void setOverlay(QWidget* overlay);
    QWidget* overlay() const { return overlay_; }
    // Hides the view shown now, so that black shows around the overlay; the
    // next setView shows a view again.
    void hideView();
    DrawingArea* drawingArea() const { return drawing_; }

    // Shows the window on display `index` of the programs' list (primary =
    // 0, the source display): full screen there, or, when that display is
    // the source itself or the only one, a normal window of a third of the
    // primary display's size that leaves the mirrored picture visible.
    void showOnDisplay(int index);

    // Full screen on the display it is on, or back to a framed normal
    // window whose client is `normalSize`, at `normalCorner` when given.
    void setFullScreenOn(bool on, QSize normalSize, std::optional<QPoint> normalCorner = std::nullopt);
    // Whether our last command made it full screen. Qt's own window state
    // can lag the window manager's answers by a request or two.
    bool fullScreenShown() const { return fullScreen_; }
    bool stayOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
    void setStayOnTop(bool on);
    // What the presenter sees, as a picture: the drawing area's back buffer
    // or the picture view's picture, whichever is shown. Null when neither
    // holds one.
    QImage displayedPicture() const;
    PictureView* pictureView() const { return picture_; }
    // The slideshow's own view, and what it shows; the slideshow makes it.
    void setSlideView(QWidget* view, std::function<QImage()> shown);

signals:
    void fullScreenWanted();
    void nextDisplayWanted();
    void closeWanted();
    void doubleClicked();

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void setFlagsKeepingPlace(Qt::WindowFlags f);
    void applyPendingNormal();

    QStackedLayout* stack_ = nullptr;
    IdlePanel* idle_ = nullptr;
    DrawingArea* drawing_ = nullptr;
    PictureView* picture_ = nullptr;
    QWidget* slide_ = nullptr;
    std::function<QImage()> slideShown_;
    TargetView view_ = TargetView::Idle;
    QPointer<QWidget> overlay_;
    bool fullScreen_ = false;
    // The framed size (and place) to take once full screen has been left.
    struct PendingNormal {
        QSize size;
        std::optional<QPoint> corner;
    };
    std::optional<PendingNormal> pendingNormal_;
};

} // namespace mirovex
