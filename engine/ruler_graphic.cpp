#include "engine/ruler_graphic.h"

#include <cmath>

#include "engine/geometry.h"
#include "engine/unit_factor.h"

namespace gaugit {

void RulerGraphic::setRulerUnitAndLength(int unit, float length)
{
    rulerUnit_ = unit;
    rulerLength_ = length;
}

void RulerGraphic::recompute()
{
    LineGraphic::recompute();
    pixelLength_ = static_cast<float>(pixelDistance(start_, end_));
    const float perPixel = pixelLength_ == 0.0f ? 0.0f : rulerLength_ / pixelLength_;
    // A length that is not a number would spread through every measured value.
    rulerUnitsPerPixel_ = std::isfinite(perPixel) ? perPixel : 0.0f;
}

float RulerGraphic::unitsPerPixelIn(int measureUnit) const
{
    // A huge ruler length may overflow in a smaller unit; infinity times a zero length
    // would put NaN into every label.
    const float perPixel = rulerUnitsPerPixel_ * unitFactor(rulerUnit_, measureUnit);
    return std::isfinite(perPixel) ? perPixel : 0.0f;
}

} // namespace gaugit
