// The exported C functions of Tikko: argument checks and result codes around Timer.
#include <new>

#include "platform/c_boundary.h"
#include "support/timer/timer.h"
#include "tikko.h"

struct TikkoTimer
{
    kwz::Timer timer;
};

namespace {

kwz::Timer* timerOf(void* handle)
{
    return &static_cast<TikkoTimer*>(handle)->timer;
}

// Message handlers run inside TKDelayMS; whatever they throw ends the wait as a failure, for
// which the timers have only the one code.
template <typename Body> int guarded(Body body)
{
    return kwz::guardedCall({TIKKO_NULL_HANDLE, TIKKO_NULL_HANDLE}, [&] {
        body();
        return TIKKO_OK;
    });
}

} // namespace

KWZ_API int TKInitialize(void** out)
{
    if (out == nullptr)
        return TIKKO_NULL_HANDLE;
    *out = nullptr;
    auto* timer = new (std::nothrow) TikkoTimer;
    if (timer == nullptr)
        return TIKKO_NULL_HANDLE;
    *out = timer;
    return TIKKO_OK;
}

KWZ_API int TKUnInitialize(void** out)
{
    if (out == nullptr || *out == nullptr)
        return TIKKO_NULL_HANDLE;
    delete static_cast<TikkoTimer*>(*out);
    *out = nullptr;
    return TIKKO_OK;
}

KWZ_API int TKStartTimer(void* timer)
{
    if (timer == nullptr)
        return TIKKO_NULL_HANDLE;
    timerOf(timer)->start();
    return TIKKO_OK;
}

KWZ_API int TKStopTimer(void* timer, int* out)
{
    if (timer == nullptr)
        return TIKKO_NULL_HANDLE;
    int elapsed = timerOf(timer)->stop();
    if (out != nullptr)
        *out = elapsed;
    return TIKKO_OK;
}

KWZ_API int TKBeginTimer(void* timer)
{
    if (timer == nullptr)
        return TIKKO_NULL_HANDLE;
    timerOf(timer)->begin();
    return TIKKO_OK;
}

KWZ_API int TKEndTimer(void* timer, int* out)
{
    if (timer == nullptr)
        return TIKKO_NULL_HANDLE;
    return guarded([&] {
        int elapsed = timerOf(timer)->end();
        if (out != nullptr)
            *out = elapsed;
    });
}

KWZ_API int TKDelayMS(void* timer, int milliseconds)
{
    if (timer == nullptr)
        return TIKKO_NULL_HANDLE;
    return guarded([&] { kwz::Timer::delayMs(milliseconds); });
}

KWZ_API int TKDelayS(void* timer, double seconds)
{
    if (timer == nullptr)
        return TIKKO_NULL_HANDLE;
    kwz::Timer::delaySeconds(seconds);
    return TIKKO_OK;
}
