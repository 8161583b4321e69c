// The slideshow editor's list as plain data: one row per file with the
// columns the table shows, and the list's operations (adding with or
// without the duplicate check, removing, moving, sorting) with their rules,
// so they are tested without a window.
#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace mirovex::slides {

struct Row {
    QString path;       // full path
    QString name;       // "File"
    QString size;       // "Size [B]": bytes, decimal
    QString type;       // "Type": the desktop's name for the file's type
    QString folder;     // "Location": no trailing "/" except for "/" itself
    QString dimensions; // "Dimensions": "W X H" for a picture that can be read
};

enum class Column { File = 0, Size, Type, Location, Dimensions };

// The row for a file: the size from the file system, the dimensions from
// the picture's header only (empty when it does not decode).
Row makeRow(const QString& path);

// The folder as the table shows it.
QString folderText(const QString& path);

class SlideRows {
public:
    const QList<Row>& rows() const { return rows_; }
    int count() const { return int(rows_.size()); }
    QStringList paths() const;

    enum class Added { Yes, Refused, Duplicate };
    // Adds a row at the end. Refused: the extension is not one the
    // slideshow takes, or the path cannot be stored in a list file.
    // Duplicate: the same full path (in capitals) is listed and
    // `checkDuplicates` is on.
    Added add(const Row& row, bool checkDuplicates);
    void clear() { rows_.clear(); }
    // Removes the rows at `indices` (any order, duplicates allowed).
    void remove(QList<int> indices);
    // The row's new index, or nothing when it cannot move (at the end, or
    // no such row).
    std::optional<int> moveUp(int index);
    std::optional<int> moveDown(int index);
    // Sorts by a column in the table's order; rows with no size first.
    void sort(Column column, bool ascending);

private:
    QList<Row> rows_;
};

} // namespace mirovex::slides
