#pragma once
// Subject against baseline in one benchmark, timed in turns, so that whatever else keeps a
// busy machine occupied slows both alike; and every figure printed beside its target.
//
// compare() runs the subject and the baseline in alternating turns (the order swapped every
// turn, so neither always finds the caches as the other left them). The benchmark registers
// with UseManualTime(): its time column is the subject's wall time per call. Counters:
// "baseline_s" (the baseline's wall seconds per call), "ratio" (subject over baseline by the
// wall clock) and "cpu_ratio" (the same by the thread's processor time, which a busy machine
// disturbs less), each with its target where there is one.
//
// A counter "X" may carry its target in a counter "X<=" or "X>=" (atMost, atLeast). After the
// table, the shared main prints per benchmark the ratio and every bounded counter as median
// and range over the repetitions, with its target and whether the median meets it; a lower
// bound ("X>=", a floor such as frames per second) is met only when every repetition meets it.

#include <chrono>
#include <ctime>
#include <string>

#include <benchmark/benchmark.h>

namespace kwzbench {

inline void atMost(benchmark::State& state, const std::string& counter, double bound)
{
    state.counters[counter + "<="] = bound;
}

inline void atLeast(benchmark::State& state, const std::string& counter, double bound)
{
    state.counters[counter + ">="] = bound;
}

// No stated target: the ratio is reported.
constexpr double kNoTarget = 0;

// The calling thread's processor time: unlike the wall clock it stops while other work holds
// the processor, though it misses time spent waiting for a disk.
inline double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Each turn times `calls` consecutive calls of one side; pick enough calls that a turn lasts
// well over ten microseconds, so reading the clocks costs nothing that shows. A target bounds
// both ratios, by the wall clock and by processor time.
template <class Subject, class Baseline>
void compare(benchmark::State& state, Subject&& subject, Baseline&& baseline, double target,
             int calls = 1)
{
    using Clock = std::chrono::steady_clock;
    struct Time
    {
        double wall = 0;
        double cpu = 0;
    };
    auto timed = [calls](auto& work, Time& sum) {
        const double cpu = threadSeconds();
        const auto start = Clock::now();
        for (int i = 0; i < calls; ++i)
            work();
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        sum.cpu += threadSeconds() - cpu;
        sum.wall += wall;
        return wall;
    };
    Time subjectTime;
    Time baselineTime;
    bool subjectFirst = true;
    for (auto _ : state)
    {
        double wall = 0;
        if (subjectFirst)
        {
            wall = timed(subject, subjectTime);
            timed(baseline, baselineTime);
        }
        else
        {
            timed(baseline, baselineTime);
            wall = timed(subject, subjectTime);
        }
        subjectFirst = !subjectFirst;
        state.SetIterationTime(wall / calls);
    }
    const double count = double(state.iterations()) * calls;
    state.counters["baseline_s"] = count > 0 ? baselineTime.wall / count : 0;
    state.counters["ratio"] = baselineTime.wall > 0 ? subjectTime.wall / baselineTime.wall : 0;
    state.counters["cpu_ratio"] = baselineTime.cpu > 0 ? subjectTime.cpu / baselineTime.cpu : 0;
    if (target > 0)
    {
        atMost(state, "ratio", target);
        atMost(state, "cpu_ratio", target);
    }
}

} // namespace kwzbench
