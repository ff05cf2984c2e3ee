#pragma once
// A window or object that takes commands. A command goes first to the active child window
// (live or image), then to the main frame, then to the application object; the first target
// that takes it ends the search. States are asked for the same way, whenever the active window
// or a state changes.

#include <QString>

struct CommandState
{
    bool enabled = true;
    bool checked = false; // shown only by commands that can be checked
    // A text for the command's menu items that changes with the state; empty keeps theirs.
    QString text;
};

class CommandTarget
{
  public:
    // True when the command was carried out here.
    virtual bool onCommand(int id) = 0;
    // True when this target takes the command; it then sets the state (enabled, unchecked
    // when it leaves it). A command that no target takes is disabled.
    virtual bool updateCommand(int id, CommandState& state) = 0;

  protected:
    ~CommandTarget() = default;
};
