#include "display/slideshow/sliderows.h"

#include "common/picture/picturefile.h"
#include "display/slideshow/slidelist.h"

#include <QFileInfo>
#include <QMimeDatabase>

#include <algorithm>

namespace mirovex::slides {

QString folderText(const QString& path)
{
    QString folder = QFileInfo(path).absolutePath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

Row makeRow(const QString& path)
{
    const QFileInfo info(path);
    Row row;
    row.path = path;
    row.name = info.fileName();
    row.size = QString::number(info.size());
    static const QMimeDatabase mime;
    row.type = mime.mimeTypeForFile(info).comment();
    row.folder = folderText(path);
    if (entryKind(path) == EntryKind::Picture) {
        // The header only: listing hundreds of photos decodes none of them.
        if (const auto header = picture::probePictureFile(path); header && header->size.width() > 0)
            row.dimensions = QStringLiteral("%1 X %2").arg(header->size.width()).arg(header->size.height());
    }
    return row;
}

QStringList SlideRows::paths() const
{
    QStringList out;
    out.reserve(rows_.size());
    for (const Row& r : rows_)
        out.append(r.path);
    return out;
}

SlideRows::Added SlideRows::add(const Row& row, bool checkDuplicates)
{
    if (entryKind(row.path) == EntryKind::Refused || !storablePath(row.path))
        return Added::Refused;
    if (checkDuplicates) {
        const QString upper = row.path.toUpper();
        for (const Row& r : rows_)
            if (r.path.toUpper() == upper)
                return Added::Duplicate;
    }
    rows_.append(row);
    return Added::Yes;
}

void SlideRows::remove(QList<int> indices)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    // From the last to the first, so the indices still to go stay valid.
    for (auto it = indices.rbegin(); it != indices.rend(); ++it)
        if (*it >= 0 && *it < count())
            rows_.removeAt(*it);
}

// Moving past either end, or with no row, does nothing.
std::optional<int> SlideRows::moveUp(int index)
{
    if (index <= 0 || index >= count())
        return std::nullopt;
    rows_.move(index, index - 1);
    return index - 1;
}

std::optional<int> SlideRows::moveDown(int index)
{
    if (index < 0 || index >= count() - 1)
        return std::nullopt;
    rows_.move(index, index + 1);
    return index + 1;
}

namespace {

qlonglong asInteger(const QString& s)
{
    bool ok = false;
    const qlonglong n = s.toLongLong(&ok);
    return ok ? n : 0;
}

const QString& field(const Row& r, Column c)
{
    switch (c) {
    case Column::File: return r.name;
    case Column::Size: return r.size;
    case Column::Type: return r.type;
    case Column::Location: return r.folder;
    case Column::Dimensions: return r.dimensions;
    }
    return r.name;
}

// <0, 0, >0 in ascending order.
int compareRows(const Row& a, const Row& b, Column column)
{
    // Rows without a size (no file behind them) come first.
    if (a.size.isEmpty() != b.size.isEmpty())
        return a.size.isEmpty() ? -1 : 1;
    const auto byName = [&] {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c;
    };
    switch (column) {
    case Column::File: return byName();
    case Column::Size: {
        const qlonglong x = asInteger(a.size), y = asInteger(b.size);
        if (x != y)
            return x < y ? -1 : 1;
        // Ties by the names read as numbers, then by the names.
        const qlonglong nx = asInteger(a.name), ny = asInteger(b.name);
        if (nx != ny)
            return nx < ny ? -1 : 1;
        return byName();
    }
    default: {
        const int c = field(a, column).toUpper().compare(field(b, column).toUpper());
        return c != 0 ? c : a.name.toUpper().compare(b.name.toUpper());
    }
    }
}

} // namespace

void SlideRows::sort(Column column, bool ascending)
{
    std::stable_sort(rows_.begin(), rows_.end(), [&](const Row& a, const Row& b) {
        const bool emptyA = a.size.isEmpty(), emptyB = b.size.isEmpty();
        if (emptyA != emptyB)
            return emptyA; // first in both directions
        const int c = compareRows(a, b, column);
        return ascending ? c < 0 : c > 0;
    });
}

} // namespace mirovex::slides
