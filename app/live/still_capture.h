#pragma once
// Still pictures of the live camera: the capture bar's settings taken in, the frame written
// into a time-stamped BMP or JPEG file of the capture folder, and the running index moved on.

#include <string>

#include "zcapapi.h"

class CameraSession;
struct LiveServices;

class StillCapture
{
  public:
    StillCapture(LiveServices& services, CameraSession& camera);

    // The capture bar's contents into the stored capture settings.
    void readBar();
    // The stored capture settings onto the capture bar.
    void showOnBar();
    // The current frame into a new file, said in the prompt pane; false when not written.
    bool writeStill(ZCAPHANDLE device);

  private:
    // The frame with the live overlay drawn in, written by the program; a camera result code.
    int writeWithOverlay(ZCAPHANDLE device, const std::string& file, bool jpeg);

    LiveServices& services_;
    CameraSession& camera_;
};
