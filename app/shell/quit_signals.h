#pragma once
// SIGTERM and SIGINT turned into a call on the interface thread, so that the program closes
// the way a user closes it and its settings and texts are saved. One at a time per process.

#include <functional>
#include <memory>

class QSocketNotifier;

class QuitSignals
{
  public:
    explicit QuitSignals(std::function<void()> handler);
    // Gives both signals their default handling back.
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
};
