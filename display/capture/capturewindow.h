// "Capture an Image": the window that sets where and how what the target
// display shows is saved, and arms the capture hotkey; and the capture
// itself. A capture takes the next free number on the spot, is encoded and
// written on a thread of its own (the frames and the hotkeys never wait for
// the disk), and counts only once its file is complete.
#pragma once

#include "common/picture/picturefile.h"
#include "common/ui/hotkeyfield.h"

#include <QThreadPool>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace mirovex {

class MirrorController;

class TFsave : public QWidget {
    Q_OBJECT
public:
    explicit TFsave(MirrorController& mirror);
    ~TFsave() override;

    QLineEdit* folderEdit() const { return folder_; }
    QLineEdit* baseEdit() const { return base_; }
    QSpinBox* numberBox() const { return number_; }
    QComboBox* typeBox() const { return type_; }
    QCheckBox* beepBox() const { return beep_; }
    ui::HotkeyField* shortcutEdit() const { return shortcut_; }
    QPushButton* startButton() const { return start_; }
    QString previewText() const;

    picture::FileType fileType() const;
    int counter() const { return counter_; }
    bool armed() const { return armed_; }

    // How the capture hotkey is armed (true) and disarmed (false) with the
    // given shortcut text. Arming answers why the key cannot be used, or
    // nothing when it now works. Without an armer nothing can be armed.
    using Armer = std::function<QString(const QString& shortcut, bool arm)>;
    void setHotkeyArmer(Armer armer) { armer_ = std::move(armer); }
    // What the shortcut field needs of the keyboard to record keys.
    void setKeyboard(ui::HotkeyField::Keyboard keyboard);

    // "Start" / "Stop".
    void startOrStop();
    // The capture hotkey's command: saves what the target display shows.
    void captureNow();
    // Waits until every capture in flight is written (tests, exit).
    void waitForWrites();

signals:
    void captured(const QString& path);
    void captureFailed(const QString& path, const QString& why);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void updatePreview();
    void storeShortcut();
    void finishCapture(const QString& path, int used, bool fromCounter, const QString& error);
    bool folderMissing();

    MirrorController& mirror_;
    QLineEdit* folder_ = nullptr;
    QLineEdit* base_ = nullptr;
    QSpinBox* number_ = nullptr;
    QComboBox* type_ = nullptr;
    QCheckBox* beep_ = nullptr;
    ui::HotkeyField* shortcut_ = nullptr;
    QPushButton* start_ = nullptr;
    QLabel* preview_ = nullptr;
    int counter_ = 10;
    bool armed_ = false;
    Armer armer_;
    QThreadPool writer_;
};

} // namespace mirovex
