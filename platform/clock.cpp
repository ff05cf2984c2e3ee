#include "platform/clock.h"

#include <time.h>

#include "platform/platform_state_data.h"

namespace kwz {

namespace {

constexpr int64_t kNsPerSecond = 1'000'000'000;
constexpr int64_t kNsPerMs = 1'000'000;

int64_t monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * kNsPerSecond + ts.tv_nsec;
}

} // namespace

uint32_t tickCount()
{
    PlatformState& state = platformState();
    if (state.fakeClockActive.load())
        return state.fakeTickMs.load();
    return uint32_t(monotonicNs() / kNsPerMs);
}

int64_t performanceCounter()
{
    PlatformState& state = platformState();
    if (state.fakeClockActive.load())
        return state.fakeCounterNs.load();
    return monotonicNs();
}

int64_t performanceFrequency()
{
    // Nanoseconds for the real and the fake clock alike, so callers never mix scales.
    return kNsPerSecond;
}

} // namespace kwz
