#pragma once
// Recordings of the live camera into AVI files of the record folder: started under a name of
// the record bar and the time, finished, and ended when the camera could no longer write.
// The recording pane says which; the elapsed time comes through the live session.

#include <string>

#include "zcapapi.h"

struct LiveServices;

class LiveRecorder
{
  public:
    explicit LiveRecorder(LiveServices& services);

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

  private:
    void countRecording();

    LiveServices& services_;
    std::string file_; // the recording under way, or the last one
};
