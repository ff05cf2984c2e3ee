#pragma once
// The calibrated overlay of the live picture: scale bar and reticle, drawn in picture pixels
// through a DrawContext, so the screen (through a QPainter scaled to where the picture is
// shown) and a capture that asks for it (a raster context on its pixels) get the same marks.

#include <memory>
#include <optional>

#include "app/shell/overlay_settings.h"

namespace kwz {
class DrawContext;
class Font;
} // namespace kwz

struct FrameSettings;
struct LiveServices;

struct LiveScale
{
    double micronsPerPixel = 0; // 0: not calibrated
    int unit = 0;               // ZQUNIT of the labels
};

// The scale of the current ruler of the settings, in their measure unit.
LiveScale liveScale(const FrameSettings& settings);
// The scale of the live picture, the one place that says where it comes from: the calibration
// profile in use at the live picture's size, else the current ruler.
LiveScale liveScale(const LiveServices& services);

// The reticle's spacing in picture pixels and in the label unit: fixed, or a 1-2-5 step near
// a tenth of the width. None without a usable scale.
struct ReticleStep
{
    double pixels = 0;
    double length = 0;
};
std::optional<ReticleStep> reticleStep(const LiveScale& scale, int width, double fixedSpacing);

// Draws the overlay into a camera frame (width x height x 3 bytes, bottom row first, blue-
// green-red), for captures that carry it. False when the frame cannot be drawn on.
bool drawOverlayOnFrame(unsigned char* bgr, int width, int height, const OverlaySettings& settings,
                        const LiveScale& scale);

class LiveOverlay
{
  public:
    LiveOverlay();
    ~LiveOverlay();

    static bool shows(const OverlaySettings& settings)
    {
        return settings.scaleBar || settings.reticle != Reticle::None;
    }
    // Draws what the settings ask for on a picture of width x height, in picture pixels.
    void draw(kwz::DrawContext& dc, int width, int height, const OverlaySettings& settings,
              const LiveScale& scale);

  private:
    const kwz::Font* font(int height);

    std::unique_ptr<kwz::Font> font_;
    int fontHeight_ = 0;
};
