#include "display/editor/boardgeometry.h"

#include "common/paint/shapes.h"

#include <algorithm>
#include <cstdlib>

namespace mirovex::editor {

using paint::roundEven;

QSize startUnits(QSize picture)
{
    return QSize(std::max(1, roundEven(picture.width() / 10.0)), std::max(1, roundEven(picture.height() / 10.0)));
}

QSize boardSize(QSize units, int level)
{
    return QSize(units.width() * level, units.height() * level);
}

double viewScale(QSize picture, QSize board)
{
    return board.width() > 0 ? double(picture.width()) / board.width() : 1.0;
}

QPoint boardOrigin(QSize board, QSize box)
{
    auto side = [](int b, int client) { return b >= client ? 0 : client / 2 - b / 2; };
    return QPoint(side(board.width(), box.width()), side(board.height(), box.height()));
}

QPoint toPicture(QPoint view, double scale)
{
    return QPoint(roundEven(view.x() * scale), roundEven(view.y() * scale));
}

QPointF toView(QPoint picture, double scale)
{
    return QPointF(picture.x() / scale, picture.y() / scale);
}

Grid grid(QSize board, double scale)
{
    Grid g;
    // At zooms above 2000 % a tenth of a pixel rounds to 0: keep a step.
    const int step = std::max(1, roundEven(10.0 / scale));
    for (int x = step; x <= board.width(); x += step)
        g.columns.push_back(x);
    for (int y = step; y <= board.height(); y += step)
        g.rows.push_back(y);
    g.middleX = board.width() / 2;
    g.middleY = board.height() / 2;
    return g;
}

QString pressStatus(QPoint p)
{
    return QStringLiteral("[ %1 , %2 : %1 , %2]").arg(p.x()).arg(p.y());
}

QString hoverStatus(QPoint p)
{
    return QStringLiteral("%1 : %2").arg(p.x()).arg(p.y());
}

QString pointStatus(QPoint p)
{
    return QStringLiteral("[ %1 , %2]").arg(p.x()).arg(p.y());
}

QString spanStatus(QPoint start, QPoint p)
{
    return QStringLiteral("[ %1 , %2 : %3 , %4]  [ %5 x %6 ]")
        .arg(start.x())
        .arg(start.y())
        .arg(p.x())
        .arg(p.y())
        .arg(std::abs(p.x() - start.x()))
        .arg(std::abs(p.y() - start.y()));
}

} // namespace mirovex::editor
