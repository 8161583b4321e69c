// The tray button (`TfMenu`): a 32 x 32 button that stays on top where the
// presenter put it. A click brings the board up at its place, a drag moves
// it; its menu puts the program away or ends it. The window manager's close
// is ignored.
#pragma once

#include <QWidget>

class QMenu;
class QTimer;

namespace mirovex::annotate {

class TfMenu : public QWidget {
    Q_OBJECT
public:
    TfMenu();

    // The stored place (frame coordinates) as the displays allow it.
    void placeFromSettings();
    // The top-left in the programs' frame.
    QPoint framePos() const;
    void moveToFrame(QPoint p);
    void allowClose() { closeAllowed_ = true; }

signals:
    void clicked();           // released where it went down
    void draggedAway();       // released elsewhere
    void doubleClicked();
    void putAwayRequested();  // "Minimize to Tray"
    void closeRequested();    // "Close Vidizizu"
    void menuOpening();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void raiseInCorner();

    QMenu* menu_ = nullptr;
    QTimer* cornerTimer_ = nullptr;
    QPoint pressGlobal_;
    QPoint pressPos_;
    bool pressed_ = false;
    bool closeAllowed_ = false;
};

} // namespace mirovex::annotate
