// Where "User Guide" finds the guide: the README the package installs
// beside the program folder (/usr/lib/mirovex -> /usr/share/mirovex), else
// the sources' own README for a program run from its build folder.
#pragma once

#include <QString>

namespace mirovex {

// The first of the installed guide and `buildFallback` that exists; empty
// when neither does.
QString findUserGuide(const QString& programDir, const QString& buildFallback);

// The source tree's README, for a program run from its build folder.
QString sourceUserGuide();

} // namespace mirovex
