#include "display/shell/userguide.h"

#include <QDir>
#include <QFileInfo>

namespace mirovex {

QString findUserGuide(const QString& programDir, const QString& buildFallback)
{
    const QString installed = QDir::cleanPath(programDir + QStringLiteral("/../../share/mirovex/README.md"));
    for (const QString& candidate : {installed, buildFallback}) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

QString sourceUserGuide()
{
    return QStringLiteral(MIROVEX_SOURCE_DIR "/README.md");
}

} // namespace mirovex
