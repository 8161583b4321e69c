// The see-through board that lies over one display. Empty for now: what is
// drawn on it comes with the drawing tools. Only our own close paths end it;
// the window manager's close (Alt+F4) is ignored.
#pragma once

#include <QWidget>

namespace mirovex::annotate {

class TfBoard : public QWidget {
    Q_OBJECT
public:
    TfBoard();

    // Covers `display` (root coordinates) and comes up above everything,
    // a focused full-screen window included.
    void showOver(const QRect& display);
    // Our own close paths let the board close.
    void allowClose() { closeAllowed_ = true; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applySeeThrough();
    bool closeAllowed_ = false;
};

} // namespace mirovex::annotate
