#include "display/selection/windowpicker.h"

#include "platform/monitors.h"
#include "common/settings/settingsfile.h"
#include "display/selection/windowrows.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace mirovex {

namespace {
constexpr int kRowHeight = 70;

constexpr int kFlashPen = 4;

// A row, and every part of it, chooses on a click.
class ClickRow : public QWidget {
public:
    std::function<void()> onClick;
    using QWidget::QWidget;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick)
            onClick();
    }
};

QLabel* label(QWidget* row, const QString& text, const QRect& at, quint32 colour, bool bold = false)
{
    auto* l = new QLabel(text, row);
    l->setGeometry(at);
    QFont f(QStringLiteral("Segoe UI"));
    f.setPixelSize(11);
    f.setBold(bold);
    l->setFont(f);
    l->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colourFromValue(colour).name()));
    // Clicks go through to the row.
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}

QIcon findGlyph()
{
    QPixmap pm(28, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x43, 0x4A, 0x54), 2));
    p.drawEllipse(QPointF(12, 9), 5.5, 5.5);
    p.drawLine(QPointF(16, 13), QPointF(21, 18));
    return QIcon(pm);
}
} // namespace

FrameFlash::FrameFlash()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("fRisiOkno"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QWidget::hide);
}

void FrameFlash::flash(const QRect& frame, int ms)
{
    // One at a time: a second Find while one shows changes nothing.
    if (isVisible() || frame.width() <= 0 || frame.height() <= 0)
        return;
    setGeometry(frame);
    const QRect all(QPoint(0, 0), frame.size());
    setMask(QRegion(all).subtracted(QRegion(all.adjusted(kFlashPen, kFlashPen, -kFlashPen, -kFlashPen))));
    show();
    raise();
    timer_.start(ms);
}

void FrameFlash::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), Qt::red); }

TFselectWindow::TFselectWindow(QList<platform::WindowInfo> rows) : rows_(std::move(rows))
{
    setObjectName(QStringLiteral("FselectWindow"));
    setWindowTitle(QStringLiteral("Mirovex - Select applications area to display"));
    setFixedSize(645, 487);
    setStyleSheet(QStringLiteral("QDialog#FselectWindow { background: %1; }").arg(colourFromValue(15987699).name()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QLabel(QStringLiteral("   Select Window "), this);
    header->setFixedHeight(33);
    QFont hf(QStringLiteral("Segoe UI"));
    hf.setPixelSize(14);
    header->setFont(hf);
    header->setStyleSheet(QStringLiteral("background: %1; color: white;").arg(colourFromValue(5524035).name()));
    column->addWidget(header);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: white; }"));
    // Eight pixels a notch, as the list scrolls by the row's parts.
    scroll_->verticalScrollBar()->setSingleStep(8);
    auto* list = new QWidget;
    auto* rowsColumn = new QVBoxLayout(list);
    rowsColumn->setContentsMargins(0, 0, 0, 0);
    rowsColumn->setSpacing(0);
    for (int i = 0; i < rows_.size(); ++i) {
        QWidget* row = makeRow(i);
        rowWidgets_.append(row);
        rowsColumn->addWidget(row);
    }
    rowsColumn->addStretch(1);
    scroll_->setWidget(list);
    column->addWidget(scroll_, 1);

    auto* footer = new QWidget(this);
    footer->setFixedHeight(40);
    footer->setStyleSheet(QStringLiteral("background: %1;").arg(colourFromValue(5524035).name()));
    auto* close = new QPushButton(QStringLiteral("Close"), footer);
    close->setObjectName(QStringLiteral("close"));
    close->setStyleSheet(QStringLiteral("QPushButton { background: white; color: black; border: 1px solid #8a8a8a; padding: 3px 14px; }"));
    close->move(645 - 100, 8);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    column->addWidget(footer);

    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

QWidget* TFselectWindow::makeRow(int index)
{
    const platform::WindowInfo& w = rows_[index];
    auto* row = new ClickRow;
    row->setObjectName(QStringLiteral("row%1").arg(index));
    row->setFixedHeight(kRowHeight);
    row->setCursor(Qt::PointingHandCursor);
    row->setAutoFillBackground(true);
    row->setStyleSheet(QStringLiteral("background: white;"));
    const std::uint32_t id = w.id;
    row->onClick = [this, id] {
        choice_ = id;
        accept();
    };

    auto* icon = new QLabel(row);
    icon->setGeometry(0, (kRowHeight - 32) / 2, 42, 32);
    icon->setAlignment(Qt::AlignCenter);
    const QIcon fallback = QIcon::fromTheme(w.wmClass.toLower(), QIcon::fromTheme(QStringLiteral("application-x-executable")));
    const QPixmap pm = !w.icon.isNull() ? QPixmap::fromImage(w.icon.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation))
                                        : fallback.pixmap(32, 32);
    icon->setPixmap(pm);
    icon->setToolTip(w.title);
    icon->setAttribute(Qt::WA_TransparentForMouseEvents);

    QLabel* title = label(row, w.title.toUpper(), QRect(60, 13, 600 - 60 - 60, 13), 0, true);
    title->setToolTip(w.title);
    title->setObjectName(QStringLiteral("title"));
    QLabel* path = label(row, w.executable, QRect(60, 30, 645 - 60 - 80, 18), 7891045);
    path->setObjectName(QStringLiteral("path"));
    path->setAlignment(path->fontMetrics().horizontalAdvance(w.executable) > path->width() ? Qt::AlignLeft | Qt::AlignVCenter
                                                                                          : Qt::AlignCenter);
    const QRect inFrame = platform::desktopFrame().fromRoot(w.frame);
    QLabel* state = label(row, picker::stateText(w, inFrame), QRect(60, 48, 645 - 60 - 80, 14), 11691842);
    state->setObjectName(QStringLiteral("state"));
    state->setAlignment(picker::stateLeftAligned(w.title) ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);

    auto* find = new QPushButton(row);
    find->setObjectName(QStringLiteral("find"));
    find->setToolTip(QStringLiteral("Find"));
    find->setIcon(findGlyph());
    find->setIconSize(QSize(28, 20));
    find->setGeometry(645 - 20 - 55, 12, 30, 24);
    find->setCursor(Qt::ArrowCursor);
    find->setStyleSheet(QStringLiteral("QPushButton { border: 1px solid #c0c0c0; background: white; }"
                                       "QPushButton:hover { background: #eef3f8; }"));
    // Where the window is when Find is clicked, not where it was listed; a
    // window closed since shows nothing.
    connect(find, &QPushButton::clicked, this, [this, id = w.id] {
        if (const std::optional<QRect> frame = platform::visibleFrameBounds(id))
            flash_.flash(*frame);
    });

    auto* separator = new QWidget(row);
    separator->setGeometry(0, kRowHeight - 1, 645, 1);
    separator->setStyleSheet(QStringLiteral("background: %1;").arg(colourFromValue(12632256).name()));
    separator->setAttribute(Qt::WA_TransparentForMouseEvents);
    return row;
}

QRect TFselectWindow::rowGeometry(int i) const
{
    QWidget* row = rowWidgets_.value(i);
    return row ? QRect(row->mapTo(this, QPoint(0, 0)), row->size()) : QRect();
}

QRect TFselectWindow::findButtonGeometry(int i) const
{
    QWidget* row = rowWidgets_.value(i);
    auto* find = row ? row->findChild<QPushButton*>(QStringLiteral("find")) : nullptr;
    return find ? QRect(find->mapTo(this, QPoint(0, 0)), find->size()) : QRect();
}

void TFselectWindow::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        choice_.reset();
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace mirovex
