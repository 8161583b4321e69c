// The smaller windows of the window grid: the cell map, the preview frame
// that shows on a display where a window will go, the transparency example
// and the pin glyph shown over a window's title.
#pragma once

#include "display/grid/gridgeometry.h"

#include <QImage>
#include <QWidget>

class QTimer;

namespace mirovex {

namespace gridcolour {
// Colour values (red in the low byte).
inline constexpr quint32 kBackground = 2301465;
inline constexpr quint32 kCellOutline = 8421504;
inline constexpr quint32 kHighlight = 13352094;
inline constexpr quint32 kPreviewPanel = 16251129;
} // namespace gridcolour

// The map of N x N cells (`Tabla`): a 300 x 194 picture redrawn only when
// what it shows changes; the grid window handles its mouse.
class GridMap : public QWidget {
    Q_OBJECT
public:
    explicit GridMap(QWidget* parent);
    // Redraws the cells with those between `from` and `to` (inclusive, either
    // order) highlighted; none when a cell is off the map.
    void redraw(int n, grid::Cell from, grid::Cell to);
    const QImage& picture() const { return picture_; }
    int redraws() const { return redraws_; }

signals:
    void pressed(QPoint at);
    void moved(QPoint at, bool buttonDown);
    void released(QPoint at);
    void left();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage picture_;
    int redraws_ = 0;
};

// The preview frame (`TfFakeOkno`): a rounded window above everything,
// placed by the grid and never activated, so it never becomes the window
// the grid acts on.
class TfFakeOkno : public QWidget {
    Q_OBJECT
public:
    TfFakeOkno();
    // Shows it over `rect` (root); the inner panel lit while cells are.
    void showOver(const QRect& rect, bool lit);
    void park();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* panel_ = nullptr;
};

// "Transparent Window Example" (`TfReferWin`): coloured panels that show
// what a transparency value looks like.
class TfReferWin : public QWidget {
    Q_OBJECT
public:
    TfReferWin();
};

// The pin glyph over another program's title bar: a short-lived window of
// our own on top, never painted into the other program's pixels.
class PinGlyph : public QWidget {
    Q_OBJECT
public:
    PinGlyph();
    // Shows the glyph (pinned or unpinned) centred on `at` (root) for 1250 ms.
    void flash(QPoint at, bool pinned);
    bool pinned() const { return pinned_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* timer_ = nullptr;
    bool pinned_ = false;
};

// A window region with rounded corners (the corner ellipse's width).
QRegion roundedRegion(const QRect& r, int corner);

// The glyphs of the grid's buttons and of its "Desktop" bar.
QPixmap gridGlyph(const QString& name, int side);

} // namespace mirovex
