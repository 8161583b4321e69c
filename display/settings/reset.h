#pragma once

#include <QString>

namespace mirovex::settings {

// "Reset All Settings": deletes the regular, visible files of the settings
// folder (sub-folders and dot-files stay), then "MirovexA.cfg" once more, in
// case a writer put it back in between. Refuses, deleting nothing, unless the
// folder is really ours, i.e. named "Mirovex": a wrong folder must never be
// emptied. Returns false when anything could not be deleted.
bool resetAllSettings(const QString& folder);

} // namespace mirovex::settings
