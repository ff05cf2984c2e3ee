#pragma once
// Calibrated TIFF files: the picture uncompressed (8-bit grey or 24-bit colour), with its
// scale where readers of microscope pictures look for it: X and Y resolution in pixels per
// centimetre, and an image description of "key=value" lines that names the unit and the
// pixel size.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kwz::output {

struct TiffPicture
{
    int width = 0;
    int height = 0;
    int channels = 3;             // 1 grey, 3 red-green-blue
    const uint8_t* top = nullptr; // the top row; rows are `stride` bytes apart
    ptrdiff_t stride = 0;
};

struct TiffCalibration
{
    double micronsPerPixel = 0;
    int unit = 0; // ZQUNIT the description names
};

// The image description for a calibration ("unit=micron\nspacing=2.5\n": the unit in use and
// the pixel size in it); empty without one.
std::string tiffDescription(const TiffCalibration& calibration);

// Writes beside the target and renames over it only when every byte went out, so a failed
// write leaves an earlier file whole. False, with `error` set, when the picture is not
// valid or the file cannot be written.
bool writeTiff(const std::string& path, const TiffPicture& picture,
               const std::optional<TiffCalibration>& calibration, std::string* error);

} // namespace kwz::output
