#pragma once
// Status-bar prompts of the commands that the tool-tip files on disk do not know.

#include <QString>

// The prompt of a command added after the tool-tip files' fixed list, in the interface
// language; empty for any other command.
QString builtInPrompt(int language, int commandId);
