// The rules of the scrolling text as plain functions: where the moving text
// stands at a given time, what a text may hold, and the ".sct" files in which
// a presenter keeps a prepared text with its look.
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace mirovex::scrolltext {

enum class Direction { LeftToRight = 0, RightToLeft = 1 };
// As ".sct" files store it.
enum class Position { Top = 1, Center = 2, Bottom = 3 };

inline constexpr int kMaxTextLength = 400;
inline constexpr int kMinStep = 1, kMaxStep = 300;        // also the interval's range
inline constexpr int kMinHeight = 6;

// One line of at most 400 characters: line breaks and tabs become blanks,
// whatever the text came from (typing, the clipboard, a text file, ".sct").
QString cleanText(const QString& text);

// How far the text has moved after `elapsedMs`, at `step` pixels every
// `intervalMs`: worked out from the time, so a late repaint never slows it.
qint64 travelled(int step, int intervalMs, qint64 elapsedMs);

// The left edge of the text in a control `controlWidth` wide. The text
// enters at one edge, leaves at the other and starts again, whatever its
// width: right to left it starts just past the right edge, left to right
// just before the left edge.
int textLeft(Direction direction, int controlWidth, int textWidth, qint64 travelled);

// "Open Text": the start of a text file (a file of any size is read up to a
// bound), UTF-8 or else Latin-1, cleaned as above. Nothing when it cannot be
// read.
std::optional<QString> readTextFile(const QString& path);
// "Save Text": UTF-8, replaced atomically.
bool writeTextFile(const QString& path, const QString& text);

// One ".sct" file, as it reads.
struct Settings {
    QString text;
    int interval = 10;
    int step = 1;
    int backgroundHeight = 180;
    int textHeight = 30; // pixels
    quint32 background = 0xFFFFFF;
    int previewHeight = 36;
    bool transparent = false;
    Direction direction = Direction::RightToLeft;
    bool floating = false;
    Position position = Position::Top;
    quint32 fontColour = 0;
    QString fontName = QStringLiteral("MS Sans Serif");
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// Missing or unparsable keys give the defaults above; the interval and step
// are clamped to 1..300, the heights to 6..`displayHeight`, colours to 24
// bits. Nothing for a file that cannot be read.
std::optional<Settings> readSettings(const QString& path, int displayHeight);

// Writes every key (the text without blanks at its ends, which the file
// format cannot keep); `panelColour` is the preview panel's colour, written
// for other readers. False, with the file as it was, when the write fails.
bool writeSettings(const QString& path, const Settings& settings, quint32 panelColour);

} // namespace mirovex::scrolltext
