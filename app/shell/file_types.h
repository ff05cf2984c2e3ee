#pragma once
// The desktop entry, file types and icon with which the program registers itself for the
// user: the very files an installation puts under share/ (compiled in from data/), so a
// packaged copy and the per-user registration show one menu entry and one set of types.

#include <QByteArray>
#include <QString>
#include <vector>

struct RegistrationFile
{
    QString path; // below a data folder: $XDG_DATA_HOME or <prefix>/share
    QByteArray content;
};

// The files for the program at executable: the desktop entry starts and looks for that
// file, so the entry hides itself once it is gone.
std::vector<RegistrationFile> registrationFiles(const QString& executable);

// Rebuilds the desktop's caches of a data folder, so new types and entries count at once
// rather than at the next login. Tools that are missing are skipped.
void refreshDesktopDatabases(const QString& dataFolder);
