#include "app/frame/command_router.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>

#include "app/frame/command_table.h"
#include "app/frame/tool_pictures.h"
#include "app/shell/command_target.h"
#include "app/shell/gbk_text.h"

namespace {

constexpr int kToolTipLimit = 79;

} // namespace

CommandRouter::CommandRouter(QWidget* owner) : QObject(owner)
{
    for (const CommandInfo& info : commandTable())
    {
        auto* action = new QAction(QString::fromUtf8(info.name), owner);
        action->setData(info.id);
        action->setCheckable(info.checkable);
        action->setEnabled(false);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { route(id); });
        actions_[id] = action;
    }
}

void CommandRouter::setTargets(std::function<CommandTarget*()> activeChild, CommandTarget* frame,
                               CommandTarget* application)
{
    activeChild_ = std::move(activeChild);
    frame_ = frame;
    application_ = application;
}

QAction* CommandRouter::action(int id) const
{
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* CommandRouter::addMenuItem(QMenu* menu, int id)
{
    QAction* command = actions_.at(id);
    QAction* item = menu->addAction(command->text());
    item->setData(id);
    connect(item, &QAction::triggered, command, &QAction::trigger);
    menuItems_.push_back(item);
    return item;
}

QToolBar* CommandRouter::addToolBar(QMainWindow* window, const QString& name,
                                    std::span<const int> buttons)
{
    QToolBar* bar = window->addToolBar(name);
    bar->setObjectName(name);
    bar->setIconSize(QSize(32, 32));
    bar->setMovable(false);
    for (int id : buttons)
    {
        if (id == 0)
        {
            bar->addSeparator();
            continue;
        }
        QAction* command = actions_.at(id);
        command->setIcon(toolIcon(id));
        bar->addAction(command);
    }
    return bar;
}

std::vector<CommandTarget*> CommandRouter::chain() const
{
    std::vector<CommandTarget*> targets;
    if (CommandTarget* child = activeChild_ ? activeChild_() : nullptr)
        targets.push_back(child);
    for (CommandTarget* t : {frame_, application_})
        if (t != nullptr)
            targets.push_back(t);
    return targets;
}

bool CommandRouter::route(int id)
{
    bool taken = false;
    for (CommandTarget* target : chain())
        if ((taken = target->onCommand(id)))
            break;
    refresh();
    return taken;
}

void CommandRouter::refresh()
{
    const std::vector<CommandTarget*> targets = chain();
    for (auto& [id, action] : actions_)
    {
        CommandState state;
        bool taken = false;
        for (CommandTarget* target : targets)
            if ((taken = target->updateCommand(id, state)))
                break;
        action->setEnabled(taken && state.enabled);
        if (action->isCheckable())
            action->setChecked(taken && state.checked);
    }
    for (QAction* item : menuItems_)
    {
        const QAction* command = actions_.at(item->data().toInt());
        item->setEnabled(command->isEnabled());
        item->setCheckable(command->isCheckable());
        item->setChecked(command->isChecked());
    }
}

void CommandRouter::applyToolTips(const LanguageSession& languages)
{
    for (auto& [id, action] : actions_)
    {
        const QString tip = fromGbk(languages.GetToolTipText(id));
        action->setToolTip(tip.left(kToolTipLimit));
        action->setStatusTip(tip);
    }
    for (QAction* item : menuItems_)
        item->setStatusTip(fromGbk(languages.GetToolTipText(item->data().toInt())));
}
