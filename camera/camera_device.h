#pragma once
// One source of frames: the simulated microscope camera or a V4L2 camera.

#include "camera/frame.h"
#include "camera/picture_settings.h"

namespace zcap {

enum class DeviceKind
{
    Simulated = 1,
    V4l2 = 2,
};

class CameraDevice
{
  public:
    virtual ~CameraDevice() = default;

    virtual DeviceKind kind() const = 0;
    // Starts (or restarts) delivering frames of width x height; false on a device error.
    virtual bool startStream(int width, int height) = 0;
    virtual void stopStream() = 0;
    // Waits for the next frame and fills `out` at the stream size; false on a device error.
    virtual bool nextFrame(Frame& out) = 0;
    // Called on the capture thread between frames.
    virtual void applySettings(const PictureSettings& settings) = 0;
    // The rate the device is set up for, frames per second.
    virtual double nominalRate() const = 0;
};

} // namespace zcap
