#pragma once
// Every command of the program: its identifier, the name it shows until the language texts
// arrive (and where it has no text key), whether it carries a check mark and which key, in
// which window, chooses it; and the buttons of the two tool bars.

#include <span>

// The windows whose keys a command answers: a letter means one command in the live window
// and another in an image window.
enum class KeyWindow
{
    None,
    Live,
    Image
};

struct CommandInfo
{
    int id;
    const char* name;
    bool checkable;
    // A key in the portable text form of a key sequence ("C", "Del"), or several parted by
    // "; "; letters answer in either case.
    const char* key = nullptr;
    KeyWindow window = KeyWindow::None;
    // Keys that answer anywhere in the main window, beside the window key if any; several
    // are separated by "; ".
    const char* frameKey = nullptr;
};

std::span<const CommandInfo> commandTable();
// Left to right.
std::span<const int> videoToolBarButtons();
// Left to right; 0 marks a separator.
std::span<const int> imageToolBarButtons();
