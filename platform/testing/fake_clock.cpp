#include "platform/testing/fake_clock.h"

#include "platform/clock.h"
#include "platform/platform_state_data.h"

namespace kwz {

namespace {

// The fake counter runs at the real counter's frequency.
int64_t counterPerMs()
{
    return performanceFrequency() / 1000;
}

} // namespace

FakeClock::FakeClock(uint32_t startMs)
{
    PlatformState& state = platformState();
    state.fakeTickMs.store(startMs);
    state.fakeCounterNs.store(int64_t(startMs) * counterPerMs());
    state.fakeClockActive.store(true);
}

FakeClock::~FakeClock()
{
    platformState().fakeClockActive.store(false);
    wakeAllQueues();
}

void FakeClock::advance(uint32_t ms)
{
    PlatformState& state = platformState();
    state.fakeTickMs.fetch_add(ms);
    state.fakeCounterNs.fetch_add(int64_t(ms) * counterPerMs());
    wakeAllQueues();
}

void FakeClock::set(uint32_t ms)
{
    PlatformState& state = platformState();
    state.fakeTickMs.store(ms);
    state.fakeCounterNs.store(int64_t(ms) * counterPerMs());
    wakeAllQueues();
}

uint32_t FakeClock::now() const
{
    return platformState().fakeTickMs.load();
}

} // namespace kwz
