#pragma once
// The 32-bit millisecond tick and the performance counter, replaceable by a fake clock so
// throttles and timers are tested without sleeping.

#include <cstdint>

namespace kwz {

// Milliseconds since an arbitrary start, wrapping at 2^32 (GetTickCount).
uint32_t tickCount();
// High-resolution counter and its ticks per second.
int64_t performanceCounter();
int64_t performanceFrequency();

// While alive, tickCount() and performanceCounter() read this clock instead of the real one
// (in every library of the process, see platform_state.h). Not nestable.
class FakeClock
{
  public:
    explicit FakeClock(uint32_t startMs = 0);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void advance(uint32_t ms);
    void set(uint32_t ms);
    uint32_t now() const;
};

} // namespace kwz
