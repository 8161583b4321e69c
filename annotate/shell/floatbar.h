// The floating toolbar (`TFloat`), as far as it goes so far: its grip. A
// drag moves it, a click puts the program away; its menu has "Minimize to
// Tray" and "Close Vidizizu". The buttons come with the toolbar itself.
#pragma once

#include <QWidget>

class QMenu;

namespace mirovex::annotate {

class TFloat : public QWidget {
    Q_OBJECT
public:
    TFloat();

    QPoint framePos() const;
    void moveToFrame(QPoint p);
    void allowClose() { closeAllowed_ = true; }

signals:
    void putAwayRequested();
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QMenu* menu_ = nullptr;
    QPoint pressGlobal_;
    QPoint pressPos_;
    bool pressed_ = false;
    bool dragged_ = false;
    bool closeAllowed_ = false;
};

} // namespace mirovex::annotate
