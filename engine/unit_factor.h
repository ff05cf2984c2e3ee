#pragma once
// Conversion between the ruler's unit and the measure unit.

namespace gaugit {

constexpr int kUnitCount = 5; // UM, MM, CM, M, INCH

// Size of one rulerUnit in measureUnit as the 32-bit float the engine computes with;
// 0 when either unit is outside the table.
float unitFactor(int rulerUnit, int measureUnit);

// Text drawn after a value in that unit ("UM", "MM", "CM", "M", "INCH"); "" when unknown.
const char* unitText(int unit);

} // namespace gaugit
