#pragma once
// A periodic tick on a thread of its own: the timer of timed capture. The live window makes
// one through a factory, so tests can drive the ticks themselves.

#include <chrono>
#include <functional>
#include <memory>

class PeriodicTicker
{
  public:
    virtual ~PeriodicTicker() = default;

    // Calls `tick` every `period` until stop, never on the caller's thread. A tick must not
    // wait for the thread that calls stop.
    virtual void start(std::chrono::milliseconds period, std::function<void()> tick) = 0;
    // Returns once no tick runs and none will; a tick still running is waited for.
    virtual void stop() = 0;
};

using TickerFactory = std::function<std::unique_ptr<PeriodicTicker>()>;
