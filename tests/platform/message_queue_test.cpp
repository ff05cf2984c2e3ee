#include <future>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/message_queue.h"
#include "platform/testing/fake_clock.h"

TEST(MessageQueue, PostedMessagesRunInOrderOnTheirThread)
{
    std::vector<int> seen;
    kwz::ThreadId self = kwz::currentThreadId();
    std::thread poster([&] {
        EXPECT_NE(kwz::currentThreadId(), self);
        for (int i = 0; i < 3; ++i)
            kwz::postThreadMessage(self, [&seen, i] { seen.push_back(i); });
    });
    poster.join();
    EXPECT_TRUE(kwz::pumpOneMessage(0));
    EXPECT_TRUE(kwz::pumpOneMessage(0));
    EXPECT_TRUE(kwz::pumpOneMessage(0));
    EXPECT_FALSE(kwz::pumpOneMessage(0));
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
}

TEST(MessageQueue, PostingToAnEndedThreadFailsAndRunsNothing)
{
    kwz::ThreadId ended = 0;
    std::thread([&] { ended = kwz::currentThreadId(); }).join();
    bool ran = false;
    EXPECT_FALSE(kwz::postThreadMessage(ended, [&ran] { ran = true; }));
    EXPECT_FALSE(kwz::postThreadMessage(ended + 1000, [&ran] { ran = true; }));
    EXPECT_FALSE(ran);
}

TEST(MessageQueue, WaitEndsWithAMessageFromAnotherThread)
{
    kwz::ThreadId self = kwz::currentThreadId();
    bool ran = false;
    std::thread poster([&] { kwz::postThreadMessage(self, [&ran] { ran = true; }); });
    EXPECT_TRUE(kwz::pumpOneMessage(60'000));
    poster.join();
    EXPECT_TRUE(ran);
}

TEST(MessageQueue, WaitOnTheFakeClockEndsWhenTheClockPassesTheTimeout)
{
    kwz::FakeClock clock(100);
    std::promise<kwz::ThreadId> idPromise;
    auto result = std::async(std::launch::async, [&] {
        idPromise.set_value(kwz::currentThreadId());
        return kwz::pumpOneMessage(50);
    });
    idPromise.get_future().get();
    // The waiter notes the clock at some point after starting; step until it gives up.
    for (int step = 0;
         step < 1000 && result.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready;
         ++step)
        clock.advance(5);
    ASSERT_EQ(result.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_FALSE(result.get());
    EXPECT_GE(clock.now() - 100, 50u);
}

namespace {

int pumpCalls = 0;

bool countingPump(void* context, uint32_t timeoutMs)
{
    ++pumpCalls;
    *static_cast<uint32_t*>(context) = timeoutMs;
    return true;
}

} // namespace

TEST(MessageQueue, InstalledPumpReplacesTheDefaultQueue)
{
    uint32_t timeout = 0;
    kwz::setMessagePump(&countingPump, &timeout);
    EXPECT_TRUE(kwz::pumpOneMessage(77));
    kwz::setMessagePump(nullptr, nullptr);
    EXPECT_EQ(pumpCalls, 1);
    EXPECT_EQ(timeout, 77u);
    EXPECT_FALSE(kwz::pumpOneMessage(0));
}
