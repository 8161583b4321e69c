#include "common/settings/settingsreset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace mirovex {

bool isResettableFolder(const QString& folder)
{
    return QFileInfo(folder).isDir() && QDir(QDir(folder).canonicalPath()).dirName() == QLatin1String("Mirovex");
}

bool removeSettingsFiles(const QString& folder)
{
    if (!isResettableFolder(folder))
        return false;
    QDir dir(folder);
    bool ok = true;
    // QDir::Files without Hidden lists no dot-files; NoSymLinks keeps a link's
    // target, which may lie anywhere, out of reach.
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : files) {
        if (!QFile::remove(f.absoluteFilePath()))
            ok = false;
    }
    return ok;
}

} // namespace mirovex
