#pragma once
// The values a figure's label prints, as data: the same 32-bit floats, in the measure unit,
// so that tables and exports never parse drawn text.

#include <cstdint>
#include <optional>

namespace gaugit {

class GaugitEngine;

// Slots of FigureValues::value; the numbers are those of the exported GT_VALUE_* names.
enum ValueSlot : int
{
    kValueX = 0, // a line's or rectangle's first point, a circle's or ellipse's centre
    kValueY = 1,
    kValueX2 = 2, // a line's end point, a rectangle's second corner
    kValueY2 = 3,
    kValueLength = 4,
    kValueWidth = 5,
    kValueHeight = 6,
    kValueRadius = 7,
    kValueLongRadius = 8,
    kValueShortRadius = 9,
    kValuePerimeter = 10,
    kValueArea = 11,
    kValueAngle = 12,
    kValueVertices = 13,
    kValueSlotCount = 14,
};

struct FigureValues
{
    int kind = 0;         // type code
    int number = 0;       // as the label's name line prints it: the index in its list
    uint32_t present = 0; // a bit per slot the kind has
    uint32_t shown = 0;   // the slots the label prints now (its marks, unless hidden)
    int unit = 0;         // measure unit of lengths; areas are in its square
    int angleUnit = 0;    // of the angle slot
    int precision = 0;    // decimals the label prints with
    float value[kValueSlotCount] = {};
};

// Every figure but the ruler, in the order of the data stream's records.
int figureCount(const GaugitEngine& engine);
// Nothing for an index outside 0 .. figureCount - 1.
std::optional<FigureValues> figureValues(const GaugitEngine& engine, int index);
// The list (hit kind) and index within it of figure `index`; false when out of range.
bool figureAt(const GaugitEngine& engine, int index, int* kind, int* listIndex);
// The inverse: -1 for a kind and index that name no figure.
int figureIndexOf(const GaugitEngine& engine, int kind, int listIndex);

} // namespace gaugit
