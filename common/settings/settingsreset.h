#pragma once

#include <QString>

namespace mirovex {

// Whether `folder` is a folder a reset may empty: an existing folder named
// "Mirovex".
bool isResettableFolder(const QString& folder);

// The part of "Reset All Settings" both programs share: deletes the regular,
// visible files of the settings folder (sub-folders, dot-files and links
// stay). Refuses, deleting nothing, unless the folder is really ours, i.e.
// named "Mirovex": a wrong folder must never be emptied. Returns false when
// anything could not be deleted or the folder was refused.
bool removeSettingsFiles(const QString& folder);

} // namespace mirovex
