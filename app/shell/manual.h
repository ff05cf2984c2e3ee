#pragma once
// Where an installed copy keeps its read-only data, and where the manual is found.

#include <QString>

// The installed data folder ("<prefix>/share/kwzview/") of a program whose executable lies in
// executableFolder ("<prefix>/bin"), with a trailing separator; empty when the program does
// not run from an installation (a build folder, a copied executable).
QString installedDataFolder(const QString& executableFolder);

// The manual's page for a language index, "Doc/ZN41.html" for 0 (Simplified Chinese) and
// "Doc/ZN42.html" otherwise: the program folder's copy when there is one, else the installed
// data folder's, else empty. Both folders end with a separator or are empty.
QString manualPath(int languageIndex, const QString& programFolder, const QString& dataFolder);

// The same for the running program, whose installed data folder lies beside its executable.
QString manualPath(int languageIndex, const QString& programFolder);
