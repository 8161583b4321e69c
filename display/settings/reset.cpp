#include "display/settings/reset.h"

#include "display/settings/mirovexsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace mirovex::settings {

bool resetAllSettings(const QString& folder)
{
    const QFileInfo info(folder);
    QDir dir(folder);
    if (!info.isDir() || QDir(dir.canonicalPath()).dirName() != QLatin1String("Mirovex"))
        return false;
    bool ok = true;
    // QDir::Files without Hidden lists no dot-files; NoSymLinks keeps a link's
    // target, which may lie anywhere, out of reach.
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : files) {
        if (!QFile::remove(f.absoluteFilePath()))
            ok = false;
    }
    const QString main = dir.filePath(kMainFile);
    if (QFileInfo::exists(main) && !QFile::remove(main))
        ok = false;
    return ok;
}

} // namespace mirovex::settings
