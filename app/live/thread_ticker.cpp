#include "app/live/thread_ticker.h"

#include <algorithm>

void ThreadTicker::start(std::chrono::milliseconds period, std::function<void()> tick)
{
    stop();
    if (thread_.joinable())
        return; // started again from its own tick: not supported
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    thread_ = std::thread([this, period, tick = std::move(tick)] { run(period, tick); });
}

void ThreadTicker::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    // The tick runs outside the lock; joining waits for one that is under way. Stopped from
    // a tick, the loop ends when that tick returns and a later stop joins it.
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void ThreadTicker::run(std::chrono::milliseconds period, std::function<void()> tick)
{
    using Clock = std::chrono::steady_clock;
    const std::chrono::milliseconds step = std::max(period, std::chrono::milliseconds(1));
    auto next = Clock::now() + step;
    std::unique_lock lock(mutex_);
    for (;;)
    {
        if (wake_.wait_until(lock, next, [this] { return stopping_; }))
            return;
        lock.unlock();
        tick();
        lock.lock();
        next += step;
        // After a stall the next tick comes one period on, not in a burst of missed ones.
        const auto now = Clock::now();
        if (next <= now)
            next = now + step;
    }
}
