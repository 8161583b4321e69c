// The tray icon and its control menu: every command that exists so far,
// reachable while the toolbar is hidden. Items the toolbar also has are the
// toolbar's own actions, so enabling and check marks follow. Where the
// desktop has no tray, a small window carries the same menu, so the program
// is never out of reach.
#pragma once

#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace mirovex {

class MirrorController;
class TMainForm;

class TrayMenu : public QObject {
    Q_OBJECT
public:
    TrayMenu(MirrorController& controller, TMainForm& toolbar);
    ~TrayMenu() override;

    QMenu* menu() const { return menu_.get(); }
    bool hasTray() const { return tray_ != nullptr; }
    // The icon in the tray, or the small window where there is none.
    void show();
    // The icon's hint (several lines allowed).
    void setHint(const QString& hint);
    QString hint() const;

signals:
    void quitRequested();
    void resetRequested();
    void captureRequested();
    void hotkeysRequested();
    void scrollTextRequested();
    void slideshowContinueRequested();
    void slideshowOpenRequested();
    void slideshowMakeRequested();
    void drawRequested();
    void annotateRequested();

private:
    void popUp();

    MirrorController& controller_;
    TMainForm& toolbar_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<QWidget> fallback_;
    QString hint_;
};

} // namespace mirovex
