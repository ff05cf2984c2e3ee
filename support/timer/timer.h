#pragma once
// A millisecond stop-watch and a performance-counter stop-watch, plus the two waits.

#include <cstdint>

namespace kwz {

class Timer
{
  public:
    Timer() = default;
    virtual ~Timer() = default;

    void start();
    int stop();
    void begin();
    int end();

    // Waits handling the calling thread's messages; returns when the time is up.
    static void delayMs(int milliseconds);
    // Spins on the performance counter.
    static void delaySeconds(double seconds);

  private:
    uint32_t startTime_ = 0;
    uint32_t stopTime_ = 0;
    int32_t elapsed_ = 0;
    int64_t counterStart_ = 0;
    int32_t counterElapsed_ = 0;
};

} // namespace kwz
