#pragma once
// What the program sets on the picture, and the per-channel tables that apply it.

#include <array>
#include <cstdint>

namespace zcap {

// The lamps, as the ZCAP_LIGHT_* bits.
constexpr unsigned kLightTopInner = 0x1u;
constexpr unsigned kLightTopOuter = 0x2u;
constexpr unsigned kLightBottom = 0x4u;
constexpr unsigned kLightLaser = 0x8u;
constexpr unsigned kAllLights = 0xFu;
// A camera starts with its lamps on but the laser.
constexpr unsigned kStartLights = kLightTopInner | kLightTopOuter | kLightBottom;

struct PictureSettings
{
    int exposure = 150;
    // Blue, green, red order like the frame bytes; 32 is unity.
    std::array<int, 3> gains{32, 32, 32};
    float gamma = 1.0f;
    bool gammaOn = false;
    std::array<int, 3> offsets{0, 0, 0};
    bool offsetsOn = false;
    // The lamps that are on.
    unsigned lights = kStartLights;
};

constexpr int kUnityGain = 32;
constexpr int kFullExposure = 150;

// Three 256-entry tables, one per byte of a BGR pixel.
using ToneTables = std::array<std::array<uint8_t, 256>, 3>;

// For a sensor: input is scene reflectance (0-255); output responds to exposure and gains
// (linear, clipping at white), then gamma, then offsets.
ToneTables sensorTables(const PictureSettings& settings);

// For a picture already exposed by the camera: only the part the camera could not do itself.
// `scale` multiplies each channel (1 for none).
ToneTables pictureTables(const std::array<double, 3>& scale, float gamma, bool gammaOn,
                         const std::array<int, 3>& offsets, bool offsetsOn);

bool isIdentity(const ToneTables& tables);

} // namespace zcap
