#include "app/live/live_surface.h"

#include <QCoreApplication>
#include <QObject>

#include "app/live/rgb32_context.h"

QEvent::Type LiveSurface::frameReadyEvent()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

LiveSurface::LiveSurface(QObject* receiver) : receiver_(receiver) {}

LiveSurface::~LiveSurface() = default;

RECT LiveSurface::clientRect() const
{
    return {0, 0, width_.load(std::memory_order_relaxed), height_.load(std::memory_order_relaxed)};
}

kwz::DrawContext* LiveSurface::getDC()
{
    paintMutex_.lock();
    Slot& slot = slots_[back_];
    if (!slot.context)
    {
        paintMutex_.unlock();
        return nullptr;
    }
    {
        std::lock_guard lock(swapMutex_);
        slot.stream = stream_;
    }
    return slot.context.get();
}

void LiveSurface::releaseDC(kwz::DrawContext* context)
{
    if (context == nullptr)
        return; // getDC gave none and holds no lock
    bool post = false;
    {
        std::lock_guard lock(swapMutex_);
        // Only this thread counts painted frames, one paint at a time.
        slots_[back_].frame = painted_.load(std::memory_order_relaxed) + 1;
        if (slots_[back_].stream == stream_)
        {
            std::swap(back_, ready_);
            if (readyFresh_)
                skipped_.fetch_add(1, std::memory_order_relaxed);
            readyFresh_ = true;
            post = !pending_.exchange(true, std::memory_order_acq_rel);
        }
    }
    painted_.fetch_add(1, std::memory_order_relaxed);
    if (paintedHook_)
        paintedHook_();
    // Posted before the paint lock goes, so that once a paint is known to be over (the camera
    // stopped) no post is still on its way.
    if (post)
        QCoreApplication::postEvent(receiver_, new QEvent(frameReadyEvent()));
    paintMutex_.unlock();
}

void LiveSurface::invalidate(const RECT*)
{
    if (!pending_.exchange(true, std::memory_order_acq_rel))
        QCoreApplication::postEvent(receiver_, new QEvent(frameReadyEvent()));
}

void LiveSurface::resize(QSize size)
{
    size = size.expandedTo(QSize(0, 0));
    if (size == size_ && slots_[0].context)
        return;
    std::lock_guard paintLock(paintMutex_);
    std::lock_guard lock(swapMutex_);
    for (Slot& slot : slots_)
    {
        slot.context.reset();
        slot.image = QImage();
        if (size.isEmpty())
            continue;
        slot.image = QImage(size, QImage::Format_RGB32);
        slot.image.fill(Qt::black);
        slot.context = std::make_unique<Rgb32Context>(
            reinterpret_cast<uint32_t*>(slot.image.bits()), size.width(), size.height());
    }
    size_ = size;
    width_.store(size.width(), std::memory_order_relaxed);
    height_.store(size.height(), std::memory_order_relaxed);
    ++stream_;
    readyFresh_ = false;
    frontValid_ = false;
}

void LiveSurface::restart()
{
    std::lock_guard lock(swapMutex_);
    ++stream_;
    readyFresh_ = false;
    frontValid_ = false;
}

bool LiveSurface::takeFrame()
{
    std::lock_guard lock(swapMutex_);
    if (!readyFresh_)
        return false;
    std::swap(front_, ready_);
    readyFresh_ = false;
    frontValid_ = slots_[front_].stream == stream_;
    if (frontValid_)
        ++taken_;
    return frontValid_;
}

uint64_t LiveSurface::frontFrame() const
{
    std::lock_guard lock(swapMutex_);
    return slots_[front_].frame;
}

void LiveSurface::setPaintedHook(std::function<void()> hook)
{
    std::lock_guard paintLock(paintMutex_);
    paintedHook_ = std::move(hook);
}
