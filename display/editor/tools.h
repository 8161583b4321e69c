// The editor's drawing tools, each a small class behind one interface. The
// board hands every tool the picture point under the mouse; the tool draws
// through the board's canvas and keeps whatever it needs between calls.
#pragma once

#include <QPoint>
#include <QString>

#include <memory>

namespace mirovex::editor {

class Board;

enum class ToolId {
    None,
    Arrow,
    CurvedArrow,
    Pencil,
    Line,
    Airbrush,
    Marker,
    Rectangle,
    RoundRect,
    Ellipse,
    Pick,
    Fill,
    Text,
    Select,
};

// What the status panel shows while a stroke of the tool runs.
enum class StrokeStatus {
    Keep,  // what the press showed
    Point, // the point under the mouse
    Span,  // start, point and the size between them
};

// The fixed facts of a tool: its button, hint, board cursor and the key
// under which it remembers its size (empty: it has no size).
struct ToolInfo {
    ToolId id;
    const char* button;
    const char* hint;
    const char* cursor;
    const char* sizeKey;
};
const ToolInfo& toolInfo(ToolId id);
// The tools in the order of their buttons in the toolbox.
const ToolInfo* toolTable(int* count);

class Tool {
public:
    virtual ~Tool() = default;
    virtual void press(Board&, QPoint) {}
    virtual void move(Board&, QPoint) {}
    virtual void release(Board&, QPoint) {}
    // The stroke ends early (another tool, an undo): nothing of a preview
    // may stay in the picture.
    virtual void cancel(Board&) {}
    virtual StrokeStatus status() const { return StrokeStatus::Keep; }
};

std::unique_ptr<Tool> makeTool(ToolId id);

} // namespace mirovex::editor
