#include "display/editor/tools.h"

#include "common/paint/floodfill.h"
#include "common/paint/shapes.h"
#include "display/editor/board.h"

#include <cstdlib>

namespace mirovex::editor {

using paint::Brush;
using paint::BrushStyle;
using paint::Pen;
using paint::PenMode;
using paint::RasterCanvas;

namespace {

const ToolInfo kTools[] = {
    {ToolId::Arrow, "sb30", "Arrow", "PORAVNAVA", "XarrowSize"},
    {ToolId::CurvedArrow, "sbCurve", "Curved Arrow", "CURVE", "XBezit"},
    {ToolId::Pencil, "sb1", "Pencil", "SVINCNIK", "Xsvincnik"},
    {ToolId::Line, "sb3", "Line", "RAVNACRTA", "XLine"},
    {ToolId::Airbrush, "sb2", "Airbrush", "PRSILEC", "xSpraj"},
    {ToolId::Marker, "sb205", "Marker", "MARKER", "Xmark"},
    {ToolId::Rectangle, "sb4", "Rectangle ", "ROUND", "Xkvadrat"},
    {ToolId::RoundRect, "sb7", "Rounded Rectangle", "ROUND", "Xoglat"},
    {ToolId::Ellipse, "sb5", "Ellipse ", "KROG", "Xkrog"},
    {ToolId::Pick, "sb14", "Pick Color", "KAPALKA", ""},
    {ToolId::Fill, "sb8", "Fill With Color", "KANTA", ""},
    {ToolId::Text, "sb13", "Text", "RADIRKA", ""},
    {ToolId::Select, "sb00", "Select", "RECT", ""},
    {ToolId::None, "sb20", "", "", ""},
};

// A shape dragged from the start to the mouse. While the button is held the
// shape is a rubber band in the picture itself, drawn in exclusive-or (its
// negation for the right button) and removed by drawing it once more with
// exactly the pen and brush it was drawn with; the release removes the last
// band before it draws the shape for good, so nothing of the bands remains.
class ShapeTool : public Tool {
public:
    void press(Board&, QPoint) override { shown_ = false; }

    void move(Board& board, QPoint p) override
    {
        RasterCanvas* c = board.canvas();
        if (!c)
            return;
        removeBand(board, *c);
        band_ = {board.stroke().start, p,
                 Pen{board.strokeColour(), board.size() + 1,
                     board.stroke().button == Qt::RightButton ? PenMode::NotXor : PenMode::Xor},
                 Brush{board.strokeColour(), board.brushStyle()}};
        board.addDirty(shape(*c, band_.a, band_.b, band_.pen, band_.brush));
        shown_ = true;
    }

    void release(Board& board, QPoint p) override
    {
        RasterCanvas* c = board.canvas();
        if (!c)
            return;
        removeBand(board, *c);
        finish(board, *c, p);
    }

    void cancel(Board& board) override
    {
        if (RasterCanvas* c = board.canvas())
            removeBand(board, *c);
    }

    StrokeStatus status() const override { return StrokeStatus::Span; }

protected:
    virtual QRect shape(RasterCanvas& c, QPoint a, QPoint b, const Pen& pen, const Brush& brush) = 0;

    virtual void finish(Board& board, RasterCanvas& c, QPoint p)
    {
        // The stroke is still in progress here, so the pen is size + 1 wide.
        board.addDirty(shape(c, board.stroke().start, p, Pen{board.strokeColour(), board.size() + 1, PenMode::Copy},
                             Brush{board.strokeColour(), board.brushStyle()}));
    }

private:
    void removeBand(Board& board, RasterCanvas& c)
    {
        if (shown_)
            board.addDirty(shape(c, band_.a, band_.b, band_.pen, band_.brush));
        shown_ = false;
    }

    struct Band {
        QPoint a, b;
        Pen pen;
        Brush brush;
    };
    bool shown_ = false;
    Band band_;
};

class LineTool : public ShapeTool {
protected:
    QRect shape(RasterCanvas& c, QPoint a, QPoint b, const Pen& pen, const Brush&) override { return c.line(a, b, pen); }
};

class ArrowTool : public LineTool {
protected:
    void finish(Board& board, RasterCanvas& c, QPoint p) override
    {
        // The heads first, then the shaft; a head's pen is the size itself.
        const Pen pen{board.strokeColour(), board.size(), PenMode::Copy};
        const Brush brush{board.strokeColour(), BrushStyle::Solid};
        auto head = [&](QPoint from, QPoint tip) {
            if (const auto h = paint::arrowHead(from, tip, board.arrowStyle()))
                board.addDirty(c.polygon(QPolygon({(*h)[0], (*h)[1], (*h)[2]}), pen, brush));
        };
        head(board.stroke().start, p);
        if (board.arrowStyle().twoHeads)
            head(p, board.stroke().start);
        LineTool::finish(board, c, p);
    }
};

class RectangleTool : public ShapeTool {
protected:
    QRect shape(RasterCanvas& c, QPoint a, QPoint b, const Pen& pen, const Brush& brush) override
    {
        return c.rectangle(a, b, pen, brush);
    }
};

class RoundRectTool : public ShapeTool {
protected:
    QRect shape(RasterCanvas& c, QPoint a, QPoint b, const Pen& pen, const Brush& brush) override
    {
        const QSize corner(std::abs(b.x() - a.x()) / 2, std::abs(b.y() - a.y()) / 2);
        return c.roundRect(a, b, corner, pen, brush);
    }
};

class EllipseTool : public ShapeTool {
protected:
    QRect shape(RasterCanvas& c, QPoint a, QPoint b, const Pen& pen, const Brush& brush) override
    {
        return c.ellipse(a, b, pen, brush);
    }
};

class PencilTool : public Tool {
public:
    void press(Board& board, QPoint p) override
    {
        last_ = p;
        if (RasterCanvas* c = board.canvas())
            board.addDirty(c->line(p, p, Pen{board.heldColour(), board.size(), PenMode::Copy}));
    }
    void move(Board& board, QPoint p) override
    {
        if (RasterCanvas* c = board.canvas())
            board.addDirty(c->line(last_, p, Pen{board.heldColour(), board.size(), PenMode::Copy}));
        last_ = p;
    }
    StrokeStatus status() const override { return StrokeStatus::Point; }

private:
    QPoint last_;
};

// Five times the size, ANDed into the picture: light colours take the
// marker's colour, dark strokes stay dark, and going over a place again
// changes nothing.
class MarkerTool : public Tool {
public:
    void press(Board&, QPoint p) override { last_ = p; }
    void move(Board& board, QPoint p) override
    {
        if (RasterCanvas* c = board.canvas())
            board.addDirty(c->line(last_, p, Pen{board.strokeColour(), board.size() * 5, PenMode::Mask}));
        last_ = p;
    }
    StrokeStatus status() const override { return StrokeStatus::Point; }

private:
    QPoint last_;
};

class AirbrushTool : public Tool {
public:
    void press(Board& board, QPoint p) override
    {
        size_ = board.size();
        spray(board, p);
    }
    void move(Board& board, QPoint p) override { spray(board, p); }
    StrokeStatus status() const override { return StrokeStatus::Point; }

private:
    void spray(Board& board, QPoint p)
    {
        if (RasterCanvas* c = board.canvas())
            board.addDirty(c->pixels(paint::sprayPoints(p, size_, [&] { return board.random(); }), board.heldColour()));
    }
    int size_ = 1;
};

class CurvedArrowTool : public Tool {
public:
    void press(Board& board, QPoint p) override
    {
        RasterCanvas* c = board.canvas();
        if (!c)
            return;
        // A clear brush would stamp nothing: it counts as solid here.
        BrushStyle style = board.brushStyle();
        if (style == BrushStyle::Clear)
            style = BrushStyle::Solid;
        board.addDirty(c->fillPath(paint::curvedArrow(p, paint::curvedArrowSize(board.size())),
                                   Brush{board.strokeColour(), style}));
    }
};

class FillTool : public Tool {
public:
    void press(Board& board, QPoint p) override
    {
        if (!board.picture().rect().contains(p))
            return;
        if (QImage* pic = board.writablePicture())
            board.addDirty(paint::floodFill(*pic, p, Brush{board.strokeColour(), board.brushStyle()}));
    }
};

class PickTool : public Tool {
public:
    void release(Board& board, QPoint) override
    {
        const auto colour = board.sample();
        if (!colour)
            return;
        if (board.stroke().button == Qt::RightButton)
            board.setSecondary(*colour);
        else
            board.setPrimary(*colour);
        if (board.onColourPicked)
            board.onColourPicked(*colour);
    }
};

class TextTool : public Tool {
public:
    void press(Board& board, QPoint) override
    {
        armed_ = board.textState() == Board::TextState::Placed;
        if (board.textState() == Board::TextState::Waiting && board.onTextWanted)
            board.onTextWanted(board.pressView());
    }
    void release(Board& board, QPoint) override
    {
        // Only a click made while the text was already placed commits it.
        if (armed_)
            board.commitText();
    }

private:
    bool armed_ = false;
};

class SelectTool : public Tool {
public:
    void press(Board& board, QPoint p) override
    {
        if (board.selecting())
            board.selectFrom(p);
    }
    void move(Board& board, QPoint p) override
    {
        if (board.selecting() && board.selectionDragging() && (board.stroke().held & Qt::LeftButton))
            board.selectTo(p);
    }
    void release(Board& board, QPoint p) override
    {
        if (board.selecting() && board.selectionDragging())
            board.selectEnd(p);
    }
    void cancel(Board& board) override
    {
        if (board.selecting() && board.selectionDragging())
            board.selectEnd(board.stroke().end);
    }
    StrokeStatus status() const override { return StrokeStatus::Span; }
};

} // namespace

const ToolInfo* toolTable(int* count)
{
    *count = int(std::size(kTools));
    return kTools;
}

const ToolInfo& toolInfo(ToolId id)
{
    for (const ToolInfo& t : kTools)
        if (t.id == id)
            return t;
    return kTools[std::size(kTools) - 1];
}

std::unique_ptr<Tool> makeTool(ToolId id)
{
    switch (id) {
    case ToolId::Arrow: return std::make_unique<ArrowTool>();
    case ToolId::CurvedArrow: return std::make_unique<CurvedArrowTool>();
    case ToolId::Pencil: return std::make_unique<PencilTool>();
    case ToolId::Line: return std::make_unique<LineTool>();
    case ToolId::Airbrush: return std::make_unique<AirbrushTool>();
    case ToolId::Marker: return std::make_unique<MarkerTool>();
    case ToolId::Rectangle: return std::make_unique<RectangleTool>();
    case ToolId::RoundRect: return std::make_unique<RoundRectTool>();
    case ToolId::Ellipse: return std::make_unique<EllipseTool>();
    case ToolId::Pick: return std::make_unique<PickTool>();
    case ToolId::Fill: return std::make_unique<FillTool>();
    case ToolId::Text: return std::make_unique<TextTool>();
    case ToolId::Select: return std::make_unique<SelectTool>();
    case ToolId::None: break;
    }
    return std::make_unique<Tool>();
}

} // namespace mirovex::editor
