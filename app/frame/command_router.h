#pragma once
// One QAction per command, shared by menus and tool bars and carrying the command's key, and
// the way a command finds the object that takes it: the active child window first, then the
// main frame, then the application object. States are refreshed for every command in one pass.

#include <QKeySequence>
#include <QObject>
#include <functional>
#include <map>
#include <span>
#include <vector>

#include "app/frame/command_table.h"

class CommandTarget;
class LanguageSession;
class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QWidget;

class CommandRouter : public QObject
{
  public:
    // The actions belong to `owner`, whose window takes their shortcuts.
    explicit CommandRouter(QWidget* owner);

    // `activeChild` gives the target of the active child window, or null.
    void setTargets(std::function<CommandTarget*()> activeChild, CommandTarget* frame,
                    CommandTarget* application);

    QAction* action(int id) const;
    // The keys of a window kind answer while the focus is inside `widget`: a live or image
    // window, or one of the bars that belong to its work. Adding a widget twice is harmless.
    void addKeysTo(QWidget* widget, KeyWindow window);
    // A menu item with a text of its own (the menus of live and image work name the same
    // command differently) that triggers the command and mirrors its state.
    // Its keys are shown beside it; `frameKeyFirst` shows the key that answers everywhere
    // rather than the window's own.
    QAction* addMenuItem(QMenu* menu, int id, bool frameKeyFirst = false);
    // The key of a command that answers anywhere in the main window; empty when none.
    QKeySequence frameKey(int id) const;
    // A tool bar of 32 x 32 buttons; 0 among the identifiers marks a separator.
    QToolBar* addToolBar(QMainWindow* window, const QString& name, std::span<const int> buttons);

    // Hands the command to the first target that takes it, then refreshes the states.
    bool route(int id);
    // Enabled and checked states of every command and every menu item. A command that no
    // target takes is disabled.
    void refresh();
    // Tool tips (at most 79 characters of text, then the key in brackets) and status-bar
    // prompts in the current language.
    void applyToolTips(const LanguageSession& languages);

  private:
    std::vector<CommandTarget*> chain() const;

    std::map<int, QAction*> actions_;
    std::map<int, QList<QKeySequence>> frameKeys_;
    // Texts that the targets give with a command's state (Undo names its step).
    std::map<int, QString> texts_;
    std::vector<QAction*> menuItems_;
    std::function<CommandTarget*()> activeChild_;
    CommandTarget* frame_ = nullptr;
    CommandTarget* application_ = nullptr;
};
