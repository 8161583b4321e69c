// The settings window (`TfSettings`): seven pages over the annotation
// program's settings. Changes that show at once (grid, theme) apply while it
// is open; "OK" and closing write their sets of keys. Put away by the
// display program, it is dismissed: hidden, the remembered state restored,
// nothing written.
#pragma once

#include "annotate/settings/notelhotkeys.h"
#include "annotate/settings/notelsettings.h"
#include "annotate/settings/windowobjects.h"

#include <QWidget>

#include <array>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QComboBox;
class QPushButton;

namespace mirovex::ui {
class HotkeyField;
}

namespace mirovex::annotate {

class AnnotateApp;

class TfSettings : public QWidget {
    Q_OBJECT
public:
    enum Page { VisibleButtons, Interface, General, Hotkeys, SelectedArea, Grid, Mouse };

    explicit TfSettings(AnnotateApp& app);

    void open(Page page = VisibleButtons);
    // "OK": the quick-save keys, the grid, the layout and the visible
    // buttons, then the close.
    void confirm();
    // The close button: the main settings, the hotkeys and the look.
    void closeWindow();
    // Hidden without writing anything; the state as it was when opened.
    void dismiss();

    QTabWidget* tabs() const { return tabs_; }
    QString namePreview() const;
    // "Reset Messages".
    void resetMessages();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeButtonsPage();
    QWidget* makeInterfacePage();
    QWidget* makeGeneralPage();
    QWidget* makeHotkeysPage();
    QWidget* makeAreaPage();
    QWidget* makeGridPage();
    QWidget* makeMousePage();
    void fill();
    void takeFields();
    void updatePreview();
    void updateHotkeyStatus();
    void pickColour(quint32& value, QPushButton* swatch);

    AnnotateApp& app_;
    notel::MainSettings remembered_;
    // As last confirmed with "OK"; the close button and dismissal leave them.
    notel::WindowObjects objects_;
    QTabWidget* tabs_ = nullptr;
    std::array<QCheckBox*, notel::kButtonCount> buttons_{};
    QButtonGroup* theme_ = nullptr;
    QPushButton* panelSwatch_ = nullptr;
    QPushButton* iconSwatch_ = nullptr;
    QCheckBox* smooth_ = nullptr;
    QCheckBox* iconToolColour_ = nullptr;
    QCheckBox* minimal_ = nullptr;
    QCheckBox* curved_ = nullptr;
    QCheckBox* clearOn_ = nullptr;
    std::vector<std::pair<int, ui::HotkeyField*>> hotkeyFields_;
    std::vector<QLabel*> hotkeyStatus_;
    QLineEdit* name_ = nullptr;
    QSpinBox* counter_ = nullptr;
    QComboBox* type_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QLabel* preview_ = nullptr;
    QButtonGroup* action_ = nullptr;
    QButtonGroup* capture_ = nullptr;
    QCheckBox* previewAction_ = nullptr;
    QSpinBox* gridX_ = nullptr;
    QSpinBox* gridY_ = nullptr;
    QPushButton* gridSwatch_ = nullptr;
    QRadioButton* mainMenu_ = nullptr;
    QRadioButton* extraMenu_ = nullptr;
    bool closing_ = false;
};

} // namespace mirovex::annotate
