#pragma once
// Calibration profile files: "<name>.calib" beside the ruler files, a small INI-like text.
//
//   ; kwzview calibration profile
//   [Profile]
//   Name=Obj10x
//   [Scales]
//   2048x1536=0.312500000 calibrated
//   640x480=1.000000000 derived
//
// Scales are micrometres per pixel. The reader takes nothing it does not understand: an
// unknown section or key, a malformed size or scale, a repeated size or a file over 64 KiB
// is refused with the line it stopped at.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/calibration/calibration_profile.h"

namespace calib {

inline constexpr size_t kProfileFileLimit = 64 * 1024;
inline constexpr const char* kProfileExtension = ".calib";
// A size side larger than any camera delivers is a damaged file, not a camera.
inline constexpr int kLargestSide = 65535;

struct ProfileParse
{
    std::optional<CalibrationProfile> profile;
    // Empty on success, else why the content was refused ("line 4: ...").
    std::string error;
};

ProfileParse parseProfile(std::string_view text);
std::string serializeProfile(const CalibrationProfile& profile);

ProfileParse readProfileFile(const std::string& path);
// Replaces the file only once all of it was written.
bool writeProfileFile(const std::string& path, const CalibrationProfile& profile);

std::string profileFilePath(const std::string& folder, std::string_view name);
// Names of the profile files of a folder without their extension, in name order.
std::vector<std::string> listProfiles(const std::string& folder);

} // namespace calib
