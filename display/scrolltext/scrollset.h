// "Scrolling Text": the window in which the presenter composes a line of
// text with a live preview and sends it to the target display, in a strip
// over the target window or floating over any display.
#pragma once

#include "display/scrolltext/scrollingtext.h"
#include "display/scrolltext/scrollstrip.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace mirovex {

class MirrorController;
namespace platform {
class ClipboardReader;
}
namespace ui {
class ColorDialog;
}

class Tfscrolset : public QWidget {
    Q_OBJECT
public:
    // What the window asks of the windows above it.
    struct Hooks {
        std::function<void()> toggleTarget;      // the toolbar's show/hide of the target display
        std::function<void()> closed;            // the toolbar may come to the front again
        std::function<QRect()> toolbarDisplay;   // the display the toolbar is on, on the root
        std::function<void()> opening;           // windows that give way to this one
    };

    Tfscrolset(MirrorController& mirror, ui::ColorDialog& colours, Hooks hooks);
    ~Tfscrolset() override;

    // "Scrolling Text" in the menus: on the toolbar's display, in front.
    void open();
    // "  Send Text".
    void sendText();
    // "Hide", and Stop Projection, Stop All and Exit: the strip goes away.
    void hideStrip();
    // "Show on next display".
    void showOnNextDisplay();
    // "Open" / "Save" of a ".sct" file, without the file dialog.
    bool openFile(const QString& path);
    bool saveFile(const QString& path);

    ScrollStrip& strip() { return *strip_; }
    ScrollingText* preview() const { return rtmSet_; }
    QLineEdit* textEdit() const { return edit1_; }
    QSlider* textHeight() const { return xiFont_; }
    QSlider* backgroundHeight() const { return xHeight_; }
    QCheckBox* dynamicHeight() const { return dinamikVisina_; }
    QSpinBox* intervalBox() const { return seInterval_; }
    QSpinBox* stepBox() const { return seStep_; }
    QCheckBox* positionBox(scrolltext::Position p) const;
    QCheckBox* directionBox(scrolltext::Direction d) const;
    QCheckBox* transparentBox() const { return cbTransparent_; }
    QCheckBox* floatBox() const { return cbFloat_; }
    QPushButton* button(const QString& caption) const;
    int floatingIndex() const { return floatingIndex_; }
    QString defaultSaveName() const { return saveName_; }

    scrolltext::Position position() const;
    scrolltext::Settings settings() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QCheckBox* switchBox(bool on);
    QPushButton* addButton(const QString& caption, void (Tfscrolset::*slot)());
    void textChanged();
    void textHeightChanged(int value);
    void backgroundHeightChanged(int value);
    void centrePreview();
    void chooseFont();
    void chooseColour(bool background);
    void pasteText();
    void openTextFile();
    void saveTextFile();
    void openSctFile();
    void saveSctFile();
    void clearText();
    void showDisplay();
    void updateShowCaption();
    void placeFloating();
    void applyFont();
    int targetIndex() const;
    std::optional<QString> askFile(bool save, const QString& filterName, const QString& suffix, const QString& start);

    MirrorController& mirror_;
    ui::ColorDialog& colours_;
    Hooks hooks_;
    std::unique_ptr<ScrollStrip> strip_;
    platform::ClipboardReader* clipboard_ = nullptr;

    QLineEdit* edit1_ = nullptr;
    QWidget* gb2_ = nullptr;
    ScrollingText* rtmSet_ = nullptr;
    QSlider* xiFont_ = nullptr;
    QLabel* xiFontLabel_ = nullptr;
    QSlider* xHeight_ = nullptr;
    QLabel* xHeightLabel_ = nullptr;
    QCheckBox* dinamikVisina_ = nullptr;
    QSpinBox* seInterval_ = nullptr;
    QSpinBox* seStep_ = nullptr;
    QCheckBox* pTop_ = nullptr;
    QCheckBox* pCenter_ = nullptr;
    QCheckBox* pDol_ = nullptr;
    QCheckBox* bbrtl_ = nullptr;
    QCheckBox* bbltr_ = nullptr;
    QCheckBox* cbTransparent_ = nullptr;
    QCheckBox* cbFloat_ = nullptr;
    QPushButton* nextDisplay_ = nullptr;
    QPushButton* showDisplay_ = nullptr;
    QList<QPushButton*> buttons_;

    QFont font_;                 // the preview's font, sized by "Text Height"
    int floatingIndex_ = 110;    // 100 and up: the target display
    QString saveName_;
    QString textFolder_;
    bool focusText_ = true;
    bool reading_ = false;       // a file is being applied: no dynamic height
};

} // namespace mirovex
