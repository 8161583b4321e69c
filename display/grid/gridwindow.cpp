#include "display/grid/gridwindow.h"

#include "common/geometry/displays.h"
#include "common/settings/settingsfile.h"
#include "display/settings/mirovexsettings.h"
#include "platform/foreignwindows.h"
#include "platform/monitors.h"
#include "platform/windowstate.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace mirovex {

namespace {

constexpr QSize kClient{320, 265};
constexpr int kReleasedAlpha = 200;

// The cell count buttons: caption, name, count.
const struct {
    const char* caption;
    const char* name;
    int n;
} kCellButtons[] = {
    {"2X2", "N22", 2}, {"3X3", "N33", 3}, {"4X4", "N44", 4}, {"5X5", "N55", 5},
    {"6x6", "N66X", 6}, {"8X8", "N88", 8}, {"9X9", "N99", 9}, {"10X10", "N100", 10},
};

// The button that stands for a count: "6x6" also for 7, the only count
// the buttons do not offer.
int buttonFor(int n) { return n == 7 ? 6 : n; }

} // namespace

TfGrid::TfGrid(platform::ForeignWindows& windows)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), windows_(windows)
{
    setObjectName(QStringLiteral("fGrid"));
    setWindowTitle(QStringLiteral("Mirovex"));
    setFixedSize(kClient);
    setMask(roundedRegion(QRect(QPoint(), kClient), 20));
    QPalette dark = palette();
    dark.setColor(QPalette::Window, colourFromValue(gridcolour::kBackground));
    dark.setColor(QPalette::WindowText, Qt::white);
    setPalette(dark);
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("QLabel { color: white; }"
                                 "QToolButton { background: %1; color: white; border: 1px solid #3c4650; border-radius: 3px; }"
                                 "QToolButton:hover { background: #3c4650; }"
                                 "QToolButton:checked { background: %2; color: black; }")
                      .arg(colourFromValue(gridcolour::kBackground).name(), colourFromValue(gridcolour::kHighlight).name()));

    const SettingsFile file(settings::mainFilePath());
    n_ = file.read(settings::key::sew);
    transp_ = file.read(settings::key::transp);

    buildTopBar();
    pages_ = new QStackedWidget(this);
    pages_->setGeometry(0, 32, kClient.width(), kClient.height() - 32);
    auto* mapPage = new QWidget(pages_);
    auto* settingsPage = new QWidget(pages_);
    buildMapPage(mapPage);
    buildSettingsPage(settingsPage);
    pages_->addWidget(mapPage);
    pages_->addWidget(settingsPage);

    const auto timer = [this](int ms, void (TfGrid::*tick)()) {
        auto* t = new QTimer(this);
        t->setInterval(ms);
        connect(t, &QTimer::timeout, this, tick);
        return t;
    };
    timer1_ = timer(1000, &TfGrid::showPreviewWhileOverMap);
    timer10_ = timer(100, &TfGrid::livePlacement);
    timer20_ = timer(1000, &TfGrid::barTick);
    timer300_ = timer(500, &TfGrid::chooseTarget);

    // Centred on the primary display until it is first opened.
    const QRect primary = platform::primaryRoot();
    move(primary.center() - QPoint(kClient.width() / 2, kClient.height() / 2));
    redrawMap();
}

TfGrid::~TfGrid() = default;

void TfGrid::buildTopBar()
{
    const struct {
        const char* name;
        const char* hint;
        const char* glyph;
        int left;
        void (TfGrid::*command)();
    } buttons[] = {
        {"SBUNDO", "Undo", "undo", 8, &TfGrid::undo},
        {"sbPin", "Stay on top", "pin", 40, &TfGrid::togglePin},
        {"SpeedButton3", "Cascade", "cascade", 72, &TfGrid::cascadeWindows},
        {"SpeedButton4", "Tile Horizontal", "tile", 104, &TfGrid::tileWindows},
        {"sbMreza", "Grid property", "grid", 136, &TfGrid::toggleGridProperty},
        {"SpeedButton6", "Transparent", "transparent", 168, &TfGrid::toggleTransparent},
    };
    for (const auto& b : buttons) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(b.name));
        button->setToolTip(QLatin1String(b.hint));
        button->setIcon(gridGlyph(QLatin1String(b.glyph), 20));
        button->setIconSize(QSize(20, 20));
        button->setGeometry(b.left, 4, 28, 24);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, b.command);
    }
    // The actions on the target window; "Stay on top" is the one offered.
    auto* akcija1 = new QAction(QStringLiteral("Stay on top"), this);
    akcija1->setObjectName(QStringLiteral("Akcija1"));
    connect(akcija1, &QAction::triggered, this, &TfGrid::togglePin);
    addAction(akcija1);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("SpeedButton1"));
    close->setIcon(gridGlyph(QStringLiteral("close"), 20));
    close->setIconSize(QSize(20, 20));
    close->setGeometry(kClient.width() - 36, 4, 28, 24);
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QToolButton::clicked, this, &QWidget::close);
}

void TfGrid::buildMapPage(QWidget* page)
{
    map_ = new GridMap(page);
    map_->move(10, 2);
    connect(map_, &GridMap::pressed, this, &TfGrid::mapPressed);
    connect(map_, &GridMap::moved, this, &TfGrid::mapMoved);
    connect(map_, &GridMap::released, this, &TfGrid::mapReleased);
    connect(map_, &GridMap::left, this, &TfGrid::mapLeft);
    icon_ = new QLabel(page);
    icon_->setObjectName(QStringLiteral("Image1"));
    icon_->setGeometry(10, 200, 28, 28);
    icon_->setScaledContents(true);
    title_ = new QLabel(page);
    title_->setObjectName(QStringLiteral("Label1"));
    title_->setGeometry(44, 200, 266, 28);
}

void TfGrid::buildSettingsPage(QWidget* page)
{
    cellButtons_ = new QButtonGroup(this);
    cellButtons_->setExclusive(true);
    int i = 0;
    for (const auto& b : kCellButtons) {
        auto* button = new QToolButton(page);
        button->setObjectName(QLatin1String(b.name));
        button->setText(QLatin1String(b.caption));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(12 + (i % 4) * 75, 10 + (i / 4) * 36, 68, 28);
        cellButtons_->addButton(button, b.n);
        ++i;
    }
    // N22Click: one handler for every count.
    connect(cellButtons_, &QButtonGroup::idClicked, this, &TfGrid::setCells);
    if (QAbstractButton* b = cellButtons_->button(buttonFor(grid::clampCells(n_))))
        b->setChecked(true);

    auto* caption = new QLabel(QStringLiteral("Window Transparency"), page);
    caption->setGeometry(12, 96, 296, 20);
    xtr_ = new QSlider(Qt::Horizontal, page);
    xtr_->setObjectName(QStringLiteral("xtr"));
    xtr_->setRange(0, 255);
    xtr_->setGeometry(12, 120, 240, 24);
    label30_ = new QLabel(QStringLiteral("50 %"), page);
    label30_->setObjectName(QStringLiteral("Label30"));
    label30_->setGeometry(258, 120, 50, 24);
    connect(xtr_, &QSlider::valueChanged, this, &TfGrid::setTransparencyPosition);
}

QToolButton* TfGrid::button(const QString& objectName) const { return findChild<QToolButton*>(objectName); }

QString TfGrid::shownTitle() const { return title_->text(); }

bool TfGrid::timersRunning() const
{
    return timer1_->isActive() && timer20_->isActive() && timer300_->isActive();
}

bool TfGrid::timersStopped() const
{
    return !timer1_->isActive() && !timer10_->isActive() && !timer20_->isActive() && !timer300_->isActive();
}

bool TfGrid::onSettingsPage() const { return pages_->currentIndex() == 1; }

void TfGrid::open()
{
    pages_->setCurrentIndex(0);
    refer_.hide();
    if (!isVisible()) {
        // The window that was in front before ours is the one to act on.
        chooseTarget();
        const SettingsFile file(settings::mainFilePath());
        QList<QRect> displays;
        for (const platform::Monitor& m : platform::monitors())
            displays.append(m.frame);
        const QPoint stored(file.read(settings::key::fgridX), file.read(settings::key::fgridY));
        move(platform::desktopFrame().toRoot(grid::restoredPosition(stored, kClient, displays)));
        redrawMap();
    }
    show();
    raise();
    activateWindow();
    startTimers(true);
    refreshBar();
}

void TfGrid::startTimers(bool on)
{
    for (QTimer* t : {timer1_, timer10_, timer20_, timer300_}) {
        if (on)
            t->start();
        else
            t->stop();
    }
}

void TfGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfGrid::closeEvent(QCloseEvent* event)
{
    const QPoint at = platform::desktopFrame().fromRoot(pos());
    SettingsEdit(settings::mainFilePath())
        .set(settings::key::fgridX, at.x())
        .set(settings::key::fgridY, at.y())
        .set(settings::key::transp, transp_)
        .commit();
    refer_.hide();
    startTimers(false);
    preview_.park();
    dragging_ = false;
    event->accept();
}

QRect TfGrid::chosenDisplay() const
{
    const QList<platform::Monitor> list = platform::monitors();
    if (list.isEmpty())
        return platform::primaryRoot();
    QList<QRect> roots;
    for (const platform::Monitor& m : list)
        roots.append(m.root);
    return roots[geometry::displayOf(frameGeometry(), roots)];
}

QRect TfGrid::chosenWorkArea() const
{
    const QRect display = chosenDisplay();
    for (const platform::Monitor& m : platform::monitors())
        if (m.root == display && m.screen)
            return m.screen->availableGeometry().intersected(display);
    return display;
}

QRect TfGrid::span(grid::Cell a, grid::Cell b) const { return grid::spanRect(chosenDisplay(), chosenWorkArea(), n_, a, b); }

bool TfGrid::isOurs(const platform::WindowInfo& w) const { return w.pid == int(QCoreApplication::applicationPid()); }

// Shown, or minimised: a window the grid can still bring back and place.
bool TfGrid::isShown(const platform::WindowInfo& w) const { return w.viewable || w.minimized; }

std::optional<platform::WindowInfo> TfGrid::describeTarget() { return target_ ? windows_.describe(target_) : std::nullopt; }

void TfGrid::chooseTarget()
{
    std::uint32_t f = windows_.active();
    std::optional<platform::WindowInfo> info = f ? windows_.describe(f) : std::nullopt;
    const std::int64_t desktop = windows_.currentDesktop();
    const int ourPid = int(QCoreApplication::applicationPid());
    bool ignored = !info || !platform::isApplicationWindow(*info, desktop, ourPid);
    if (!ignored && info->title.size() <= 1) {
        // A window without a real title stands for the last good one.
        const auto good = lastGood_ ? windows_.describe(lastGood_) : std::nullopt;
        if (good && good->title.size() > 1 && !isOurs(*good)) {
            f = lastGood_;
            info = good;
        } else {
            ignored = true;
        }
    }
    if (!ignored && f != lastCandidate_) {
        lastCandidate_ = f;
        if (isVisible())
            raise();
        if (windows_.screenSaverOn() && isVisible()) {
            close();
            return;
        }
        target_ = f;
        lastGood_ = f;
    }
    if (isVisible()) {
        const auto t = describeTarget();
        if (!t || t->id != shownWindow_ || t->title != shownTitle_)
            refreshBar();
    }
}

void TfGrid::refreshBar()
{
    auto t = describeTarget();
    if (!t || !isShown(*t) || isMinimized()) {
        // The target is gone: the desktop stands in the bar, and the next
        // titled window in front becomes the one to act on.
        if (!showingDesktop_) {
            icon_->setPixmap(gridGlyph(QStringLiteral("desktop"), 28));
            title_->setText(QStringLiteral("Desktop"));
            showingDesktop_ = true;
        }
        shownWindow_ = 0;
        shownExecutable_.clear();
        shownTitle_.clear();
        const std::int64_t desktop = windows_.currentDesktop();
        const int ourPid = int(QCoreApplication::applicationPid());
        for (const platform::WindowInfo& w : windows_.stacking())
            if (w.viewable && !w.minimized && !w.title.trimmed().isEmpty() && platform::isApplicationWindow(w, desktop, ourPid)) {
                target_ = w.id;
                break;
            }
        return;
    }
    if (isOurs(*t))
        return;
    if (t->id != shownWindow_ || t->executable != shownExecutable_ || showingDesktop_) {
        const QImage icon = windows_.icon(t->id);
        icon_->setPixmap(icon.isNull() ? gridGlyph(QStringLiteral("desktop"), 28) : QPixmap::fromImage(icon));
    }
    shownWindow_ = t->id;
    shownExecutable_ = t->executable;
    shownTitle_ = t->title;
    showingDesktop_ = false;
    // Our own name is never shown as another program's title.
    const QString title = t->title.contains(QLatin1String("mirovex"), Qt::CaseSensitive) ? QString() : t->title;
    title_->setText(title_->fontMetrics().elidedText(title, Qt::ElideRight, title_->width()));
}

void TfGrid::barTick()
{
    const auto t = describeTarget();
    if (!t || !isShown(*t) || title_->text().isEmpty())
        refreshBar();
}

void TfGrid::redrawMap() { map_->redraw(n_, start_, current_); }

void TfGrid::mapPressed(QPoint at)
{
    const auto t = describeTarget();
    if (t && !t->title.isEmpty())
        undo_.push({t->id, t->frame});
    if (!t || isOurs(*t))
        return;
    dragging_ = !t->title.isEmpty();
    start_ = current_ = grid::cellAt(at, n_);
    lastPlaced_.reset();
    redrawMap();
    timer10_->start();
}

void TfGrid::mapMoved(QPoint at, bool buttonDown)
{
    const grid::Cell cell = grid::cellAt(at, n_);
    if (dragging_ && buttonDown) {
        if (cell == current_)
            return;
        current_ = cell;
        redrawMap();
        return;
    }
    if (buttonDown || cell == current_)
        return;
    // Hovering: the preview frame shows the one cell.
    start_ = current_ = cell;
    showPreview(span(cell, cell));
    redrawMap();
}

void TfGrid::showPreview(const QRect& r)
{
    preview_.showOver(r, true);
    // Over the display, but never over the map the presenter drags on.
    if (isVisible())
        platform::stackBelow(preview_.windowHandle(), windowHandle());
}

void TfGrid::livePlacement()
{
    if (!dragging_)
        return;
    const QRect r = span(start_, current_);
    showPreview(r);
    // One move per tick at most, and none while the span stays the same.
    if (lastPlaced_ == r)
        return;
    lastPlaced_ = r;
    ++liveMoves_;
    windows_.place(target_, r);
}

void TfGrid::mapReleased(QPoint at)
{
    setWindowOpacity(kReleasedAlpha / 255.0);
    setMask(roundedRegion(QRect(QPoint(), kClient), 13));
    timer10_->stop();
    if (dragging_)
        current_ = grid::cellAt(at, n_);
    const auto t = describeTarget();
    if (t && isShown(*t) && !isOurs(*t)) {
        if (dragging_ && t->resizable)
            windows_.place(target_, span(start_, current_));
        else
            windows_.restore(target_);
    }
    preview_.park();
    dragging_ = false;
    lastPlaced_.reset();
    raise();
    redrawMap();
}

void TfGrid::mapLeft()
{
    if (dragging_)
        return; // the press keeps the pointer until it is released
    timer10_->stop();
    preview_.park();
    const auto t = describeTarget();
    if (t && isShown(*t)) {
        start_ = current_ = {-5, -5};
        dragging_ = false;
    }
    redrawMap();
}

void TfGrid::showPreviewWhileOverMap()
{
    // Shows or hides the frame where it was left: after a release it is a
    // single pixel until the pointer moves to another cell.
    const bool over = map_->isVisible() && map_->rect().contains(map_->mapFromGlobal(QCursor::pos()));
    if (over && !preview_.isVisible() && preview_.width() > 1) {
        preview_.show();
        platform::stackBelow(preview_.windowHandle(), windowHandle());
    } else if (!over && !dragging_) {
        preview_.hide();
    }
}

void TfGrid::undo()
{
    // Windows closed since are passed over.
    while (const auto e = undo_.pop()) {
        if (windows_.describe(e->window)) {
            windows_.place(e->window, e->frame);
            return;
        }
    }
}

void TfGrid::togglePin()
{
    const auto t = describeTarget();
    if (!t || !isShown(*t) || isOurs(*t))
        return;
    undo_.push({t->id, t->frame});
    const bool pin = !windows_.above(t->id);
    windows_.setAbove(t->id, pin);
    pin_.flash(QPoint(t->frame.left() + t->frame.width() / 2, t->frame.top() + 3), pin);
}

void TfGrid::toggleTransparent()
{
    const auto t = describeTarget();
    if (!t || isOurs(*t))
        return;
    const int alpha = windows_.opacity(t->id);
    if (alpha != transp_ || alpha == -1)
        windows_.setOpacity(t->id, transp_);
    else
        windows_.clearOpacity(t->id);
}

QList<platform::WindowInfo> TfGrid::arrangeable()
{
    const std::int64_t desktop = windows_.currentDesktop();
    const int ourPid = int(QCoreApplication::applicationPid());
    QList<platform::WindowInfo> out;
    for (const platform::WindowInfo& w : windows_.stacking())
        if (w.viewable && !w.minimized && w.resizable && !w.title.trimmed().isEmpty() &&
            platform::isApplicationWindow(w, desktop, ourPid))
            out.append(w);
    return out;
}

void TfGrid::tileWindows()
{
    const QList<platform::WindowInfo> list = arrangeable();
    QList<QRect> frames;
    for (const platform::WindowInfo& w : list)
        frames.append(w.frame);
    for (const grid::Placement& p : grid::tile(frames, chosenDisplay(), chosenWorkArea()))
        windows_.place(list[p.index].id, p.frame);
}

void TfGrid::cascadeWindows()
{
    // From the back to the front, so the front window ends up on top of
    // the pile with every title above it showing.
    QList<platform::WindowInfo> list = arrangeable();
    std::reverse(list.begin(), list.end());
    QList<QRect> frames;
    int title = 0;
    for (const platform::WindowInfo& w : list) {
        frames.append(w.frame);
        title = std::max(title, w.wmFrame.top());
    }
    for (const grid::Placement& p : grid::cascade(frames, chosenDisplay(), chosenWorkArea(), title > 0 ? title : 24))
        windows_.place(list[p.index].id, p.frame);
}

void TfGrid::toggleGridProperty()
{
    if (onSettingsPage()) {
        pages_->setCurrentIndex(0);
        refer_.hide();
        return;
    }
    pages_->setCurrentIndex(1);
    xtr_->setValue(255 - transp_);
    setTransparencyPosition(xtr_->value());
    placeReference();
    refer_.show();
    refer_.raise();
    refer_.activateWindow();
    // The window manager's frame is known only once it has framed the window.
    QTimer::singleShot(250, this, [this] {
        if (onSettingsPage() && refer_.isVisible())
            placeReference();
    });
}

void TfGrid::placeReference()
{
    const QRect g = frameGeometry();
    const QRect r = refer_.frameGeometry();
    refer_.move(g.left() + (g.width() - r.width()) / 2, g.top() - r.height());
}

void TfGrid::setTransparencyPosition(int position)
{
    transp_ = 255 - position;
    label30_->setText(grid::percentText(position));
    const double alpha = transp_ / 255.0;
    if (!qFuzzyCompare(refer_.windowOpacity(), alpha))
        refer_.setWindowOpacity(alpha);
}

void TfGrid::setCells(int n)
{
    n_ = grid::clampCells(n);
    if (QAbstractButton* b = cellButtons_->button(buttonFor(n_)))
        b->setChecked(true);
    start_ = current_ = {-5, -5};
    redrawMap();
    writeSetting(settings::mainFilePath(), settings::key::sew, n_);
}

} // namespace mirovex
