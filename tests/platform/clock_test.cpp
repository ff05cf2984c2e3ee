#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/testing/fake_clock.h"

TEST(Clock, RealClockMovesForwardAndCounterIsInNanoseconds)
{
    int64_t first = kwz::performanceCounter();
    int64_t second = kwz::performanceCounter();
    EXPECT_GE(second, first);
    EXPECT_EQ(kwz::performanceFrequency(), 1'000'000'000);
}

TEST(Clock, FakeClockDrivesTickAndCounterTogetherAndWraps)
{
    {
        kwz::FakeClock clock(0xFFFFFFF0u);
        int64_t counter = kwz::performanceCounter();
        EXPECT_EQ(kwz::tickCount(), 0xFFFFFFF0u);
        clock.advance(0x20);
        // The tick wraps like the 32-bit millisecond clock; unsigned differences survive it.
        EXPECT_EQ(kwz::tickCount(), 0x10u);
        EXPECT_EQ(uint32_t(kwz::tickCount() - 0xFFFFFFF0u), 0x20u);
        EXPECT_EQ(kwz::performanceCounter() - counter, 0x20 * 1'000'000);
        clock.set(5);
        EXPECT_EQ(kwz::tickCount(), 5u);
        EXPECT_EQ(clock.now(), 5u);
    }
    // Gone with its scope: the real clock is back.
    EXPECT_GT(kwz::performanceCounter(), 5 * 1'000'000);
}
