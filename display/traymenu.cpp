#include "traymenu.h"

#include "mirrorcontroller.h"

#include <QAction>
#include <QCursor>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QWidget>

namespace mirovex {

namespace {
// A screen with a smaller one in front: drawn here until the program has
// its own pictures.
QIcon productIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1D, 0x21, 0x25), 2));
    p.setBrush(QColor(0x28, 0x8C, 0xE6));
    p.drawRoundedRect(QRectF(2, 4, 22, 16), 2, 2);
    p.setBrush(QColor(0xF0, 0xA0, 0x28));
    p.drawRoundedRect(QRectF(12, 14, 18, 13), 2, 2);
    return QIcon(pm);
}
} // namespace

TrayMenu::TrayMenu(MirrorController& controller) : controller_(controller), menu_(std::make_unique<QMenu>())
{
    menu_->addAction(QStringLiteral("Desktop"), this, [this] { controller_.chooseDesktop(); });
    run_ = menu_->addAction(QStringLiteral("Run"), this, [this] { controller_.session().toggle(); });
    menu_->addAction(QStringLiteral("Send To Target Display"), this, [this] { controller_.session().sendOneFrame(); });
    menu_->addAction(QStringLiteral("Stop Projection"), this, [this] { controller_.session().stopProjection(); });
    menu_->addSeparator();
    QAction* invert = menu_->addAction(QStringLiteral("Invert Image"));
    invert->setCheckable(true);
    invert->setChecked(controller_.invert());
    connect(invert, &QAction::toggled, this, [this](bool on) { controller_.setInvert(on); });
    QAction* show = menu_->addAction(QStringLiteral("Show Target Display"));
    show->setCheckable(true);
    connect(menu_.get(), &QMenu::aboutToShow, this, [this, show] { show->setChecked(controller_.target().isVisible()); });
    connect(show, &QAction::triggered, this, [this](bool on) {
        if (on)
            controller_.showTargetOnStoredDisplay();
        else
            controller_.hideTarget();
    });
    menu_->addAction(QStringLiteral("Copy Displayed To Clipboard"), this, [this] { controller_.copyDisplayedToClipboard(); });
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Quit"), this, &TrayMenu::quitRequested);

    connect(&controller_, &MirrorController::runningChanged, this,
            [this](bool running) { run_->setText(running ? QStringLiteral("Stop") : QStringLiteral("Run")); });
    connect(&controller_, &MirrorController::sourcesWanted, this, &TrayMenu::popUp);

    const QIcon icon = productIcon();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = std::make_unique<QSystemTrayIcon>(icon);
        tray_->setToolTip(QStringLiteral("Mirovex"));
        tray_->setContextMenu(menu_.get());
        connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
            if (r == QSystemTrayIcon::Trigger)
                popUp();
        });
        tray_->show();
    } else {
        fallback_ = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
        fallback_->setWindowTitle(QStringLiteral("Mirovex"));
        fallback_->setWindowIcon(icon);
        auto* row = new QHBoxLayout(fallback_.get());
        auto* button = new QPushButton(QStringLiteral("Mirovex"));
        button->setMenu(menu_.get());
        row->addWidget(button);
        fallback_->show();
    }
}

TrayMenu::~TrayMenu() = default;

void TrayMenu::popUp() { menu_->popup(QCursor::pos()); }

} // namespace mirovex
