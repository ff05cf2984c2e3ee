#include "camera/camera.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "camera/pixel_convert.h"

namespace zcap {

namespace {

// A grab while nothing streams starts the device; keeping it running a little longer saves
// a restart for the next capture of a series.
constexpr std::chrono::milliseconds kLinger{1500};

} // namespace

Camera::Camera(std::unique_ptr<CameraDevice> device, const CaptureRequest& first)
    : device_(std::move(device)), kind_(device_->kind())
{
    streamWidth_ = first.width;
    streamHeight_ = first.height;
    settings_.exposure = first.exposure;
    settings_.gains = first.gains;
    thread_ = std::thread([this] { run(); });
}

Camera::~Camera()
{
    shutdown();
}

void Camera::shutdown()
{
    {
        std::lock_guard lock(mutex_);
        if (quit_ && !thread_.joinable())
            return;
        quit_ = true;
        wake_.notify_all();
        frameReady_.notify_all();
    }
    if (thread_.joinable())
    {
        if (onCaptureThread())
            thread_.detach(); // released from its own routine: it ends after this frame
        else
            thread_.join();
    }
    std::unique_ptr<AviRecorder> recorder;
    {
        std::lock_guard lock(recorderMutex_);
        recorder = std::move(recorder_);
        recorderEndedByLoss_ = false;
    }
    if (recorder)
        recorder->finish();
}

bool Camera::needStream(Clock::time_point now) const
{
    return viewOn_ || recording_ || balancing_ || grabsWaiting_ > 0 || now < lingerUntil_;
}

PictureSettings Camera::effectiveSettings() const
{
    PictureSettings s = settings_;
    if (balancing_)
        s.gains = balancer_.gains();
    return s;
}

void Camera::run()
{
    Frame frame;
    bool retried = false; // the stream was restarted after a failure and sent nothing since
    std::unique_lock lock(mutex_);
    while (!quit_)
    {
        const auto now = Clock::now();
        if (!needStream(now) || deviceFailed_)
        {
            if (streaming_)
            {
                streaming_ = false;
                arrivals_.clear();
                lock.unlock();
                device_->stopStream();
                lock.lock();
                continue;
            }
            if (lingerUntil_ > now && !deviceFailed_)
                wake_.wait_until(lock, lingerUntil_);
            else
                wake_.wait(lock);
            continue;
        }
        if (restartStream_ || !streaming_)
        {
            const int w = streamWidth_, h = streamHeight_;
            restartStream_ = false;
            lock.unlock();
            const bool ok = device_->startStream(w, h);
            lock.lock();
            retried = false;
            streaming_ = ok;
            if (ok && deviceLost_)
            {
                deviceLost_ = false;
                settingsChanged_ = true; // a camera plugged in again starts from its defaults
            }
            frameReady_.notify_all();
            if (!ok)
            {
                deviceFailed_ = true;
                frameReady_.notify_all();
            }
            continue;
        }
        if (settingsChanged_)
        {
            settingsChanged_ = false;
            appliedGeneration_ = generation_;
            const PictureSettings s = effectiveSettings();
            lock.unlock();
            device_->applySettings(s);
            lock.lock();
        }
        const uint64_t generation = appliedGeneration_;
        const int w = streamWidth_, h = streamHeight_;
        lock.unlock();
        if (!device_->nextFrame(frame))
        {
            // One failure may be the bus; a stream that does not start again, or fails again
            // before its first frame, is a camera gone.
            device_->stopStream();
            const bool back = !retried && device_->startStream(w, h);
            retried = true;
            if (!back)
                endRecordingOnLoss();
            lock.lock();
            if (back)
                settingsChanged_ = true;
            else
            {
                streaming_ = false;
                arrivals_.clear();
                deviceFailed_ = true;
                deviceLost_ = true;
                frameReady_.notify_all();
            }
            continue;
        }
        retried = false;
        lock.lock();
        // A frame begun before a size switch is not shown.
        if (restartStream_ || frame.width != streamWidth_ || frame.height != streamHeight_)
            continue;
        lock.unlock();
        deliver(frame, generation);
        lock.lock();
    }
    if (streaming_)
    {
        streaming_ = false;
        lock.unlock();
        device_->stopStream();
    }
}

void Camera::deliver(Frame& frame, uint64_t generation)
{
    // White balance looks at the frame before anything is painted into it.
    ZCAPAWBPROC done = nullptr;
    void* doneContext = nullptr;
    DWORD packed = 0;
    {
        std::lock_guard lock(mutex_);
        if (balancing_)
        {
            const bool finished = balancer_.step(frame);
            if (balancer_.changedLastStep() || finished)
                settingsChanged_ = true;
            if (finished)
            {
                balancing_ = false;
                settings_.gains = balancer_.gains();
                const auto& g = settings_.gains;
                const int halfExposure = std::clamp(settings_.exposure / 2, 0, 255);
                packed = static_cast<DWORD>(g[2]) | (static_cast<DWORD>(g[1]) << 8) |
                         (static_cast<DWORD>(g[0]) << 16) |
                         (static_cast<DWORD>(halfExposure) << 24);
                done = balanceDone_;
                doneContext = balanceContext_;
                balanceDone_ = nullptr;
            }
        }
    }
    {
        std::lock_guard lock(routineMutex_);
        if (routine_)
            routine_(frame.bgr.data(), static_cast<DWORD>(frame.byteCount()), routineContext_);
    }
    {
        std::lock_guard lock(viewMutex_);
        if (window_)
        {
            Placement p = placementSet_ ? placement_ : Placement{0, 0, frame.width, frame.height};
            view_.paint(*window_, frame, p);
        }
    }
    {
        std::lock_guard lock(recorderMutex_);
        if (recorder_ && recordRoutine_)
        {
            inRecordRoutine_ = true;
            recorder_->push(frame, [this](Frame& copy) {
                recordRoutine_(copy.bgr.data(), static_cast<DWORD>(copy.width),
                               static_cast<DWORD>(copy.height), recordContext_);
            });
            inRecordRoutine_ = false;
        }
        else if (recorder_)
        {
            recorder_->push(frame);
        }
    }
    {
        std::lock_guard lock(mutex_);
        std::swap(latest_, frame);
        latestGeneration_ = generation;
        ++serial_;
        const auto now = Clock::now();
        arrivals_.push_back(now);
        while (!arrivals_.empty() && now - arrivals_.front() > std::chrono::milliseconds(1000))
            arrivals_.pop_front();
        frameReady_.notify_all();
    }
    if (done)
        done(packed, doneContext);
}

Status Camera::setCapture(const CaptureRequest& request)
{
    if (!validSize(request.width, request.height))
        return Status::BadArgument;
    std::lock_guard lock(mutex_);
    // Once a view has started, frames keep its size: the frame routine relies on it. Grabs at
    // another size are scaled.
    if (!viewSized_ && (request.width != streamWidth_ || request.height != streamHeight_))
    {
        streamWidth_ = request.width;
        streamHeight_ = request.height;
        restartStream_ = true;
        latest_ = Frame{};
    }
    settings_.exposure = std::clamp(request.exposure, 0, 1000);
    ++generation_;
    if (balancing_)
    {
        gainsBeforeBalance_ = request.gains;
    }
    else
    {
        settings_.gains = request.gains;
    }
    settingsChanged_ = true;
    deviceFailed_ = false; // a new request tries the device again
    wake_.notify_all();
    return Status::Ok;
}

Status Camera::startView(kwz::Window* window, int width, int height)
{
    if (!window || !validSize(width, height))
        return Status::ViewFailed;
    {
        std::lock_guard viewLock(viewMutex_);
        window_ = window;
    }
    std::unique_lock lock(mutex_);
    viewSized_ = true;
    if (width != streamWidth_ || height != streamHeight_)
    {
        streamWidth_ = width;
        streamHeight_ = height;
        restartStream_ = true;
        latest_ = Frame{};
    }
    viewOn_ = true;
    deviceFailed_ = false;
    wake_.notify_all();
    if (onCaptureThread())
        return Status::Ok; // started from a routine: the loop picks it up after this frame
    // The device is started on the capture thread; a device that cannot stream fails here.
    frameReady_.wait_for(lock, kGrabTimeout,
                         [&] { return quit_ || deviceFailed_ || (streaming_ && !restartStream_); });
    if (deviceFailed_ || quit_ || !(streaming_ && !restartStream_))
    {
        viewOn_ = false;
        lock.unlock();
        std::lock_guard viewLock(viewMutex_);
        window_ = nullptr;
        return Status::ViewFailed;
    }
    return Status::Ok;
}

Status Camera::stopView()
{
    {
        std::lock_guard lock(mutex_);
        viewOn_ = false;
        wake_.notify_all();
    }
    if (onCaptureThread())
    {
        window_ = nullptr; // the view lock is not held between frames on this thread
        return Status::Ok;
    }
    std::lock_guard viewLock(viewMutex_);
    window_ = nullptr;
    return Status::Ok;
}

Status Camera::setPlacement(const Placement& placement)
{
    if (placement.width <= 0 || placement.height <= 0 || placement.width > 65536 ||
        placement.height > 65536)
        return Status::BadArgument;
    std::unique_lock<std::mutex> viewLock(viewMutex_, std::defer_lock);
    if (!onCaptureThread())
        viewLock.lock();
    placement_ = placement;
    placementSet_ = true;
    return Status::Ok;
}

Status Camera::grab(int width, int height, Frame& out)
{
    if (!validSize(width, height))
        return Status::BadArgument;
    std::unique_lock lock(mutex_);
    const bool current = streaming_ && !restartStream_ && !latest_.empty() &&
                         latestGeneration_ == generation_ && latest_.width == streamWidth_ &&
                         latest_.height == streamHeight_;
    if (!current)
    {
        if (onCaptureThread())
            return Status::NoFrame; // it would wait for itself
        const uint64_t before = serial_;
        ++grabsWaiting_;
        deviceFailed_ = false;
        wake_.notify_all();
        const bool arrived = frameReady_.wait_for(lock, kGrabTimeout, [&] {
            return quit_ || deviceFailed_ ||
                   (serial_ != before && !latest_.empty() && latestGeneration_ == generation_);
        });
        --grabsWaiting_;
        lingerUntil_ = Clock::now() + kLinger;
        if (quit_)
            return Status::Closed;
        if (deviceFailed_)
            return Status::DeviceFailed;
        if (!arrived)
            return Status::NoFrame;
    }
    scaleFrame(latest_, width, height, out);
    return Status::Ok;
}

Status Camera::startRecording(const std::string& path)
{
    if (onCaptureThread() && inRecordRoutine_)
        return Status::WrongState;
    std::lock_guard recorderLock(recorderMutex_);
    if (recorder_)
        return Status::WrongState;
    int width, height;
    {
        std::lock_guard lock(mutex_);
        width = streamWidth_;
        height = streamHeight_;
    }
    recorder_ = AviRecorder::create(path, width, height, device_->nominalRate());
    if (!recorder_)
        return Status::FileFailed;
    std::lock_guard lock(mutex_);
    recording_ = true;
    wake_.notify_all();
    return Status::Ok;
}

void Camera::endRecordingOnLoss()
{
    std::lock_guard recorderLock(recorderMutex_);
    if (!recorder_ || recorderEndedByLoss_)
        return;
    // The frames the camera sent are the recording: finish the file now, while the user may
    // not be there to stop it.
    recorderEndedByLoss_ = true;
    recorder_->finish();
}

bool Camera::deviceLost() const
{
    std::lock_guard lock(mutex_);
    return deviceLost_;
}

Status Camera::stopRecording()
{
    // From the record routine the recorder is in the middle of taking a frame.
    if (onCaptureThread() && inRecordRoutine_)
        return Status::WrongState;
    std::unique_ptr<AviRecorder> recorder;
    {
        std::unique_lock<std::mutex> recorderLock(recorderMutex_, std::defer_lock);
        if (!onCaptureThread())
            recorderLock.lock();
        recorder = std::move(recorder_);
        recorderEndedByLoss_ = false;
    }
    if (!recorder)
        return Status::WrongState;
    {
        std::lock_guard lock(mutex_);
        recording_ = false;
    }
    return recorder->finish() ? Status::Ok : Status::FileFailed;
}

RecordFault Camera::recordingFault()
{
    std::lock_guard recorderLock(recorderMutex_);
    if (!recorder_)
        return RecordFault::None;
    return recorderEndedByLoss_ ? RecordFault::DeviceGone : recorder_->fault();
}

float Camera::frameRate()
{
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    while (!arrivals_.empty() && now - arrivals_.front() > std::chrono::milliseconds(1000))
        arrivals_.pop_front();
    if (!streaming_ || arrivals_.size() < 2)
        return 0.0f;
    const double span = std::chrono::duration<double>(arrivals_.back() - arrivals_.front()).count();
    return span > 0 ? static_cast<float>((arrivals_.size() - 1) / span) : 0.0f;
}

Status Camera::setGamma(float gamma, bool enabled)
{
    if (std::isnan(gamma))
        return Status::BadArgument;
    std::lock_guard lock(mutex_);
    settings_.gamma = std::clamp(gamma, 0.01f, 2.0f);
    settings_.gammaOn = enabled;
    ++generation_;
    settingsChanged_ = true;
    return Status::Ok;
}

Status Camera::setOffsets(int red, int green, int blue, bool enabled)
{
    std::lock_guard lock(mutex_);
    settings_.offsets = {std::clamp(blue, -255, 255), std::clamp(green, -255, 255),
                         std::clamp(red, -255, 255)};
    settings_.offsetsOn = enabled;
    ++generation_;
    settingsChanged_ = true;
    return Status::Ok;
}

Status Camera::setLights(unsigned lights)
{
    if ((lights & ~kAllLights) != 0)
        return Status::BadArgument;
    std::lock_guard lock(mutex_);
    settings_.lights = lights;
    ++generation_;
    settingsChanged_ = true;
    return Status::Ok;
}

Status Camera::startBalance(int maxFrames, ZCAPAWBPROC done, void* context)
{
    if (!done)
        return Status::BadArgument;
    std::lock_guard lock(mutex_);
    if (!balancing_)
        gainsBeforeBalance_ = settings_.gains;
    balancing_ = true;
    balancer_.start(gainsBeforeBalance_, maxFrames);
    balanceDone_ = done;
    balanceContext_ = context;
    deviceFailed_ = false;
    settingsChanged_ = true;
    wake_.notify_all();
    return Status::Ok;
}

Status Camera::cancelBalance()
{
    std::lock_guard lock(mutex_);
    if (balancing_)
    {
        balancing_ = false;
        balanceDone_ = nullptr;
        settings_.gains = gainsBeforeBalance_;
        settingsChanged_ = true;
        ++generation_;
    }
    return Status::Ok;
}

Status Camera::setFrameRoutine(ZCAPFRAMEPROC routine, void* context)
{
    std::unique_lock<std::mutex> lock(routineMutex_, std::defer_lock);
    if (!onCaptureThread())
        lock.lock();
    routine_ = routine;
    routineContext_ = context;
    return Status::Ok;
}

Status Camera::setRecordRoutine(ZCAPRECORDPROC routine, void* context)
{
    // On the capture thread the recorder lock is either held already (from the routine
    // itself) or not needed: frames are handed over on this thread only.
    std::unique_lock<std::mutex> lock(recorderMutex_, std::defer_lock);
    if (!onCaptureThread())
        lock.lock();
    recordRoutine_ = routine;
    recordContext_ = context;
    return Status::Ok;
}

} // namespace zcap
