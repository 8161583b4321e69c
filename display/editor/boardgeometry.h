// The editor board's arithmetic: the zoom units of a picture, the board's
// size and place in its scroll box, view and picture points, the grid and
// the texts of the status panel.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace mirovex::editor {

// The zoom level at which a board shows a picture at about 100 %.
constexpr int kStartLevel = 10;

// Zoom units of a picture made from the target display: a tenth of each
// side, rounded (halves to even); never below 1, so that a picture under
// ten pixels still has a board to be drawn on.
QSize startUnits(QSize picture);
// The board at a zoom level: level × units.
QSize boardSize(QSize units, int level);
// Picture width ÷ board width.
double viewScale(QSize picture, QSize board);

// The board's top-left corner centred in the scroll box's client area, 0
// on a side where the board is as large as the box or larger.
QPoint boardOrigin(QSize board, QSize box);

// The picture point under a board point, and a picture point on the board.
QPoint toPicture(QPoint view, double scale);
QPointF toView(QPoint picture, double scale);

// The grid drawn over the board, one line every 10 picture pixels (at least
// one board pixel apart), and the two red lines through the middle.
struct Grid {
    std::vector<int> columns; // x of each vertical grey line
    std::vector<int> rows;    // y of each horizontal grey line
    int middleX = 0, middleY = 0;
};
Grid grid(QSize board, double scale);

// What the status panel shows.
QString pressStatus(QPoint p);
QString hoverStatus(QPoint p);
QString pointStatus(QPoint p);
QString spanStatus(QPoint start, QPoint p);

} // namespace mirovex::editor
