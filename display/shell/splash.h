// The start-up splash: the program's name and a progress bar that follows
// the creation of the windows.
#pragma once

#include <QWidget>

namespace mirovex {

class TSplashScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSteps = 30;

    TSplashScreen();
    int progress() const { return progress_; }
    // Paints at once: start-up runs before the event loop does.
    void setProgress(int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int progress_ = 0;
};

} // namespace mirovex
