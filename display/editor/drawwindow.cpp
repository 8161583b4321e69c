#include "display/editor/drawwindow.h"

#include "common/ui/dialogs.h"
#include "display/editor/boardview.h"

#include <QButtonGroup>
#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

static void loadEditorResources() { Q_INIT_RESOURCE(editor); }

namespace mirovex::editor {

namespace {

struct CursorSpot {
    const char* name;
    int x, y;
};
// Where each cursor picture points: the tip of a pen or dropper, the
// centre of a cross.
const CursorSpot kCursors[] = {
    {"KANTA", 4, 28},  {"KAPALKA", 2, 29}, {"PRSILEC", 4, 4},    {"RECT", 15, 15},  {"SVINCNIK", 2, 29},
    {"RAVNACRTA", 15, 15}, {"KROG", 15, 15}, {"RADIRKA", 15, 15}, {"PORAVNAVA", 15, 15}, {"MEHCALEC", 15, 15},
    {"ROUND", 15, 15}, {"CURVE", 15, 15}, {"MARKER", 2, 29},
};

QIcon brushIcon(paint::BrushStyle style)
{
    QPixmap pm(18, 18);
    pm.fill(Qt::white);
    QPainter p(&pm);
    const Qt::BrushStyle qt[] = {Qt::SolidPattern, Qt::NoBrush,        Qt::HorPattern,   Qt::VerPattern,
                                 Qt::FDiagPattern, Qt::BDiagPattern,   Qt::CrossPattern, Qt::DiagCrossPattern};
    p.setPen(Qt::black);
    p.setBrush(QBrush(Qt::black, qt[int(style)]));
    p.drawRect(1, 1, 15, 15);
    return QIcon(pm);
}

QIcon noToolIcon()
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(6, 3);
    arrow.lineTo(6, 19);
    arrow.lineTo(10, 15);
    arrow.lineTo(13, 21);
    arrow.lineTo(15, 20);
    arrow.lineTo(12, 14);
    arrow.lineTo(17, 14);
    arrow.closeSubpath();
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    return QIcon(pm);
}

QFrame* colourPanel(const char* name, QSize size, QWidget* parent)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFixedSize(size);
    f->setFrameShape(QFrame::Box);
    f->setAutoFillBackground(true);
    return f;
}

void paintPanel(QFrame* f, QRgb c)
{
    QPalette pal = f->palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(c));
    f->setPalette(pal);
}

} // namespace

Tfdraw::Tfdraw(QWidget* parent) : QWidget(parent, Qt::Window)
{
    loadEditorResources();
    for (const CursorSpot& c : kCursors)
        cursors_.emplace(QLatin1String(c.name),
                         QCursor(QPixmap(QStringLiteral(":/mirovex/cursors/%1.png").arg(QLatin1String(c.name))), c.x, c.y));
    setObjectName(QStringLiteral("Tfdraw"));
    setWindowTitle(QStringLiteral("Mirovex - Draw"));
    resize(1100, 760);

    view_ = new BoardView(board_, this);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(makeTopBar());

    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->addWidget(makeToolbox());
    auto* area = new QWidget(this); // `Panel5`, black under the board
    area->setObjectName(QStringLiteral("Panel5"));
    area->setAutoFillBackground(true);
    QPalette black = area->palette();
    black.setColor(QPalette::Window, Qt::black);
    area->setPalette(black);
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->setSpacing(0);
    confirmBar_ = new QWidget(area);
    confirmBar_->setObjectName(QStringLiteral("Panel105"));
    auto* confirmLayout = new QHBoxLayout(confirmBar_);
    auto* confirm = new QToolButton(confirmBar_);
    confirm->setObjectName(QStringLiteral("SpeedButton10"));
    confirm->setText(QStringLiteral("Confirm"));
    confirmLayout->addWidget(confirm);
    confirmLayout->addStretch();
    confirmBar_->setAutoFillBackground(true);
    confirmBar_->hide();
    areaLayout->addWidget(confirmBar_);
    areaLayout->addWidget(view_, 1);
    middle->addWidget(area, 1);
    middle->addWidget(makeColourPanel());
    root->addLayout(middle, 1);

    auto* statusBar = new QFrame(this);
    statusBar->setObjectName(QStringLiteral("Panel3"));
    statusBar->setFrameShape(QFrame::StyledPanel);
    auto* statusLayout = new QHBoxLayout(statusBar);
    statusLayout->setContentsMargins(6, 2, 6, 2);
    status_ = new QLabel(statusBar);
    status_->setObjectName(QStringLiteral("pd1"));
    status_->setMinimumWidth(320);
    statusLayout->addWidget(status_);
    statusLayout->addStretch();
    root->addWidget(statusBar);

    connect(confirm, &QToolButton::clicked, this, [this] {
        board_.confirmPlacement(view_->placementOnBoard());
        view_->refresh();
        sync();
    });
    connect(view_, &BoardView::boardTouched, this, [this] {
        sync();
        showSample();
    });
    connect(view_, &BoardView::boardMoved, this, [this] {
        status_->setText(board_.status());
        showSample();
    });
    board_.onStateChanged = [this] {
        if (!syncing_)
            QTimer::singleShot(0, this, [this] {
                view_->refresh();
                sync();
            });
    };
    board_.onTextWanted = [this](QPoint v) { askForText(v); };

    // `Timer2`: the status line empties once the mouse has left the board.
    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(150);
    connect(statusTimer_, &QTimer::timeout, this, [this] {
        const QPoint at = view_->viewport()->mapFromGlobal(QCursor::pos());
        if (!board_.drawing() && !QRect(view_->origin(), view_->boardSize()).contains(at) && !board_.status().isEmpty()) {
            board_.clearStatus();
            status_->clear();
        }
    });
    statusTimer_->start();

    prompt_ = [this]() -> std::optional<QString> {
        QInputDialog dialog(this);
        dialog.setWindowTitle(QStringLiteral("Mirovex"));
        dialog.setLabelText(QStringLiteral("Text:"));
        dialog.setInputMode(QInputDialog::TextInput);
        if (ui::runModal(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    };
    sync();
}

Tfdraw::~Tfdraw() = default;

QWidget* Tfdraw::makeTopBar()
{
    auto* bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("PanelA"));
    bar->setFixedHeight(41);
    auto* l = new QHBoxLayout(bar);
    l->setContentsMargins(6, 2, 6, 2);

    auto* undo = new QToolButton(bar);
    undo->setObjectName(QStringLiteral("bbundo"));
    undo->setText(QStringLiteral("Undo"));
    connect(undo, &QToolButton::clicked, this, [this] {
        board_.undo();
        view_->refresh();
        sync();
    });
    drawOnce_ = new QToolButton(bar);
    drawOnce_->setObjectName(QStringLiteral("sbFlash"));
    drawOnce_->setText(QStringLiteral("Draw Once"));
    drawOnce_->setCheckable(true);
    connect(drawOnce_, &QToolButton::clicked, this, [this](bool down) {
        drawOnce_->setChecked(board_.setDrawOnce(down));
    });
    grid_ = new QToolButton(bar);
    grid_->setObjectName(QStringLiteral("sbmreza"));
    grid_->setText(QStringLiteral("Grid"));
    grid_->setCheckable(true);
    connect(grid_, &QToolButton::toggled, this, [this](bool on) { view_->setGrid(on); });
    l->addWidget(undo);
    l->addWidget(drawOnce_);
    l->addWidget(grid_);
    l->addSpacing(20);

    // `GroupBox1`: the size slider, its number and the bar as thick as the size.
    auto* sizeGroup = new QWidget(bar);
    sizeGroup->setObjectName(QStringLiteral("GroupBox1"));
    auto* sl = new QHBoxLayout(sizeGroup);
    sl->setContentsMargins(0, 0, 0, 0);
    size_ = new QSlider(Qt::Horizontal, sizeGroup);
    size_->setObjectName(QStringLiteral("tbr"));
    size_->setRange(1, 20);
    size_->setFixedWidth(140);
    sizeText_ = new QLineEdit(sizeGroup);
    sizeText_->setObjectName(QStringLiteral("pensize"));
    sizeText_->setReadOnly(true);
    sizeText_->setFixedWidth(34);
    sizeFrame_ = new QFrame(sizeGroup);
    sizeFrame_->setObjectName(QStringLiteral("Panel11"));
    sizeFrame_->setFixedSize(40, 26);
    sizeFrame_->setFrameShape(QFrame::Box);
    sizeBar_ = new QFrame(sizeFrame_);
    sizeBar_->setObjectName(QStringLiteral("Panel12"));
    sizeBar_->setAutoFillBackground(true);
    QPalette pb = sizeBar_->palette();
    pb.setColor(QPalette::Window, Qt::black);
    sizeBar_->setPalette(pb);
    sl->addWidget(new QLabel(QStringLiteral("Size"), sizeGroup));
    sl->addWidget(size_);
    sl->addWidget(sizeText_);
    sl->addWidget(sizeFrame_);
    connect(size_, &QSlider::valueChanged, this, [this](int v) {
        if (syncing_)
            return;
        board_.setSize(v);
        sync();
    });
    l->addWidget(sizeGroup);
    l->addStretch();
    return bar;
}

QWidget* Tfdraw::makeToolbox()
{
    toolbox_ = new QFrame(this);
    toolbox_->setObjectName(QStringLiteral("Panelc"));
    toolbox_->setStyleSheet(QStringLiteral("QToolButton:checked { border: 2px solid red; background: #ffd0d0; }"));
    auto* g = new QGridLayout(toolbox_);
    g->setContentsMargins(4, 4, 4, 4);
    g->setSpacing(2);
    tools_ = new QButtonGroup(this);
    tools_->setExclusive(true);

    int n = 0;
    const ToolInfo* table = toolTable(&n);
    int at = 0;
    auto place = [&](QToolButton* b) {
        b->setFixedSize(34, 34);
        b->setIconSize(QSize(26, 26));
        g->addWidget(b, at / 2, at % 2);
        ++at;
    };
    for (int i = 0; i < n; ++i) {
        const ToolInfo& t = table[i];
        auto* b = new QToolButton(toolbox_);
        b->setObjectName(QLatin1String(t.button));
        b->setToolTip(QLatin1String(t.hint));
        b->setCheckable(true);
        if (t.id == ToolId::None)
            b->setIcon(noToolIcon());
        else
            b->setIcon(QIcon(QStringLiteral(":/mirovex/cursors/%1.png").arg(QLatin1String(t.cursor))));
        place(b);
        if (t.id == ToolId::Select) {
            // A toggle of its own: down starts a selection, up ends it.
            select_ = b;
            connect(b, &QToolButton::clicked, this, [this](bool down) {
                board_.setSelecting(down);
                view_->refresh();
                sync();
            });
            continue;
        }
        toolButtons_[t.id] = b;
        tools_->addButton(b);
        connect(b, &QToolButton::clicked, this, [this, id = t.id] { chooseTool(id); });
    }
    // The commands of the image dialogs and effects, shown until they come.
    const struct {
        const char* name;
        const char* text;
        const char* hint;
    } commands[] = {
        {"sb11", "FH", "Flip Horizontally"},       {"sb12", "FV", "Flip Vertically"},
        {"sb15", "B/C", "Adjust Brightness / Contrast"}, {"r1", "Sw", "Swap Colors"},
        {"SpeedButton5", "Sp", "Splash Colors"},   {"SpeedButton14", "Rot", "Rotate"},
    };
    for (const auto& c : commands) {
        auto* b = new QToolButton(toolbox_);
        b->setObjectName(QLatin1String(c.name));
        b->setText(QLatin1String(c.text));
        b->setToolTip(QLatin1String(c.hint));
        b->setEnabled(false);
        place(b);
    }

    // The eight brushes, one handler for all.
    brushes_ = new QButtonGroup(this);
    brushes_->setExclusive(true);
    const char* names[] = {"SolidBrush",     "ClearBrush",     "HorizontalBrush", "VerticalBrush",
                           "FDiagonalBrush", "BDiagonalBrush", "CrossBrush",      "DiagCrossBrush"};
    for (int i = 0; i < 8; ++i) {
        auto* b = new QToolButton(toolbox_);
        b->setObjectName(QLatin1String(names[i]));
        b->setCheckable(true);
        b->setIcon(brushIcon(paint::BrushStyle(i)));
        b->setFixedSize(34, 24);
        brushes_->addButton(b, i);
        g->addWidget(b, at / 2, at % 2);
        ++at;
    }
    connect(brushes_, &QButtonGroup::idClicked, this, [this](int id) {
        board_.setBrushStyle(paint::BrushStyle(id));
        sync();
    });
    g->setRowStretch(at / 2 + 1, 1);
    return toolbox_;
}

QWidget* Tfdraw::makeColourPanel()
{
    colours_ = new QFrame(this);
    colours_->setObjectName(QStringLiteral("Panel4"));
    colours_->setFixedWidth(90);
    auto* l = new QVBoxLayout(colours_);
    l->setContentsMargins(8, 8, 8, 8);
    primary_ = colourPanel("pTbarva", QSize(61, 43), colours_);
    secondary_ = colourPanel("pObarva", QSize(61, 35), colours_);
    primary_->setCursor(cursor("KAPALKA"));
    secondary_->setCursor(cursor("KAPALKA"));
    l->addWidget(primary_);
    l->addWidget(secondary_);
    l->addSpacing(12);
    sample_ = colourPanel("PanelRGB", QSize(61, 43), colours_);
    paintPanel(sample_, 0xff808080);
    noSample_ = new QLabel(sample_);
    noSample_->setObjectName(QStringLiteral("imgNislike"));
    QPixmap none(61, 43);
    none.fill(QColor(0x80, 0x80, 0x80));
    {
        QPainter p(&none);
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 2));
        p.drawLine(0, 0, 60, 42);
        p.drawLine(0, 42, 60, 0);
    }
    noSample_->setPixmap(none);
    noSample_->setGeometry(0, 0, 61, 43);
    l->addWidget(sample_);
    red_ = new QLabel(QStringLiteral(" "), colours_);
    red_->setObjectName(QStringLiteral("RLabel"));
    green_ = new QLabel(QStringLiteral(" "), colours_);
    green_->setObjectName(QStringLiteral("GLabel"));
    blue_ = new QLabel(QStringLiteral(" "), colours_);
    blue_->setObjectName(QStringLiteral("bLabel"));
    l->addWidget(red_);
    l->addWidget(green_);
    l->addWidget(blue_);
    l->addStretch();
    return colours_;
}

QCursor Tfdraw::cursor(const char* name) const
{
    const auto it = cursors_.find(QLatin1String(name));
    return it == cursors_.end() ? QCursor(Qt::ArrowCursor) : it->second;
}

QAbstractButton* Tfdraw::button(const QString& name) const
{
    return findChild<QAbstractButton*>(name);
}

void Tfdraw::start(const QImage& shown)
{
    if (shown.isNull())
        return;
    board_.start(shown);
    view_->pictureChanged();
    sync();
}

void Tfdraw::chooseTool(ToolId id)
{
    board_.chooseTool(id);
    view_->refresh();
    sync();
}

void Tfdraw::askForText(QPoint view)
{
    // Asked once the press handler has returned: a dialog opened inside it
    // would take the release that belongs to the board.
    QTimer::singleShot(0, this, [this, view] {
        const std::optional<QString> text = prompt_ ? prompt_() : std::nullopt;
        if (!text || text->trimmed().isEmpty()) {
            chooseTool(ToolId::None);
            return;
        }
        board_.placeText(defaultTextLabel(*text), view);
        view_->refresh();
        sync();
    });
}

void Tfdraw::showSample()
{
    if (board_.tool() != ToolId::Pick || !board_.sample())
        return;
    const QRgb c = *board_.sample();
    noSample_->hide();
    paintPanel(sample_, c);
    red_->setText(QStringLiteral("R: %1").arg(qRed(c)));
    green_->setText(QStringLiteral("G: %1").arg(qGreen(c)));
    blue_->setText(QStringLiteral("B: %1").arg(qBlue(c)));
}

void Tfdraw::sync()
{
    syncing_ = true;
    const bool picture = board_.hasPicture();
    toolbox_->setEnabled(picture);
    colours_->setEnabled(picture);

    const ToolId tool = board_.tool();
    if (auto it = toolButtons_.find(tool); it != toolButtons_.end()) {
        it->second->setChecked(true);
    } else {
        tools_->setExclusive(false);
        for (auto& [id, b] : toolButtons_)
            b->setChecked(false);
        tools_->setExclusive(true);
    }
    select_->setChecked(board_.selecting());
    drawOnce_->setChecked(board_.drawOnce());
    if (QAbstractButton* b = brushes_->button(int(board_.brushStyle())))
        b->setChecked(true);

    size_->setValue(board_.size());
    sizeText_->setText(QStringLiteral(" %1").arg(board_.size()));
    const int h = board_.size();
    sizeBar_->setGeometry(4, (sizeFrame_->height() - h) / 2, sizeFrame_->width() - 8, h);

    paintPanel(primary_, board_.primary());
    paintPanel(secondary_, board_.secondary());
    status_->setText(board_.status());
    if (cursorShown_ != QLatin1String(toolInfo(tool).cursor)) {
        cursorShown_ = QLatin1String(toolInfo(tool).cursor);
        view_->setBoardCursor(cursor(toolInfo(tool).cursor));
    }
    confirmBar_->setVisible(board_.placing());
    syncing_ = false;
}

} // namespace mirovex::editor
