#include "annotate/shell/settingswindow.h"

#include "annotate/shell/annotateapp.h"
#include "common/settings/settingsfolder.h"
#include "common/ui/colordialog.h"
#include "common/ui/dialogs.h"
#include "common/ui/hotkeyfield.h"
#include "platform/hotkeys.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace mirovex::annotate {

namespace {
// The visibility check boxes and the "Vidno" number each one stands for.
struct ButtonBox {
    const char* caption;
    int number;
};
constexpr ButtonBox kButtonBoxes[notel::kButtonCount] = {
    {"Freehand Arrow", 2}, {"Spray", 3},       {"Rectangle", 4},   {"Ellipse", 5},
    {"Line", 6},           {"Arrow", 7},       {"Draw Once", 8},   {"Undo", 9},
    {"Eraser", 10},        {"Select Area", 11}, {"Stamp", 12},     {"Text", 13},
    {"Marker", 14},        {"Clear All", 15},  {"Additional Menu ", 16}, {"Flood Fill", 17},
};

// The hotkey editors in their order on the page, and their keys.
struct HotkeyEditor {
    const char* caption;
    const char* key;
};
constexpr HotkeyEditor kHotkeyEditors[] = {
    {"Desktop", "HotKey18"},   {"Pen ", "HotKey6"},           {"Highlighter", "HotKey9"}, {"Arrow", "HotKey13"},
    {"Spray", "HotKey8"},      {"Flood Fill", "HotKey210"},   {"Rectangle", "HotKey10"},  {"Ellipse", "HotKey11"},
    {"Line", "HotKey12"},      {"Freehand Arrow", "HotKey7"}, {"Grid", "HotKey17"},       {"Text", "HotKey14"},
    {"Stamp", "HotKey1"},      {"Eraser", "HotKey15"},        {"Undo", "HotKey3"},        {"Clear All", "HotKey2"},
    {"Draw Once", "HotKey4"},  {"Settings", "HotKey220"},     {"Screenshot", "HotKey5"},  {"Show Toolbar", "HotKey16"},
    {"Freeze Desktop", "HotKey300"},
};

void paintSwatch(QPushButton* swatch, quint32 value)
{
    const QColor c = colourFromValue(value);
    swatch->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #808080;").arg(c.name()));
}

QPushButton* swatchButton()
{
    auto* b = new QPushButton;
    b->setFixedSize(48, 22);
    return b;
}
} // namespace

TfSettings::TfSettings(AnnotateApp& app)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), app_(app)
{
    setObjectName(QStringLiteral("TfSettings"));
    setWindowTitle(QStringLiteral("Mirovex Vidizizu"));
    setFixedSize(756, 612);
    auto* outer = new QVBoxLayout(this);
    auto* head = new QHBoxLayout;
    auto* title = new QLabel(QStringLiteral("Settings"));
    QFont f = title->font();
    f.setPointSize(f.pointSize() + 3);
    f.setBold(true);
    title->setFont(f);
    head->addWidget(title);
    head->addStretch();
    auto* close = new QPushButton(QStringLiteral("X"));
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setFixedSize(28, 24);
    connect(close, &QPushButton::clicked, this, &TfSettings::closeWindow);
    head->addWidget(close);
    outer->addLayout(head);

    tabs_ = new QTabWidget;
    tabs_->addTab(makeButtonsPage(), QStringLiteral("  Visible buttons"));
    tabs_->addTab(makeInterfacePage(), QStringLiteral("  Interface"));
    tabs_->addTab(makeGeneralPage(), QStringLiteral("  General"));
    tabs_->addTab(makeHotkeysPage(), QStringLiteral("  Hotkeys"));
    tabs_->addTab(makeAreaPage(), QStringLiteral("  Selected Area"));
    tabs_->addTab(makeGridPage(), QStringLiteral("  Grid"));
    tabs_->addTab(makeMousePage(), QStringLiteral("  Mouse"));
    outer->addWidget(tabs_, 1);

    auto* foot = new QHBoxLayout;
    foot->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OkButton"));
    connect(ok, &QPushButton::clicked, this, &TfSettings::confirm);
    foot->addWidget(ok);
    outer->addLayout(foot);

    notel::loadWindowObjects(settingsFolder(), objects_);
    // "NotelB.cfg" only records the icon colour; the icon colour panel keeps
    // it for the themes that do not fix it.
    notel::MainSettings& s = app_.settings();
    if (s.chfPanel == notel::Custom || s.chfPanel == notel::UserDefined)
        s.fIkona = objects_.iconPanel.color;
}

QWidget* TfSettings::makeButtonsPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    auto* pen = new QCheckBox(QStringLiteral("Pen 1 [ Default ]"));
    pen->setChecked(true);
    pen->setEnabled(false);
    grid->addWidget(pen, 0, 0);
    for (int i = 0; i < notel::kButtonCount; ++i) {
        buttons_[std::size_t(i)] = new QCheckBox(QString::fromLatin1(kButtonBoxes[i].caption));
        const int cell = i + 1;
        grid->addWidget(buttons_[std::size_t(i)], cell % 9, cell / 9);
    }
    auto* all = new QPushButton(QStringLiteral("Select All"));
    connect(all, &QPushButton::clicked, this, [this] {
        for (QCheckBox* b : buttons_)
            b->setChecked(true);
    });
    auto* invert = new QPushButton(QStringLiteral("Invert Selection"));
    connect(invert, &QPushButton::clicked, this, [this] {
        for (QCheckBox* b : buttons_)
            b->setChecked(!b->isChecked());
    });
    minimal_ = new QCheckBox(QStringLiteral("Minimalistic"));
    grid->addWidget(all, 10, 0);
    grid->addWidget(invert, 10, 1);
    grid->addWidget(minimal_, 11, 0);
    grid->setRowStretch(12, 1);
    return page;
}

QWidget* TfSettings::makeInterfacePage()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* box = new QGroupBox(QStringLiteral("ToolBar Color Theme"));
    auto* row = new QHBoxLayout(box);
    theme_ = new QButtonGroup(this);
    const std::pair<const char*, int> themes[] = {
        {"Dark", notel::Dark}, {"Light", notel::Light}, {"Custom", notel::Custom}, {"User defined", notel::UserDefined}};
    for (const auto& [caption, id] : themes) {
        auto* r = new QRadioButton(QString::fromLatin1(caption));
        theme_->addButton(r, id);
        row->addWidget(r);
    }
    panelSwatch_ = swatchButton();
    row->addWidget(panelSwatch_);
    v->addWidget(box);
    connect(panelSwatch_, &QPushButton::clicked, this, [this] {
        pickColour(app_.settings().fPanel, panelSwatch_);
    });
    connect(theme_, &QButtonGroup::idClicked, this, [this](int id) {
        notel::MainSettings& s = app_.settings();
        s.chfPanel = id;
        // The fixed themes colour the toolbar and its icons at once.
        if (id == notel::Dark) {
            s.fPanel = notel::kDarkPanel;
            s.fIkona = notel::kDarkIcon;
        } else if (id == notel::Light) {
            s.fPanel = notel::kLightPanel;
            s.fIkona = notel::kLightIcon;
        }
        paintSwatch(panelSwatch_, s.fPanel);
        paintSwatch(iconSwatch_, s.fIkona);
    });

    auto* icon = new QHBoxLayout;
    icon->addWidget(new QLabel(QStringLiteral("Icon background color")));
    iconSwatch_ = swatchButton();
    icon->addWidget(iconSwatch_);
    auto* select = new QPushButton(QStringLiteral("Select color"));
    connect(select, &QPushButton::clicked, this, [this] { pickColour(app_.settings().fIkona, iconSwatch_); });
    connect(iconSwatch_, &QPushButton::clicked, select, &QPushButton::click);
    icon->addWidget(select);
    icon->addStretch();
    v->addLayout(icon);
    smooth_ = new QCheckBox(QStringLiteral("Smooth Dropdown ToolBar"));
    v->addWidget(smooth_);
    iconToolColour_ = new QCheckBox(QStringLiteral("Icon with Tool Color"));
    connect(iconToolColour_, &QCheckBox::clicked, this, [this](bool on) {
        app_.settings().chfPanel = on ? notel::Custom : notel::UserDefined;
        if (QAbstractButton* b = theme_->button(app_.settings().chfPanel))
            b->setChecked(true);
    });
    v->addWidget(iconToolColour_);
    v->addStretch();
    return page;
}

QWidget* TfSettings::makeGeneralPage()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    curved_ = new QCheckBox(QStringLiteral("Curved Lines"));
    clearOn_ = new QCheckBox(QStringLiteral("Hide Drawing on Toolbar Minimize"));
    connect(clearOn_, &QCheckBox::clicked, this, [this](bool on) { app_.settings().clearOn = on ? 1 : 0; });
    v->addWidget(curved_);
    v->addWidget(clearOn_);
    auto* messages = new QPushButton(QStringLiteral("Reset Messages"));
    messages->setObjectName(QStringLiteral("ResetMessages"));
    connect(messages, &QPushButton::clicked, this, &TfSettings::resetMessages);
    auto* reset = new QPushButton(QStringLiteral("Reset All Settings"));
    reset->setObjectName(QStringLiteral("ResetAll"));
    connect(reset, &QPushButton::clicked, &app_, &AnnotateApp::resetAllSettings);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(messages);
    buttons->addWidget(reset);
    buttons->addStretch();
    v->addLayout(buttons);
    // Kept for their place on the page; the display program owns start-up.
    auto* load = new QCheckBox(QStringLiteral("Load at System Startup"));
    auto* show = new QCheckBox(QStringLiteral("Show ToolBar on Start"));
    load->setEnabled(false);
    show->setEnabled(false);
    v->addWidget(load);
    v->addWidget(show);
    v->addStretch();
    return page;
}

QWidget* TfSettings::makeHotkeysPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    for (const HotkeyEditor& e : kHotkeyEditors) {
        auto* field = new ui::HotkeyField;
        field->setKeyboard({[this](std::uint32_t code) { return app_.grabber().baseKeysym(code); }, {}});
        field->setFixedWidth(170);
        auto* status = new QLabel;
        status->setStyleSheet(QStringLiteral("color: #a00000;"));
        const int column = (row / 11) * 3;
        grid->addWidget(new QLabel(QString::fromLatin1(e.caption)), row % 11, column);
        grid->addWidget(field, row % 11, column + 1);
        grid->addWidget(status, row % 11, column + 2);
        hotkeyFields_.emplace_back(notel::hotkeySlot(e.key), field);
        hotkeyStatus_.push_back(status);
        ++row;
    }
    // The printed list belongs to the display program's hotkey window.
    auto* print = new QPushButton(QStringLiteral("Print Hotkeys"));
    print->setEnabled(false);
    grid->addWidget(print, 11, 0);
    grid->setRowStretch(12, 1);
    return page;
}

QWidget* TfSettings::makeAreaPage()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* names = new QGridLayout;
    names->addWidget(new QLabel(QStringLiteral("File Name: ")), 0, 0);
    name_ = new QLineEdit;
    names->addWidget(name_, 0, 1);
    names->addWidget(new QLabel(QStringLiteral("+ Starting Counter")), 0, 2);
    counter_ = new QSpinBox;
    counter_->setRange(0, 999999999);
    names->addWidget(counter_, 0, 3);
    names->addWidget(new QLabel(QStringLiteral("File Type:")), 1, 0);
    type_ = new QComboBox;
    type_->addItems({QStringLiteral("JPG - JPG/JPEG Format"), QStringLiteral("PNG - Portable Network Graphics"),
                     QStringLiteral("BMP - Windows Bitmap")});
    names->addWidget(type_, 1, 1, 1, 3);
    names->addWidget(new QLabel(QStringLiteral("Destination Directory: ")), 2, 0);
    folder_ = new QLineEdit;
    folder_->setReadOnly(true);
    names->addWidget(folder_, 2, 1, 1, 2);
    auto* browse = new QPushButton(QStringLiteral("Browse"));
    names->addWidget(browse, 2, 3);
    v->addLayout(names);
    preview_ = new QLabel;
    preview_->setObjectName(QStringLiteral("NamePreview"));
    v->addWidget(preview_);
    auto* openFolder = new QPushButton(QStringLiteral("Open Images Folder "));
    v->addWidget(openFolder, 0, Qt::AlignLeft);
    connect(name_, &QLineEdit::textChanged, this, &TfSettings::updatePreview);
    connect(counter_, &QSpinBox::valueChanged, this, &TfSettings::updatePreview);
    connect(type_, &QComboBox::currentIndexChanged, this, &TfSettings::updatePreview);
    connect(browse, &QPushButton::clicked, this, [this] {
        QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Select folder to quick save image"),
                                                        folder_->text());
        if (dir.isEmpty())
            return;
        folder_->setText(withTrailingSlash(dir));
        updatePreview();
    });
    connect(openFolder, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder_->text())); });

    auto* actions = new QGroupBox(QStringLiteral("Action"));
    auto* av = new QVBoxLayout(actions);
    action_ = new QButtonGroup(this);
    const std::pair<const char*, int> kinds[] = {{"Copy Selection to Clipboard", notel::Clipboard},
                                                 {"Save Selection as Image", notel::Save},
                                                 {"Send Selection by Email", notel::Email},
                                                 {"Print", notel::Print}};
    for (const auto& [caption, id] : kinds) {
        auto* r = new QRadioButton(QString::fromLatin1(caption));
        action_->addButton(r, id);
        av->addWidget(r);
    }
    previewAction_ = new QCheckBox(QStringLiteral("Preview"));
    av->addWidget(previewAction_);
    connect(action_, &QButtonGroup::idClicked, this, [this](int id) {
        app_.settings().selectType = id;
        previewAction_->setChecked(false);
    });
    v->addWidget(actions);
    auto* modes = new QGroupBox(QStringLiteral("Capture"));
    auto* mv = new QVBoxLayout(modes);
    capture_ = new QButtonGroup(this);
    auto* area = new QRadioButton(QStringLiteral("Capture the Selected Area"));
    auto* full = new QRadioButton(QStringLiteral("Capture the Entire Screen"));
    capture_->addButton(area, 0);
    capture_->addButton(full, 1);
    mv->addWidget(area);
    mv->addWidget(full);
    connect(capture_, &QButtonGroup::idClicked, this, [this](int id) { app_.settings().fullDesk = id; });
    v->addWidget(modes);
    v->addStretch();
    return page;
}

QWidget* TfSettings::makeGridPage()
{
    auto* page = new QWidget;
    auto* g = new QGridLayout(page);
    gridX_ = new QSpinBox;
    gridY_ = new QSpinBox;
    for (QSpinBox* s : {gridX_, gridY_})
        s->setRange(notel::b::mrezaX.min, notel::b::mrezaX.max);
    g->addWidget(new QLabel(QStringLiteral("Horizontal Spacing")), 0, 0);
    g->addWidget(gridX_, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Vertical Spacing")), 1, 0);
    g->addWidget(gridY_, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Line Color")), 2, 0);
    gridSwatch_ = swatchButton();
    g->addWidget(gridSwatch_, 2, 1);
    auto* select = new QPushButton(QStringLiteral("Select color"));
    g->addWidget(select, 2, 2);
    connect(select, &QPushButton::clicked, this, [this] { pickColour(app_.settings().mrezaBarva, gridSwatch_); });
    connect(gridSwatch_, &QPushButton::clicked, select, &QPushButton::click);
    connect(gridX_, &QSpinBox::valueChanged, this, [this](int v) { app_.settings().mrezaX = v; });
    connect(gridY_, &QSpinBox::valueChanged, this, [this](int v) { app_.settings().mrezaY = v; });
    g->setRowStretch(3, 1);
    g->setColumnStretch(3, 1);
    return page;
}

QWidget* TfSettings::makeMousePage()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* box = new QGroupBox(QStringLiteral("On Right Button Click"));
    auto* bv = new QVBoxLayout(box);
    mainMenu_ = new QRadioButton(QStringLiteral("Show Main Menu"));
    extraMenu_ = new QRadioButton(QStringLiteral("Show Additional Menu"));
    bv->addWidget(mainMenu_);
    bv->addWidget(extraMenu_);
    v->addWidget(box);
    v->addStretch();
    return page;
}

void TfSettings::pickColour(quint32& value, QPushButton* swatch)
{
    const std::optional<QColor> chosen = app_.chooseColour(colourFromValue(value), this);
    if (!chosen)
        return;
    value = colourValue(*chosen);
    paintSwatch(swatch, value);
}

void TfSettings::open(Page page)
{
    if (!isVisible()) {
        remembered_ = app_.settings();
        fill();
    }
    tabs_->setCurrentIndex(int(page));
    show();
    raise();
    activateWindow();
}

void TfSettings::fill()
{
    const notel::MainSettings& s = app_.settings();
    const notel::Buttons visible = notel::loadButtons(notel::pathC());
    for (int i = 0; i < notel::kButtonCount; ++i)
        buttons_[std::size_t(i)]->setChecked(visible[std::size_t(kButtonBoxes[i].number - notel::kFirstButton)]);
    minimal_->setChecked(s.minimalistic);
    if (QAbstractButton* b = theme_->button(s.chfPanel))
        b->setChecked(true);
    paintSwatch(panelSwatch_, s.panelColour());
    paintSwatch(iconSwatch_, s.fIkona);
    smooth_->setChecked(s.smooth);
    // The box stands for custom against user defined; under a fixed theme
    // it shows what it last held.
    const bool ownTheme = s.chfPanel == notel::Custom || s.chfPanel == notel::UserDefined;
    iconToolColour_->setChecked(ownTheme ? s.chfPanel == notel::Custom : objects_.iconToolColour.checked);
    curved_->setChecked(s.curved);
    clearOn_->setChecked(s.clearOn != 0);
    const notel::Hotkeys keys = notel::loadHotkeys(notel::hotkeyPath());
    for (const auto& [slot, field] : hotkeyFields_)
        field->setShortcut(keys.keys[std::size_t(slot)]);
    updateHotkeyStatus();
    name_->setText(s.imageName);
    counter_->setValue(s.imageCounter);
    type_->setCurrentIndex(s.imgType);
    folder_->setText(s.imageSavePath);
    previewAction_->setChecked(s.selectType == notel::Preview);
    if (QAbstractButton* b = action_->button(s.selectType))
        b->setChecked(true);
    if (QAbstractButton* b = capture_->button(s.fullDesk))
        b->setChecked(true);
    gridX_->setValue(s.mrezaX);
    gridY_->setValue(s.mrezaY);
    paintSwatch(gridSwatch_, s.mrezaBarva);
    (s.rbmb ? mainMenu_ : extraMenu_)->setChecked(true);
    updatePreview();
}

void TfSettings::updateHotkeyStatus()
{
    for (std::size_t i = 0; i < hotkeyFields_.size(); ++i)
        hotkeyStatus_[i]->setText(QString::fromUtf8(hotkey::statusText(app_.hotkeyStatus(hotkeyFields_[i].first))));
}

QString TfSettings::namePreview() const { return preview_->text(); }

void TfSettings::updatePreview()
{
    preview_->setText(notel::nextNamePreview(notel::safeImageName(name_->text()), counter_->value(),
                                             type_->currentIndex()));
}

void TfSettings::takeFields()
{
    notel::MainSettings& s = app_.settings();
    s.imageName = notel::safeImageName(name_->text());
    s.imageCounter = counter_->value();
    s.imgType = type_->currentIndex();
    s.imageSavePath = withTrailingSlash(folder_->text());
    s.smooth = smooth_->isChecked();
    s.curved = curved_->isChecked();
    s.minimalistic = minimal_->isChecked();
    s.rbmb = mainMenu_->isChecked();
    if (previewAction_->isChecked())
        s.selectType = notel::Preview;
    else if (s.selectType == notel::Preview)
        s.selectType = notel::Clipboard; // preview switched off: the first action
}

void TfSettings::confirm()
{
    takeFields();
    notel::saveOkSettings(notel::pathB(), app_.settings());
    notel::Buttons visible{};
    for (int i = 0; i < notel::kButtonCount; ++i)
        visible[std::size_t(kButtonBoxes[i].number - notel::kFirstButton)] = buttons_[std::size_t(i)]->isChecked();
    notel::saveButtons(notel::pathC(), visible);
    const notel::MainSettings& s = app_.settings();
    objects_.iconPanel.color = s.fIkona;
    objects_.theme = {s.chfPanel, s.panelColour()};
    objects_.iconToolColour.checked = iconToolColour_->isChecked();
    notel::saveWindowObjects(settingsFolder(), objects_);
    closeWindow();
}

void TfSettings::closeWindow()
{
    if (closing_)
        return;
    closing_ = true;
    takeFields();
    notel::saveMainSettings(notel::pathB(), app_.settings());
    notel::Hotkeys keys = app_.hotkeys();
    for (const auto& [slot, field] : hotkeyFields_)
        keys.keys[std::size_t(slot)] = field->shortcut();
    app_.setHotkeys(keys);
    notel::saveCloseSettings(notel::pathB(), app_.settings());
    hide();
    closing_ = false;
}

void TfSettings::dismiss()
{
    if (!isVisible())
        return;
    app_.settings() = remembered_;
    hide();
}

void TfSettings::resetMessages()
{
    ui::Message m;
    m.caption = notel::kCaption;
    m.text = QStringLiteral("Reset all messages ?");
    m.icon = QMessageBox::Question;
    m.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    if (ui::ask(m, this) != QMessageBox::Ok)
        return;
    writeSetting(notel::pathB(), notel::b::optIkonAgain, 0);
    SettingsEdit(notel::pathA()).set(notel::a::optAutohide, false).set(notel::a::optDelete, false).commit();
}

void TfSettings::closeEvent(QCloseEvent* event)
{
    // The window manager's close is the close button.
    event->ignore();
    closeWindow();
}

} // namespace mirovex::annotate
