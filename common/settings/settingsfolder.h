#pragma once

#include <QString>

namespace mirovex {

// The folder both programs keep their files in: "Mirovex/" inside the user's
// data folder ($XDG_DATA_HOME, else ~/.local/share), created when missing.
// The result always ends in '/'. When the folder cannot be created (a file
// stands in its way, the disk refuses) the path is returned all the same:
// reads of files in it then give defaults and writes fail, which is what a
// presenter on a broken account should get rather than a program that does
// not start.
QString computeSettingsFolder();

// computeSettingsFolder(), evaluated once on first use and kept for the run.
const QString& settingsFolder();

// settingsFolder() + bareName.
QString settingsPath(const QString& bareName);

// Folder for captured pictures when none is stored: the documents folder when
// it exists, else the settings folder; always ending in '/'.
QString defaultImageFolder();

// Appends '/' unless the path already ends in one.
QString withTrailingSlash(QString path);

} // namespace mirovex
