#pragma once
// What the live picture shows over the camera's frames: a scale bar and a reticle. Kept in
// section "LiveOverlay" of the settings file.

#include <cstdint>

class SettingsStore;

enum class Reticle : int
{
    None = 0,
    Cross = 1,
    Grid = 2,
};

struct OverlaySettings
{
    bool scaleBar = false;
    double scaleBarLength = 0;    // in the measure unit; 0 chooses it from the width
    int corner = 0;               // kwz::output::Corner
    uint32_t colour = 0x00FFFFFF; // COLORREF
    Reticle reticle = Reticle::None;
    double reticleSpacing = 0; // in the measure unit; 0 chooses it from the width
    // Captures and recordings carry the overlay only when asked.
    bool inCaptures = false;
    // Pictures of image windows get a scale bar of the same length, corner and colour when
    // printed, exported or saved with their figures drawn in.
    bool stillScaleBar = false;

    bool operator==(const OverlaySettings&) const = default;
};

// Values out of range read as their defaults.
OverlaySettings loadOverlaySettings(const SettingsStore& store);
void saveOverlaySettings(SettingsStore& store, const OverlaySettings& settings);
