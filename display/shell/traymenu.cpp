#include "display/shell/traymenu.h"

#include "display/shell/mainform.h"
#include "display/engine/mirrorcontroller.h"
#include "display/engine/targetwindow.h"
#include "display/shell/toolbarstyle.h"
#include "display/shell/userguide.h"
#include "common/ui/dialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QCursor>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace mirovex {

TrayMenu::TrayMenu(MirrorController& controller, TMainForm& toolbar)
    : controller_(controller), toolbar_(toolbar), menu_(std::make_unique<QMenu>()), hint_(QStringLiteral("Mirovex"))
{
    const auto shared = [this](QMenu* menu, const char* caption) {
        if (QAction* a = toolbar_.action(QString::fromLatin1(caption)))
            menu->addAction(a);
    };
    QMenu* quick = menu_->addMenu(QStringLiteral("Quick Display"));
    shared(quick, "Select Desktop Area");
    shared(quick, "Previously Selected Desktop Area");
    shared(quick, "Focus");
    quick->addSeparator();
    shared(quick, "Desktop");
    shared(quick, "Window Area");
    shared(quick, "Clipboard");
    quick->addAction(QStringLiteral("Scrolling Text"), this, &TrayMenu::scrollTextRequested);
    QMenu* slides = quick->addMenu(QStringLiteral("Slideshow"));
    slides->addAction(QStringLiteral("Continue Last Session"), this, &TrayMenu::slideshowContinueRequested);
    slides->addAction(QStringLiteral("Open Slideshow"), this, &TrayMenu::slideshowOpenRequested);
    slides->addAction(QStringLiteral("Make Slideshow"), this, &TrayMenu::slideshowMakeRequested);

    QMenu* display = menu_->addMenu(QStringLiteral("Display Settings"));
    shared(display, "Show Target Display");

    QMenu* bar = menu_->addMenu(QStringLiteral("Toolbar "));
    QAction* showBar = bar->addAction(QStringLiteral("Show Toolbar"));
    showBar->setCheckable(true);
    connect(showBar, &QAction::triggered, &toolbar_, &TMainForm::toggleShown);
    bar->addSeparator();
    shared(bar, "Transparent Toolbar");
    connect(menu_.get(), &QMenu::aboutToShow, this, [this, showBar] {
        showBar->setChecked(toolbar_.isVisible());
        if (QAction* target = toolbar_.action(QStringLiteral("Show Target Display")))
            target->setChecked(controller_.target().isVisible());
    });
    menu_->addSeparator();
    shared(menu_.get(), "Preview");
    shared(menu_.get(), "Window Management");

    // Until the control panel exists, its commands are reached from here.
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Capture an Image"), this, &TrayMenu::captureRequested);
    menu_->addAction(QStringLiteral("Hotkeys"), this, &TrayMenu::hotkeysRequested);
    menu_->addAction(QStringLiteral("Draw"), this, &TrayMenu::drawRequested);
    menu_->addAction(QStringLiteral("Vidizizu"), this, [this] {
        // The menu closes first, so the board does not come up under it.
        QTimer::singleShot(500, this, &TrayMenu::annotateRequested);
    });
    menu_->addAction(QStringLiteral("Increase Focus Area Size"), this, [this] { controller_.zoomIn(); });
    menu_->addAction(QStringLiteral("Decrease Focus Area Size"), this, [this] { controller_.zoomOut(); });
    menu_->addAction(QStringLiteral("Copy Displayed To Clipboard"), this, [this] { controller_.copyDisplayedToClipboard(); });
    menu_->addAction(QStringLiteral("Reset All Settings"), this, &TrayMenu::resetRequested);

    QMenu* help = menu_->addMenu(QStringLiteral("Help"));
    help->addAction(QStringLiteral("User Guide"), this, [] {
        const QString guide = findUserGuide(QCoreApplication::applicationDirPath(), sourceUserGuide());
        if (guide.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(guide))) {
            ui::Message failed;
            failed.text = guide.isEmpty() ? QStringLiteral("The user guide is not installed.")
                                          : QStringLiteral("The user guide \"%1\" could not be opened.").arg(guide);
            failed.icon = QMessageBox::Warning;
            failed.beep = true;
            ui::ask(failed);
        }
    });
    help->addAction(QStringLiteral("About"), this, [] {
        ui::Message about;
        about.text = QStringLiteral("Mirovex %1\n\nShows the desktop on a second display.")
                         .arg(QCoreApplication::applicationVersion());
        about.buttons = QMessageBox::Close;
        ui::ask(about);
    });

    menu_->addSeparator();
    shared(menu_.get(), "Stop Projection");
    shared(menu_.get(), "Stop All");
    menu_->addAction(QStringLiteral("Exit"), this, &TrayMenu::quitRequested);
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
