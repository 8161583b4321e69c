#include "display/editor/textlabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include <algorithm>

namespace mirovex::editor {

TextLabel defaultTextLabel(const QString& text)
{
    TextLabel l;
    l.text = text.trimmed();
    l.font = QFont(QStringLiteral("Serif"));
    l.font.setStyleHint(QFont::Serif);
    l.font.setPixelSize(21);
    return l;
}

QSize labelSize(const TextLabel& label)
{
    const QFontMetrics fm(label.font);
    const QStringList lines = label.text.split(QLatin1Char('\n'));
    int w = 0;
    for (const QString& line : lines)
        w = std::max(w, fm.horizontalAdvance(line));
    return QSize(w + 2, fm.height() * int(lines.size()));
}

void paintLabel(QPainter& p, QPoint at, const TextLabel& label)
{
    const QRect r(at, labelSize(label));
    if (!label.transparent)
        p.fillRect(r, QColor::fromRgb(label.background));
    p.setFont(label.font);
    p.setPen(QColor::fromRgb(label.colour));
    p.drawText(r.adjusted(1, 0, -1, 0), int(label.alignment | Qt::AlignTop), label.text);
}

QRect drawLabel(QImage& picture, QPoint at, const TextLabel& label)
{
    const QSize size = labelSize(label);
    QRect changed(at, size);
    QPainter p(&picture);
    if (label.frame) {
        const int w = std::max(1, label.frameWidth - 2);
        const QRect frame(at - QPoint(w, w), at + QPoint(size.width() + w, size.height() + w));
        p.setPen(QPen(QColor::fromRgb(label.frameColour), w));
        p.setBrush(label.transparent ? QBrush(Qt::NoBrush) : QBrush(QColor::fromRgb(label.background)));
        p.drawRect(frame);
        changed |= frame.adjusted(-w, -w, w, w);
    }
    paintLabel(p, at, label);
    return changed.intersected(picture.rect());
}

} // namespace mirovex::editor
