#pragma once
// The figures of a bitmap object as rows of values, and the CSV they make. Shared by the
// program's results table and the command-line tool, so both say the same thing.

#include <string>
#include <string_view>
#include <vector>

#include "gaugit.h"

namespace kwz::values {

enum class Language
{
    Chinese,
    English,
};

// Every figure of the object's engine, in the export's order; empty without an engine.
std::vector<GTFIGUREVALUES> readFigures(void* rastObject);

// The kind's word as the label's name line prints it ("Line", "直线"); texts "Text", "文本".
std::string kindName(int kind, Language language);
// The unit as people write it: "µm", "mm", "cm", "m", "inch"; "" when unknown.
std::string unitName(int unit);
// A value as the label prints it: fixed decimals, dot separator, exactly rounded.
std::string formatFixed(double value, int precision);

// The columns of a results table and of the CSV, in order.
enum Column : int
{
    kColumnX,
    kColumnY,
    kColumnLength,
    kColumnWidth,
    kColumnHeight,
    kColumnRadius,
    kColumnLongRadius,
    kColumnShortRadius,
    kColumnPerimeter,
    kColumnArea,
    kColumnAngle,
    kColumnVertices,
    kColumnCount,
};
// CSV header word of a column ("X", "LongRadius").
const char* columnKey(int column);
// The label's word for a column in a language ("Length", "长度").
std::string columnTitle(int column, Language language);
// A column's text for a figure: its value with the figure's precision (angles in degrees,
// vertices as a whole number), "" when the kind has no such value.
std::string cellText(const GTFIGUREVALUES& figure, int column);
// The unit of a row: the length unit; degrees for an angle, "" for a text.
std::string rowUnit(const GTFIGUREVALUES& figure);

// RFC 4180: a field with a comma, quote or line break is quoted, quotes doubled.
std::string csvField(std::string_view text);
// UTF-8 byte-order mark, so spreadsheets read "µm" and Chinese right.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// The header line, CRLF-terminated.
std::string csvHeader();
// One CRLF-terminated line per figure.
std::string csvRow(std::string_view file, const GTFIGUREVALUES& figure, Language language);

} // namespace kwz::values
