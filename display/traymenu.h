// A provisional way to the engine until the toolbar exists: the tray icon's
// menu, or, where the desktop has no tray, a small window with the same
// commands, so the program is never out of reach.
#pragma once

#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace mirovex {

class MirrorController;

class TrayMenu : public QObject {
    Q_OBJECT
public:
    explicit TrayMenu(MirrorController& controller);
    ~TrayMenu() override;

    QMenu* menu() const { return menu_.get(); }

signals:
    void quitRequested();

private:
    void popUp();

    MirrorController& controller_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<QWidget> fallback_;
    QAction* run_ = nullptr;
};

} // namespace mirovex
