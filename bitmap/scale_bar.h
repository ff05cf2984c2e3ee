#pragma once
// The scale bar drawn over a calibrated picture: its length, in 1-2-5 steps near a fifth of
// the picture's width or as the user fixed it, and its label in the unit of measurement.
// It is drawn through a DrawContext like the figures, so its length in pixels is exact on a
// raster image and the same on every other target.

#include <optional>
#include <string>

#include "kwztypes.h"

namespace kwz {
class DrawContext;
class Font;
} // namespace kwz

namespace kwz::output {

enum class Corner
{
    BottomRight = 0,
    BottomLeft = 1,
    TopRight = 2,
    TopLeft = 3,
};

// Micrometres in one of the five length units (ZQUNIT); 0 for any other value.
double micronsPerUnit(int unit);

// The 1-2-5 value (…, 0.5, 1, 2, 5, 10, …) nearest to `target` on a logarithmic scale; 0 for
// a target that is not a positive finite number.
double nearestStep(double target);

// A number as a label shows it: at most six significant digits, no trailing zeros.
std::string formatLength(double value);

struct ScaleBar
{
    double length = 0; // in `unit`
    int unit = 0;      // ZQUNIT
    int pixels = 0;    // picture pixels the bar covers
    std::string label; // UTF-8, "100 µm"
};

// The bar for a picture `width` pixels wide at `micronsPerPixel`, labelled in `unit`.
// `fixedLength` (in `unit`) > 0 fixes the length; otherwise it is chosen near a fifth of the
// width. None without a usable calibration, for a unit that is not a length unit, or when
// the bar would be shorter than two pixels or wider than the picture.
std::optional<ScaleBar> chooseScaleBar(double micronsPerPixel, int width, int unit,
                                       double fixedLength = 0);

// Where the bar and its label go in a picture of `width` x `height`.
struct ScaleBarLayout
{
    RECT bar{};     // filled
    POINT label{};  // top-left of the label's cell
    int fontHeight; // character height of the label, in pixels
};
ScaleBarLayout layoutScaleBar(const ScaleBar& bar, int width, int height, Corner corner,
                              SIZE labelExtent);
// The label's character height for a picture of that size.
int scaleBarFontHeight(int width, int height);

// Draws the bar in `colour` with a one-pixel outline of the opposite brightness, so it reads
// on light and dark pictures alike, and its label above (or below, in a top corner). `font`
// may be null: one of scaleBarFontHeight is made for the call.
void drawScaleBar(DrawContext& dc, const ScaleBar& bar, int width, int height, Corner corner,
                  COLORREF colour, const Font* font = nullptr);

// The contrasting colour drawn round a bar of `colour`.
COLORREF outlineColour(COLORREF colour);

} // namespace kwz::output
