// The rules of the desktop-area source as plain functions: the rectangle a
// drag gives, the read-out, the stored area in "MirovexGR.cfg" and where the
// markings go. All rectangles are in the programs' frame (primary display's
// top-left = 0,0); a mirror rectangle's right and bottom are exclusive.
#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>

namespace mirovex {

class SettingsFile;

namespace area {

inline const QString kAreaFile = QStringLiteral("MirovexGR.cfg");

// The rectangle between the press and the release point, whichever way the
// drag went.
QRect fromDrag(QPoint press, QPoint release);
// A rectangle of zero width or height is used but not stored.
inline bool storable(const QRect& r) { return r.width() > 0 && r.height() > 0; }

// "512 , 300" while moving; "10 , 20  :  30 , 40" while dragging.
QString readout(QPoint p);
QString readout(QPoint press, QPoint now);

// The stored area. Missing keys take the primary display's values; what a
// damaged or hand-edited file holds (reversed, negative, huge, off every
// display) is normalised and cut to the desktop, and nothing usable left
// means the primary display.
QRect readStoredArea(const SettingsFile& file, const QRect& primary, const QRect& desktop);
bool writeStoredArea(const QString& path, const QRect& area);

// Marking mode as [Oznaci] "Current" stores it.
enum class MarkMode { Frame = 0, Dim = 1, None = 2 };

// The dashed frame's outline: its pixels are the rectangle's border, two
// pixels outside the mirrored ones (a one-pixel gap between).
QRect frameOutline(const QRect& mirror);
// The darkened surround: everything of `display` but the mirrored pixels
// and their white border.
QRegion dimmedRegion(const QRect& display, const QRect& mirror);
// The white border of the darkened mode: two pixels wide, just outside.
QRegion dimBorder(const QRect& mirror);

} // namespace area
} // namespace mirovex
