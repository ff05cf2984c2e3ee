#include "support/timer/timer.h"

#include <cmath>

#include "platform/clock.h"
#include "platform/message_queue.h"
#include "platform/trace.h"

namespace kwz {

namespace {

// "消耗时间：%d" in GBK, the narrow encoding of every trace text.
constexpr char kElapsedFormat[] = "\xCF\xFB\xBA\xC4\xCA\xB1\xBC\xE4\xA3\xBA%d";

} // namespace

void Timer::start()
{
    startTime_ = tickCount();
}

int Timer::stop()
{
    stopTime_ = tickCount();
    elapsed_ = int32_t(stopTime_ - startTime_);
    return elapsed_;
}

void Timer::begin()
{
    counterStart_ = performanceCounter();
}

int Timer::end()
{
    const int64_t ticks = performanceCounter() - counterStart_;
    const int64_t frequency = performanceFrequency();
    // Split so that ticks * 1000 cannot overflow; the result is the same truncated value.
    const int64_t ms = ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
    counterElapsed_ = int32_t(uint32_t(uint64_t(ms)));
    traceFormat(kElapsedFormat, counterElapsed_);
    return counterElapsed_;
}

void Timer::delayMs(int milliseconds)
{
    const uint32_t total = milliseconds > 0 ? uint32_t(milliseconds) : 0;
    const uint32_t startTick = tickCount();
    // Waiting for a message without a time limit would never return on a quiet thread;
    // each wait is bounded by the time that is left.
    for (;;)
    {
        const uint32_t waited = tickCount() - startTick;
        pumpOneMessage(waited < total ? total - waited : 0);
        if (tickCount() - startTick >= total)
            return;
    }
}

void Timer::delaySeconds(double seconds)
{
    if (!(seconds > 0.0))
        return;
    const double frequency = double(performanceFrequency());
    const int64_t startCounter = performanceCounter();
    while (double(performanceCounter() - startCounter) / frequency < seconds)
    {
    }
}

} // namespace kwz
