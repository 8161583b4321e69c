#include "display/scrolltext/scrollset.h"

#include "common/settings/settingsfile.h"
#include "common/settings/settingsfolder.h"
#include "common/ui/colordialog.h"
#include "common/ui/dialogs.h"
#include "display/engine/mirrorcontroller.h"
#include "display/settings/mirovexsettings.h"
#include "platform/clipboardreader.h"
#include "platform/monitors.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace mirovex {

namespace {
using scrolltext::Direction;
using scrolltext::Position;

constexpr quint32 kWindowColour = 5524035;
constexpr quint32 kBandColour = 3353896;
constexpr quint32 kPreviewPanelColour = 2697513;
// The floating strip's background when only the letters are to be seen.
constexpr quint32 kSeeThroughKey = 15701674;
constexpr int kBandWidth = 14;
constexpr int kPreviewMiddle = 140;
constexpr int kFirstFloatingIndex = 110;
constexpr int kTargetIndexFrom = 100;

QString colorFile(const char* name) { return settingsFolder() + QString::fromLatin1(name); }

void setSwitchCaption(QCheckBox* box) { box->setText(box->isChecked() ? QStringLiteral("On") : QStringLiteral("Off")); }

// The fonts of the stored files' default, on this system.
void substituteFonts()
{
    static const bool done = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
        return true;
    }();
    (void)done;
}
} // namespace

Tfscrolset::Tfscrolset(MirrorController& mirror, ui::ColorDialog& colours, Hooks hooks)
    : QWidget(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), mirror_(mirror), colours_(colours), hooks_(std::move(hooks))
{
    substituteFonts();
    setWindowTitle(QStringLiteral("  Mirovex - Scrolling Text"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colourFromValue(kWindowColour));
    pal.setColor(QPalette::WindowText, QColor(230, 232, 235));
    setPalette(pal);
    setAutoFillBackground(true);

    strip_ = std::make_unique<ScrollStrip>(mirror.target());
    // The toolbar's show and hide of the target display change the caption too.
    mirror.target().installEventFilter(this);
    // Stop Projection and Stop All put the strip away with the source.
    connect(&mirror, &MirrorController::sourceChanged, this, [this] {
        if (mirror_.session().source() == SourceKind::None)
            hideStrip();
    });
    clipboard_ = new platform::ClipboardReader(this);
    connect(clipboard_, &platform::ClipboardReader::textRead, this, [this](const std::optional<QString>& text) {
        if (text)
            edit1_->setText(scrolltext::cleanText(*text));
    });

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kBandWidth + 10, 10, 10, 10);

    // The text.
    auto* textBox = new QGroupBox(QStringLiteral(" Enter Your Text  "));
    auto* textRow = new QHBoxLayout(textBox);
    edit1_ = new QLineEdit;
    edit1_->setObjectName(QStringLiteral("Edit1"));
    edit1_->setMaxLength(scrolltext::kMaxTextLength);
    textRow->addWidget(edit1_, 1);
    outer->addWidget(textBox);

    // The preview.
    gb2_ = new QWidget;
    gb2_->setObjectName(QStringLiteral("gb2"));
    QPalette gp = gb2_->palette();
    gp.setColor(QPalette::Window, colourFromValue(kPreviewPanelColour));
    gb2_->setPalette(gp);
    gb2_->setAutoFillBackground(true);
    gb2_->setFixedHeight(2 * kPreviewMiddle);
    rtmSet_ = new ScrollingText(gb2_);
    rtmSet_->setObjectName(QStringLiteral("rtmSet"));
    rtmSet_->setText(QString());
    rtmSet_->setInterval(1);
    rtmSet_->setStep(2);
    rtmSet_->setBackground(Qt::white);
    rtmSet_->setDirection(Direction::RightToLeft);
    rtmSet_->setScrolling(true);
    outer->addWidget(gb2_);

    // Sizes, speed, position and direction.
    auto* grid = new QGridLayout;
    const auto addSlider = [&](int row, const QString& caption, int value, QSlider*& slider, QLabel*& label) {
        grid->addWidget(new QLabel(caption), row, 0);
        slider = new QSlider(Qt::Horizontal);
        slider->setRange(scrolltext::kMinHeight, 200);
        slider->setValue(value);
        grid->addWidget(slider, row, 1, 1, 3);
        label = new QLabel(QString::number(value) + QStringLiteral(" px"));
        label->setMinimumWidth(60);
        grid->addWidget(label, row, 4);
    };
    addSlider(0, QStringLiteral("Text Height"), 30, xiFont_, xiFontLabel_);
    xiFont_->setObjectName(QStringLiteral("xiFont"));
    addSlider(1, QStringLiteral("Background Height"), 36, xHeight_, xHeightLabel_);
    xHeight_->setObjectName(QStringLiteral("xHeight"));
    grid->addWidget(new QLabel(QStringLiteral("Dynamic Background Height")), 2, 0);
    dinamikVisina_ = switchBox(true);
    grid->addWidget(dinamikVisina_, 2, 1);

    const auto addSpin = [&](int row, int column, const QString& caption, int value) {
        grid->addWidget(new QLabel(caption), row, column);
        auto* spin = new QSpinBox;
        spin->setRange(scrolltext::kMinStep, scrolltext::kMaxStep);
        spin->setValue(value);
        grid->addWidget(spin, row, column + 1);
        return spin;
    };
    seInterval_ = addSpin(3, 0, QStringLiteral("Interval"), 10);
    seStep_ = addSpin(3, 2, QStringLiteral("Step"), 2);

    const auto addChoice = [&](int row, int column, const QString& caption, bool on, QButtonGroup* group) {
        grid->addWidget(new QLabel(caption), row, column);
        QCheckBox* box = switchBox(on);
        group->addButton(box);
        grid->addWidget(box, row, column + 1);
        return box;
    };
    auto* positions = new QButtonGroup(this);
    pTop_ = addChoice(4, 0, QStringLiteral("Top"), false, positions);
    pCenter_ = addChoice(4, 2, QStringLiteral("Center"), false, positions);
    pDol_ = addChoice(4, 4, QStringLiteral("Bottom"), true, positions);
    auto* directions = new QButtonGroup(this);
    bbrtl_ = addChoice(5, 0, QStringLiteral("Right To Left"), true, directions);
    bbltr_ = addChoice(5, 2, QStringLiteral("Left To Right"), false, directions);
    grid->addWidget(new QLabel(QStringLiteral("Transparent Background")), 6, 0);
    cbTransparent_ = switchBox(false);
    grid->addWidget(cbTransparent_, 6, 1);
    grid->addWidget(new QLabel(QStringLiteral("Floating Text")), 6, 2);
    cbFloat_ = switchBox(false);
    grid->addWidget(cbFloat_, 6, 3);
    outer->addLayout(grid);

    // The buttons.
    auto* row1 = new QHBoxLayout;
    auto* row2 = new QHBoxLayout;
    auto* row3 = new QHBoxLayout;
    row1->addWidget(addButton(QStringLiteral("Font"), &Tfscrolset::chooseFont));
    row1->addWidget(addButton(QStringLiteral("Background Color"), nullptr));
    row1->addWidget(addButton(QStringLiteral("Font Color"), nullptr));
    row1->addWidget(addButton(QStringLiteral("Paste Text"), &Tfscrolset::pasteText));
    row1->addWidget(addButton(QStringLiteral("Clear"), &Tfscrolset::clearText));
    row2->addWidget(addButton(QStringLiteral("Open Text"), &Tfscrolset::openTextFile));
    row2->addWidget(addButton(QStringLiteral("Save Text"), &Tfscrolset::saveTextFile));
    row2->addWidget(addButton(QStringLiteral("Open"), &Tfscrolset::openSctFile));
    row2->addWidget(addButton(QStringLiteral("Save"), &Tfscrolset::saveSctFile));
    nextDisplay_ = addButton(QStringLiteral("Show on next display"), &Tfscrolset::showOnNextDisplay);
    nextDisplay_->setEnabled(false);
    row3->addWidget(nextDisplay_);
    showDisplay_ = addButton(QStringLiteral("Show Target Display"), &Tfscrolset::showDisplay);
    row3->addWidget(showDisplay_);
    row3->addWidget(addButton(QStringLiteral("Hide"), &Tfscrolset::hideStrip));
    row3->addWidget(addButton(QStringLiteral("  Send Text"), &Tfscrolset::sendText));
    QPushButton* close = addButton(QStringLiteral("Close"), nullptr);
    row3->addWidget(close);
    outer->addLayout(row1);
    outer->addLayout(row2);
    outer->addLayout(row3);

    connect(button(QStringLiteral("Background Color")), &QPushButton::clicked, this, [this] { chooseColour(true); });
    connect(button(QStringLiteral("Font Color")), &QPushButton::clicked, this, [this] { chooseColour(false); });
    connect(close, &QPushButton::clicked, this, [this] {
        focusText_ = true;
        this->close();
    });
    connect(edit1_, &QLineEdit::textChanged, this, &Tfscrolset::textChanged);
    connect(xiFont_, &QSlider::valueChanged, this, &Tfscrolset::textHeightChanged);
    connect(xHeight_, &QSlider::valueChanged, this, &Tfscrolset::backgroundHeightChanged);
    connect(seInterval_, &QSpinBox::valueChanged, rtmSet_, &ScrollingText::setInterval);
    connect(seStep_, &QSpinBox::valueChanged, rtmSet_, &ScrollingText::setStep);
    connect(bbrtl_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            rtmSet_->setDirection(Direction::RightToLeft);
    });
    connect(bbltr_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            rtmSet_->setDirection(Direction::LeftToRight);
    });
    connect(cbFloat_, &QCheckBox::toggled, nextDisplay_, &QPushButton::setEnabled);
    // Clipboard-style pastes and drops go through the same cleaning as
    // everything else.
    connect(edit1_, &QLineEdit::textEdited, this, [this](const QString& t) {
        const QString clean = scrolltext::cleanText(t);
        if (clean != t)
            edit1_->setText(clean);
    });

    font_ = QFont(QStringLiteral("MS Sans Serif"));
    applyFont();
    backgroundHeightChanged(xHeight_->value());
    adjustSize();
    setFixedSize(std::max(sizeHint().width(), 760), sizeHint().height());
}

Tfscrolset::~Tfscrolset() { mirror_.target().removeEventFilter(this); }

QCheckBox* Tfscrolset::switchBox(bool on)
{
    auto* box = new QCheckBox;
    box->setChecked(on);
    setSwitchCaption(box);
    connect(box, &QCheckBox::toggled, box, [box] { setSwitchCaption(box); });
    return box;
}

QPushButton* Tfscrolset::addButton(const QString& caption, void (Tfscrolset::*slot)())
{
    auto* b = new QPushButton(caption);
    b->setObjectName(caption.trimmed());
    if (slot)
        connect(b, &QPushButton::clicked, this, slot);
    buttons_.push_back(b);
    return b;
}

QPushButton* Tfscrolset::button(const QString& caption) const
{
    for (QPushButton* b : buttons_)
        if (b->objectName() == caption.trimmed())
            return b;
    return nullptr;
}

QCheckBox* Tfscrolset::positionBox(Position p) const
{
    switch (p) {
    case Position::Top: return pTop_;
    case Position::Center: return pCenter_;
    case Position::Bottom: return pDol_;
    }
    return pDol_;
}

QCheckBox* Tfscrolset::directionBox(Direction d) const { return d == Direction::RightToLeft ? bbrtl_ : bbltr_; }

Position Tfscrolset::position() const
{
    if (pTop_->isChecked())
        return Position::Top;
    if (pCenter_->isChecked())
        return Position::Center;
    return Position::Bottom;
}

void Tfscrolset::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter p(this);
    p.fillRect(QRect(0, 0, kBandWidth, height()), colourFromValue(kBandColour));
}

int Tfscrolset::targetIndex() const
{
    return platform::validDisplayIndex(SettingsFile(settings::mainFilePath()).read(settings::key::selectMonitor),
                                       int(platform::monitors().size()));
}

void Tfscrolset::open()
{
    if (hooks_.opening)
        hooks_.opening();
    const QList<platform::Monitor> list = platform::monitors();
    const int maxHeight = list.isEmpty() ? 200 : std::max(list[targetIndex()].root.height(), scrolltext::kMinHeight);
    xiFont_->setMaximum(maxHeight);
    xHeight_->setMaximum(maxHeight);
    if (!isVisible()) {
        QRect display = hooks_.toolbarDisplay ? hooks_.toolbarDisplay() : platform::primaryRoot();
        if (display.isEmpty())
            display = platform::primaryRoot();
        move(display.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

bool Tfscrolset::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &mirror_.target() && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        updateShowCaption();
    return QWidget::eventFilter(watched, event);
}

bool Tfscrolset::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) {
        updateShowCaption();
        if (focusText_) {
            focusText_ = false;
            edit1_->setFocus();
        }
    }
    return QWidget::event(event);
}

void Tfscrolset::closeEvent(QCloseEvent* event)
{
    // Failing to keep the dialog's state costs nothing worth a message.
    colours_.save(colorFile("color.cld"));
    if (hooks_.closed)
        hooks_.closed();
    event->accept();
}

void Tfscrolset::textChanged()
{
    rtmSet_->setText(edit1_->text());
    centrePreview();
}

void Tfscrolset::centrePreview()
{
    rtmSet_->setGeometry(0, kPreviewMiddle - rtmSet_->height() / 2, gb2_->width(), rtmSet_->height());
}

void Tfscrolset::applyFont()
{
    QFont f = font_;
    f.setPixelSize(xiFont_->value());
    rtmSet_->setTextFont(f);
}

void Tfscrolset::textHeightChanged(int value)
{
    applyFont();
    xiFontLabel_->setText(QString::number(value) + QStringLiteral(" px"));
    if (dinamikVisina_->isChecked() && !reading_)
        xHeight_->setValue(value + 10);
}

void Tfscrolset::backgroundHeightChanged(int value)
{
    rtmSet_->setGeometry(0, kPreviewMiddle - value / 2, gb2_->width(), value);
    xHeightLabel_->setText(QString::number(value) + QStringLiteral(" px"));
}

void Tfscrolset::chooseFont()
{
    QFont preset = font_;
    // The dialog's size is "Text Height", in pixels.
    preset.setPointSize(xiFont_->value());
    QFontDialog dialog(preset, this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (ui::runModal(dialog) != QDialog::Accepted)
        return;
    const QFont chosen = dialog.currentFont();
    font_ = chosen;
    const int size = chosen.pointSize() > 0 ? chosen.pointSize() : chosen.pixelSize();
    if (size > 0)
        xiFont_->setValue(std::clamp(size, xiFont_->minimum(), xiFont_->maximum()));
    applyFont();
}

void Tfscrolset::chooseColour(bool background)
{
    const QString path = colorFile("colorx.cld");
    colours_.load(path); // a missing or bad file keeps the dialog as it is
    const std::optional<QColor> chosen = colours_.choose(this);
    if (!chosen)
        return;
    colours_.save(path);
    if (background)
        rtmSet_->setBackground(*chosen);
    else
        rtmSet_->setTextColour(*chosen);
}

void Tfscrolset::pasteText() { clipboard_->requestText(); }

void Tfscrolset::clearText() { edit1_->clear(); }

std::optional<QString> Tfscrolset::askFile(bool save, const QString& filterName, const QString& suffix, const QString& start)
{
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Names on Linux keep their case: either case of the suffix is shown.
    dialog.setNameFilter(QStringLiteral("%1 (*.%2 *.%3)").arg(filterName, suffix, suffix.toUpper()));
    dialog.setDefaultSuffix(suffix);
    if (!start.isEmpty())
        dialog.selectFile(start);
    if (ui::runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void Tfscrolset::openTextFile()
{
    const auto path = askFile(false, QStringLiteral("text"), QStringLiteral("txt"), textFolder_);
    if (!path)
        return;
    textFolder_ = *path;
    if (const std::optional<QString> text = scrolltext::readTextFile(*path))
        edit1_->setText(*text);
}

void Tfscrolset::saveTextFile()
{
    const auto path = askFile(true, QStringLiteral("text"), QStringLiteral("txt"), textFolder_);
    if (!path)
        return;
    textFolder_ = *path;
    if (!scrolltext::writeTextFile(*path, edit1_->text()))
        ui::ask({.text = QStringLiteral("The text could not be saved to \"%1\".").arg(*path), .icon = QMessageBox::Warning, .beep = true}, this);
}

void Tfscrolset::openSctFile()
{
    const auto path = askFile(false, QStringLiteral("Scroll Text File (.sct)"), QStringLiteral("sct"), saveName_);
    if (path)
        openFile(*path);
}

void Tfscrolset::saveSctFile()
{
    const auto path = askFile(true, QStringLiteral("Scroll Text File (.sct)"), QStringLiteral("sct"), saveName_);
    if (!path)
        return;
    if (!saveFile(*path))
        ui::ask({.text = QStringLiteral("The scrolling text could not be saved to \"%1\".").arg(*path), .icon = QMessageBox::Warning, .beep = true}, this);
}

scrolltext::Settings Tfscrolset::settings() const
{
    scrolltext::Settings s;
    s.text = edit1_->text();
    s.interval = seInterval_->value();
    s.step = seStep_->value();
    s.backgroundHeight = xHeight_->value();
    s.textHeight = xiFont_->value();
    s.background = colourValue(rtmSet_->background());
    s.previewHeight = rtmSet_->height();
    s.transparent = cbTransparent_->isChecked();
    s.direction = bbrtl_->isChecked() ? Direction::RightToLeft : Direction::LeftToRight;
    s.floating = cbFloat_->isChecked();
    s.position = position();
    s.fontColour = colourValue(rtmSet_->textColour());
    s.fontName = font_.family();
    s.bold = font_.bold();
    s.italic = font_.italic();
    s.underline = font_.underline();
    s.strikeOut = font_.strikeOut();
    return s;
}

bool Tfscrolset::saveFile(const QString& path)
{
    return scrolltext::writeSettings(path, settings(), kPreviewPanelColour);
}

bool Tfscrolset::openFile(const QString& path)
{
    const QList<platform::Monitor> list = platform::monitors();
    const int displayHeight = list.isEmpty() ? 1080 : list[targetIndex()].root.height();
    const std::optional<scrolltext::Settings> s = scrolltext::readSettings(path, displayHeight);
    if (!s)
        return false;
    // A stored "Background Height" is never overwritten by the dynamic
    // height while the text height is set from the same file.
    reading_ = true;
    edit1_->setText(s->text);
    seInterval_->setValue(s->interval);
    seStep_->setValue(s->step);
    xHeight_->setMaximum(std::max(xHeight_->maximum(), s->backgroundHeight));
    xiFont_->setMaximum(std::max(xiFont_->maximum(), s->textHeight));
    xHeight_->setValue(s->backgroundHeight);
    xiFont_->setValue(s->textHeight);
    rtmSet_->setBackground(colourFromValue(s->background));
    rtmSet_->setGeometry(0, 0, gb2_->width(), s->previewHeight);
    cbTransparent_->setChecked(s->transparent);
    directionBox(s->direction)->setChecked(true);
    rtmSet_->setDirection(s->direction);
    cbFloat_->setChecked(s->floating);
    positionBox(s->position)->setChecked(true);
    rtmSet_->setTextColour(colourFromValue(s->fontColour));
    QFont f(s->fontName);
    f.setBold(s->bold);
    f.setItalic(s->italic);
    f.setUnderline(s->underline);
    f.setStrikeOut(s->strikeOut);
    font_ = f;
    applyFont();
    reading_ = false;
    saveName_ = path;
    rtmSet_->setText(edit1_->text());
    centrePreview();
    return true;
}

void Tfscrolset::showDisplay()
{
    if (hooks_.toggleTarget)
        hooks_.toggleTarget();
    updateShowCaption();
}

void Tfscrolset::updateShowCaption()
{
    showDisplay_->setText(mirror_.target().isVisible() ? QStringLiteral("Hide Target Display") : QStringLiteral("Show Target Display"));
}

void Tfscrolset::sendText()
{
    ScrollingText* rtmdis = strip_->control();
    rtmdis->setText(edit1_->text());
    rtmdis->setInterval(rtmSet_->interval());
    rtmdis->setStep(rtmSet_->step());
    rtmdis->setTextFont(rtmSet_->textFont());
    rtmdis->setTextColour(rtmSet_->textColour());
    rtmdis->setBackground(rtmSet_->background());
    rtmdis->setDirection(rtmSet_->direction());
    rtmdis->restart();
    if (!cbFloat_->isChecked()) {
        if (!mirror_.target().isVisible())
            mirror_.showTargetOnStoredDisplay();
        strip_->showOnTarget(position(), xHeight_->value());
    } else {
        placeFloating();
    }
    updateShowCaption();
}

void Tfscrolset::placeFloating()
{
    const QList<platform::Monitor> list = platform::monitors();
    if (list.isEmpty())
        return;
    // 100 and up stand for the target display, and so does a display that
    // is gone since the index was chosen.
    int index = floatingIndex_ >= kTargetIndexFrom || floatingIndex_ >= list.size() ? targetIndex() : floatingIndex_;
    index = platform::validDisplayIndex(index, int(list.size()));
    const QList<QRect> areas = platform::workAreas();
    const QRect display = list[index].root;
    const QRect work = index < areas.size() && !areas[index].isEmpty() ? areas[index] : display;
    const bool lettersOnly = cbTransparent_->isChecked();
    strip_->control()->setBackground(lettersOnly ? colourFromValue(kSeeThroughKey) : rtmSet_->background());
    strip_->showFloating(display, work, position(), xHeight_->value(), lettersOnly);
    // The target window is raised by every source command; the strip is
    // raised after it whenever the target is shown.
    strip_->floatWindow()->raise();
}

void Tfscrolset::showOnNextDisplay()
{
    const int count = int(platform::monitors().size());
    if (count < 2)
        return;
    if (floatingIndex_ >= kTargetIndexFrom || floatingIndex_ >= count)
        floatingIndex_ = targetIndex();
    floatingIndex_ = (floatingIndex_ + 1) % count;
    if (strip_->floatWindow()->isVisible())
        placeFloating();
}

void Tfscrolset::hideStrip() { strip_->clear(); }

} // namespace mirovex
