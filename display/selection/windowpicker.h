// The "Select Window" picker: the application windows as rows of icon,
// title, program and state. A row chooses its window; "Find" shows for a
// second where the window is; closing chooses nothing.
#pragma once

#include "platform/windowlist.h"

#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <optional>

class QScrollArea;
class QVBoxLayout;

namespace mirovex {

// The red 4-pixel frame that "Find" shows around a window for a second.
class FrameFlash : public QWidget {
    Q_OBJECT
public:
    FrameFlash();
    void flash(const QRect& frameOnRoot, int ms = 1000);
    bool flashing() const { return isVisible(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
};

class TFselectWindow : public QDialog {
    Q_OBJECT
public:
    explicit TFselectWindow(QList<platform::WindowInfo> rows);

    // After exec(): the chosen window; none when the picker was closed
    // without choosing (only "Find" chooses nothing either).
    std::optional<std::uint32_t> choice() const { return choice_; }
    const QList<platform::WindowInfo>& rows() const { return rows_; }
    FrameFlash& flash() { return flash_; }

    // The row widgets, for tests: row i's geometry in the picker.
    QRect rowGeometry(int i) const;
    QRect findButtonGeometry(int i) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* makeRow(int index);

    QList<platform::WindowInfo> rows_;
    QList<QWidget*> rowWidgets_;
    QScrollArea* scroll_ = nullptr;
    FrameFlash flash_;
    std::optional<std::uint32_t> choice_;
};

} // namespace mirovex
