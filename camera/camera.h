#pragma once
// One open camera: the capture thread that pulls frames from the device and hands each to the
// frame routine, the white balance, the live view, the recorder and waiting grabs.

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "camera/avi_recorder.h"
#include "camera/camera_device.h"
#include "camera/live_view.h"
#include "camera/white_balance.h"
#include "zcapapi.h"

namespace zcap {

// What ZcapSetCapInfo carries, decoded.
struct CaptureRequest
{
    int width = 0;
    int height = 0;
    int exposure = 0;
    std::array<int, 3> gains{32, 32, 32}; // blue, green, red
};

// What a call on the camera came to; the exports turn it into their result codes.
enum class Status
{
    Ok,
    Closed,       // released while the call waited
    BadArgument,  // a value out of range or a missing routine
    DeviceFailed, // the device stopped delivering frames
    FileFailed,   // a recording could not be created or finished
    NoFrame,      // no frame arrived in time
    ViewFailed,   // the live view could not be started
    WrongState,   // already recording, or not recording
};

class Camera
{
  public:
    Camera(std::unique_ptr<CameraDevice> device, const CaptureRequest& first);
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    DeviceKind kind() const { return kind_; }
    bool onCaptureThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    // Stops everything and joins the capture thread; the recording is closed properly.
    void shutdown();

    Status setCapture(const CaptureRequest& request);
    Status startView(kwz::Window* window, int width, int height);
    Status stopView();
    Status setPlacement(const Placement& placement);
    // The latest frame (or a new one when none is current) at width x height.
    Status grab(int width, int height, Frame& out);
    Status startRecording(const std::string& path);
    Status stopRecording();
    // Why the running recording stopped writing by itself; None while it writes or without one.
    RecordFault recordingFault();
    // The camera stopped delivering and could not be started again (unplugged, or errors
    // that persist). A new view, grab or request tries it again and clears this on success.
    bool deviceLost() const;
    float frameRate();
    Status setGamma(float gamma, bool enabled);
    Status setOffsets(int red, int green, int blue, bool enabled);
    Status setLights(unsigned lights);
    Status startBalance(int maxFrames, ZCAPAWBPROC done, void* context);
    Status cancelBalance();
    Status setFrameRoutine(ZCAPFRAMEPROC routine, void* context);
    Status setRecordRoutine(ZCAPRECORDPROC routine, void* context);

    // How long a grab waits for a frame.
    static constexpr std::chrono::milliseconds kGrabTimeout{3000};

  private:
    using Clock = std::chrono::steady_clock;

    void run();
    bool needStream(Clock::time_point now) const;
    PictureSettings effectiveSettings() const;
    void deliver(Frame& frame, uint64_t generation);
    // Called on the capture thread without mutex_ held.
    void endRecordingOnLoss();

    std::unique_ptr<CameraDevice> device_;
    const DeviceKind kind_;
    std::thread thread_;

    // Guards the state below, up to the next comment.
    mutable std::mutex mutex_;
    std::condition_variable wake_;       // the capture thread waits on it
    std::condition_variable frameReady_; // grabs wait on it
    bool quit_ = false;
    int streamWidth_ = 0;
    int streamHeight_ = 0;
    bool viewSized_ = false; // a view has set the stream size
    bool restartStream_ = true;
    bool streaming_ = false;
    bool deviceFailed_ = false;
    bool deviceLost_ = false;
    PictureSettings settings_;
    bool settingsChanged_ = true;
    // Counts changes asked for by the caller; a frame older than the last one is stale.
    uint64_t generation_ = 0;
    uint64_t appliedGeneration_ = 0;
    uint64_t latestGeneration_ = 0;
    bool viewOn_ = false;
    int grabsWaiting_ = 0;
    Clock::time_point lingerUntil_{};
    Frame latest_;
    uint64_t serial_ = 0;
    std::deque<Clock::time_point> arrivals_;
    bool balancing_ = false;
    WhiteBalancer balancer_;
    std::array<int, 3> gainsBeforeBalance_{};
    ZCAPAWBPROC balanceDone_ = nullptr;
    void* balanceContext_ = nullptr;
    bool recording_ = false;

    // Held while the frame routine runs, so replacing it waits for a running call.
    std::mutex routineMutex_;
    ZCAPFRAMEPROC routine_ = nullptr;
    void* routineContext_ = nullptr;

    // Held while painting, so that after stopView the window is no longer touched.
    std::mutex viewMutex_;
    kwz::Window* window_ = nullptr;
    Placement placement_;
    bool placementSet_ = false;
    LiveView view_;

    // Held while handing frames to the recorder, so stopRecording waits for a push.
    std::mutex recorderMutex_;
    std::unique_ptr<AviRecorder> recorder_;
    // The recording was finished when the camera went away; it stays until stopRecording.
    bool recorderEndedByLoss_ = false;
    ZCAPRECORDPROC recordRoutine_ = nullptr;
    void* recordContext_ = nullptr;
    // Set on the capture thread while the record routine runs: the recorder is in use then.
    bool inRecordRoutine_ = false;
};

} // namespace zcap
