#include "display/settings/reset.h"

#include "common/settings/settingsreset.h"
#include "display/settings/mirovexsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace mirovex::settings {

bool resetAllSettings(const QString& folder)
{
    if (!isResettableFolder(folder))
        return false;
    bool ok = removeSettingsFiles(folder);
    const QString main = QDir(folder).filePath(kMainFile);
    if (QFileInfo::exists(main) && !QFile::remove(main))
        ok = false;
    return ok;
}

} // namespace mirovex::settings
