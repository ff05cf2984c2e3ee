#pragma once
// A clock that tests move by hand, so throttles and timers are tested without sleeping.

#include <cstdint>

namespace kwz {

// While alive, tickCount() and performanceCounter() read this clock instead of the real one
// (in every library of the process, see platform/platform_state.h). Not nestable.
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
