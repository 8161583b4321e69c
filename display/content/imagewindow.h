// The image window: a small floating thumbnail of what the audience sees,
// refreshed four times a second, so the presenter need not turn round.
#pragma once

#include <QImage>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QToolButton;

namespace mirovex {

class TFslika : public QWidget {
    Q_OBJECT
public:
    // `sourceRect` says, at each refresh, which part of the root to show:
    // the target window while it is up, else the target display.
    explicit TFslika(std::function<QRect()> sourceRect);
    ~TFslika() override;

    // "+" and "-": 50 pixels higher or lower, within a third of the source
    // display's height and above 100; the width keeps the target display's
    // shape.
    void grow();
    void shrink();
    QImage shownPicture() const { return shown_; }
    int refreshes() const { return refreshes_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

signals:
    void refreshWanted(const QRect& rootRect, const QSize& viewSize);

private:
    void setHeightKeepingShape(int height);
    void pullBack();
    void placeButtons();
    QRect viewRect() const;
    void writePlace();

    std::function<QRect()> sourceRect_;
    QThread thread_;
    QObject* worker_ = nullptr;
    QTimer timer_;
    QImage shown_;
    int refreshes_ = 0;
    bool waiting_ = false;
    QToolButton* minus_ = nullptr;
    QToolButton* plus_ = nullptr;
    QToolButton* close_ = nullptr;
    std::optional<QPoint> dragOffset_;
};

// The picture shown for `capture`: stretched to `view` (the target's shape
// is kept by the window's own shape) with "Preview" written on it.
QImage previewPicture(const QImage& capture, QSize view);

} // namespace mirovex
