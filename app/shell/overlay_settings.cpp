#include "app/shell/overlay_settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/shell/store.h"

namespace {

constexpr const char* kSection = "LiveOverlay";

// Lengths are stored as text: the store keeps whole numbers only.
double readLength(const SettingsStore& store, const char* key)
{
    char text[260] = {};
    store.getString(kSection, key, "0", text);
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || !std::isfinite(value) || value < 0 || value > 1e9)
        return 0;
    return value;
}

void writeLength(SettingsStore& store, const char* key, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    store.setString(kSection, key, text);
}

} // namespace

OverlaySettings loadOverlaySettings(const SettingsStore& store)
{
    OverlaySettings s;
    s.scaleBar = store.getInt(kSection, "ScaleBar", 0) != 0;
    s.scaleBarLength = readLength(store, "ScaleBarLength");
    const int corner = store.getInt(kSection, "Corner", 0);
    s.corner = corner >= 0 && corner <= 3 ? corner : 0;
    const int colour = store.getInt(kSection, "Colour", 0x00FFFFFF);
    s.colour = colour >= 0 && colour <= 0x00FFFFFF ? static_cast<uint32_t>(colour) : 0x00FFFFFFu;
    const int reticle = store.getInt(kSection, "Reticle", 0);
    s.reticle = reticle >= 0 && reticle <= 2 ? static_cast<Reticle>(reticle) : Reticle::None;
    s.reticleSpacing = readLength(store, "ReticleSpacing");
    s.inCaptures = store.getInt(kSection, "InCaptures", 0) != 0;
    s.stillScaleBar = store.getInt(kSection, "StillScaleBar", 0) != 0;
    return s;
}

void saveOverlaySettings(SettingsStore& store, const OverlaySettings& s)
{
    store.setInt(kSection, "ScaleBar", s.scaleBar ? 1 : 0);
    writeLength(store, "ScaleBarLength", s.scaleBarLength);
    store.setInt(kSection, "Corner", s.corner);
    store.setInt(kSection, "Colour", static_cast<int>(s.colour & 0x00FFFFFFu));
    store.setInt(kSection, "Reticle", static_cast<int>(s.reticle));
    writeLength(store, "ReticleSpacing", s.reticleSpacing);
    store.setInt(kSection, "InCaptures", s.inCaptures ? 1 : 0);
    store.setInt(kSection, "StillScaleBar", s.stillScaleBar ? 1 : 0);
}
