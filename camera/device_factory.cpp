#include "camera/device_factory.h"

#include <cstdlib>
#include <string>

#include <unistd.h>

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
        if (const char* plug = std::getenv("KWZ_CAMERA_PLUG"); plug && *plug)
        {
            options.plugFile = plug;
            if (::access(plug, F_OK) != 0)
                return nullptr; // started with the camera unplugged
        }
        return std::make_unique<SimulatedCamera>(options);
    }
    return V4l2Camera::open(name, systemV4l2Io());
}

} // namespace zcap
