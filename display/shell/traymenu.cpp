#include "traymenu.h"

#include "mirrorcontroller.h"
#include "toolbarstyle.h"

#include <QAction>
#include <QCursor>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QWidget>

namespace mirovex {

TrayMenu::TrayMenu(MirrorController& controller, QWidget& toolbar)
    : controller_(controller), toolbar_(toolbar), menu_(std::make_unique<QMenu>()), hint_(QStringLiteral("Mirovex"))
{
    QMenu* bar = menu_->addMenu(QStringLiteral("Toolbar "));
    QAction* showBar = bar->addAction(QStringLiteral("Show Toolbar"));
    showBar->setCheckable(true);
    connect(showBar, &QAction::triggered, this, [this] {
        if (toolbar_.isVisible()) {
            toolbar_.close();
        } else {
            toolbar_.show();
            toolbar_.raise();
        }
    });
    connect(menu_.get(), &QMenu::aboutToShow, this, [this, showBar] { showBar->setChecked(toolbar_.isVisible()); });
    menu_->addAction(QStringLiteral("Copy Displayed To Clipboard"), this, [this] { controller_.copyDisplayedToClipboard(); });
    menu_->addAction(QStringLiteral("Reset All Settings"), this, &TrayMenu::resetRequested);
    // The hotkey editor belongs on the control panel; until that exists, here.
    menu_->addAction(QStringLiteral("Hotkeys"), this, &TrayMenu::hotkeysRequested);
    // The focus size is changed by its hotkeys and the control panel's
    // slider; until they exist, from here.
    menu_->addAction(QStringLiteral("Increase Focus Area Size"), this, [this] { controller_.zoomIn(); });
    menu_->addAction(QStringLiteral("Decrease Focus Area Size"), this, [this] { controller_.zoomOut(); });
    // The capture window opens from the control panel; until that exists,
    // from here.
    menu_->addAction(QStringLiteral("Capture an Image"), this, &TrayMenu::captureRequested);
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Quit"), this, &TrayMenu::quitRequested);
    style::applyFlatMenuStyle(menu_.get());

    const QIcon icon = style::productIcon();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = std::make_unique<QSystemTrayIcon>(icon);
        tray_->setToolTip(hint_);
        tray_->setContextMenu(menu_.get());
        connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
            if (r == QSystemTrayIcon::Trigger)
                popUp();
        });
    } else {
        fallback_ = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
        fallback_->setWindowTitle(QStringLiteral("Mirovex"));
        fallback_->setWindowIcon(icon);
        auto* row = new QHBoxLayout(fallback_.get());
        auto* button = new QPushButton(QStringLiteral("Mirovex"));
        button->setMenu(menu_.get());
        row->addWidget(button);
    }
}

void TrayMenu::show()
{
    if (tray_)
        tray_->show();
    else
        fallback_->show();
}

TrayMenu::~TrayMenu() = default;

void TrayMenu::setHint(const QString& hint)
{
    if (hint == hint_)
        return;
    hint_ = hint;
    if (tray_)
        tray_->setToolTip(hint);
}

QString TrayMenu::hint() const { return hint_; }

void TrayMenu::popUp() { menu_->popup(QCursor::pos()); }

} // namespace mirovex
