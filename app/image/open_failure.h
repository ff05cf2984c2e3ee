#pragma once
// Why a file would not open as an image document, told in the interface language, so that
// a user sees what to do instead of the same words for every bad file.

#include <QString>

// The message for a path that failed to open; the plain "cannot be opened" text when no
// more particular reason is found.
QString openFailureText(const QString& path, int language);
