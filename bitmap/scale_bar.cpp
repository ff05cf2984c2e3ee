#include "bitmap/scale_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "gaugit.h"
#include "platform/draw/draw_context.h"
#include "platform/draw/font.h"
#include "platform/encoding.h"
#include "support/values/figure_table.h"

namespace kwz::output {

namespace {

int thickness(int width, int height)
{
    return std::max(3, std::min(width, height) / 120);
}

int margin(int width, int height)
{
    return std::max(6, std::min(width, height) / 40);
}

} // namespace

double micronsPerUnit(int unit)
{
    switch (unit)
    {
    case ZQ_UM:
        return 1.0;
    case ZQ_MM:
        return 1e3;
    case ZQ_CM:
        return 1e4;
    case ZQ_M:
        return 1e6;
    case ZQ_INCH:
        return 25400.0;
    default:
        return 0.0;
    }
}

double nearestStep(double target)
{
    if (!(target > 0) || !std::isfinite(target))
        return 0;
    const double decade = std::pow(10.0, std::floor(std::log10(target)));
    double best = decade;
    // 10 closes the decade: a target just under the next power of ten rounds up to it.
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (std::fabs(std::log(m * decade / target)) < std::fabs(std::log(best / target)))
            best = m * decade;
    return best;
}

std::string formatLength(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::optional<ScaleBar> chooseScaleBar(double micronsPerPixel, int width, int unit,
                                       double fixedLength)
{
    const double perUnit = micronsPerUnit(unit);
    if (perUnit == 0 || !(micronsPerPixel > 0) || !std::isfinite(micronsPerPixel) || width <= 0)
        return std::nullopt;
    const double unitsPerPixel = micronsPerPixel / perUnit;
    double length = fixedLength;
    if (!(length > 0) || !std::isfinite(length))
        length = nearestStep(unitsPerPixel * width / 5.0);
    const double pixels = std::round(length / unitsPerPixel);
    if (!(pixels >= 2) || pixels > width)
        return std::nullopt;
    ScaleBar bar;
    bar.length = length;
    bar.unit = unit;
    bar.pixels = static_cast<int>(pixels);
    bar.label = formatLength(length) + " " + kwz::values::unitName(unit);
    return bar;
}

int scaleBarFontHeight(int width, int height)
{
    return std::max(12, std::min(width, height) / 28);
}

ScaleBarLayout layoutScaleBar(const ScaleBar& bar, int width, int height, Corner corner,
                              SIZE labelExtent)
{
    ScaleBarLayout layout{};
    layout.fontHeight = scaleBarFontHeight(width, height);
    const int m = margin(width, height);
    const int t = thickness(width, height);
    const bool right = corner == Corner::BottomRight || corner == Corner::TopRight;
    const bool bottom = corner == Corner::BottomRight || corner == Corner::BottomLeft;
    const int left = right ? width - m - bar.pixels : m;
    const int gap = std::max(2, t / 2);
    int top = 0;
    if (bottom)
    {
        top = height - m - t;
        layout.label.y = top - gap - labelExtent.cy;
    }
    else
    {
        top = m + labelExtent.cy + gap;
        layout.label.y = m;
    }
    layout.bar = RECT{left, top, left + bar.pixels, top + t};
    layout.label.x = left + (bar.pixels - labelExtent.cx) / 2;
    // A label wider than the bar stays inside the picture.
    layout.label.x = std::clamp(layout.label.x, 0, std::max(0, width - labelExtent.cx));
    return layout;
}

COLORREF outlineColour(COLORREF colour)
{
    const int luma = 299 * GetRValue(colour) + 587 * GetGValue(colour) + 114 * GetBValue(colour);
    return luma >= 128000 ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

void drawScaleBar(DrawContext& dc, const ScaleBar& bar, int width, int height, Corner corner,
                  COLORREF colour, const Font* font)
{
    std::unique_ptr<Font> own;
    if (font == nullptr)
    {
        LogFont request;
        request.height = -scaleBarFontHeight(width, height);
        request.weight = kFontWeightBold;
        std::snprintf(request.faceName, sizeof request.faceName, "%s", "DejaVu Sans");
        own = createFont(request);
        font = own.get();
    }
    const int saved = dc.saveDC();
    const std::u16string label = utf8ToUtf16(bar.label);
    dc.selectFont(font);
    const SIZE extent = dc.textExtentW(label);
    const ScaleBarLayout layout = layoutScaleBar(bar, width, height, corner, extent);
    const RECT& r = layout.bar;
    const COLORREF edge = outlineColour(colour);
    // Filled row by row: the only brush is hollow. A line leaves out its last pixel, so each
    // row covers exactly the bar's pixels.
    dc.selectPen(Pen{kPenSolid, 1, colour});
    for (int y = r.top; y < r.bottom; ++y)
    {
        dc.moveTo(r.left, y);
        dc.lineTo(r.right, y);
    }
    dc.selectPen(Pen{kPenSolid, 1, edge});
    dc.selectHollowBrush();
    dc.rectangle(r.left - 1, r.top - 1, r.right + 1, r.bottom + 1);
    dc.setBkMode(kBackgroundTransparent);
    // The outline of the label: the text drawn offset in the edge colour, then on top.
    dc.setTextColor(edge);
    for (const POINT d : {POINT{-1, 0}, POINT{1, 0}, POINT{0, -1}, POINT{0, 1}})
        dc.textOutW(layout.label.x + d.x, layout.label.y + d.y, label);
    dc.setTextColor(colour);
    dc.textOutW(layout.label.x, layout.label.y, label);
    dc.restoreDC(saved);
}

} // namespace kwz::output
