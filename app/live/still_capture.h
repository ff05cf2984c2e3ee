#pragma once
// Still pictures of the live camera: the capture bar's settings taken in, the frame written
// into a time-stamped BMP, JPEG or calibrated TIFF file of the capture folder, and the running
// index moved on.

#include <string>

#include "zcapapi.h"

class CameraSession;
struct LiveScale;
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

    enum class Format
    {
        Bmp,
        Jpeg,
        Tiff,
    };

  private:
    // The frame written by the program rather than the camera's own writers: for TIFF, which
    // they do not write, and for the live overlay drawn in. A camera result code.
    int writeFrame(ZCAPHANDLE device, const std::string& file, Format format, bool overlay,
                   const LiveScale& scale);

    LiveServices& services_;
    CameraSession& camera_;
};
