#pragma once
// Files handed to the desktop's handler, with its failure seen: a minimal machine has no
// handler, or one that cannot open the file.

#include <QString>
#include <functional>

class QObject;

// Runs "xdg-open" (found on PATH) on the file. `failed` runs on the interface thread when it
// cannot start or ends with a failure, and never after `context` is gone.
void openWithDesktop(const QString& path, QObject* context, std::function<void()> failed);
