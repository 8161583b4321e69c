// Numbered picture file names: folder, base name, number and extension, and
// the next free number, taken by creating the file so that no capture ever
// overwrites another one, in this run or an earlier one.
#pragma once

#include <QString>

#include <optional>

namespace mirovex::capture {

// "<folder>/<base><number><ext>": the folder always ends in a separator
// first, so a folder typed without one never runs into the base name.
QString fileName(const QString& folder, const QString& base, int number, const QString& ext);

// What reserve() took: the number and the file, now existing and empty.
struct Reservation {
    int number = 0;
    QString path;
};

// Creates the first file from `from` on that does not exist yet, exclusively
// (a file another program or capture took meanwhile is skipped). Nothing
// with `error` set when the folder is missing or cannot be written.
std::optional<Reservation> reserve(const QString& folder, const QString& base, int from, const QString& ext,
                                   QString* error = nullptr);

// The capture counter after a capture that took `used`: when the number
// came from the counter (not typed into the field), it moves past the
// number taken, files skipped included, and never back; a typed number
// leaves the counter's own order, one on.
int nextCounter(int counter, bool fromCounter, int used);

// Whether `folder` exists and files can be made in it.
bool writableFolder(const QString& folder);

} // namespace mirovex::capture
