#pragma once
// Still pictures: BMP and JPEG files that appear whole or not at all.

#include <string>
#include <vector>

#include "camera/frame.h"

namespace zcap {

// Baseline JPEG of a frame (4:2:0), quality 1 to 100. Empty on failure.
std::vector<uint8_t> encodeJpeg(const Frame& frame, int quality);

// 24-bit BMP bytes of a frame (rows padded to four bytes, bottom row first).
std::vector<uint8_t> encodeBmp(const Frame& frame);

// Writes bytes through the platform's atomic writer, so a failure (missing or read-only
// folder, full disk) leaves no new file and never a partial one.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace zcap
