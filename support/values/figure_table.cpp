#include "support/values/figure_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "rast.h"

namespace kwz::values {

namespace {

struct Words
{
    const char* chinese;
    const char* english;
};

const char* pick(const Words& w, Language language)
{
    return language == Language::Chinese ? w.chinese : w.english;
}

// The label's own words, so table and label agree.
constexpr Words kColumnWords[kColumnCount] = {
    {"X", "X"},
    {"Y", "Y"},
    {"长度", "Length"},
    {"宽", "Width"},
    {"高", "Height"},
    {"半径", "Radius"},
    {"长半轴", "LongRadius"},
    {"短半轴", "ShortRadius"},
    {"周长", "Perimeter"},
    {"面积", "Area"},
    {"角度", "Angle"},
    {"边数", "LineNum"},
};

constexpr const char* kColumnKeys[kColumnCount] = {
    "X",          "Y",           "Length",    "Width", "Height", "Radius",
    "LongRadius", "ShortRadius", "Perimeter", "Area",  "Angle",  "Vertices",
};

constexpr int kSlotOfColumn[kColumnCount] = {
    GT_VALUE_X,         GT_VALUE_Y,      GT_VALUE_LENGTH,      GT_VALUE_WIDTH,
    GT_VALUE_HEIGHT,    GT_VALUE_RADIUS, GT_VALUE_LONG_RADIUS, GT_VALUE_SHORT_RADIUS,
    GT_VALUE_PERIMETER, GT_VALUE_AREA,   GT_VALUE_ANGLE,       GT_VALUE_VERTICES,
};

} // namespace

std::vector<GTFIGUREVALUES> readFigures(void* rastObject)
{
    std::vector<GTFIGUREVALUES> figures;
    int count = 0;
    if (RASTGetFigureCount(rastObject, &count) != RAST_OK || count <= 0)
        return figures;
    figures.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        GTFIGUREVALUES v{};
        if (RASTGetFigureValues(rastObject, i, &v) == RAST_OK)
            figures.push_back(v);
    }
    return figures;
}

std::string kindName(int kind, Language language)
{
    switch (kind)
    {
    case GT_LINE:
        return pick({"直线", "Line"}, language);
    case GT_RECT:
        return pick({"矩形", "Rectangle"}, language);
    case GT_CIRCLE_DIAMETER:
    case GT_CIRCLE_CENTRE:
    case GT_CIRCLE_3POINTS:
        return pick({"圆", "Circle"}, language);
    case GT_ELLIPSE_BOX:
    case GT_ELLIPSE_CENTRE:
        return pick({"椭圆", "Ellipse"}, language);
    case GT_ANGLE:
        return pick({"角", "Angle"}, language);
    case GT_POLYGON:
        return pick({"多边形", "Polygon"}, language);
    case GT_TEXT:
        return pick({"文本", "Text"}, language);
    default:
        return {};
    }
}

std::string unitName(int unit)
{
    switch (unit)
    {
    case ZQ_UM:
        return "µm";
    case ZQ_MM:
        return "mm";
    case ZQ_CM:
        return "cm";
    case ZQ_M:
        return "m";
    case ZQ_INCH:
        return "inch";
    default:
        return {};
    }
}

std::string formatFixed(double value, int precision)
{
    // Same conversion as the labels: exactly rounded, so table, CSV and picture agree.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                std::clamp(precision, 0, 99));
    if (result.ec != std::errc())
        return {};
    return std::string(buffer, result.ptr);
}

const char* columnKey(int column)
{
    return column >= 0 && column < kColumnCount ? kColumnKeys[column] : "";
}

std::string columnTitle(int column, Language language)
{
    return column >= 0 && column < kColumnCount ? pick(kColumnWords[column], language) : "";
}

std::string cellText(const GTFIGUREVALUES& figure, int column)
{
    if (column < 0 || column >= kColumnCount)
        return {};
    const int slot = kSlotOfColumn[column];
    if (!((figure.present >> slot) & 1u))
        return {};
    const double value = figure.values[slot];
    if (slot == GT_VALUE_VERTICES)
        return std::to_string(static_cast<int>(value));
    if (slot == GT_VALUE_ANGLE && figure.angleUnit == ZQ_RADIAN)
        return formatFixed(
            static_cast<double>(static_cast<float>(value * 180.0 / std::numbers::pi)),
            figure.precision);
    return formatFixed(value, figure.precision);
}

std::string rowUnit(const GTFIGUREVALUES& figure)
{
    if (figure.kind == GT_TEXT)
        return {};
    if (figure.kind == GT_ANGLE)
        return "°";
    return unitName(figure.unit);
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text)
    {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string csvHeader()
{
    std::string line = "File,Kind,Number";
    for (int c = 0; c < kColumnCount; ++c)
        line += std::string(",") + kColumnKeys[c];
    line += ",Unit\r\n";
    return line;
}

std::string csvRow(std::string_view file, const GTFIGUREVALUES& figure, Language language)
{
    std::string line = csvField(file);
    line += ',' + csvField(kindName(figure.kind, language));
    line += ',' + std::to_string(figure.number);
    for (int c = 0; c < kColumnCount; ++c)
        line += ',' + csvField(cellText(figure, c));
    line += ',' + csvField(rowUnit(figure));
    line += "\r\n";
    return line;
}

} // namespace kwz::values
