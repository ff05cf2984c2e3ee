#include "engine/unit_factor.h"

namespace gaugit {

namespace {

// Row: ruler unit; column: measure unit.
constexpr float kFactors[kUnitCount][kUnitCount] = {
    {1.0f, 0.001f, 0.0001f, 0.000001f, 0.00003937f}, {1000.0f, 1.0f, 0.1f, 0.001f, 0.03937f},
    {10000.0f, 10.0f, 1.0f, 0.01f, 0.3937f},         {1000000.0f, 1000.0f, 100.0f, 1.0f, 39.37f},
    {25400.0f, 25.4f, 2.54f, 0.0254f, 1.0f},
};

constexpr const char* kUnitTexts[kUnitCount] = {"UM", "MM", "CM", "M", "INCH"};

bool validUnit(int unit)
{
    return unit >= 0 && unit < kUnitCount;
}

} // namespace

float unitFactor(int rulerUnit, int measureUnit)
{
    if (!validUnit(rulerUnit) || !validUnit(measureUnit))
        return 0.0f;
    return kFactors[rulerUnit][measureUnit];
}

const char* unitText(int unit)
{
    return validUnit(unit) ? kUnitTexts[unit] : "";
}

} // namespace gaugit
