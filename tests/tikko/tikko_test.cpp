#include <chrono>
#include <cmath>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/message_queue.h"
#include "platform/testing/fake_clock.h"
#include "platform/trace.h"
#include "tikko.h"

extern "C" int tikkoHeaderCompilesAsC(void);

namespace {

class Tikko : public testing::Test
{
  protected:
    void SetUp() override { ASSERT_EQ(TKInitialize(&timer_), 0); }
    void TearDown() override { EXPECT_EQ(TKUnInitialize(&timer_), 0); }

    void* timer_ = nullptr;
};

void recordTrace(void* context, std::string_view text)
{
    static_cast<std::vector<std::string>*>(context)->emplace_back(text);
}

bool finished(std::future<void>& task)
{
    return task.wait_for(std::chrono::milliseconds(1)) == std::future_status::ready;
}

// Advances the fake clock in small steps until the task ends; bounded so a wait that never
// ends fails the test instead of hanging it.
void advanceUntilFinished(kwz::FakeClock& clock, std::future<void>& task, uint32_t step)
{
    for (int i = 0; i < 100'000 && !finished(task); ++i)
        clock.advance(step);
    ASSERT_TRUE(finished(task));
}

} // namespace

TEST(TikkoHandles, NullHandlesGiveOne)
{
    EXPECT_EQ(tikkoHeaderCompilesAsC(), 1);
    int out = 0;
    EXPECT_EQ(TKInitialize(nullptr), 1);
    EXPECT_EQ(TKUnInitialize(nullptr), 1);
    EXPECT_EQ(TKStartTimer(nullptr), 1);
    EXPECT_EQ(TKStopTimer(nullptr, &out), 1);
    EXPECT_EQ(TKBeginTimer(nullptr), 1);
    EXPECT_EQ(TKEndTimer(nullptr, &out), 1);
    EXPECT_EQ(TKDelayMS(nullptr, 0), 1);
    EXPECT_EQ(TKDelayS(nullptr, 0.0), 1);
}

TEST_F(Tikko, StopWatchMeasuresTheMillisecondClockAcrossItsWrap)
{
    kwz::FakeClock clock(5000);
    int elapsed = -1;
    // Never started: measured from 0, which is the clock's own value.
    EXPECT_EQ(TKStopTimer(timer_, &elapsed), 0);
    EXPECT_EQ(elapsed, 5000);

    clock.set(0xFFFFFFF0u);
    EXPECT_EQ(TKStartTimer(timer_), 0);
    clock.advance(0x30);
    EXPECT_EQ(TKStopTimer(timer_, &elapsed), 0);
    EXPECT_EQ(elapsed, 0x30);
    EXPECT_EQ(TKStopTimer(timer_, nullptr), 0);
}

TEST_F(Tikko, FineStopWatchGivesWholeMillisecondsAndTracesThem)
{
    std::vector<std::string> traces;
    kwz::setTraceSink(&recordTrace, &traces);
    kwz::FakeClock clock(100);
    int elapsed = -1;
    EXPECT_EQ(TKBeginTimer(timer_), 0);
    EXPECT_EQ(TKEndTimer(timer_, &elapsed), 0);
    EXPECT_EQ(elapsed, 0);
    clock.advance(1500);
    EXPECT_EQ(TKEndTimer(timer_, &elapsed), 0);
    EXPECT_EQ(elapsed, 1500);
    kwz::setTraceSink(nullptr, nullptr);
    // "消耗时间：" in GBK, then the milliseconds.
    EXPECT_EQ(traces, (std::vector<std::string>{"\xCF\xFB\xBA\xC4\xCA\xB1\xBC\xE4\xA3\xBA"
                                                "0",
                                                "\xCF\xFB\xBA\xC4\xCA\xB1\xBC\xE4\xA3\xBA"
                                                "1500"}));
}

TEST_F(Tikko, DelaySecondsSpinsForTheWholeTime)
{
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    EXPECT_EQ(TKDelayS(timer_, 0.5), 0);
    auto spent = Clock::now() - start;
    EXPECT_GE(spent, std::chrono::milliseconds(500));
    EXPECT_LT(spent, std::chrono::seconds(10));

    start = Clock::now();
    EXPECT_EQ(TKDelayS(timer_, 0.0), 0);
    EXPECT_EQ(TKDelayS(timer_, -1.0), 0);
    EXPECT_EQ(TKDelayS(timer_, std::nan("")), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

TEST_F(Tikko, DelaySecondsFollowsTheFakeCounter)
{
    kwz::FakeClock clock(0);
    void* timer = timer_;
    auto task = std::async(std::launch::async, [timer] { TKDelayS(timer, 2.0); });
    clock.advance(1999);
    EXPECT_FALSE(finished(task));
    advanceUntilFinished(clock, task, 10);
    EXPECT_GE(clock.now(), 2000u);
}

TEST_F(Tikko, DelayWithZeroHandlesOneQueuedMessage)
{
    std::vector<int> handled;
    kwz::ThreadId self = kwz::currentThreadId();
    kwz::postThreadMessage(self, [&] { handled.push_back(1); });
    kwz::postThreadMessage(self, [&] { handled.push_back(2); });
    EXPECT_EQ(TKDelayMS(timer_, 0), 0);
    EXPECT_EQ(handled, std::vector<int>{1});
    EXPECT_EQ(TKDelayMS(timer_, -5), 0);
    EXPECT_EQ(handled, (std::vector<int>{1, 2}));
    // An empty queue and no time to wait: back at once.
    EXPECT_EQ(TKDelayMS(timer_, 0), 0);
}

TEST_F(Tikko, DelayReturnsOnTimeWithAnEmptyQueue)
{
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    EXPECT_EQ(TKDelayMS(timer_, 30), 0);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(29));

    kwz::FakeClock clock(1000);
    void* timer = timer_;
    auto task = std::async(std::launch::async, [timer] { TKDelayMS(timer, 100); });
    advanceUntilFinished(clock, task, 10);
    EXPECT_GE(clock.now(), 1100u);
}

TEST_F(Tikko, DelayHandlesMessagesOnItsOwnThreadWhileItWaits)
{
    kwz::FakeClock clock(0);
    std::promise<kwz::ThreadId> waiterId;
    void* timer = timer_;
    auto task = std::async(std::launch::async, [&waiterId, timer] {
        waiterId.set_value(kwz::currentThreadId());
        TKDelayMS(timer, 1000);
    });
    const kwz::ThreadId waiter = waiterId.get_future().get();
    for (int i = 0; i < 3; ++i)
    {
        std::promise<kwz::ThreadId> ranOn;
        kwz::postThreadMessage(waiter, [&ranOn] { ranOn.set_value(kwz::currentThreadId()); });
        auto ran = ranOn.get_future();
        ASSERT_EQ(ran.wait_for(std::chrono::seconds(30)), std::future_status::ready);
        EXPECT_EQ(ran.get(), waiter);
        clock.advance(100);
    }
    EXPECT_FALSE(finished(task));
    advanceUntilFinished(clock, task, 100);
}
