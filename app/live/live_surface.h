#pragma once
// The window the camera paints the live picture into, from its capture thread. Three image
// buffers of the view's size: the capture thread paints into the back one and, when done,
// swaps it with the ready one and posts one event to the view; the interface thread takes
// the ready one as its front buffer when it paints. Neither thread waits for the other's
// work, and a slow interface thread skips frames instead of queuing them.

#include <QEvent>
#include <QImage>
#include <QSize>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/draw/window.h"

class QObject;
class Rgb32Context;

class LiveSurface final : public kwz::Window
{
  public:
    // The type of the event posted to the receiver when a new frame is ready.
    static QEvent::Type frameReadyEvent();

    // The receiver must outlive every paint: stop the camera painting before it goes.
    explicit LiveSurface(QObject* receiver);
    ~LiveSurface() override;
    LiveSurface(const LiveSurface&) = delete;
    LiveSurface& operator=(const LiveSurface&) = delete;

    // Any thread.
    RECT clientRect() const override;
    kwz::DrawContext* getDC() override;
    void releaseDC(kwz::DrawContext* context) override;
    void invalidate(const RECT* area) override;

    // Interface thread only, from here on.
    // New buffers of that size, black; frames painted so far are forgotten.
    void resize(QSize size);
    QSize size() const { return size_; }
    // Forgets the frames painted so far, so a new stream never shows an old picture.
    void restart();
    // The posted event was handled: the next painted frame posts another.
    void acknowledge() { pending_.store(false, std::memory_order_release); }
    // Makes the newest painted frame the front buffer; true when it is one not shown before.
    bool takeFrame();
    // The front buffer holds a frame of the current stream.
    bool hasFrame() const { return frontValid_; }
    const QImage& front() const { return slots_[front_].image; }
    // The number of the painted frame in the front buffer (paintedFrames() counted it), 0
    // before the first.
    uint64_t frontFrame() const;

    // Frames painted completely and frames taken to the screen since the surface was made.
    uint64_t paintedFrames() const { return painted_.load(std::memory_order_relaxed); }
    uint64_t takenFrames() const { return taken_; }
    // Painted frames replaced by a newer one before the interface thread took them.
    uint64_t skippedFrames() const { return skipped_.load(std::memory_order_relaxed); }
    // Called on the painting thread after each complete frame (measurements, tests).
    void setPaintedHook(std::function<void()> hook);

  private:
    struct Slot
    {
        QImage image;
        std::unique_ptr<Rgb32Context> context;
        uint64_t stream = 0; // the stream the picture belongs to
        uint64_t frame = 0;  // its number among the painted frames
    };

    QObject* receiver_;
    QSize size_;
    std::atomic<int> width_{0};
    std::atomic<int> height_{0};
    std::atomic<bool> pending_{false};
    std::atomic<uint64_t> painted_{0};
    std::atomic<uint64_t> skipped_{0};
    uint64_t taken_ = 0;
    bool frontValid_ = false;

    // Held by the painting thread from getDC to releaseDC; resize takes it to replace the
    // buffers. Guards the back slot's index and contents and the hook.
    std::mutex paintMutex_;
    std::function<void()> paintedHook_;
    // Guards the slot indexes, the ready flag and the stream number.
    mutable std::mutex swapMutex_;
    std::array<Slot, 3> slots_;
    int back_ = 0;
    int ready_ = 1;
    int front_ = 2;
    bool readyFresh_ = false;
    uint64_t stream_ = 1;
};
