#include "app/live/live_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/calibration/calibration_profiles.h"
#include "app/live/live_services.h"
#include "app/shell/settings.h"
#include "bitmap/scale_bar.h"
#include "platform/draw/draw_context.h"
#include "platform/draw/font.h"
#include "platform/draw/raster_context.h"

using kwz::output::micronsPerUnit;

LiveScale liveScale(const FrameSettings& settings)
{
    LiveScale scale;
    scale.unit = settings.measureUnitIndex;
    const double dx = double(settings.rulerEndX) - settings.rulerStartX;
    const double dy = double(settings.rulerEndY) - settings.rulerStartY;
    const double pixels = std::hypot(dx, dy);
    const double microns = double(settings.rulerLength) * micronsPerUnit(settings.rulerUnitIndex);
    if (pixels > 0 && microns > 0 && std::isfinite(microns))
        scale.micronsPerPixel = microns / pixels;
    return scale;
}

LiveScale liveScale(const LiveServices& services)
{
    LiveScale scale = liveScale(services.settings);
    if (services.calibration != nullptr)
        if (const double profile = services.calibration->liveUmPerPixel(); profile > 0)
            scale.micronsPerPixel = profile;
    return scale;
}

std::optional<ReticleStep> reticleStep(const LiveScale& scale, int width, double fixedSpacing)
{
    const double perUnit = micronsPerUnit(scale.unit);
    if (!(scale.micronsPerPixel > 0) || perUnit == 0 || width <= 0)
        return std::nullopt;
    const double unitsPerPixel = scale.micronsPerPixel / perUnit;
    double length =
        fixedSpacing > 0 ? fixedSpacing : kwz::output::nearestStep(unitsPerPixel * width / 10.0);
    const double pixels = length / unitsPerPixel;
    // Lines closer than four pixels would hide the picture.
    if (!(pixels >= 4) || !std::isfinite(pixels))
        return std::nullopt;
    return ReticleStep{pixels, length};
}

LiveOverlay::LiveOverlay() = default;
LiveOverlay::~LiveOverlay() = default;

const kwz::Font* LiveOverlay::font(int height)
{
    if (!font_ || fontHeight_ != height)
    {
        kwz::LogFont request;
        request.height = -height;
        request.weight = kwz::kFontWeightBold;
        std::snprintf(request.faceName, sizeof request.faceName, "%s", "DejaVu Sans");
        font_ = kwz::createFont(request);
        fontHeight_ = height;
    }
    return font_.get();
}

void LiveOverlay::draw(kwz::DrawContext& dc, int width, int height, const OverlaySettings& settings,
                       const LiveScale& scale)
{
    if (width <= 0 || height <= 0)
        return;
    const COLORREF colour = settings.colour & 0x00FFFFFFu;
    if (settings.reticle != Reticle::None)
    {
        if (const auto step = reticleStep(scale, width, settings.reticleSpacing))
        {
            const int saved = dc.saveDC();
            dc.selectPen(kwz::Pen{kwz::kPenSolid, 1, colour});
            const int cx = width / 2;
            const int cy = height / 2;
            auto vertical = [&](int x, int from, int to) {
                dc.moveTo(x, from);
                dc.lineTo(x, to);
            };
            auto horizontal = [&](int y, int from, int to) {
                dc.moveTo(from, y);
                dc.lineTo(to, y);
            };
            vertical(cx, 0, height);
            horizontal(cy, 0, width);
            const int tick = std::max(4, height / 60);
            // Marks at whole steps from the centre, both ways.
            for (int k = 1;; ++k)
            {
                const int d = static_cast<int>(std::lround(k * step->pixels));
                if (cx - d < 0 && cy - d < 0)
                    break;
                for (int x : {cx - d, cx + d})
                    if (x >= 0 && x < width)
                    {
                        if (settings.reticle == Reticle::Grid)
                            vertical(x, 0, height);
                        else
                            vertical(x, cy - tick, cy + tick + 1);
                    }
                for (int y : {cy - d, cy + d})
                    if (y >= 0 && y < height)
                    {
                        if (settings.reticle == Reticle::Grid)
                            horizontal(y, 0, width);
                        else
                            horizontal(y, cx - tick, cx + tick + 1);
                    }
            }
            dc.restoreDC(saved);
        }
    }
    if (settings.scaleBar)
    {
        const auto bar = kwz::output::chooseScaleBar(scale.micronsPerPixel, width, scale.unit,
                                                     settings.scaleBarLength);
        if (bar)
            kwz::output::drawScaleBar(dc, *bar, width, height,
                                      static_cast<kwz::output::Corner>(settings.corner), colour,
                                      font(kwz::output::scaleBarFontHeight(width, height)));
    }
}

bool drawOverlayOnFrame(unsigned char* bgr, int width, int height, const OverlaySettings& settings,
                        const LiveScale& scale)
{
    if (bgr == nullptr || width <= 0 || height <= 0 || width % 4 != 0)
        return false; // camera frames have no row padding: only widths of whole words fit
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = height; // bottom-up
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 24;
    header.bmiHeader.biCompression = BI_RGB;
    std::unique_ptr<kwz::RasterContext> dc = kwz::RasterContext::wrap(bgr, &header);
    if (!dc)
        return false;
    LiveOverlay overlay;
    overlay.draw(*dc, width, height, settings, scale);
    return true;
}
