// A text placed on the picture: how it looks, its size, and drawing it into
// the picture at the picture's own scale.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace mirovex::editor {

struct TextLabel {
    QString text;
    QFont font;
    QRgb colour = 0xff000000;
    QRgb background = 0xffffffff;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool transparent = false;
    bool frame = false;
    int frameWidth = 3;
    QRgb frameColour = 0xff000000;
};

// What a text asks for until the text dialog exists: serif 21 px, black on
// white, no frame.
TextLabel defaultTextLabel(const QString& text);

// The label's size at picture scale: its widest line by its lines.
QSize labelSize(const TextLabel& label);

// Paints the label with its top-left at `at`: background (unless
// transparent), then the text. Used both for the picture and, scaled, for
// the label shown while it is being placed.
void paintLabel(QPainter& painter, QPoint at, const TextLabel& label);

// Draws the label into the picture with its top-left at `at`, the frame
// first when it has one. Returns the rectangle changed.
QRect drawLabel(QImage& picture, QPoint at, const TextLabel& label);

} // namespace mirovex::editor
