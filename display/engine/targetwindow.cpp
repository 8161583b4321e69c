#include "display/engine/targetwindow.h"

#include "common/geometry/aspectfit.h"
#include "display/engine/scaler.h"

#include "platform/monitors.h"
#include "platform/windowstate.h"
#include "display/settings/mirovexsettings.h"

#include <QGuiApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QStackedLayout>
#include <QTimer>
#include <QWindow>

#include <chrono>

namespace mirovex {

DrawingArea::DrawingArea(QWidget* parent) : QWidget(parent)
{
    // Every pixel is ours on each paint: no background fill before it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

QImage& DrawingArea::backBuffer()
{
    const QSize s = size();
    if (s.width() < 1 || s.height() < 1) {
        if (!back_.isNull()) {
            back_ = QImage();
            ++generation_;
        }
        return back_;
    }
    if (back_.size() != s) {
        back_ = QImage(s, QImage::Format_RGB32);
        back_.fill(Qt::black);
        ++generation_;
    }
    return back_;
}

void DrawingArea::present() { update(); }

void DrawingArea::present(const QRegion& changed) { update(changed); }

void DrawingArea::clearBlack()
{
    if (!backBuffer().isNull())
        back_.fill(Qt::black);
    ++generation_;
    update();
}

QImage DrawingArea::picture() const
{
    if (back_.size() == size())
        return back_.copy();
    QImage black(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    black.fill(Qt::black);
    return black;
}

void DrawingArea::paintEvent(QPaintEvent* e)
{
    const auto t0 = std::chrono::steady_clock::now();
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // Rectangle by rectangle: a few small changes never repaint the span
    // between them.
    for (const QRect& r : e->region()) {
        if (back_.size() == size())
            p.drawImage(r.topLeft(), back_, r);
        else
            p.fillRect(r, Qt::black);
    }
    lastPaintMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

IdlePanel::IdlePanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int IdlePanel::nameSize(int panelWidth)
{
    const int labelWidth = 2 * (panelWidth / 3);
    return labelWidth >= 64 ? labelWidth / 8 : 8;
}

void IdlePanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    QFont f(QStringLiteral("Segoe UI"));
    f.setPointSize(nameSize(width()));
    p.setFont(f);
    p.setPen(colourFromValue(3026478));
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("Mirovex"));
}

PictureView::PictureView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::setPicture(const QImage& picture)
{
    source_ = picture.convertToFormat(QImage::Format_RGB32);
    compose();
    update();
}

void PictureView::setBackground(const QColor& c)
{
    background_ = c;
    compose();
    update();
}

void PictureView::resizeEvent(QResizeEvent*) { compose(); }

void PictureView::compose()
{
    if (source_.isNull() || width() <= 0 || height() <= 0) {
        composed_ = QImage();
        return;
    }
    composed_ = QImage(size(), QImage::Format_RGB32);
    composed_.fill(background_);
    const QRect fitted = aspectFit(source_.size(), size());
    if (fitted.isEmpty())
        return;
    FrameScaler scaler;
    scaler.scale(source_, composed_, fitted);
}

void PictureView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    if (composed_.isNull())
        p.fillRect(e->rect(), background_);
    else
        p.drawImage(e->rect(), composed_, e->rect());
}

// Never frameless: full screen has no border anyway, and changing the frame
// of a mapped window races the window manager's own state changes.
TFmonitor::TFmonitor() : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Halvren - Mirovex"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    idle_ = new IdlePanel;
    drawing_ = new DrawingArea;
    picture_ = new PictureView;
    picture_->setBackground(colourFromValue(SettingsFile(settings::mainFilePath()).read(settings::key::panelImgColor)));
    stack_->addWidget(idle_);
    stack_->addWidget(drawing_);
    stack_->addWidget(picture_);
    setView(TargetView::Idle);

    if (const QScreen* primary = QGuiApplication::primaryScreen())
        setGeometry(QRect(primary->geometry().topLeft() + QPoint(0, 20), primary->size()));
}

void TFmonitor::setView(TargetView view)
{
    view_ = view;
    switch (view) {
    case TargetView::Idle: stack_->setCurrentWidget(idle_); break;
    case TargetView::Drawing: stack_->setCurrentWidget(drawing_); break;
    case TargetView::Picture: stack_->setCurrentWidget(picture_); break;
    case TargetView::Slideshow:
        if (slide_)
            stack_->setCurrentWidget(slide_);
        break;
    }
    stack_->currentWidget()->show();
    if (overlay_)
        overlay_->raise();
}

void TFmonitor::setOverlay(QWidget* overlay)
{
    if (overlay_ && overlay_ != overlay && overlay_->parentWidget() == this)
        overlay_->setParent(nullptr);
    overlay_ = overlay;
    if (overlay_) {
        overlay_->setParent(this);
        overlay_->raise();
    }
}

void TFmonitor::hideView() { stack_->currentWidget()->hide(); }

void TFmonitor::setSlideView(QWidget* view, std::function<QImage()> shown)
{
    slide_ = view;
    slideShown_ = std::move(shown);
    stack_->addWidget(view);
}

void TFmonitor::setStayOnTop(bool on)
{
    Qt::WindowFlags f = windowFlags();
    f.setFlag(Qt::WindowStaysOnTopHint, on);
    setFlagsKeepingPlace(f);
}

void TFmonitor::setFlagsKeepingPlace(Qt::WindowFlags f)
{
    if (windowFlags() == f)
        return;
    if (isVisible() && windowHandle()) {
        // Through the native window, so the window stays mapped where it is.
        windowHandle()->setFlags(f);
        overrideWindowFlags(f);
    } else {
        setWindowFlags(f);
    }
}

void TFmonitor::setFullScreenOn(bool on, QSize normalSize, std::optional<QPoint> normalCorner)
{
    fullScreen_ = on;
    if (on)
        pendingNormal_.reset();
    else
        pendingNormal_ = PendingNormal{normalSize, normalCorner};
    if (!isVisible() || !windowHandle()) {
        if (on) {
            showFullScreen();
        } else {
            showNormal();
            applyPendingNormal();
        }
        return;
    }
    // Straight to the window manager: Qt drops a request for the state it
    // believes the window is in, and that belief can be stale.
    platform::requestFullScreen(windowHandle(), on);
    // Leaving full screen, the window manager restores the size the window
    // had before; ours follows once it has (changeEvent), or shortly when Qt
    // already believed the window was normal and reports no change.
    if (!on && !windowState().testFlag(Qt::WindowFullScreen))
        QTimer::singleShot(200, this, [this] { applyPendingNormal(); });
}

void TFmonitor::applyPendingNormal()
{
    if (!pendingNormal_ || fullScreen_)
        return;
    const PendingNormal p = *pendingNormal_;
    pendingNormal_.reset();
    resize(p.size);
    // The corner is the frame's: the title bar stays on the screen. Qt's
    // own idea of the frame can still be the full-screen one (none), so the
    // window manager places it.
    if (p.corner)
        windowHandle()->setFramePosition(*p.corner);
}

void TFmonitor::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && !windowState().testFlag(Qt::WindowFullScreen))
        applyPendingNormal();
}

QImage TFmonitor::displayedPicture() const
{
    if (view_ == TargetView::Drawing)
        return drawing_->picture();
    if (view_ == TargetView::Picture)
        return picture_->shown();
    if (view_ == TargetView::Slideshow && slideShown_)
        return slideShown_();
    return {};
}

void TFmonitor::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Full Screen"), this, &TFmonitor::fullScreenWanted);
    menu.addAction(QStringLiteral("Show On Next Display"), this, &TFmonitor::nextDisplayWanted);
    QAction* top = menu.addAction(QStringLiteral("Stay on top"));
    top->setCheckable(true);
    top->setChecked(stayOnTop());
    connect(top, &QAction::toggled, this, &TFmonitor::setStayOnTop);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Close"), this, &TFmonitor::closeWanted);
    menu.exec(e->globalPos());
}

void TFmonitor::mouseDoubleClickEvent(QMouseEvent*) { emit doubleClicked(); }

void TFmonitor::closeEvent(QCloseEvent* e)
{
    // The window manager's close only puts the window away; the program
    // goes on in its tray.
    e->ignore();
    emit closeWanted();
}

void TFmonitor::showOnDisplay(int index)
{
    const QList<platform::Monitor> list = platform::monitors();
    if (list.isEmpty())
        return;
    index = platform::validDisplayIndex(index, int(list.size()));
    const platform::Monitor& primary = list.first();
    const platform::Monitor& target = list[index];

    if (!windowHandle())
        create();
    windowHandle()->setScreen(target.screen);
    if (list.size() >= 2 && index != 0) {
        setGeometry(target.root);
        fullScreen_ = true;
        showFullScreen();
    } else {
        // The only display, or the one being mirrored: a window that leaves
        // most of it in view, at the display's corner.
        fullScreen_ = false;
        if (isFullScreen())
            showNormal();
        resize(primary.root.size() / 3);
        move(target.root.topLeft());
        showNormal();
    }
}

} // namespace mirovex
