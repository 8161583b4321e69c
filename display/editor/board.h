// The editor's document and what the mouse does to it: the picture, the
// current tool and its stroke, colours, sizes and brush, the undo steps,
// "Draw Once", the selection, the text waiting to be committed and the
// placement of a pasted image. No widgets: the window feeds it board
// positions and repaints what it reports as changed.
#pragma once

#include "common/paint/rastercanvas.h"
#include "common/paint/shapes.h"
#include "display/editor/textlabel.h"
#include "display/editor/tools.h"
#include "display/editor/undoring.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace mirovex::editor {

class Board {
public:
    explicit Board(qint64 undoBudget = defaultUndoBudget());
    ~Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // The picture made from what the target display shows: a copy of
    // `source`; the undo steps are emptied, the selection ended, no tool.
    void start(const QImage& source);
    // Another picture in place of this one (an opened file, a pasted
    // image): the undo steps stay, the selection ends without copying back.
    void replacePicture(const QImage& source);
    bool hasPicture() const { return !picture_.isNull(); }
    const QImage& picture() const { return picture_; }
    // Picture width ÷ board width (the view's zoom).
    void setViewScale(double scale) { scale_ = scale; }
    double viewScale() const { return scale_; }

    // --- tools, sizes, brush and colours
    void chooseTool(ToolId id);
    ToolId tool() const { return toolId_; }
    // The size slider: 1 to 20, remembered per tool that has a size.
    int size() const { return size_; }
    void setSize(int size);
    int toolSize(ToolId id) const;
    void setToolSize(ToolId id, int size);
    paint::BrushStyle brushStyle() const { return brush_; }
    void setBrushStyle(paint::BrushStyle style) { brush_ = style; }
    QRgb primary() const { return primary_; }
    QRgb secondary() const { return secondary_; }
    void setPrimary(QRgb c) { primary_ = c; }
    void setSecondary(QRgb c) { secondary_ = c; }
    // The arrow settings' head (their window comes later).
    void setArrowStyle(const paint::ArrowHeadStyle& style) { arrow_ = style; }
    const paint::ArrowHeadStyle& arrowStyle() const { return arrow_; }
    // The airbrush's random numbers; tests fix them.
    void setRandom(paint::Random random) { random_ = std::move(random); }

    // --- the mouse, in board coordinates
    void press(QPoint view, Qt::MouseButton button);
    void move(QPoint view, Qt::MouseButtons held);
    void release(QPoint view, Qt::MouseButton button);
    // Ends a stroke in progress, leaving nothing of its preview.
    void endStroke();
    bool drawing() const { return stroke_.drawing; }

    // --- commands
    void undo();
    int undoSteps() const { return undo_.count(); }
    const UndoRing& undoRing() const { return undo_; }
    // Waits for the buffer the next stroke will copy into (the pause
    // between two strokes, for benchmarks).
    void settle() { undo_.settle(); }
    // "Draw Once": refuses to go down without a picture; returns its state.
    bool setDrawOnce(bool down);
    bool drawOnce() const { return drawOnce_; }
    // "Select" down starts a selection, up ends it keeping only the changes
    // inside its rectangle.
    void setSelecting(bool down);
    bool selecting() const { return selection_.active; }
    // The selection's rectangle, left ≤ right and top ≤ bottom once released.
    QRect selection() const;
    bool selectionDragging() const { return selection_.dragging; }
    const QImage& selectionSnapshot() const { return selection_.snapshot; }

    // --- text
    enum class TextState { None, Waiting, Placed };
    TextState textState() const { return textState_; }
    // Asked for when a press finds a text waiting for its place; the answer
    // comes through placeText (or nothing, when the request is cancelled).
    std::function<void(QPoint view)> onTextWanted;
    void placeText(const TextLabel& label, QPoint view);
    void moveText(QPoint view) { textAt_ = view; }
    const TextLabel& text() const { return text_; }
    QPoint textPosition() const { return textAt_; }

    // --- a pasted image being placed
    void startPlacement(const QImage& image);
    bool placing() const { return !placement_.isNull(); }
    const QImage& placement() const { return placement_; }
    // "Confirm": the image goes into the picture where its panel (outer
    // frame, board coordinates) is.
    void confirmPlacement(QRect panel);

    // --- what the window shows
    QString status() const { return status_; }
    void clearStatus() { status_.clear(); }
    // The pick tool's sample; none until a pixel was sampled.
    std::optional<QRgb> sample() const { return sample_; }
    // A colour taken with the pick tool (for the last-used colours).
    std::function<void(QRgb)> onColourPicked;
    // Tools that change, and the view: the picture rectangle changed since
    // the last call (the whole picture after an undo).
    QRect takeDirty();
    // Called when the board's state beyond the pixels changed (tool,
    // selection, text), so the window can follow.
    std::function<void()> onStateChanged;

    // --- for the tools
    struct Stroke {
        bool drawing = false;
        QPoint start, end;
        Qt::MouseButton button = Qt::LeftButton;
        Qt::MouseButtons held;
    };
    const Stroke& stroke() const { return stroke_; }
    // The picture's canvas, its pixels made its own first; null when the
    // picture cannot be changed.
    paint::RasterCanvas* canvas();
    QImage* writablePicture();
    void addDirty(QRect r) { dirty_ |= r; }
    // The colour of the button that started the stroke, and of the buttons
    // held now (primary for the left, secondary for the right).
    QRgb strokeColour() const;
    QRgb heldColour() const;
    double random() { return random_(); }
    void takeSample(QPoint p);
    void commitText();
    void pushUndo();
    // Where the last press was on the board (the text goes there).
    QPoint pressView() const { return pressView_; }
    // The selection drag of the Select tool.
    void selectFrom(QPoint p);
    void selectTo(QPoint p);
    void selectEnd(QPoint p);

private:
    void stateChanged();
    void endSelection(bool keepChanges);

    QImage picture_;
    UndoRing undo_;
    paint::RasterCanvas canvas_;
    double scale_ = 1.0;

    ToolId toolId_ = ToolId::None;
    std::unique_ptr<Tool> tool_;
    int size_ = 1;
    std::map<ToolId, int> sizes_;
    paint::BrushStyle brush_ = paint::BrushStyle::Clear;
    QRgb primary_ = 0xffff0000;   // red
    QRgb secondary_ = 0xffff8000; // orange
    paint::ArrowHeadStyle arrow_;
    paint::Random random_;

    Stroke stroke_;
    bool drawOnce_ = false;
    struct Selection {
        bool active = false;
        bool dragging = false;
        QPoint a, b;
        QImage snapshot;
    } selection_;

    TextState textState_ = TextState::None;
    TextLabel text_;
    QPoint textAt_;
    QImage placement_;

    QString status_;
    QPoint pressView_;
    std::optional<QRgb> sample_;
    QRect dirty_;
};

} // namespace mirovex::editor
