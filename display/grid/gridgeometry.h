// The window grid's arithmetic as plain functions: the cells of the map, the
// rectangle of a display that a span of cells covers, the tiling layout, the
// undo stack and where the grid window stands. The window only applies them.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace mirovex::grid {

// The map the cells are drawn on.
inline constexpr QSize kMapSize{300, 194};
inline constexpr int kMinCells = 2;
inline constexpr int kMaxCells = 10;
inline constexpr int kDefaultCells = 6;

// Every function here clamps the cell count to 2..10 itself, so a count
// read from a damaged file never reaches a division as 0.
int clampCells(int n);

// A cell's width and height on the map: trunc(300 / N) by trunc(194 / N).
QSize cellSize(int n);

struct Cell {
    int column = 0;
    int row = 0;
    friend bool operator==(const Cell&, const Cell&) = default;
};

// The cell under a point of the map. Borders, the left edge and the strip
// right of (and below) the last whole cell belong to the nearest cell, so a
// press anywhere on the map starts from a cell.
Cell cellAt(QPoint mapPoint, int n);

// The cell's rectangle on the map.
QRect cellOnMap(Cell cell, int n);

// The part of a display that the cells from `a` to `b` (either order)
// cover: columns of round(W / N) from the display's left edge, rows of
// H div N from the top of its work area, W the display's width and H the
// work area's height.
QRect spanRect(const QRect& display, const QRect& workArea, int n, Cell a, Cell b);

// Halves round to even, as everywhere in the programs.
int roundEven(double v);

// Where tiling puts `count` windows on a display: columns of p rows, p the
// rounded square root of the count plus one when the root is not whole; as
// many columns as p rows fill; one pixel between columns; rows from the top
// of the work area. Fewer than two windows are not tiled.
QList<QRect> tileLayout(int count, const QRect& display, const QRect& workArea);

// The windows tiling moves: those of `frames` (in the order given) whose
// centre lies on the display, each with its place. Windows on other
// displays are neither moved nor counted.
struct Placement {
    int index; // into the list given
    QRect frame;
};
QList<Placement> tile(const QList<QRect>& frames, const QRect& display, const QRect& workArea);

// Cascade: each window of the display one title bar lower and further right
// than the one behind it, from the work area's corner, kept inside the work
// area. `frames` are given from the back to the front.
QList<Placement> cascade(const QList<QRect>& frames, const QRect& display, const QRect& workArea, int titleHeight);

// Where the grid window opens: at the stored place when at least a corner
// of it (30 x 30) is on a display; otherwise, on each axis that leaves the
// primary display, centred on the primary display.
QPoint restoredPosition(QPoint stored, QSize size, const QList<QRect>& displays);

// "NN %" for the transparency slider's position 0..255.
QString percentText(int position);

// A bounded stack: when it holds its capacity, a push replaces the newest
// entry, so the oldest moves are never lost to later ones.
template <class T> class BoundedStack {
public:
    explicit BoundedStack(std::size_t capacity) : capacity_(capacity) {}
    void push(const T& v)
    {
        if (items_.size() >= capacity_ && !items_.empty())
            items_.back() = v;
        else
            items_.push_back(v);
    }
    std::optional<T> pop()
    {
        if (items_.empty())
            return std::nullopt;
        T v = items_.back();
        items_.pop_back();
        return v;
    }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const T& top() const { return items_.back(); }

private:
    std::size_t capacity_;
    std::vector<T> items_;
};

// One undo entry: a window and its visible frame before a move.
struct UndoEntry {
    std::uint32_t window = 0;
    QRect frame;
};
inline constexpr std::size_t kUndoDepth = 1000;
using UndoStack = BoundedStack<UndoEntry>;

} // namespace mirovex::grid
