#include "display/editor/board.h"

#include "display/editor/boardgeometry.h"

#include <QPainter>

#include <algorithm>
#include <cstring>
#include <random>

namespace mirovex::editor {

namespace {

// Copies the rows of `from` outside `keep` into `to` (same size): what lies
// outside a selection comes back from its snapshot.
void copyOutside(const QImage& from, QImage& to, QRect keep)
{
    const int bpp = 4;
    for (int y = 0; y < to.height(); ++y) {
        const uchar* src = from.constScanLine(y);
        uchar* dst = to.scanLine(y);
        if (y < keep.top() || y > keep.bottom() || keep.isEmpty()) {
            std::memcpy(dst, src, std::size_t(to.width()) * bpp);
            continue;
        }
        std::memcpy(dst, src, std::size_t(keep.left()) * bpp);
        const int right = keep.right() + 1;
        std::memcpy(dst + right * bpp, src + right * bpp, std::size_t(to.width() - right) * bpp);
    }
}

} // namespace

Board::Board(qint64 undoBudget) : undo_(undoBudget), tool_(makeTool(ToolId::None))
{
    auto gen = std::make_shared<std::mt19937>(std::random_device{}());
    random_ = [gen] { return std::uniform_real_distribution<double>(0.0, 1.0)(*gen); };
}

Board::~Board() = default;

void Board::stateChanged()
{
    if (onStateChanged)
        onStateChanged();
}

void Board::start(const QImage& source)
{
    endStroke();
    undo_.clear();
    selection_ = {};
    placement_ = {};
    textState_ = TextState::None;
    drawOnce_ = false;
    // Shared with the source until the first change copies it.
    picture_ = source.isNull() ? QImage() : source.convertToFormat(QImage::Format_RGB32);
    dirty_ = picture_.rect();
    chooseTool(ToolId::None);
}

void Board::replacePicture(const QImage& source)
{
    if (source.isNull())
        return;
    endStroke();
    selection_ = {};
    placement_ = {};
    picture_ = source.convertToFormat(QImage::Format_RGB32);
    dirty_ = picture_.rect();
    chooseTool(ToolId::None);
}

void Board::chooseTool(ToolId id)
{
    endStroke();
    toolId_ = id;
    tool_ = makeTool(id);
    if (*toolInfo(id).sizeKey)
        size_ = toolSize(id);
    if (id == ToolId::Arrow) {
        pushUndo();
        brush_ = paint::BrushStyle::Solid;
    } else if (id == ToolId::Fill) {
        brush_ = paint::BrushStyle::Solid;
    }
    textState_ = id == ToolId::Text ? TextState::Waiting : TextState::None;
    placement_ = {};
    stateChanged();
}

void Board::setSize(int size)
{
    size_ = std::clamp(size, 1, 20);
    if (*toolInfo(toolId_).sizeKey)
        sizes_[toolId_] = size_;
}

int Board::toolSize(ToolId id) const
{
    const auto it = sizes_.find(id);
    return it == sizes_.end() ? 1 : it->second;
}

void Board::setToolSize(ToolId id, int size)
{
    sizes_[id] = std::clamp(size, 1, 20);
    if (id == toolId_)
        size_ = sizes_[id];
}

QRgb Board::strokeColour() const
{
    return stroke_.button == Qt::RightButton ? secondary_ : primary_;
}

QRgb Board::heldColour() const
{
    if (stroke_.held & Qt::LeftButton)
        return primary_;
    if (stroke_.held & Qt::RightButton)
        return secondary_;
    return strokeColour();
}

paint::RasterCanvas* Board::canvas()
{
    if (!writablePicture())
        return nullptr;
    canvas_.setPicture(&picture_);
    return &canvas_;
}

QImage* Board::writablePicture()
{
    if (picture_.isNull() || !undo_.makeWritable(picture_))
        return nullptr;
    return &picture_;
}

void Board::pushUndo()
{
    if (hasPicture())
        undo_.push(picture_);
}

void Board::takeSample(QPoint p)
{
    // A drag past the board maps outside the picture: nothing to sample.
    if (picture_.rect().contains(p))
        sample_ = picture_.pixel(p);
}

void Board::press(QPoint view, Qt::MouseButton button)
{
    if (!hasPicture())
        return;
    // A second button pressed during a stroke starts a new one: the old
    // one's preview goes first.
    endStroke();
    if (drawOnce_)
        undo();
    if (!selection_.active)
        pushUndo();
    pressView_ = view;
    const QPoint p = toPicture(view, scale_);
    stroke_.start = stroke_.end = p;
    status_ = pressStatus(p);
    stroke_.drawing = true;
    stroke_.button = button;
    stroke_.held = button;
    if (toolId_ == ToolId::Pick)
        takeSample(p);
    tool_->press(*this, p);
}

void Board::move(QPoint view, Qt::MouseButtons held)
{
    if (!hasPicture())
        return;
    const QPoint p = toPicture(view, scale_);
    if (stroke_.drawing)
        stroke_.held = held;
    if (!stroke_.drawing) {
        status_ = hoverStatus(p);
    } else {
        switch (tool_->status()) {
        case StrokeStatus::Point: status_ = pointStatus(p); break;
        case StrokeStatus::Span: status_ = spanStatus(stroke_.start, p); break;
        case StrokeStatus::Keep: break;
        }
    }
    if (toolId_ == ToolId::Pick)
        takeSample(p);
    if (stroke_.drawing) {
        tool_->move(*this, p);
        stroke_.end = p;
    }
}

void Board::release(QPoint view, Qt::MouseButton button)
{
    if (!hasPicture() || !stroke_.drawing || button != stroke_.button)
        return;
    const QPoint p = toPicture(view, scale_);
    stroke_.held = Qt::NoButton;
    tool_->release(*this, p);
    stroke_.end = p;
    status_.clear();
    stroke_.drawing = false;
}

void Board::endStroke()
{
    if (!stroke_.drawing)
        return;
    tool_->cancel(*this);
    stroke_.drawing = false;
}

void Board::undo()
{
    endStroke();
    std::optional<QImage> previous = undo_.undo();
    if (!previous)
        return;
    const bool resized = previous->size() != picture_.size();
    undo_.recycle(std::move(picture_));
    picture_ = std::move(*previous);
    // A selection's snapshot of another size no longer fits the picture.
    if (resized && selection_.active)
        endSelection(false);
    dirty_ = picture_.rect();
    stateChanged();
}

bool Board::setDrawOnce(bool down)
{
    if (down && !hasPicture())
        return drawOnce_ = false;
    if (down && !drawOnce_)
        pushUndo();
    drawOnce_ = down;
    stateChanged();
    return drawOnce_;
}

void Board::setSelecting(bool down)
{
    if (down == selection_.active || (down && !hasPicture()))
        return;
    if (down) {
        pushUndo();
        selection_ = {};
        selection_.active = true;
        selection_.snapshot = picture_;
        chooseTool(ToolId::Select);
    } else {
        endSelection(true);
        chooseTool(ToolId::None);
    }
    dirty_ = picture_.rect();
    stateChanged();
}

QRect Board::selection() const
{
    if (!selection_.active)
        return {};
    const QPoint a = selection_.a, b = selection_.b;
    return QRect(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()), std::abs(a.y() - b.y()));
}

void Board::endSelection(bool keepChanges)
{
    if (!selection_.active)
        return;
    if (keepChanges && selection_.snapshot.size() == picture_.size()) {
        if (QImage* pic = writablePicture())
            copyOutside(selection_.snapshot, *pic, selection().intersected(pic->rect()));
    }
    selection_ = {};
    dirty_ = picture_.rect();
}

void Board::selectFrom(QPoint p)
{
    const QRect before = selection();
    selection_.dragging = true;
    selection_.a = selection_.b = p;
    // What was drawn outside the last rectangle stays from here on.
    selection_.snapshot = picture_;
    dirty_ |= before.adjusted(-2, -2, 2, 2) | QRect(p, QSize(1, 1));
}

void Board::selectTo(QPoint p)
{
    const QRect before = selection();
    selection_.b = p;
    const int m = std::max(2, int(scale_ * 2) + 1);
    dirty_ |= (before | selection()).adjusted(-m, -m, m, m);
}

void Board::selectEnd(QPoint p)
{
    selectTo(p);
    const QRect r = selection();
    selection_.a = r.topLeft();
    selection_.b = r.topLeft() + QPoint(r.width(), r.height());
    selection_.dragging = false;
    stateChanged();
}

void Board::placeText(const TextLabel& label, QPoint view)
{
    if (!hasPicture())
        return;
    pushUndo();
    text_ = label;
    textAt_ = view;
    textState_ = TextState::Placed;
    stateChanged();
}

void Board::commitText()
{
    if (textState_ != TextState::Placed)
        return;
    if (QImage* pic = writablePicture()) {
        const QPoint at = toPicture(textAt_, scale_);
        dirty_ |= drawLabel(*pic, at, text_);
    }
    textState_ = TextState::None;
    chooseTool(ToolId::None);
}

void Board::startPlacement(const QImage& image)
{
    if (!hasPicture() || image.isNull())
        return;
    chooseTool(ToolId::None);
    placement_ = image.convertToFormat(QImage::Format_RGB32);
    stateChanged();
}

void Board::confirmPlacement(QRect panel)
{
    if (placement_.isNull())
        return;
    // The panel's 3-pixel frame: the image fills what is inside it.
    const QSize client = panel.size() - QSize(6, 6);
    const QSize size(paint::roundEven(client.width() * scale_), paint::roundEven(client.height() * scale_));
    const QPoint at(paint::roundEven(panel.left() * scale_ + 2), paint::roundEven(panel.top() * scale_ + 2));
    QImage* pic = size.isEmpty() ? nullptr : writablePicture();
    if (pic) {
        const QImage scaled = placement_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // The colour of the image's bottom-left pixel counts as transparent.
        const QRgb key = placement_.pixel(0, placement_.height() - 1);
        const QRect area = QRect(at, size).intersected(pic->rect());
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(scaled.constScanLine(y - at.y()));
            auto* dst = reinterpret_cast<QRgb*>(pic->scanLine(y));
            for (int x = area.left(); x <= area.right(); ++x)
                if (src[x - at.x()] != key)
                    dst[x] = src[x - at.x()];
        }
        dirty_ |= area;
    }
    placement_ = {};
    stateChanged();
}

QRect Board::takeDirty()
{
    const QRect d = dirty_.intersected(picture_.rect());
    dirty_ = {};
    return d;
}

} // namespace mirovex::editor
