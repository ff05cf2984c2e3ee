#include "camera/device_factory.h"

#include <cstdlib>
#include <string>

#include "camera/simulated_camera.h"
#include "camera/v4l2_camera.h"

namespace zcap {

std::unique_ptr<CameraDevice> openConfiguredDevice()
{
    const char* env = std::getenv("KWZ_CAMERA");
    const std::string name = env ? env : "";
    const char* fixed = std::getenv("KWZ_CAMERA_DETERMINISTIC");
    if (name.empty() || name == "sim" || name == "sim:fixed")
    {
        SimulatedOptions options;
        options.deterministic = name == "sim:fixed" || (fixed && std::string(fixed) == "1");
        return std::make_unique<SimulatedCamera>(options);
    }
    return V4l2Camera::open(name, systemV4l2Io());
}

} // namespace zcap
