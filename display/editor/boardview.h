// The editor's board on screen: a virtual board of level × units pixels in a
// scroll area, centred while it is smaller than the area, showing the
// picture through a transform (never a zoomed copy of it) and repainting
// only what is exposed or what a stroke changed. On it lie the grid, the
// selection's rectangle, the text being placed and the placement panel.
#pragma once

#include "display/editor/board.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QImage>
#include <QWidget>

class QPainter;

class QPushButton;

namespace mirovex::editor {

// The text waiting to be committed, shown at the view's magnification; the
// presenter drags it with the left button.
class TextLabelWidget : public QWidget {
    Q_OBJECT
public:
    explicit TextLabelWidget(QWidget* parent);
    void setLabel(const TextLabel& label, double zoom);
signals:
    void dragged(QPoint topLeft);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

private:
    TextLabel label_;
    double zoom_ = 1.0;
    QPoint grab_;
};

// `PREMIK`: a red-framed panel holding a pasted image, moved by dragging it
// and resized by dragging its edges.
class PlacementPanel : public QFrame {
    Q_OBJECT
public:
    explicit PlacementPanel(QWidget* parent);
    void setImage(const QImage& image);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

private:
    QImage image_;
    QPoint grab_;
    QRect start_;
    Qt::Edges edges_;
};

// Paints the part `area` (board coordinates) of the board: the picture
// through the view's scale, smoothly unless it is 1, the grid when asked
// for, and the selection's rectangle.
void paintBoard(QPainter& painter, const Board& board, QSize boardSize, QRect area, bool grid);

class BoardView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit BoardView(Board& board, QWidget* parent = nullptr);

    // After a new picture: zoom units from it, the board at the start level.
    void pictureChanged();
    int level() const { return level_; }
    void setLevel(int level);
    QSize boardSize() const;
    // The board's top-left corner in the viewport.
    QPoint origin() const;
    // A viewport point on the board, and back.
    QPoint toBoard(QPoint viewport) const { return viewport - origin(); }

    void setGrid(bool on);
    bool grid() const { return grid_; }
    // Repaints what the board reports as changed and follows its text and
    // placement.
    void refresh();
    // The whole board again.
    void repaintAll();
    void setBoardCursor(const QCursor& cursor);
    PlacementPanel& placementPanel() { return *placement_; }
    TextLabelWidget& textLabel() { return *text_; }
    // The placement panel's frame on the board.
    QRect placementOnBoard() const;

signals:
    // After a press or release the board handled (the window follows its
    // state), and after a move (status and sample follow).
    void boardTouched();
    void boardMoved();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void layoutBoard();
    void placeChildren();
    QRect toViewport(QRect pictureRect) const;

    Board& board_;
    QSize units_{1, 1};
    int level_ = 10;
    bool grid_ = false;
    TextLabelWidget* text_;
    PlacementPanel* placement_;
    bool placementShown_ = false;
    QPoint placementAt_; // on the board
    bool textShown_ = false;
};

} // namespace mirovex::editor
