#include "app/frame/command_router.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QShortcutEvent>
#include <QToolBar>

#include "app/frame/command_table.h"
#include "app/frame/tool_pictures.h"
#include "app/shell/command_prompts.h"
#include "app/shell/command_target.h"
#include "app/shell/gbk_text.h"

namespace {

constexpr int kToolTipLimit = 79;

// A command's key runs the command after the key event, as a posted menu command does: the
// command may open a dialog or close the window the key came from.
class CommandAction : public QAction
{
  public:
    using QAction::QAction;

  protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::Shortcut)
            return QAction::event(event);
        // Behind an open list or menu the key belongs to it, not to the window below.
        if (!static_cast<QShortcutEvent*>(event)->isAmbiguous() &&
            QApplication::activePopupWidget() == nullptr)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (isEnabled())
                        trigger();
                },
                Qt::QueuedConnection);
        return true;
    }
};

// A letter answers in either case; Ctrl, Alt or Meta with it name no command.
QList<QKeySequence> keySequences(const char* key)
{
    if (key == nullptr)
        return {};
    const QList<QKeySequence> keys = QKeySequence::listFromString(QString::fromLatin1(key));
    if (keys.size() != 1)
        return keys;
    const QKeySequence plain = keys.front();
    const int code = plain[0].key();
    if (code >= Qt::Key_A && code <= Qt::Key_Z)
        return {plain, QKeySequence(Qt::ShiftModifier | Qt::Key(code))};
    return {plain};
}

} // namespace

CommandRouter::CommandRouter(QWidget* owner) : QObject(owner)
{
    for (const CommandInfo& info : commandTable())
    {
        QAction* action = new CommandAction(QString::fromUtf8(info.name), owner);
        action->setData(info.id);
        action->setCheckable(info.checkable);
        action->setEnabled(false);
        action->setShortcuts(keySequences(info.key));
        // Inside its window or the bars of its work only: the same letter means another
        // command in the other kind of window.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { route(id); });
        actions_[id] = action;
        if (info.frameKey == nullptr)
            continue;
        // Its own action: a window key and a frame key cannot share one shortcut context.
        const QList<QKeySequence> frameKeys =
            QKeySequence::listFromString(QString::fromLatin1(info.frameKey));
        frameKeys_[id] = frameKeys;
        QAction* key = new CommandAction(owner);
        key->setShortcuts(frameKeys);
        key->setShortcutContext(Qt::WindowShortcut);
        connect(key, &QAction::triggered, action, [action] {
            if (action->isEnabled())
                action->trigger();
        });
        owner->addAction(key);
    }
}

QKeySequence CommandRouter::frameKey(int id) const
{
    auto it = frameKeys_.find(id);
    return it == frameKeys_.end() || it->second.isEmpty() ? QKeySequence() : it->second.front();
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

void CommandRouter::addKeysTo(QWidget* widget, KeyWindow window)
{
    for (const CommandInfo& info : commandTable())
    {
        if (info.window != window || info.key == nullptr)
            continue;
        QAction* command = actions_.at(info.id);
        if (!widget->actions().contains(command))
            widget->addAction(command);
    }
}

QAction* CommandRouter::addMenuItem(QMenu* menu, int id, bool frameKeyFirst)
{
    QAction* command = actions_.at(id);
    QAction* item = menu->addAction(command->text());
    item->setData(id);
    // Shown beside the item; the command's own actions answer the keys.
    QList<QKeySequence> keys = command->shortcuts();
    if (auto it = frameKeys_.find(id); it != frameKeys_.end())
    {
        if (frameKeyFirst)
            keys = it->second + keys;
        else
            keys += it->second;
    }
    item->setShortcuts(keys);
    item->setShortcutContext(Qt::WidgetShortcut);
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
        if (taken && !state.text.isEmpty() && texts_[id] != state.text)
        {
            texts_[id] = state.text;
            action->setText(state.text);
        }
    }
    for (QAction* item : menuItems_)
    {
        const QAction* command = actions_.at(item->data().toInt());
        if (auto it = texts_.find(item->data().toInt()); it != texts_.end())
            item->setText(it->second);
        item->setEnabled(command->isEnabled());
        item->setCheckable(command->isCheckable());
        item->setChecked(command->isChecked());
    }
}

namespace {
// The language's tool-tip file knows the long-standing commands; later ones bring their own.
QString promptOf(const LanguageSession& languages, int id)
{
    const QString tip = fromGbk(languages.GetToolTipText(id));
    return tip.isEmpty() ? builtInPrompt(languages.index(), id) : tip;
}
} // namespace

void CommandRouter::applyToolTips(const LanguageSession& languages)
{
    for (auto& [id, action] : actions_)
    {
        const QString tip = promptOf(languages, id);
        const QKeySequence key = action->shortcut().isEmpty() ? frameKey(id) : action->shortcut();
        action->setToolTip(
            tip.isEmpty() || key.isEmpty()
                ? tip.left(kToolTipLimit)
                : QStringLiteral("%1 (%2)").arg(tip.left(kToolTipLimit),
                                                key.toString(QKeySequence::NativeText)));
        action->setStatusTip(tip);
    }
    for (QAction* item : menuItems_)
        item->setStatusTip(promptOf(languages, item->data().toInt()));
}
