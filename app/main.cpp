// kwzview: live picture, capture and calibrated measurement for a microscope camera.

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "app/measure_tool_app.h"

namespace {

constexpr const char* kUsage =
    "Usage: kwzview [--connect] [FILE]\n"
    "Camera viewer and measuring tool: live picture, still capture, recording, and\n"
    "calibrated measurement on still images.\n"
    "\n"
    "  FILE           a bitmap (.bmp, .kwz) or measurement file (.mea) to open\n"
    "  --connect      connect the camera and show the live picture, in the copy\n"
    "                 already running if there is one\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "Environment:\n"
    "  KWZVIEW_HOME        folder of the settings, language files and work folders\n"
    "  KWZ_CAMERA          V4L2 device to use instead of the simulated camera\n"
    "  KWZ_NONINTERACTIVE  1: message boxes go to stderr and take their default answer,\n"
    "                      dialogs asking where to save an image count as cancelled\n";

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
        {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0)
        {
            std::printf("kwzview %s\n", KWZVIEW_VERSION);
            return 0;
        }
    }
    CMeasureToolApp app(argc, argv);
    // The application object took its own options out of argv.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return app.run(arguments);
}
