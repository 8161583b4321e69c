#include "common/ui/dialogs.h"

#include <QApplication>
#include <QDialog>

namespace mirovex::ui {

namespace {
int openDialogs = 0;
ModalRunner& runner()
{
    static ModalRunner r = [](QDialog& d) { return d.exec(); };
    return r;
}
} // namespace

bool busy() { return openDialogs > 0; }

int runModal(QDialog& dialog)
{
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    ++openDialogs;
    const int result = runner()(dialog);
    --openDialogs;
    return result;
}

ModalRunner setModalRunner(ModalRunner r)
{
    ModalRunner old = std::move(runner());
    runner() = std::move(r);
    return old;
}

QMessageBox::StandardButton ask(const Message& m, QWidget* parent)
{
    if (m.beep)
        QApplication::beep();
    QMessageBox box(m.icon, m.caption, m.text, m.buttons, parent);
    if (m.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(m.defaultButton);
    const int r = runModal(box);
    // A runner that answers with a button code, or the box's own answer.
    if (box.clickedButton())
        return box.standardButton(box.clickedButton());
    return QMessageBox::StandardButton(r);
}

} // namespace mirovex::ui
