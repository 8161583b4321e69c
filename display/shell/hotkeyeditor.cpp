#include "display/shell/hotkeyeditor.h"

#include "display/shell/hotkeyprint.h"
#include "display/shell/hotkeyservice.h"
#include "common/settings/settingsfolder.h"
#include "common/ui/dialogs.h"

#include <QDateTime>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>

namespace mirovex {

THotkeyEditor::THotkeyEditor(HotkeyService& service) : QWidget(nullptr, Qt::Window), service_(service)
{
    setObjectName(QStringLiteral("HotkeyEditor"));
    setWindowTitle(QStringLiteral("Mirovex - Hotkeys"));
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < hotkeys::kSlotCount; ++i) {
        const hotkeys::SlotInfo& info = hotkeys::slotTable()[std::size_t(i)];
        Row& row = rows_[std::size_t(i)];
        grid->addWidget(new QLabel(QString::fromLatin1(info.label), this), i, 0);
        row.field = new ui::HotkeyField(this);
        row.field->setKeyboard(service_.keyboard());
        row.field->setObjectName(QString::fromLatin1(info.key));
        grid->addWidget(row.field, i, 1);
        auto* clear = new QToolButton(this);
        clear->setText(QStringLiteral("Clear"));
        clear->setFocusPolicy(Qt::NoFocus);
        connect(clear, &QToolButton::clicked, row.field, [f = row.field] { f->setShortcut(std::nullopt); });
        grid->addWidget(clear, i, 2);
        row.status = new QLabel(this);
        grid->addWidget(row.status, i, 3);
    }
    confirm_ = new QPushButton(QStringLiteral("Confirm"), this);
    print_ = new QPushButton(QStringLiteral("Print Hotkeys"), this);
    grid->addWidget(confirm_, hotkeys::kSlotCount, 1);
    grid->addWidget(print_, hotkeys::kSlotCount, 3);
    connect(confirm_, &QPushButton::clicked, this, &THotkeyEditor::confirm);
    connect(print_, &QPushButton::clicked, this, &THotkeyEditor::printHotkeys);
    connect(&service_, &HotkeyService::statusChanged, this, &THotkeyEditor::showStatus);
    fillFields();
}

THotkeyEditor::~THotkeyEditor() = default;

void THotkeyEditor::fillFields()
{
    const hotkeys::Keys keys = service_.keys();
    for (int i = 0; i < hotkeys::kSlotCount; ++i)
        rows_[std::size_t(i)].field->setShortcut(keys[std::size_t(i)]);
    showStatus();
}

QString THotkeyEditor::statusText(hotkeys::Slot slot) const { return rows_[std::size_t(slot)].status->text(); }

void THotkeyEditor::showStatus()
{
    for (int i = 0; i < hotkeys::kSlotCount; ++i)
        rows_[std::size_t(i)].status->setText(service_.problem(hotkeys::Slot(i)));
}

void THotkeyEditor::confirm()
{
    hotkeys::Keys keys;
    for (int i = 0; i < hotkeys::kSlotCount; ++i)
        keys[std::size_t(i)] = rows_[std::size_t(i)].field->shortcut();
    if (!service_.confirm(keys)) {
        ui::Message failed;
        failed.text = QStringLiteral("The hotkeys could not be saved in %1; they work until Mirovex ends.")
                          .arg(QDir::toNativeSeparators(hotkeys::filePath()));
        failed.icon = QMessageBox::Warning;
        failed.beep = true;
        ui::ask(failed, this);
    }
}

void THotkeyEditor::printHotkeys()
{
    std::unique_ptr<QPrinter> printer;
    if (chooser_) {
        printer = chooser_();
    } else {
        printer = std::make_unique<QPrinter>();
        QPrintDialog dialog(printer.get(), this);
        if (ui::runModal(dialog) != QDialog::Accepted)
            printer.reset();
    }
    if (!printer)
        return;
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    const QString stamp = locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                          locale.toString(now.time(), QLocale::ShortFormat);
    const QStringList lines = hotkeys::printLines(service_.keys(), settingsPath(hotkeys::kAnnotationHotkeyFile), stamp);
    if (!printLines(*printer, lines)) {
        ui::Message failed;
        failed.text = QStringLiteral("Error Printing text.");
        failed.icon = QMessageBox::Critical;
        failed.beep = true;
        ui::ask(failed, this);
    }
}

} // namespace mirovex
