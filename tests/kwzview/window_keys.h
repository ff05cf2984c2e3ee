#pragma once
// The program's command keys on a live or image window tested without the main frame: a key
// reaches the window's own commands first, then `others`, as the main frame would pass them on.

#include <QWidget>
#include <functional>

#include "app/frame/command_router.h"
#include "app/shell/command_target.h"

class WindowKeys : public QObject, public CommandTarget
{
  public:
    // Owned by the window, as are its actions.
    static WindowKeys* add(QWidget* window, CommandTarget& target, KeyWindow kind,
                           std::function<void(int)> others = {})
    {
        return new WindowKeys(window, target, kind, std::move(others));
    }

    CommandRouter& router() { return *router_; }

    bool onCommand(int id) override
    {
        if (!others_)
            return false;
        others_(id);
        return true;
    }
    bool updateCommand(int, CommandState&) override { return bool(others_); }

  private:
    WindowKeys(QWidget* window, CommandTarget& target, KeyWindow kind,
               std::function<void(int)> others)
        : QObject(window), router_(new CommandRouter(window)), others_(std::move(others))
    {
        router_->setTargets([&target] { return &target; }, this, nullptr);
        router_->addKeysTo(window, kind);
        router_->refresh();
    }

    CommandRouter* router_;
    std::function<void(int)> others_;
};
