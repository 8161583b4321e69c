#include "common/settings/objectfile.h"

#include "common/atomicfile.h"

#include <QFile>

namespace mirovex {

std::optional<std::string> readStreamFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than a stream may hold tells an oversized file apart
    // without reading all of it.
    const QByteArray bytes = file.read(qint64(objstream::kMaxStreamBytes) + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > qsizetype(objstream::kMaxStreamBytes))
        return std::nullopt;
    return bytes.toStdString();
}

bool writeStreamFile(const QString& path, std::string_view bytes)
{
    return writeFileAtomically(path, QByteArray(bytes.data(), qsizetype(bytes.size())));
}

} // namespace mirovex
