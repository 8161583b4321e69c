#include "display/shell/toolbarstyle.h"

#include "common/settings/settingsfile.h"

#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

// Outside any namespace, as the resource initialiser requires; a static
// library's resources are otherwise dropped by the linker.
static void loadStyleResources() { Q_INIT_RESOURCE(mirovex); }

namespace mirovex::style {

QColor colour(quint32 bgr) { return colourFromValue(bgr); }

namespace {
QPainterPath outline(Picture which)
{
    QPainterPath p;
    switch (which) {
    case Picture::Menu: // three bars
        for (int i = 0; i < 3; ++i)
            p.addRoundedRect(QRectF(4, 5.5 + i * 5.5, 16, 2.6), 1.2, 1.2);
        break;
    case Picture::Send: { // one frame going onto a screen
        p.addRect(QRectF(10.5, 4.5, 12, 10));
        p.addRect(QRectF(12.5, 6.5, 8, 6)); // hollow: odd-even fill
        p.addRect(QRectF(15, 14.5, 2, 3));
        p.addRect(QRectF(12.5, 17.5, 7, 1.8));
        p.moveTo(1.5, 10);
        p.lineTo(5.5, 10);
        p.lineTo(5.5, 7);
        p.lineTo(10, 11.5);
        p.lineTo(5.5, 16);
        p.lineTo(5.5, 13);
        p.lineTo(1.5, 13);
        p.closeSubpath();
        break;
    }
    case Picture::Quick: { // a bolt
        p.moveTo(14, 2);
        p.lineTo(5, 13.5);
        p.lineTo(11, 13.5);
        p.lineTo(9, 22);
        p.lineTo(19, 10);
        p.lineTo(13, 10);
        p.closeSubpath();
        break;
    }
    case Picture::Run:
        p.moveTo(7, 4);
        p.lineTo(20, 12);
        p.lineTo(7, 20);
        p.closeSubpath();
        break;
    case Picture::Stop:
        p.addRoundedRect(QRectF(6, 6, 12, 12), 1.5, 1.5);
        break;
    }
    p.setFillRule(Qt::OddEvenFill);
    return p;
}
} // namespace

QIcon picture(Picture which, bool seeThrough)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = outline(which);
    if (seeThrough)
        painter.strokePath(path, QPen(QColor(0, 0, 0, 200), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QColor fill = which == Picture::Stop ? QColor(0xF0, 0x5A, 0x4A) : QColor(Qt::white);
    painter.fillPath(path, fill);
    painter.end();
    QIcon icon(pm);
    // Disabled looks the same: a toolbar button is never disabled, and the
    // greyed variant would flash while a menu is open.
    icon.addPixmap(pm, QIcon::Disabled);
    return icon;
}

void applyFlatMenuStyle(QMenu* menu)
{
    static const bool loaded = (loadStyleResources(), true);
    (void)loaded;
    menu->setStyleSheet(QStringLiteral(
        "QMenu { background: #202020; color: white; border: 1px solid #525252;"
        "  font-family: 'Segoe UI'; font-size: 13px; padding: 2px 0; }"
        "QMenu::item { padding: 4px 24px 4px 24px; border: 1px solid transparent; }"
        "QMenu::item:selected { background: #0080C0; border: 1px solid #525252; color: white; }"
        "QMenu::item:disabled { color: #A0A0A0; }"
        "QMenu::item:disabled:selected { background: #202020; border: 1px solid transparent; }"
        "QMenu::separator { height: 1px; background: #8E99A6; margin: 3px 6px; }"
        "QMenu::icon { padding-left: 4px; }"
        "QMenu::indicator { width: 14px; height: 14px; left: 5px; }"
        "QMenu::indicator:checked { image: url(:/mirovex/check.png); }"
        "QMenu::right-arrow { image: url(:/mirovex/arrow.png); width: 8px; height: 8px; right: 8px; }"));
}

QIcon productIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1D, 0x21, 0x25), 2));
    p.setBrush(QColor(0x28, 0x8C, 0xE6));
    p.drawRoundedRect(QRectF(2, 4, 22, 16), 2, 2);
    p.setBrush(QColor(0xF0, 0xA0, 0x28));
    p.drawRoundedRect(QRectF(12, 14, 18, 13), 2, 2);
    return QIcon(pm);
}

} // namespace mirovex::style
