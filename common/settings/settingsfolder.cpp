#include "common/settings/settingsfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace mirovex {

QString withTrailingSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString computeSettingsFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = withTrailingSlash(base) + QStringLiteral("Mirovex");
    QDir().mkpath(folder); // failure is tolerated, see the header
    return withTrailingSlash(folder);
}

const QString& settingsFolder()
{
    static const QString folder = computeSettingsFolder();
    return folder;
}

QString settingsPath(const QString& bareName) { return settingsFolder() + bareName; }

QString defaultImageFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return withTrailingSlash(documents);
    return settingsFolder();
}

} // namespace mirovex
