#pragma once
// Every command of the program: its identifier, the name it shows until the language texts
// arrive (and where it has no text key), and whether it carries a check mark; and the buttons
// of the two tool bars.

#include <span>

struct CommandInfo
{
    int id;
    const char* name;
    bool checkable;
};

std::span<const CommandInfo> commandTable();
// Left to right.
std::span<const int> videoToolBarButtons();
// Left to right; 0 marks a separator.
std::span<const int> imageToolBarButtons();
