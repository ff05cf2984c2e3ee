#include "platform/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/encoding.h"
#include "platform/platform_state_data.h"

namespace kwz {

namespace {

// KWZ_TRACE is read once, when the process first traces: a lookup of the environment on
// every call made hit tests of edit points slower the larger the environment was.
bool stderrTraceEnabled(PlatformState& state)
{
    int on = state.stderrTrace.load(std::memory_order_relaxed);
    if (on < 0)
    {
        const char* value = std::getenv("KWZ_TRACE");
        on = value != nullptr && std::strcmp(value, "1") == 0 ? 1 : 0;
        int unknown = -1;
        state.stderrTrace.compare_exchange_strong(unknown, on, std::memory_order_relaxed);
        on = state.stderrTrace.load(std::memory_order_relaxed);
    }
    return on > 0;
}

void stderrSink(std::string_view text)
{
    std::string line = gbkToUtf8(text);
    if (line.empty() || line.back() != '\n')
        line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
}

} // namespace

bool tracing()
{
    PlatformState& state = platformState();
    return state.traceSinkSet.load(std::memory_order_acquire) || stderrTraceEnabled(state);
}

void trace(std::string_view text)
{
    PlatformState& state = platformState();
    // Nobody listens by default: no lock, no formatting.
    if (!state.traceSinkSet.load(std::memory_order_acquire) && !stderrTraceEnabled(state))
        return;
    TraceSink sink;
    void* context;
    {
        std::lock_guard lock(state.hookMutex);
        sink = state.traceSink;
        context = state.traceContext;
    }
    if (sink != nullptr)
        sink(context, text);
    else if (stderrTraceEnabled(state))
        stderrSink(text);
}

void traceFormat(const char* format, ...)
{
    if (format == nullptr || !tracing())
        return;
    char small[512];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0)
    {
        va_end(copy);
        return;
    }
    if (size_t(length) < sizeof small)
    {
        va_end(copy);
        trace(std::string_view(small, size_t(length)));
        return;
    }
    std::string big(size_t(length) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, copy);
    va_end(copy);
    big.resize(size_t(length));
    trace(big);
}

void setTraceSink(TraceSink sink, void* context)
{
    PlatformState& state = platformState();
    std::lock_guard lock(state.hookMutex);
    state.traceSink = sink;
    state.traceContext = sink != nullptr ? context : nullptr;
    state.traceSinkSet.store(sink != nullptr, std::memory_order_release);
}

void setStderrTrace(bool on)
{
    platformState().stderrTrace.store(on ? 1 : 0, std::memory_order_relaxed);
}

} // namespace kwz
