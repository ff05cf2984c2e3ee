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

// Read at every call, so a program or test may switch it on after start.
bool stderrTraceEnabled()
{
    const char* value = std::getenv("KWZ_TRACE");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

void stderrSink(std::string_view text)
{
    std::string line = gbkToUtf8(text);
    if (line.empty() || line.back() != '\n')
        line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
}

} // namespace

void trace(std::string_view text)
{
    PlatformState& state = platformState();
    TraceSink sink;
    void* context;
    {
        std::lock_guard lock(state.hookMutex);
        sink = state.traceSink;
        context = state.traceContext;
    }
    if (sink != nullptr)
        sink(context, text);
    else if (stderrTraceEnabled())
        stderrSink(text);
}

void traceFormat(const char* format, ...)
{
    if (format == nullptr)
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
}

} // namespace kwz
