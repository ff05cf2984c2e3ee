#pragma once
// The periodic tick on a std::thread, at fixed deadlines from its start so that the ticks do
// not drift by the time each one takes.

#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/live/periodic_ticker.h"

class ThreadTicker final : public PeriodicTicker
{
  public:
    ThreadTicker() = default;
    ~ThreadTicker() override { stop(); }

    void start(std::chrono::milliseconds period, std::function<void()> tick) override;
    void stop() override;

  private:
    void run(std::chrono::milliseconds period, std::function<void()> tick);

    std::thread thread_;
    std::mutex mutex_; // guards stopping_
    std::condition_variable wake_;
    bool stopping_ = false;
};
