// The selection window: a layer over the whole desktop on which the
// presenter drags the area to mirror. With a compositor it is see-through;
// without one it shows a still picture of the screen taken just before, so
// it looks the same and is never an opaque wall.
#pragma once

#include <QDialog>
#include <QImage>

#include <optional>

namespace mirovex {

class TfGrab : public QDialog {
    Q_OBJECT
public:
    // `rootArea`: the desktop on the X root; `primaryOrigin`: where the
    // primary display's corner lies on it, the origin of the programs'
    // frame. A null `still` means a compositor draws what lies beneath.
    TfGrab(const QRect& rootArea, QPoint primaryOrigin, QImage still);

    // After exec(): the selected rectangle in the programs' frame, or none
    // when cancelled (right button, Escape).
    std::optional<QRect> selection() const { return selection_; }
    bool dragging() const { return press_.has_value(); }
    QString readoutText() const { return readout_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPoint toFrame(QPoint local) const { return local + rootArea_.topLeft() - primaryOrigin_; }
    QPoint clampedLocal(QPoint local) const;
    QRect bandLocal() const;
    QRect readoutRect() const;
    void setReadout(const QString& text);

    QRect rootArea_;
    QPoint primaryOrigin_;
    QImage still_;
    std::optional<QPoint> press_; // local
    QPoint pointer_;              // local
    QString readout_;
    std::optional<QRect> selection_;
};

} // namespace mirovex
