// The slideshow's list files: the slideshow file ("*.TSS": duration, "On" or
// "Off", then the paths), the project file ("*.mef": "1" or "0", duration,
// then the paths) and "fssAutoStart.idx", which is a slideshow file that may
// also hold only paths (its older form). Everything here works on plain text
// and never touches a window; reading parses the whole file before anything
// is used, so a damaged file changes nothing half-way.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace mirovex::slides {

inline constexpr int kDefaultDuration = 5;
inline constexpr int kMinDuration = 1;
inline constexpr int kMaxDuration = 300;

struct SlideList {
    int duration = kDefaultDuration; // seconds
    bool loop = true;
    QStringList paths;
    bool operator==(const SlideList&) const = default;
};

enum class ListFormat {
    Slideshow, // "*.TSS"
    Project,   // "*.mef"
    AutoStart, // "fssAutoStart.idx"
};

// The lines of a list file: UTF-8, or Latin-1 when it is not valid UTF-8; a
// byte-order mark, CR before LF and blank lines are dropped.
QStringList splitLines(const QByteArray& bytes);

// A duration line: its number clamped to 1..300, or 5 when it is no number.
int parseDuration(const QString& line);

// The list a file's lines describe; never fails: what cannot be read takes
// the default.
SlideList parseList(const QStringList& lines, ListFormat format);

// The file's text, LF-separated, UTF-8; the loop as "On"/"Off" or "1"/"0".
QByteArray listText(const SlideList& list, ListFormat format);

// Reads a list file; nothing when it cannot be read.
std::optional<SlideList> readListFile(const QString& path, ListFormat format);
// Writes a list file whole or not at all; false when it could not.
bool writeListFile(const QString& path, const SlideList& list, ListFormat format);

// What the slideshow makes of a file, by its extension.
enum class EntryKind {
    Picture,  // ".jpg", ".jpeg", ".png", ".bmp"
    Text,     // ".rtf", ".txt": listed, never shown
    Refused,  // anything else
};
EntryKind entryKind(const QString& path);

// A path a list file can hold: one line, not empty.
bool storablePath(const QString& path);

// The settings folder's start-up list.
QString autoStartPath();

} // namespace mirovex::slides
