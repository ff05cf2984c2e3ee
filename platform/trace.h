#pragma once
// Debug output. Silent by default; KWZ_TRACE=1 at start sends it to stderr; tests and the
// program may install a sink of their own.

#include <string_view>

namespace kwz {

using TraceSink = void (*)(void* context, std::string_view text);

// Text is narrow GBK like every text of the libraries; the stderr sink prints it as UTF-8.
void trace(std::string_view text);
void traceFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Whether anything listens (a sink, or stderr): callers that build a text first ask this.
bool tracing();
// Null restores the default sink.
void setTraceSink(TraceSink sink, void* context);
// Overrides what KWZ_TRACE said at start.
void setStderrTrace(bool on);

} // namespace kwz
