#include "display/scrolltext/scrollstrip.h"

#include "common/settings/settingsfile.h"
#include "display/engine/targetwindow.h"
#include "platform/desktopstate.h"
#include "platform/windowshape.h"

#include <QEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace mirovex {

namespace {
constexpr quint32 kStripColour = 2564639;
} // namespace

TFloatTXT::TFloatTXT(TFmonitor& target)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus),
      target_(target)
{
    setWindowTitle(QStringLiteral("Mirovex - Scrolling Text"));
    // Made with an alpha channel, for letters only under a compositor.
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    resize(200, 48);
    // The window manager stacks a window that it manages and that stays on
    // top, as the target window does, above ours whenever it raises it; ours
    // is placed by us alone, and raised again after the target window.
    keepAbove_ = new QTimer(this);
    keepAbove_->setInterval(250);
    connect(keepAbove_, &QTimer::timeout, this, &TFloatTXT::stayAboveTarget);
}

void TFloatTXT::stayAboveTarget()
{
    if (isVisible())
        raise();
}

void TFloatTXT::showEvent(QShowEvent*)
{
    raise();
    keepAbove_->start();
}

void TFloatTXT::hideEvent(QHideEvent*) { keepAbove_->stop(); }

void TFloatTXT::carry(QWidget* strip, ScrollingText* control, bool lettersOnly)
{
    if (control_ && control_ != control)
        disconnect(control_, nullptr, this, nullptr);
    if (strip->parentWidget() != this) {
        strip->setParent(this);
        layout()->addWidget(strip);
    }
    control_ = control;
    lettersOnly_ = lettersOnly;
    cut_ = lettersOnly && !platform::compositorRunning();
    // Under a compositor the letters stand on nothing; without one the
    // outline is cut to them and the background shows only inside it.
    control->setSeeThrough(lettersOnly && !cut_);
    strip->setAttribute(Qt::WA_NoSystemBackground, lettersOnly && !cut_);
    strip->setAutoFillBackground(!(lettersOnly && !cut_));
    connect(control, &ScrollingText::lettersChanged, this, &TFloatTXT::updateOutline, Qt::UniqueConnection);
    connect(control, &ScrollingText::moved, this, &TFloatTXT::followLetters, Qt::UniqueConnection);
    stayAboveTarget();
    updateOutline();
}

void TFloatTXT::updateOutline()
{
    if (!windowHandle())
        return;
    if (!cut_ || !control_) {
        platform::clearWindowOutline(std::uint32_t(winId()));
        return;
    }
    outlineLeft_ = control_->textLeft();
    const QPoint at = control_->mapTo(this, QPoint(outlineLeft_, 0));
    platform::setWindowOutline(std::uint32_t(winId()), control_->letterOutline().translated(at));
}

void TFloatTXT::followLetters(int left)
{
    if (!cut_)
        return;
    platform::moveWindowOutline(std::uint32_t(winId()), left - outlineLeft_, 0);
    outlineLeft_ = left;
}

ScrollStrip::ScrollStrip(TFmonitor& target) : target_(target)
{
    pn1_ = new QWidget;
    pn1_->setObjectName(QStringLiteral("pn1"));
    QPalette pal = pn1_->palette();
    pal.setColor(QPalette::Window, colourFromValue(kStripColour));
    pn1_->setPalette(pal);
    pn1_->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(pn1_);
    layout->setContentsMargins(0, 0, 0, 0);
    rtmdis_ = new ScrollingText(pn1_);
    rtmdis_->setObjectName(QStringLiteral("rtmdis"));
    layout->addWidget(rtmdis_);
    pn1_->hide();
    float_ = new TFloatTXT(target);
    target_.installEventFilter(this);
}

ScrollStrip::~ScrollStrip()
{
    target_.removeEventFilter(this);
    if (target_.overlay() == pn1_)
        target_.setOverlay(nullptr);
    delete pn1_;
    delete float_;
}

bool ScrollStrip::shown() const { return pn1_->isVisible(); }

void ScrollStrip::showOnTarget(scrolltext::Position position, int height)
{
    float_->hide();
    position_ = position;
    onTarget_ = true;
    rtmdis_->setSeeThrough(false);
    pn1_->setAutoFillBackground(true);
    pn1_->setAttribute(Qt::WA_NoSystemBackground, false);
    pn1_->setFixedHeight(height);
    target_.setOverlay(pn1_);
    target_.hideView();
    placeOnTarget();
    pn1_->show();
    rtmdis_->setScrolling(true);
}

void ScrollStrip::placeOnTarget()
{
    const int h = pn1_->height();
    const int w = target_.width();
    int top = 0;
    switch (position_) {
    case scrolltext::Position::Top: top = 0; break;
    case scrolltext::Position::Bottom: top = target_.height() - h; break;
    // The target window's own middle, which is the display's when it
    // fills it and still the window's when it does not.
    case scrolltext::Position::Center: top = target_.height() / 2 - h / 2; break;
    }
    pn1_->setGeometry(0, top, w, h);
}

void ScrollStrip::showFloating(const QRect& display, const QRect& workArea, scrolltext::Position position, int height,
                               bool lettersOnly)
{
    if (target_.overlay() == pn1_)
        target_.setOverlay(nullptr);
    onTarget_ = false;
    position_ = position;
    pn1_->setFixedHeight(height);
    int top = workArea.top();
    switch (position) {
    case scrolltext::Position::Top: top = workArea.top(); break;
    case scrolltext::Position::Bottom: top = workArea.bottom() + 1 - height; break;
    // Of the display, from its own top.
    case scrolltext::Position::Center: top = display.top() + display.height() / 2 - height / 2; break;
    }
    float_->carry(pn1_, rtmdis_, lettersOnly);
    float_->setGeometry(display.left(), top, display.width(), height);
    pn1_->show();
    float_->show();
    float_->raise();
    rtmdis_->setScrolling(true);
    float_->carry(pn1_, rtmdis_, lettersOnly); // the outline needs the mapped window
}

void ScrollStrip::clear()
{
    rtmdis_->setScrolling(false);
    pn1_->hide();
    rtmdis_->setText(QString());
    // A strip put away leaves no empty floating window behind.
    float_->hide();
    if (target_.overlay() == pn1_) {
        target_.setOverlay(nullptr);
        target_.setView(target_.view());
    }
    onTarget_ = false;
}

bool ScrollStrip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &target_ && event->type() == QEvent::Resize && onTarget_)
        placeOnTarget();
    // The target window coming up must not cover the floating strip.
    if (watched == &target_ && event->type() == QEvent::Show && float_->isVisible())
        QTimer::singleShot(50, float_, &TFloatTXT::stayAboveTarget);
    return QObject::eventFilter(watched, event);
}

} // namespace mirovex
