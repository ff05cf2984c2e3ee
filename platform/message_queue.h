#pragma once
// The calling thread's message queue, as TKDelayMS waits on it. By default every thread has
// a queue that other threads can post to; the program installs its own event loop instead.

#include <cstdint>
#include <functional>

namespace kwz {

using ThreadId = uint64_t;

ThreadId currentThreadId();
// Queues a message for a thread; dispatching it runs the function on that thread. False
// (and the message dropped) when the thread has ended or never asked for its id.
bool postThreadMessage(ThreadId thread, std::function<void()> message);

// Waits at most timeoutMs for one message of the calling thread, dispatches it and returns
// true; false when none came in time.
using MessagePump = bool (*)(void* context, uint32_t timeoutMs);
bool pumpOneMessage(uint32_t timeoutMs);
// Null restores the default per-thread queue.
void setMessagePump(MessagePump pump, void* context);

} // namespace kwz
