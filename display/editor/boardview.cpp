#include "display/editor/boardview.h"

#include "display/editor/boardgeometry.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace mirovex::editor {

namespace {
constexpr QRgb kBoardColour = 0xff2d2d2d; // the colour value 2960685
constexpr QRgb kGridColour = 0xffc0c0c0;  // 12632256
constexpr int kFrame = 3;                 // the placement panel's border
} // namespace

// --- the text label

TextLabelWidget::TextLabelWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Ltext"));
    setCursor(Qt::SizeAllCursor);
    hide();
}

void TextLabelWidget::setLabel(const TextLabel& label, double zoom)
{
    label_ = label;
    zoom_ = zoom;
    const QSize s = labelSize(label);
    resize(int(std::ceil(s.width() * zoom)), int(std::ceil(s.height() * zoom)));
    update();
}

void TextLabelWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.scale(zoom_, zoom_);
    paintLabel(p, QPoint(0, 0), label_);
}

void TextLabelWidget::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        grab_ = e->position().toPoint();
}

void TextLabelWidget::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton)
        emit dragged(mapToParent(e->position().toPoint()) - grab_);
}

// --- the placement panel

PlacementPanel::PlacementPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PREMIK"));
    setMouseTracking(true);
    hide();
}

void PlacementPanel::setImage(const QImage& image)
{
    image_ = image;
    resize(image.size() + QSize(2 * kFrame, 2 * kFrame));
    update();
}

void PlacementPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::red);
    // `imagepremik`, stretched to the client area.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect().adjusted(kFrame, kFrame, -kFrame, -kFrame), image_);
}

void PlacementPanel::mousePressEvent(QMouseEvent* e)
{
    grab_ = mapToParent(e->position().toPoint());
    start_ = geometry();
    const QPoint p = e->position().toPoint();
    edges_ = {};
    if (p.x() >= width() - 2 * kFrame)
        edges_ |= Qt::RightEdge;
    if (p.y() >= height() - 2 * kFrame)
        edges_ |= Qt::BottomEdge;
}

void PlacementPanel::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    if (!(e->buttons() & Qt::LeftButton)) {
        const bool r = p.x() >= width() - 2 * kFrame, b = p.y() >= height() - 2 * kFrame;
        setCursor(r && b ? Qt::SizeFDiagCursor : r ? Qt::SizeHorCursor : b ? Qt::SizeVerCursor : Qt::SizeAllCursor);
        return;
    }
    const QPoint delta = mapToParent(p) - grab_;
    if (!edges_) {
        move(start_.topLeft() + delta);
        return;
    }
    QSize s = start_.size();
    if (edges_ & Qt::RightEdge)
        s.setWidth(std::max(2 * kFrame + 1, s.width() + delta.x()));
    if (edges_ & Qt::BottomEdge)
        s.setHeight(std::max(2 * kFrame + 1, s.height() + delta.y()));
    resize(s);
}

// --- the board

BoardView::BoardView(Board& board, QWidget* parent) : QAbstractScrollArea(parent), board_(board)
{
    setObjectName(QStringLiteral("skrol"));
    viewport()->setObjectName(QStringLiteral("tabla"));
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::NoFrame);
    text_ = new TextLabelWidget(viewport());
    placement_ = new PlacementPanel(viewport());
    connect(text_, &TextLabelWidget::dragged, this, [this](QPoint topLeft) {
        board_.moveText(toBoard(topLeft));
        text_->move(topLeft);
    });
}

QSize BoardView::boardSize() const
{
    return editor::boardSize(units_, level_);
}

QPoint BoardView::origin() const
{
    const QPoint centred = boardOrigin(boardSize(), viewport()->size());
    return centred - QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void BoardView::pictureChanged()
{
    if (board_.hasPicture())
        units_ = startUnits(board_.picture().size());
    level_ = kStartLevel;
    layoutBoard();
}

void BoardView::setLevel(int level)
{
    level_ = std::clamp(level, 1, 100);
    layoutBoard();
}

void BoardView::layoutBoard()
{
    const QSize b = boardSize();
    board_.setViewScale(viewScale(board_.picture().size(), b));
    const QSize v = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, b.width() - v.width()));
    verticalScrollBar()->setRange(0, std::max(0, b.height() - v.height()));
    horizontalScrollBar()->setPageStep(v.width());
    verticalScrollBar()->setPageStep(v.height());
    placeChildren();
    repaintAll();
}

void BoardView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    layoutBoard();
}

void BoardView::scrollContentsBy(int, int)
{
    placeChildren();
    repaintAll();
}

void BoardView::setGrid(bool on)
{
    grid_ = on;
    repaintAll();
}

void BoardView::repaintAll()
{
    viewport()->update();
}

void BoardView::setBoardCursor(const QCursor& cursor)
{
    viewport()->setCursor(cursor);
}

QRect BoardView::placementOnBoard() const
{
    return placement_->geometry().translated(-origin());
}

QRect BoardView::toViewport(QRect r) const
{
    const double f = board_.viewScale();
    const QRectF v(r.x() / f, r.y() / f, r.width() / f, r.height() / f);
    // The smooth filter reaches a pixel beyond what changed.
    return v.toAlignedRect().adjusted(-2, -2, 2, 2).translated(origin());
}

void BoardView::placeChildren()
{
    const double zoom = 1.0 / board_.viewScale();
    textShown_ = board_.textState() == Board::TextState::Placed;
    if (textShown_) {
        text_->setLabel(board_.text(), zoom);
        text_->move(origin() + board_.textPosition());
        text_->show();
        text_->raise();
    } else {
        text_->hide();
    }
    if (board_.placing() && !placementShown_) {
        placement_->setImage(board_.placement());
        // Moved to the top edge of the view, its left where it was.
        placement_->move(placement_->x(), std::max(0, origin().y()));
        placement_->show();
        placement_->raise();
    } else if (!board_.placing()) {
        placement_->hide();
    }
    placementShown_ = board_.placing();
}

void BoardView::refresh()
{
    const QRect d = board_.takeDirty();
    if (!d.isEmpty())
        viewport()->update(toViewport(d));
    if (textShown_ != (board_.textState() == Board::TextState::Placed) || placementShown_ != board_.placing())
        placeChildren();
}

void paintBoard(QPainter& p, const Board& board, QSize boardSize, QRect area, bool withGrid)
{
    area &= QRect(QPoint(0, 0), boardSize);
    if (area.isEmpty() || !board.hasPicture())
        return;
    p.fillRect(area, QColor::fromRgb(kBoardColour));
    const QImage& picture = board.picture();
    const double f = board.viewScale();

    // The picture's pixels under the area, with a margin for the filter.
    const QRect source =
        QRectF(area.x() * f, area.y() * f, area.width() * f, area.height() * f).toAlignedRect().adjusted(-2, -2, 2, 2) &
        picture.rect();
    p.save();
    p.setClipRect(area, Qt::IntersectClip);
    p.scale(1.0 / f, 1.0 / f);
    p.setRenderHint(QPainter::SmoothPixmapTransform, f != 1.0);
    if (board.selecting()) {
        // Outside the rectangle the snapshot, inside it the picture: only
        // what is drawn inside the selection shows.
        const QImage& snapshot = board.selectionSnapshot();
        if (snapshot.size() == picture.size())
            p.drawImage(source.topLeft(), snapshot, source);
        p.setClipRect(board.selection(), Qt::IntersectClip);
    }
    p.drawImage(source.topLeft(), picture, source);
    p.restore();

    p.save();
    p.setClipRect(area, Qt::IntersectClip);
    if (withGrid) {
        const Grid g = editor::grid(boardSize, f);
        p.setPen(QPen(QColor::fromRgb(kGridColour), 1));
        for (int x : g.columns)
            p.drawLine(x, 0, x, boardSize.height());
        for (int y : g.rows)
            p.drawLine(0, y, boardSize.width(), y);
        p.setPen(QPen(Qt::red, 1));
        p.drawLine(0, g.middleY, boardSize.width(), g.middleY);
        p.drawLine(g.middleX, 0, g.middleX, boardSize.height());
    }
    if (board.selecting() && (board.selectionDragging() || !board.selection().isEmpty())) {
        const QRect s = board.selection();
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.setPen(QPen(Qt::black, 1, Qt::DashDotDotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(s.x() / f, s.y() / f, s.width() / f, s.height() / f));
    }
    p.restore();
}

void BoardView::paintEvent(QPaintEvent* e)
{
    QPainter p(viewport());
    p.fillRect(e->rect(), Qt::black);
    const QRect boardRect(origin(), boardSize());
    p.translate(boardRect.topLeft());
    paintBoard(p, board_, boardRect.size(), e->rect().translated(-boardRect.topLeft()), grid_);
}

void BoardView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton)
        return;
    // Only the board takes presses; the area around it is not the picture.
    if (!QRect(origin(), boardSize()).contains(e->position().toPoint()))
        return;
    board_.press(toBoard(e->position().toPoint()), e->button());
    refresh();
    emit boardTouched();
}

void BoardView::mouseMoveEvent(QMouseEvent* e)
{
    if (!board_.drawing() && !QRect(origin(), boardSize()).contains(e->position().toPoint()))
        return;
    board_.move(toBoard(e->position().toPoint()), e->buttons());
    refresh();
    emit boardMoved();
}

void BoardView::mouseReleaseEvent(QMouseEvent* e)
{
    board_.release(toBoard(e->position().toPoint()), e->button());
    refresh();
    emit boardTouched();
}

} // namespace mirovex::editor
