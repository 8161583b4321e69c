#include "display/capture/capturewindow.h"

#include "display/capture/capturenaming.h"
#include "display/settings/mirovexsettings.h"
#include "display/engine/mirrorcontroller.h"
#include "common/ui/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include <climits>

namespace mirovex {

namespace {
const QString kMissingFolder = QStringLiteral("The destination directory does not exist or is not writable.");
} // namespace

TFsave::TFsave(MirrorController& mirror) : QWidget(nullptr, Qt::Window), mirror_(mirror)
{
    setObjectName(QStringLiteral("TFsave"));
    setWindowTitle(QStringLiteral("   Mirovex - Capture an Image"));
    writer_.setMaxThreadCount(1);

    const SettingsFile file(settings::mainFilePath());
    auto* grid = new QGridLayout(this);
    auto* heading = new QLabel(QStringLiteral("Capture An Image From A Target Display"));
    QFont big = heading->font();
    big.setBold(true);
    heading->setFont(big);
    grid->addWidget(heading, 0, 0, 1, 3);

    folder_ = new QLineEdit(settings::imageSavePath(file));
    folder_->setToolTip(folder_->text());
    auto* browse = new QPushButton(QStringLiteral("Browse"));
    grid->addWidget(new QLabel(QStringLiteral("Folder:")), 1, 0);
    grid->addWidget(folder_, 1, 1);
    grid->addWidget(browse, 1, 2);

    base_ = new QLineEdit(QStringLiteral("image"));
    grid->addWidget(new QLabel(QStringLiteral("Name:")), 2, 0);
    grid->addWidget(base_, 2, 1, 1, 2);

    counter_ = file.read(settings::key::imgCounter);
    number_ = new QSpinBox;
    number_->setRange(0, INT_MAX);
    number_->setValue(file.read(settings::key::imageCounter));
    grid->addWidget(new QLabel(QStringLiteral("Number:")), 3, 0);
    grid->addWidget(number_, 3, 1, 1, 2);

    type_ = new QComboBox;
    type_->addItems({QStringLiteral("JPG - JPG/JPEG Format"), QStringLiteral("PNG - Portable Network Graphics"),
                     QStringLiteral("BMP - Windows Bitmap")});
    grid->addWidget(type_, 4, 0, 1, 3);

    beep_ = new QCheckBox(QStringLiteral("Play Default Beep When Save"));
    beep_->setChecked(file.read(settings::key::cbBeep));
    grid->addWidget(beep_, 5, 0, 1, 3);

    grid->addWidget(new QLabel(QStringLiteral("Shortcut Key:")), 6, 0);
    shortcut_ = new ui::HotkeyField;
    shortcut_->setShortcut(hotkey::parse(file.read(settings::key::hotKey)));
    grid->addWidget(shortcut_, 6, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Enter your desired keyboard shortcut key and then click \u201cStart\u201d")), 7, 0, 1, 3);

    preview_ = new QLabel;
    grid->addWidget(preview_, 8, 0, 1, 3);

    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton(QStringLiteral("Start"));
    auto* close = new QPushButton(QStringLiteral("Close"));
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(close);
    grid->addLayout(buttons, 9, 0, 1, 3);

    connect(folder_, &QLineEdit::textChanged, this, [this](const QString& t) {
        folder_->setToolTip(t);
        updatePreview();
    });
    connect(base_, &QLineEdit::textChanged, this, &TFsave::updatePreview);
    connect(number_, &QSpinBox::valueChanged, this, &TFsave::updatePreview);
    connect(beep_, &QCheckBox::toggled, this, [](bool on) { writeSetting(settings::mainFilePath(), settings::key::cbBeep, on); });
    connect(browse, &QPushButton::clicked, this, [this] {
        QFileDialog dialog(this, QStringLiteral("Select folder to save image"), folder_->text());
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        if (ui::runModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            QString chosen = dialog.selectedFiles().first();
            if (!chosen.endsWith(QLatin1Char('/')))
                chosen += QLatin1Char('/');
            folder_->setText(chosen);
        }
    });
    connect(start_, &QPushButton::clicked, this, &TFsave::startOrStop);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    updatePreview();
}

TFsave::~TFsave() { writer_.waitForDone(); }

QString TFsave::previewText() const { return preview_->text(); }

void TFsave::updatePreview() { preview_->setText(QStringLiteral("[ ") + base_->text() + QString::number(number_->value()) + QStringLiteral(" ]")); }

picture::FileType TFsave::fileType() const
{
    switch (type_->currentIndex()) {
    case 1: return picture::FileType::Png;
    case 2: return picture::FileType::Bmp;
    default: return picture::FileType::Jpeg;
    }
}

void TFsave::setKeyboard(ui::HotkeyField::Keyboard keyboard) { shortcut_->setKeyboard(std::move(keyboard)); }

void TFsave::storeShortcut() { writeSetting(settings::mainFilePath(), settings::key::hotKey, hotkey::toText(shortcut_->shortcut())); }

void TFsave::startOrStop()
{
    storeShortcut();
    const std::optional<hotkey::Shortcut> key = shortcut_->shortcut();
    if (!key)
        return;
    const QString text = hotkey::toText(*key);
    if (armed_) {
        if (armer_)
            armer_(text, false);
        armed_ = false;
        start_->setText(QStringLiteral("Start"));
        return;
    }
    // A key that does not work is never shown as armed.
    const QString refused = armer_ ? armer_(text, true) : QStringLiteral("hotkeys are not available");
    if (!refused.isEmpty()) {
        ui::ask({QStringLiteral("Mirovex"), QStringLiteral("The shortcut %1 cannot be used: %2.").arg(text, refused),
                 QMessageBox::Warning},
                this);
        return;
    }
    armed_ = true;
    start_->setText(QStringLiteral("Stop"));
    close();
}

void TFsave::showEvent(QShowEvent* event)
{
    number_->setValue(counter_);
    QWidget::showEvent(event);
}

void TFsave::closeEvent(QCloseEvent* event)
{
    storeShortcut();
    writeSetting(settings::mainFilePath(), settings::key::imageSavePath, folder_->text());
    QWidget::closeEvent(event);
}

bool TFsave::folderMissing()
{
    if (capture::writableFolder(folder_->text()))
        return false;
    ui::ask({QStringLiteral("Mirovex"), kMissingFolder, QMessageBox::Warning}, this);
    show();
    raise();
    return true;
}

void TFsave::captureNow()
{
    if (folderMissing())
        return;
    if (!mirror_.target().isVisible())
        return;
    const QImage shown = mirror_.target().displayedPicture();
    if (shown.isNull()) {
        ui::ask({QStringLiteral("Mirovex"), QStringLiteral("Error 915"), QMessageBox::Critical}, this);
        return;
    }
    // The number is taken here, on this thread, by creating the file: a
    // capture never lands on a file that exists, however fast they come.
    const bool fromCounter = number_->value() == counter_;
    const picture::FileType type = fileType();
    QString error;
    const auto reserved = capture::reserve(folder_->text(), base_->text(), number_->value(), picture::extension(type), &error);
    if (!reserved) {
        const QString path = capture::fileName(folder_->text(), base_->text(), number_->value(), picture::extension(type));
        finishCapture(path, -1, false, error);
        return;
    }
    const QImage picture = shown.copy();
    QPointer<TFsave> self(this);
    writer_.start([self, picture, type, reserved = *reserved, fromCounter] {
        QString why;
        const bool ok = picture::writePictureFile(reserved.path, picture, type, &why);
        if (!ok)
            QFile::remove(reserved.path);
        if (self)
            QMetaObject::invokeMethod(self.data(), [self, reserved, fromCounter, ok, why] {
                if (self)
                    self->finishCapture(reserved.path, ok ? reserved.number : -1, fromCounter, ok ? QString() : why);
            }, Qt::QueuedConnection);
    });
}

void TFsave::finishCapture(const QString& path, int used, bool fromCounter, const QString& error)
{
    if (used < 0) {
        // Nothing was written: nothing advances.
        emit captureFailed(path, error);
        ui::ask({QStringLiteral("Mirovex"), QStringLiteral("The picture could not be saved as %1: %2").arg(path, error),
                 QMessageBox::Warning},
                this);
        return;
    }
    if (beep_->isChecked())
        QApplication::beep();
    counter_ = capture::nextCounter(counter_, fromCounter, used);
    number_->setValue(counter_);
    // Written at once: a crash or a reset never sends the next capture back
    // over earlier ones.
    SettingsEdit(settings::mainFilePath())
        .set(settings::key::imgCounter, counter_)
        .set(settings::key::imageCounter, counter_)
        .commit();
    emit captured(path);
}

void TFsave::waitForWrites()
{
    writer_.waitForDone();
    QCoreApplication::processEvents();
}

} // namespace mirovex
