#pragma once
// Chooses the device from the environment: KWZ_CAMERA unset, empty or "sim" gives the
// simulated camera ("sim:fixed", or KWZ_CAMERA_DETERMINISTIC=1, its deterministic mode);
// a path such as "/dev/video0" opens that V4L2 camera.

#include <memory>

#include "camera/camera_device.h"

namespace zcap {

// Null when the named device cannot be opened.
std::unique_ptr<CameraDevice> openConfiguredDevice();

} // namespace zcap
