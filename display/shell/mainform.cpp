#include "display/shell/mainform.h"

#include "display/selection/areaselection.h"
#include "platform/desktopstate.h"
#include "common/geometry/displays.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "platform/monitors.h"
#include "display/shell/toolbarstyle.h"
#include "platform/windowstate.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace mirovex {

namespace {
constexpr int kOpacityPollMs = 10;
constexpr int kKeepInFrontMs = 2500;

QString css(quint32 bgr) { return style::colour(bgr).name(); }

// The effect items and their codes.
const struct {
    const char* caption;
    int code;
} kEffectItems[] = {
    {"Anti-Aliasing", fx::kSmoothing},      {"Contrast", fx::kContrast},           {"Embos", fx::kEmboss},
    {"Extract Blue", fx::kExtractBlue},     {"Extract Green", fx::kExtractGreen},  {"Extract Red", fx::kExtractRed},
    {"Extract X Blue", fx::kExtractXBlue},  {"Extract X Green", fx::kExtractXGreen}, {"Extract X Red", fx::kExtractXRed},
    {"Mono Noise", fx::kMonoNoise},         {"Posterize", fx::kPosterize},         {"Saturation", fx::kSaturation},
    {"Semi Opaque", fx::kSemiOpaque},       {"Sharpen", fx::kSharpen},             {"Solorize", fx::kSolarize},
    {"Split Blur", fx::kSplitBlur},         {"Trace", fx::kTrace},                 {"Wavy", fx::kWavy},
};

QAction* later(QMenu* menu, const char* caption)
{
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setEnabled(false);
    return a;
}

QRegion roundedRegion(QSize size)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, size.width(), size.height()), 2.5, 2.5);
    return QRegion(path.toFillPolygon().toPolygon());
}
} // namespace

TMainForm::TMainForm(MirrorController& controller)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), controller_(controller)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Mirovex"));
    setWindowIcon(style::productIcon());
    // An alpha visual from the start: switching "Transparent Toolbar" never
    // has to re-create the window.
    setAttribute(Qt::WA_TranslucentBackground);

    const SettingsFile file(settings::mainFilePath());
    showSend_ = file.read(settings::key::showSendOne);
    transparent_ = file.read(settings::key::prosojenBar);
    byAlpha_ = platform::compositorRunning();

    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("RGPanel1"));
    xbMenu_ = makeButton(QString());
    xbMenu_->setObjectName(QStringLiteral("xbMenu"));
    speedButton8_ = makeButton(QStringLiteral("Send To Target Display"));
    speedButton8_->setObjectName(QStringLiteral("SpeedButton8"));
    xiQuick_ = makeButton(QStringLiteral("Quick Show"));
    xiQuick_->setObjectName(QStringLiteral("xiQuick"));
    xiTekanje_ = makeButton(QStringLiteral("Run"));
    xiTekanje_->setObjectName(QStringLiteral("xiTekanje"));

    buildQuickMenu();
    buildOptionsMenu();

    connect(xbMenu_, &QToolButton::clicked, this, [this] { popUpBelow(xbMenu_, popupMenu2_); });
    connect(speedButton8_, &QToolButton::clicked, this, [this] { controller_.session().sendOneFrame(); });
    connect(xiQuick_, &QToolButton::clicked, this, [this] { popUpBelow(xiQuick_, popQuick_); });
    connect(xiTekanje_, &QToolButton::clicked, this, [this] { controller_.session().toggle(); });
    connect(&controller_, &MirrorController::runningChanged, this, &TMainForm::updateRunButton);
    connect(&controller_, &MirrorController::sourcesWanted, this, &TMainForm::offerSources);

    timer1_ = new QTimer(this);
    timer1_->setInterval(kOpacityPollMs);
    connect(timer1_, &QTimer::timeout, this, &TMainForm::opacityTick);
    timer3_ = new QTimer(this);
    timer3_->setInterval(kKeepInFrontMs);
    connect(timer3_, &QTimer::timeout, this, &TMainForm::keepInFrontTick);
    timer3_->start();
    shapeTimer_ = new QTimer(this);
    shapeTimer_->setSingleShot(true);
    connect(shapeTimer_, &QTimer::timeout, this, &TMainForm::updateShape);

    layOut();
    updateRunButton(controller_.session().running());
    applyLook();

    const QPoint stored(file.read(settings::key::velikostLevo), file.read(settings::key::velikostGor));
    const QPoint place = toolbar::restoredPosition(stored, size(), displaysInFrame());
    placeAt(platform::desktopFrame().toRoot(place));
}

TMainForm::~TMainForm() = default;

void TMainForm::placeAt(const QPoint& rootPos)
{
    placed_ = rootPos;
    move(rootPos);
}

QToolButton* TMainForm::makeButton(const QString& hint)
{
    auto* b = new QToolButton(panel_);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIconSize(QSize(24, 24));
    b->installEventFilter(this);
    return b;
}

QList<QRect> TMainForm::displaysInFrame() const
{
    QList<QRect> out;
    for (const platform::Monitor& m : platform::monitors())
        out.append(m.frame);
    return out;
}

void TMainForm::buildQuickMenu()
{
    popQuick_ = new QMenu(this);
    popQuick_->setObjectName(QStringLiteral("PopQuick"));
    later(popQuick_, "Select Desktop Area");
    later(popQuick_, "Previously Selected Desktop Area");
    popQuick_->addSeparator();
    popQuick_->addAction(QStringLiteral("Focus"), this, [this] {
        controller_.chooseFocus();
        controller_.target().raise();
        setBringToFrontAllowed(true);
    });
    popQuick_->addAction(QStringLiteral("Desktop"), this, [this] { controller_.chooseDesktop(); });
    later(popQuick_, "Window Area");
    popQuick_->addAction(QStringLiteral("Clipboard"), this, [this] { controller_.chooseClipboard(); });
    popQuick_->addSeparator();
    samozagon_ = popQuick_->addAction(QStringLiteral("Auto Run After Selection"));
    samozagon_->setCheckable(true);
    samozagon_->setChecked(controller_.session().autoRun());
    connect(samozagon_, &QAction::triggered, this, [this](bool on) {
        controller_.session().setAutoRun(on);
        saveAllSettings();
    });
    style::applyFlatMenuStyle(popQuick_);
}

void TMainForm::buildOptionsMenu()
{
    popupMenu2_ = new QMenu(this);
    popupMenu2_->setObjectName(QStringLiteral("PopupMenu2"));
    later(popupMenu2_, "Control Panel");
    // Wired to the annotation link by the shell that owns it.
    popupMenu2_->addAction(QStringLiteral("Vidizizu"));
    later(popupMenu2_, "Window Management");
    transparentItem_ = popupMenu2_->addAction(QStringLiteral("Transparent Toolbar"));
    transparentItem_->setCheckable(true);
    transparentItem_->setChecked(transparent_);
    connect(transparentItem_, &QAction::triggered, this, [this](bool on) {
        setTransparent(on);
        writeSetting(settings::mainFilePath(), settings::key::prosojenBar, on);
    });
    popupMenu2_->addSeparator();

    QMenu* display = popupMenu2_->addMenu(QStringLiteral("Display Options"));
    later(display, "Mark Selected Area");
    later(display, "Blur Unselected Area");
    display->addSeparator();
    showTargetItem_ = display->addAction(QStringLiteral("Show Target Display"));
    showTargetItem_->setCheckable(true);
    connect(showTargetItem_, &QAction::triggered, this, [this](bool on) {
        if (on)
            controller_.showTargetOnStoredDisplay();
        else
            controller_.hideTarget();
    });
    display->addAction(QStringLiteral("Show On Next Display"), this, [this] { controller_.showOnNextDisplay(); });
    display->addAction(QStringLiteral("Full Screen"), this, [this] { controller_.toggleFullScreen(); });
    display->addSeparator();
    later(display, "Preview");

    QMenu* cursorMenu = popupMenu2_->addMenu(QStringLiteral("Cursor Options"));
    // The cursor switches show no check marks: the control panel shows them.
    const struct {
        const char* caption;
        cursor::Kind kind;
    } kinds[] = {{"Dot Cursor", cursor::Kind::Dot}, {"Cross Cursor", cursor::Kind::Cross}, {"Arrow Cursor", cursor::Kind::System}};
    for (const auto& k : kinds)
        cursorMenu->addAction(QString::fromUtf8(k.caption), this, [this, kind = k.kind] { controller_.setCursorKind(kind); });
    cursorMenu->addAction(QStringLiteral("Animation Around Cursor"), this, [this] { controller_.toggleRing(); });
    cursorMenu->addSeparator();
    cursorMenu->addAction(QStringLiteral("Hide Custom Cursor On Target Display"), this, [this] { controller_.toggleHideCursor(); });
    later(cursorMenu, "Set Cursor");

    QMenu* effects = popupMenu2_->addMenu(QStringLiteral("Effects"));
    invertItem_ = effects->addAction(QStringLiteral("Invert Image"));
    invertItem_->setCheckable(true);
    connect(invertItem_, &QAction::triggered, this, [this](bool on) { controller_.setInvert(on); });
    const auto toggle = [&](QMenu* menu, const char* caption, void (MirrorController::*command)()) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, command] { (controller_.*command)(); });
        return a;
    };
    greyItem_ = toggle(effects, "Gray Scale", &MirrorController::toggleGreyscale);
    isolationItem_ = toggle(effects, "Color Isolation", &MirrorController::toggleIsolation);
    spotlightItem_ = toggle(effects, "Spotlight", &MirrorController::toggleSpotlight);
    QMenu* spotSize = effects->addMenu(QStringLiteral("Spotlight Size"));
    const char* const sizes[] = {"Small", "Medium", "Large"};
    for (int i = 0; i < 3; ++i) {
        QAction* a = spotSize->addAction(QString::fromUtf8(sizes[i]));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { controller_.setSpotSize(i + 1); });
        spotSizeItems_.append(a);
    }
    swapItem_ = toggle(effects, "Swap Colors", &MirrorController::toggleSwap);
    QMenu* swapModes = effects->addMenu(QStringLiteral("Set Effects"))->addMenu(QStringLiteral("Swap Colors"));
    const char* const modes[] = {"RGB -> RBG", "RGB -> BGR", "RGB -> BRG", "RGB -> GRB", "RGB -> GBR"};
    for (int i = 0; i < 5; ++i) {
        QAction* a = swapModes->addAction(QString::fromUtf8(modes[i]));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { controller_.setSwapMode(i); });
        swapModeItems_.append(a);
    }
    effects->addSeparator();
    const struct {
        const char* caption;
        fx::Tint tint;
    } tints[] = {{"Bright & Cool (Day Mode)", fx::Tint::Day}, {"Soft & Warm (Night Mode)", fx::Tint::Night}};
    for (const auto& t : tints) {
        QAction* a = effects->addAction(QString::fromUtf8(t.caption));
        a->setCheckable(true);
        const fx::Tint tint = t.tint;
        connect(a, &QAction::triggered, this, [this, tint] { controller_.chooseTint(tint); });
        tintItems_.append({a, int(tint)});
    }
    effects->addSeparator();
    for (const auto& item : kEffectItems) {
        QAction* a = effects->addAction(QString::fromUtf8(item.caption));
        a->setCheckable(true);
        const int code = item.code;
        connect(a, &QAction::triggered, this, [this, code] { controller_.chooseEffect(code); });
        effectItems_.append({a, code});
    }
    effects->addSeparator();
    effects->addAction(QStringLiteral("Reset Effects"), this, [this] { controller_.resetEffects(); });
    connect(effects, &QMenu::aboutToShow, this, &TMainForm::showEffectChecks);

    popupMenu2_->addSeparator();
    popupMenu2_->addAction(QStringLiteral("Stop Projection"), this, [this] { controller_.session().stopProjection(); });
    popupMenu2_->addAction(QStringLiteral("Stop All"), this, [this] { controller_.session().stopAll(); });
    style::applyFlatMenuStyle(popupMenu2_);
}

void TMainForm::setAreaSelection(AreaSelection& area)
{
    const struct {
        const char* caption;
        void (AreaSelection::*command)();
    } items[] = {
        {"Select Desktop Area", &AreaSelection::selectDesktopArea},
        {"Previously Selected Desktop Area", &AreaSelection::previouslySelected},
        {"Window Area", &AreaSelection::chooseWindowArea},
        {"Mark Selected Area", &AreaSelection::toggleMarkSelected},
        {"Blur Unselected Area", &AreaSelection::toggleBlurUnselected},
    };
    for (const auto& item : items) {
        QAction* a = action(QLatin1String(item.caption));
        a->setEnabled(true);
        // Queued: the selection is modal, and the menu must be gone first.
        connect(a, &QAction::triggered, &area, item.command, Qt::QueuedConnection);
    }
}

void TMainForm::setImageWindow(QWidget& window)
{
    QAction* a = action(QStringLiteral("Preview"));
    a->setEnabled(true);
    connect(a, &QAction::triggered, &window, [&window] {
        if (window.isVisible())
            window.close();
        else
            window.show();
    });
}

void TMainForm::toggleShown()
{
    if (isVisible()) {
        close();
    } else {
        show();
        raise();
    }
}

QAction* TMainForm::action(const QString& caption) const
{
    for (QMenu* top : {popQuick_, popupMenu2_}) {
        QList<QMenu*> menus{top};
        menus += top->findChildren<QMenu*>();
        for (QMenu* m : menus)
            for (QAction* a : m->actions())
                if (a->text() == caption)
                    return a;
    }
    return nullptr;
}

void TMainForm::layOut()
{
    const toolbar::Layout l = toolbar::layout(showSend_);
    setFixedSize(l.client);
    panel_->setGeometry(0, 0, l.panelWidth, l.client.height());
    const auto place = [](QToolButton* b, int left) { b->setGeometry(QRect(QPoint(left, toolbar::kButtonTop), toolbar::kButtonSize)); };
    place(xbMenu_, l.menuLeft);
    speedButton8_->setVisible(l.sendLeft >= 0);
    if (l.sendLeft >= 0)
        place(speedButton8_, l.sendLeft);
    place(xiQuick_, l.quickLeft);
    place(xiTekanje_, l.runLeft);
    scheduleShape();
}

void TMainForm::setShowSendButton(bool on)
{
    if (on == showSend_)
        return;
    showSend_ = on;
    layOut();
}

void TMainForm::setTransparent(bool on)
{
    transparent_ = on;
    transparentItem_->setChecked(on);
    applyLook();
}

void TMainForm::applyLook()
{
    const bool hollow = transparent_ && byAlpha_;
    const QString face = hollow ? QStringLiteral("transparent") : css(style::kToolbarFace);
    const QString hover = css(transparent_ ? style::kButtonHoverSeeThrough : style::kButtonHoverOpaque);
    panel_->setStyleSheet(QStringLiteral(
                              "QToolButton { background: %1; border: none; border-radius: 2px; color: white; }"
                              "QToolButton:hover, QToolButton[open=\"true\"] { background: %2; }"
                              "QToolButton:pressed { background: %3; }")
                              .arg(face, hover, css(style::kButtonPressed)));
    xbMenu_->setIcon(style::picture(style::Picture::Menu, transparent_));
    speedButton8_->setIcon(style::picture(style::Picture::Send, transparent_));
    xiQuick_->setIcon(style::picture(style::Picture::Quick, transparent_));
    updateRunButton(controller_.session().running());
    update();
    scheduleShape();
}

void TMainForm::updateRunButton(bool running)
{
    xiTekanje_->setIcon(style::picture(running ? style::Picture::Stop : style::Picture::Run, transparent_));
    xiTekanje_->setToolTip(running ? QStringLiteral("Stop") : QStringLiteral("Run"));
    scheduleShape();
}

void TMainForm::scheduleShape()
{
    if (shapeTimer_)
        shapeTimer_->start(0);
}

void TMainForm::updateShape()
{
    QRegion shape = roundedRegion(size());
    if (transparent_ && !byAlpha_) {
        // No compositor to blend with: cut the key colour out of the window,
        // which leaves the pictures and whatever button is lit.
        const QImage drawn = grab().toImage();
        const QRgb key = style::colour(style::kToolbarFace).rgb();
        const QBitmap keep = QBitmap::fromImage(drawn.createMaskFromColor(key, Qt::MaskInColor));
        shape &= QRegion(keep);
    }
    if (shape != mask())
        setMask(shape);
}

void TMainForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (transparent_ && byAlpha_) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(rect(), Qt::transparent);
        return;
    }
    p.fillRect(rect(), style::colour(style::kToolbarFace));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(style::colour(transparent_ ? style::kToolbarFace : style::kToolbarBorder), 5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, width() - 1, height() - 1), 2.5, 2.5);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // A lit or pressed button changes which pixels carry the key colour.
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (transparent_ && !byAlpha_)
            QTimer::singleShot(0, this, &TMainForm::updateShape);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::popUpBelow(QToolButton* button, QMenu* menu)
{
    menuOpening();
    // The button looks lit while its menu is open.
    const auto lit = [button](bool on) {
        button->setProperty("open", on);
        button->style()->unpolish(button);
        button->style()->polish(button);
    };
    lit(true);
    connect(menu, &QMenu::aboutToHide, button, [lit] { lit(false); }, Qt::SingleShotConnection);
    menu->popup(button->mapToGlobal(QPoint(0, button->height() + 5)));
}

void TMainForm::offerSources()
{
    if (isVisible()) {
        popUpBelow(xiQuick_, popQuick_);
        return;
    }
    menuOpening();
    popQuick_->popup(QCursor::pos());
}

void TMainForm::showEffectChecks()
{
    const fx::EffectState& e = controller_.effects();
    greyItem_->setChecked(e.greyscale);
    isolationItem_->setChecked(e.isolation);
    spotlightItem_->setChecked(e.spotlight);
    swapItem_->setChecked(e.swap);
    invertItem_->setChecked(e.invert);
    for (int i = 0; i < spotSizeItems_.size(); ++i)
        spotSizeItems_[i]->setChecked(controller_.spotSize() == i + 1);
    for (int i = 0; i < swapModeItems_.size(); ++i)
        swapModeItems_[i]->setChecked(e.swapMode == i);
    for (const auto& [a, tint] : tintItems_)
        a->setChecked(int(e.tint) == tint);
    for (const auto& [a, code] : effectItems_)
        a->setChecked(e.code == code);
}

void TMainForm::menuOpening()
{
    foregroundAtMenu_ = platform::activeWindow();
    showTargetItem_->setChecked(controller_.target().isVisible());
    samozagon_->setChecked(controller_.session().autoRun());
    // Another copy or the control panel may have switched it meanwhile.
    const bool invert = SettingsFile(settings::mainFilePath()).read(settings::key::on2C);
    controller_.frameLoop().setInvert(invert);
    invertItem_->setChecked(invert);
}

void TMainForm::setOpacity(int value)
{
    opacity_ = std::clamp(value, 0, 255);
    setWindowOpacity(opacity_ >= 200 ? 1.0 : opacity_ / 255.0);
    // Watch the pointer only while there is something to bring back.
    if (opacity_ < 255)
        timer1_->start();
    else
        timer1_->stop();
}

bool TMainForm::watchingPointer() const { return timer1_->isActive(); }

void TMainForm::opacityTick()
{
    QList<QRect> roots;
    for (const platform::Monitor& m : platform::monitors())
        roots.append(m.root);
    if (roots.isEmpty())
        return;
    const QRect display = roots[geometry::displayOf(geometry(), roots)];
    if (toolbar::restoresOpacity(QCursor::pos(), geometry(), opacity_, display))
        setOpacity(255);
}

void TMainForm::keepInFrontTick()
{
    if (const auto hint = toolbar::trayHintText(controller_.session().trayHint()); hint && trayHintSink_)
        trayHintSink_(*hint);
    // The compositor may have come or gone since the last look.
    if (const bool alpha = platform::compositorRunning(); alpha != byAlpha_) {
        byAlpha_ = alpha;
        applyLook();
    }
    // Never over an open menu: restacking could put the toolbar above it.
    if (QApplication::activePopupWidget())
        return;
    if (toolbar::bringsToFront(isVisible(), bringToFrontAllowed_, platform::activeWindow(), foregroundAtMenu_))
        raise();
}

void TMainForm::mousePressEvent(QMouseEvent* event)
{
    settlePosition();
    if (event->button() == Qt::LeftButton)
        dragOffset_ = event->globalPosition().toPoint() - pos();
    QWidget::mousePressEvent(event);
}

void TMainForm::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragOffset_)
        return;
    const QRect wanted(event->globalPosition().toPoint() - *dragOffset_, size());
    placeAt(geometry::snapped(wanted, platform::workAreas()));
}

void TMainForm::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && dragOffset_) {
        dragOffset_.reset();
        writePosition();
    }
    QWidget::mouseReleaseEvent(event);
}

bool TMainForm::writePosition()
{
    const QPoint p = platform::desktopFrame().fromRoot(pos());
    SettingsEdit e(settings::mainFilePath());
    e.set(settings::key::mainFormX, p.x()).set(settings::key::mainFormY, p.y());
    // The start-up position too, so a crash does not bring back an old one.
    e.set(settings::key::velikostLevo, p.x()).set(settings::key::velikostGor, p.y());
    return e.commit();
}

bool TMainForm::saveAllSettings()
{
    const QString path = settings::mainFilePath();
    settings::BulkSettings s = settings::loadBulk(SettingsFile(path));
    const QPoint p = platform::desktopFrame().fromRoot(pos());
    s.levo = p.x();
    s.gor = p.y();
    s.samozagon = controller_.session().autoRun();
    s.showSendOne = showSend_;
    s.prosojenBar = transparent_;
    return settings::saveBulk(path, s);
}

void TMainForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // No task-bar button: the toolbar is a tool, not an application window.
    platform::keepOffTaskbar(windowHandle());
    setOpacity(255);
    // A loaded machine can take its time over the first placement: look twice.
    QTimer::singleShot(300, this, &TMainForm::settlePosition);
    QTimer::singleShot(1200, this, &TMainForm::settlePosition);
}

void TMainForm::settlePosition()
{
    if (!isVisible() || dragOffset_)
        return;
    const auto real = platform::rootPosition(windowHandle());
    if (!real)
        return;
    // Qt's first idea of where the window is can be stale: learn the real
    // spot first, so that a move to the place we asked for is not taken for
    // one that is already done.
    if (*real != geometry().topLeft())
        move(*real);
    // A window manager that put the toolbar somewhere else on mapping it
    // (under load some do) is asked once more for the stored place.
    if (placed_ && *real != *placed_)
        move(*placed_);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    saveAllSettings();
    writePosition();
    QWidget::closeEvent(event);
}

} // namespace mirovex
