#pragma once
// What capture and recording in the live window need of the main frame: the capture and
// record settings on its bars, the files, the recording pane, and a new image window.

#include "kwztypes.h"
#include "zcapapi.h"

class CaptureHost
{
  public:
    // Takes the capture bar's contents into the stored capture settings.
    virtual void ReadCaptureBar() = 0;
    // Shows the stored capture settings on the capture bar.
    virtual void ApplyCaptureBar() = 0;
    // Writes the current frame into a time-stamped file; 1 when written, else 0.
    virtual int CaptureToFile(ZCAPHANDLE handle) = 0;
    // Starts (1) or finishes (0) the recording file; false when the camera library refused.
    virtual bool RecordStartStop(ZCAPHANDLE handle, int start) = 0;
    // When the camera stopped writing the recording by itself (full disk, folder gone): ends
    // it, says why and returns true. False while the recording writes.
    virtual bool RecordFailed(ZCAPHANDLE handle) = 0;
    // The elapsed recording time in the recording pane.
    virtual void ShowRecordingTime(int seconds) = 0;
    // A new image window measuring the frame (24-bit rows, bottom row first); shown maximised
    // when `maximised`. False when the image document did not take the pixels.
    virtual bool OpenCapturedImage(const BYTE* bgr, int width, int height, bool maximised) = 0;
    // A command as the bars' controls send it to the main frame.
    virtual void SendCommand(int id) = 0;

  protected:
    ~CaptureHost() = default;
};
