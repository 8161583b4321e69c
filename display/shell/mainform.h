// The floating toolbar through which the presenter runs the mirror: Menu,
// Send To Target Display, Quick Show and Run/Stop, with their menus, and the
// timers that keep it in front, bring it back from faded and update the
// tray hint.
#pragma once

#include "display/shell/toolbarlogic.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QTimer;
class QToolButton;

namespace mirovex {

class AreaSelection;
class MirrorController;

class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(MirrorController& controller);
    ~TMainForm() override;

    // Puts the toolbar at `rootPos` and keeps it there should the window
    // manager place it elsewhere when it maps it.
    void placeAt(const QPoint& rootPos);
    // "Show Toolbar": closes the toolbar when it is shown, else shows it.
    void toggleShown();

    QToolButton* menuButton() const { return xbMenu_; }
    QToolButton* sendButton() const { return speedButton8_; }
    QToolButton* quickButton() const { return xiQuick_; }
    QToolButton* runButton() const { return xiTekanje_; }
    QMenu* quickMenu() const { return popQuick_; }
    QMenu* optionsMenu() const { return popupMenu2_; }
    // A menu item by its caption, in either menu or their submenus.
    QAction* action(const QString& caption) const;

    // The desktop-area commands and the marking switches come alive.
    void setAreaSelection(AreaSelection& area);
    // "Preview" shows and hides this window.
    void setImageWindow(QWidget& window);

    bool showSendButton() const { return showSend_; }
    void setShowSendButton(bool on);

    // "Transparent Toolbar": the face colour becomes see-through.
    bool transparent() const { return transparent_; }
    void setTransparent(bool on);
    // Whether the see-through drawing uses the compositor's alpha (else an
    // X shape cut out of the key colour).
    bool seeThroughByAlpha() const { return byAlpha_; }

    // 0..255; drawn fully opaque from 200 up. Below 255 the pointer is
    // watched so that it can bring the toolbar back.
    int opacity() const { return opacity_; }
    void setOpacity(int value);
    bool watchingPointer() const;

    void setBringToFrontAllowed(bool on) { bringToFrontAllowed_ = on; }

    // Opens the Quick Show menu below its button (or at the pointer while
    // the toolbar is hidden).
    void offerSources();

    // Every setting the program keeps, with the toolbar's live state, in
    // one write; and the toolbar's own position keys.
    bool saveAllSettings();
    bool writePosition();

    // The tray hint the keep-in-front timer sets; a callback so the tray
    // can follow without the toolbar knowing it.
    void setTrayHintSink(std::function<void(const QString&)> sink) { trayHintSink_ = std::move(sink); }
    // One tick of the 2.5 s timer, callable from tests.
    void keepInFrontTick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* makeButton(const QString& hint);
    void buildQuickMenu();
    void buildOptionsMenu();
    void layOut();
    void applyLook();
    void updateShape();
    void scheduleShape();
    void updateRunButton(bool running);
    void popUpBelow(QToolButton* button, QMenu* menu);
    void menuOpening();
    void showEffectChecks();
    void opacityTick();
    QList<QRect> displaysInFrame() const;
    // Qt can keep the position it read while the window manager was still
    // framing the new window; the X server's answer puts it right.
    void settlePosition();

    MirrorController& controller_;
    QWidget* panel_ = nullptr; // RGPanel1
    QToolButton* xbMenu_ = nullptr;
    QToolButton* speedButton8_ = nullptr;
    QToolButton* xiQuick_ = nullptr;
    QToolButton* xiTekanje_ = nullptr;
    QMenu* popQuick_ = nullptr;
    QMenu* popupMenu2_ = nullptr;
    QAction* samozagon_ = nullptr;
    QAction* transparentItem_ = nullptr;
    QAction* showTargetItem_ = nullptr;
    QAction* invertItem_ = nullptr;
    QAction* greyItem_ = nullptr;
    QAction* isolationItem_ = nullptr;
    QAction* spotlightItem_ = nullptr;
    QAction* swapItem_ = nullptr;
    QList<QAction*> spotSizeItems_;
    QList<QAction*> swapModeItems_;
    QList<std::pair<QAction*, int>> tintItems_;
    QList<std::pair<QAction*, int>> effectItems_;
    QTimer* timer1_ = nullptr; // opacity
    QTimer* timer3_ = nullptr; // tray hint and keep in front
    QTimer* shapeTimer_ = nullptr;

    bool showSend_ = true;
    bool transparent_ = false;
    bool byAlpha_ = false;
    int opacity_ = 255;
    bool bringToFrontAllowed_ = true;
    std::optional<std::uint32_t> foregroundAtMenu_;
    std::optional<QPoint> dragOffset_;
    std::optional<QPoint> placed_; // where our own code last put the toolbar, on the root
    std::function<void(const QString&)> trayHintSink_;
};

} // namespace mirovex
