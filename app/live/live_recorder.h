#pragma once
// Recordings of the live camera into AVI files of the record folder: started under a name of
// the record bar and the time, finished, and ended when the camera could no longer write.
// The recording pane says which; the elapsed time comes through the live session.

#include <memory>
#include <mutex>
#include <string>

#include "app/live/live_overlay.h"
#include "zcapapi.h"

struct LiveServices;

// The overlay that recorded frames carry, as the program last handed it over. Drawn by the
// camera on the recording's own copy of each frame, on its capture thread.
class RecordedOverlay
{
  public:
    void set(bool on, const OverlaySettings& settings, const LiveScale& scale);
    static void draw(BYTE* frame, DWORD width, DWORD height, void* context);

  private:
    std::mutex mutex_;
    bool on_ = false;
    OverlaySettings settings_;
    LiveScale scale_;
};

class LiveRecorder
{
  public:
    explicit LiveRecorder(LiveServices& services);
    ~LiveRecorder();
    LiveRecorder(const LiveRecorder&) = delete;
    LiveRecorder& operator=(const LiveRecorder&) = delete;

    // False when the camera library refused; the reason is said in a message box.
    bool start(ZCAPHANDLE device);
    // Finishes the file; false when it could not be completed.
    bool finish(ZCAPHANDLE device);
    // When the camera stopped writing by itself (full disk, folder gone): ends the recording,
    // says why and returns true. False while the recording writes.
    bool endIfFailed(ZCAPHANDLE device);

    // Recordings of the folder that a kill or a power cut left without their index, finished
    // now; how many were.
    static int repairCutRecordings(const std::string& folder);

    // Hands the overlay settings and the live scale over to the recording under way: it
    // carries the overlay while the user asks captures to carry it.
    void refreshOverlay();

  private:
    void countRecording();
    void releaseOverlay();

    LiveServices& services_;
    std::string file_; // the recording under way, or the last one
    // The camera draws with it from its own thread while the routine is set on `overlayOn_`.
    std::unique_ptr<RecordedOverlay> overlay_ = std::make_unique<RecordedOverlay>();
    ZCAPHANDLE overlayOn_ = 0;
};
