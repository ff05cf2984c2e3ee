#include "platform/message_queue.h"

#include <chrono>

#include <pthread.h>

#include "platform/clock.h"
#include "platform/platform_state_data.h"

namespace kwz {

namespace {

// Null when the thread has ended or never took its id.
std::shared_ptr<ThreadQueue> queueOf(ThreadId thread)
{
    PlatformState& state = platformState();
    std::lock_guard lock(state.queueMutex);
    auto found = state.queues.find(thread);
    return found != state.queues.end() ? found->second : nullptr;
}

bool defaultPump(uint32_t timeoutMs)
{
    std::shared_ptr<ThreadQueue> queue = queueOf(currentThreadId());

    PlatformState& state = platformState();
    const uint32_t start = tickCount();
    std::function<void()> message;
    {
        std::unique_lock lock(queue->mutex);
        for (;;)
        {
            if (!queue->messages.empty())
            {
                message = std::move(queue->messages.front());
                queue->messages.pop_front();
                break;
            }
            uint32_t waited = tickCount() - start;
            if (waited >= timeoutMs)
                return false;
            if (state.fakeClockActive.load())
            {
                // Fake time only moves when a test advances it, which wakes every queue.
                queue->ready.wait(lock);
            }
            else
            {
                queue->ready.wait_for(lock, std::chrono::milliseconds(timeoutMs - waited));
            }
        }
    }
    if (message)
        message();
    return true;
}

} // namespace

ThreadId currentThreadId()
{
    // Ids are never reused, unlike pthread ids, so a message for a finished thread is never
    // delivered to a new one. They live in a key of the shared state so that every copy of
    // this library gives a thread the same id.
    PlatformState& state = platformState();
    void* value = pthread_getspecific(state.threadKey);
    if (value != nullptr)
        return ThreadId(reinterpret_cast<uintptr_t>(value));
    ThreadId id = state.nextThreadId.fetch_add(1);
    {
        // The queue lives exactly as long as the thread: created with its id, dropped by
        // the key's destructor when the thread ends.
        std::lock_guard lock(state.queueMutex);
        state.queues[id] = std::make_shared<ThreadQueue>();
    }
    pthread_setspecific(state.threadKey, reinterpret_cast<void*>(uintptr_t(id)));
    return id;
}

void forgetThread(void* value)
{
    // Drops the queue of a thread that ends, so ids of finished threads do not pile up.
    PlatformState& state = platformState();
    std::lock_guard lock(state.queueMutex);
    state.queues.erase(ThreadId(reinterpret_cast<uintptr_t>(value)));
}

bool postThreadMessage(ThreadId thread, std::function<void()> message)
{
    std::shared_ptr<ThreadQueue> queue = queueOf(thread);
    if (!queue)
        return false;
    {
        std::lock_guard lock(queue->mutex);
        queue->messages.push_back(std::move(message));
    }
    queue->ready.notify_all();
    return true;
}

bool pumpOneMessage(uint32_t timeoutMs)
{
    PlatformState& state = platformState();
    MessagePump pump;
    void* context;
    {
        std::lock_guard lock(state.hookMutex);
        pump = state.messagePump;
        context = state.messagePumpContext;
    }
    if (pump != nullptr)
        return pump(context, timeoutMs);
    return defaultPump(timeoutMs);
}

void setMessagePump(MessagePump pump, void* context)
{
    PlatformState& state = platformState();
    std::lock_guard lock(state.hookMutex);
    state.messagePump = pump;
    state.messagePumpContext = pump != nullptr ? context : nullptr;
}

void wakeAllQueues()
{
    PlatformState& state = platformState();
    std::lock_guard lock(state.queueMutex);
    for (auto& [id, queue] : state.queues)
    {
        // Taking the queue's lock orders the wake after a waiter's last look at the clock.
        std::lock_guard queueLock(queue->mutex);
        queue->ready.notify_all();
    }
}

} // namespace kwz
