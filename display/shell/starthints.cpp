#include "display/shell/starthints.h"

#include "common/ui/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace mirovex::hints {

QString displayHintText()
{
    return QStringLiteral(
        "1 - For correct usage, you need to extend the computer display across to all connected displays.\n"
        "To do this, open your desktop's display settings\n"
        "and choose to extend the displays (not to mirror them).\n"
        "\n"
        " ----------------------------------------\n"
        "\n"
        "2 - To show or hide the \"Send to Target Display\" button in the toolbar,\n"
        " open the Control Panel and select \"Show 'Send to Target Display' Button\" in the Toolbar tab.");
}

QStringList environmentLimits(const Environment& env)
{
    QStringList out;
    if (env.wayland)
        out << QStringLiteral(
            "This is a Wayland session. Mirovex runs through XWayland: it can mirror only the windows of X11 "
            "programs (the rest shows black), and its hotkeys work only while an X11 program has the keyboard.");
    if (!env.compositor)
        out << QStringLiteral(
            "No compositor is running. The see-through toolbar is cut down to its pictures, a mirrored area is "
            "marked with a frame instead of darkening the rest, and selecting an area works on a still picture of "
            "the screen.");
    if (!env.tray)
        out << QStringLiteral(
            "The desktop has no notification area. The toolbar stays shown, and the tray menu is in the small "
            "\"Mirovex\" window.");
    return out;
}

QString environmentLogLine(const Environment& env)
{
    QStringList parts;
    if (env.wayland)
        parts << QStringLiteral("Wayland session (through XWayland)");
    if (!env.compositor)
        parts << QStringLiteral("no compositor");
    if (!env.tray)
        parts << QStringLiteral("no notification area");
    return parts.isEmpty() ? QString() : QStringLiteral("Mirovex: limited desktop: ") + parts.join(QStringLiteral(", "));
}

bool showWithDontShowAgain(const QString& text, QSize size, QPoint okAt, bool& stored)
{
    QDialog d;
    d.setObjectName(QStringLiteral("HintDialog"));
    d.setWindowTitle(QStringLiteral("Mirovex"));
    auto* icon = new QLabel(&d);
    icon->setPixmap(d.style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    icon->setGeometry(20, 20, 32, 32);
    auto* label = new QLabel(text, &d);
    label->setObjectName(QStringLiteral("text"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int textWidth = size.width() - 86;
    // No height given: as tall as the text needs.
    if (size.height() <= 0) {
        okAt.setY(20 + label->heightForWidth(textWidth) + 30);
        size.setHeight(okAt.y() + 48);
    }
    d.setFixedSize(size);
    label->setGeometry(66, 20, textWidth, okAt.y() - 30);
    auto* ok = new QPushButton(QStringLiteral("OK"), &d);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(QRect(okAt, QSize(100, 28)).intersected(QRect(QPoint(0, 0), size)));
    ok->setDefault(true);
    auto* line = new QFrame(&d);
    line->setFrameShape(QFrame::HLine);
    line->setGeometry(-20, okAt.y() - 10, size.width() + 100, 2);
    auto* box = new QCheckBox(QStringLiteral("Don't show me again."), &d);
    box->setObjectName(QStringLiteral("dontShow"));
    box->move(25, okAt.y());
    box->resize(box->fontMetrics().horizontalAdvance(box->text()) + 30, 24);
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    if (ui::runModal(d) != QDialog::Accepted)
        return false;
    stored = box->isChecked();
    return true;
}

} // namespace mirovex::hints
