#include "display/shell/hotkeyprint.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

namespace mirovex {

bool printLines(QPrinter& printer, const QStringList& lines)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QFont font = painter.font();
    font.setPointSize(12);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int step = metrics.lineSpacing();
    const int bottom = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    int y = 0;
    for (const QString& line : lines) {
        if (y + step > bottom && y > 0) {
            if (!printer.newPage())
                return false;
            y = 0;
        }
        painter.drawText(0, y + metrics.ascent(), line);
        y += step;
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}

} // namespace mirovex
