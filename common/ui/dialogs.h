// The one way both programs show a modal dialog or message box. While one is
// open the programs count as busy: commands that would change the session
// (hotkeys, menus) are refused, frame ticks go on. Tests replace the runner
// so that dialogs answer themselves.
#pragma once

#include <QMessageBox>

#include <functional>

class QDialog;

namespace mirovex::ui {

// True while a dialog shown through runModal is open.
bool busy();

// Runs the dialog modally; returns its result.
int runModal(QDialog& dialog);

// What runs a dialog: QDialog::exec by default.
using ModalRunner = std::function<int(QDialog&)>;
// Replaces the runner; returns the previous one.
ModalRunner setModalRunner(ModalRunner runner);

struct Message {
    QString caption = QStringLiteral("Mirovex");
    QString text;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool beep = false; // a warning sound first
};

// A message box kept on top of everything; returns the button pressed.
QMessageBox::StandardButton ask(const Message& message, QWidget* parent = nullptr);

} // namespace mirovex::ui
