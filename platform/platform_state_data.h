#pragma once
// The layout of the process-wide platform state. Internal to kwzplatform: every copy of the
// static library is built from this one definition, so the copies agree on it.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include <pthread.h>

#include "platform/message_box.h"
#include "platform/message_queue.h"
#include "platform/platform_state.h"
#include "platform/trace.h"

namespace kwz {

// One thread's queue of posted messages.
struct ThreadQueue
{
    std::mutex mutex; // guards messages
    std::condition_variable ready;
    std::deque<std::function<void()>> messages;
};

struct PlatformState
{
    // Set first so a copy of the library built with another layout refuses to share.
    std::size_t size = sizeof(PlatformState);

    std::mutex hookMutex; // guards the hook pointers and contexts below
    TraceSink traceSink = nullptr;
    void* traceContext = nullptr;
    MessageBoxHandler messageBoxHandler = nullptr;
    void* messageBoxContext = nullptr;
    MessagePump messagePump = nullptr;
    void* messagePumpContext = nullptr;
    // Read without the lock on every trace call: whether traceSink is set, and whether
    // KWZ_TRACE asked for stderr (-1 until first read).
    std::atomic<bool> traceSinkSet{false};
    std::atomic<int> stderrTrace{-1};

    std::atomic<bool> fakeClockActive{false};
    std::atomic<uint32_t> fakeTickMs{0};
    std::atomic<int64_t> fakeCounterNs{0};

    // Bytes that writeFile may still write before it fails (negative: no limit), and
    // whether reaching the limit ends the process as a kill would.
    std::atomic<int64_t> writeBudget{-1};
    std::atomic<int> exitCodeAtLimit{-1};
    // Files flushed to the disk, counted so tests see what a write costs.
    std::atomic<uint64_t> fileFlushes{0};

    // Whether drawing may take its vector paths (tests run the portable ones too).
    std::atomic<bool> vectorDrawing{true};

    // Thread ids of message_queue.h, kept in a key so every library copy sees the same one.
    pthread_key_t threadKey{};
    std::atomic<ThreadId> nextThreadId{1};

    std::mutex queueMutex; // guards queues
    std::map<ThreadId, std::shared_ptr<ThreadQueue>> queues;

    // Serialises read-modify-write of INI files inside the process.
    std::mutex profileMutex;

    PlatformState();
};

// Key destructor of threadKey: drops the queue of a thread that ends.
void forgetThread(void* value);

// Wakes every waiting queue, so waits measured on the fake clock see it move.
void wakeAllQueues();

} // namespace kwz
