// The values export against the labels: whatever a label prints must be the export's float
// rounded to the label's precision, for every kind, unit and precision.

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gaugit.h"
#include "platform/testing/recording_context.h"

namespace {

struct Instance
{
    Instance()
    {
        GaugitInitial(&h);
        GtSetMeasureLanguage(h, ZQ_ENGLISH);
    }
    ~Instance()
    {
        GaugitUnInitialize(&h);
        GtSetMeasureLanguage(nullptr, ZQ_CHINESE);
    }
    HGAUGIT h = nullptr;
};

struct Figure
{
    GRAPHICTYPE type;
    std::vector<POINT> points;
};

const std::vector<Figure>& everyKind()
{
    static const std::vector<Figure> figures{
        {GT_LINE, {{13, 17}, {211, 96}}},
        {GT_RECT, {{21, 33}, {187, 141}}},
        {GT_CIRCLE_DIAMETER, {{40, 60}, {173, 119}}},
        {GT_CIRCLE_CENTRE, {{90, 90}, {131, 157}}},
        {GT_CIRCLE_3POINTS, {{10, 50}, {77, 7}, {140, 61}}},
        {GT_ELLIPSE_BOX, {{30, 40}, {230, 111}}},
        {GT_ELLIPSE_CENTRE, {{120, 100}, {161, 197}}},
        {GT_ANGLE, {{200, 20}, {50, 80}, {190, 170}}},
        {GT_POLYGON, {{10, 10}, {150, 23}, {171, 140}, {33, 121}}},
    };
    return figures;
}

void draw(HGAUGIT h, const Figure& f)
{
    GtStartGraphic(h, f.points[0], f.type);
    for (size_t i = 1; i < f.points.size(); ++i)
        GtAddPointToGraphic(h, f.points[i]);
    GtFinishGraphic(h);
}

std::string fixed(float v, int precision)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%.*f", precision, static_cast<double>(v));
    return buffer;
}

// The label a figure of these values prints, written from the values alone.
std::vector<std::string> expectedLabel(const GTFIGUREVALUES& v)
{
    const char* units[] = {"UM", "MM", "CM", "M", "INCH"};
    const std::string unit = units[v.unit];
    auto at = [&](int slot) { return fixed(v.values[slot], v.precision); };
    auto point = [&](const char* word, int x, int y, const char* close) {
        return std::string(word) + ": ( X:" + at(x) + " Y:" + at(y) + close;
    };
    auto length = [&](const char* word, int slot) {
        return std::string(word) + ": " + at(slot) + unit;
    };
    auto area = [&] { return "Area: " + at(GT_VALUE_AREA) + unit + "²"; };
    const std::string n = std::to_string(v.number);
    switch (v.kind)
    {
    case GT_LINE:
        return {"Line " + n, point("StartPoint", GT_VALUE_X, GT_VALUE_Y, ")"),
                point("EndPoint", GT_VALUE_X2, GT_VALUE_Y2, ")"),
                length("Length", GT_VALUE_LENGTH)};
    case GT_RECT:
        return {"Rectangle " + n,
                point("StartPoint", GT_VALUE_X, GT_VALUE_Y, " )"),
                point("EndPoint", GT_VALUE_X2, GT_VALUE_Y2, " )"),
                length("Width", GT_VALUE_WIDTH),
                length("Height", GT_VALUE_HEIGHT),
                length("Perimeter", GT_VALUE_PERIMETER),
                area()};
    case GT_CIRCLE_DIAMETER:
    case GT_CIRCLE_CENTRE:
    case GT_CIRCLE_3POINTS:
        return {"Circle " + n, point("CentrePoint", GT_VALUE_X, GT_VALUE_Y, " )"),
                length("Radius", GT_VALUE_RADIUS), length("Perimeter", GT_VALUE_PERIMETER), area()};
    case GT_ELLIPSE_BOX:
    case GT_ELLIPSE_CENTRE:
        return {"Ellipse " + n,
                point("CentrePoint", GT_VALUE_X, GT_VALUE_Y, " )"),
                length("LongRadius", GT_VALUE_LONG_RADIUS),
                length("ShortRadius", GT_VALUE_SHORT_RADIUS),
                length("Perimeter", GT_VALUE_PERIMETER),
                area()};
    case GT_ANGLE:
        return {"Angle " + n, "Angle: " + at(GT_VALUE_ANGLE) + "º"};
    case GT_POLYGON:
        return {"Polygon " + n,
                "LineNum: " + std::to_string(static_cast<int>(v.values[GT_VALUE_VERTICES])),
                length("Perimeter", GT_VALUE_PERIMETER), area()};
    default:
        return {};
    }
}

TEST(FigureValues, EqualWhatEveryLabelPrintsInEveryUnitAndPrecision)
{
    for (const Figure& figure : everyKind())
    {
        for (ZQUNIT unit : {ZQ_UM, ZQ_MM, ZQ_CM, ZQ_M, ZQ_INCH})
        {
            for (int precision : {0, 1, 3, 6})
            {
                Instance e;
                // A ruler of 137 pixels for 10 mm gives values with many digits.
                GtSetRuler(e.h, POINT{0, 300}, POINT{137, 300}, ZQ_MM, 10.0f);
                GtSetMeasureUnit(e.h, unit);
                GtSetPrecision(e.h, precision);
                draw(e.h, figure);
                int count = 0;
                ASSERT_EQ(GtGetFigureCount(e.h, &count), GAUGIT_OK);
                ASSERT_EQ(count, 1);
                GTFIGUREVALUES v{};
                ASSERT_EQ(GtGetFigureValues(e.h, 0, &v), GAUGIT_OK);
                EXPECT_EQ(v.kind, figure.type);
                EXPECT_EQ(v.unit, unit);
                EXPECT_EQ(v.precision, precision);
                EXPECT_EQ(v.shown, v.present);

                kwz::RecordingContext dc;
                GtDraw(e.h, kwz::toHdc(&dc));
                std::vector<std::string> texts = dc.texts();
                ASSERT_GE(texts.size(), 3u);
                texts.erase(texts.begin(), texts.begin() + 3); // the ruler's label
                EXPECT_EQ(texts, expectedLabel(v))
                    << "type " << figure.type << " unit " << unit << " precision " << precision;
            }
        }
    }
}

TEST(FigureValues, NumbersAndOrderFollowTheListsAndTextsHaveNoValues)
{
    Instance e;
    GtSetRuler(e.h, POINT{0, 300}, POINT{100, 300}, ZQ_MM, 10.0f);
    GtSetMeasureUnit(e.h, ZQ_MM);
    draw(e.h, {GT_CIRCLE_CENTRE, {{50, 50}, {60, 50}}});
    draw(e.h, {GT_LINE, {{0, 0}, {10, 0}}});
    draw(e.h, {GT_CIRCLE_DIAMETER, {{50, 50}, {70, 50}}});
    GtStartGraphic(e.h, POINT{5, 5}, GT_TEXT);
    GtAddStringToGraphic(e.h, "note");
    GtFinishGraphic(e.h);
    draw(e.h, {GT_LINE, {{0, 0}, {0, 30}}});

    int count = 0;
    GtGetFigureCount(e.h, &count);
    ASSERT_EQ(count, 5);
    struct Row
    {
        GRAPHICTYPE kind;
        int number;
        float main; // length or radius
    };
    const std::vector<Row> rows{{GT_LINE, 0, 1.0f},
                                {GT_LINE, 1, 3.0f},
                                {GT_CIRCLE_CENTRE, 0, 1.0f},
                                {GT_CIRCLE_DIAMETER, 1, 1.0f},
                                {GT_TEXT, 0, 0.0f}};
    for (int i = 0; i < count; ++i)
    {
        GTFIGUREVALUES v{};
        ASSERT_EQ(GtGetFigureValues(e.h, i, &v), GAUGIT_OK);
        EXPECT_EQ(v.kind, rows[i].kind) << i;
        EXPECT_EQ(v.number, rows[i].number) << i;
        const int slot = v.kind == GT_LINE ? GT_VALUE_LENGTH : GT_VALUE_RADIUS;
        EXPECT_FLOAT_EQ(v.values[slot], rows[i].main) << i;
    }
    GTFIGUREVALUES text{};
    GtGetFigureValues(e.h, 4, &text);
    EXPECT_EQ(text.present, 0u);
    EXPECT_EQ(text.shown, 0u);
}

TEST(FigureValues, ShownFollowsTheMarksAndHiddenLabels)
{
    Instance e;
    GtSetRuler(e.h, POINT{0, 300}, POINT{100, 300}, ZQ_MM, 10.0f);
    GtSetMeasureUnit(e.h, ZQ_MM);
    draw(e.h, everyKind()[0]);
    LineMark mark = LINEMARK_NAME | LINEMARK_LENGTH;
    GaugitSetLineMark(e.h, &mark);
    GTFIGUREVALUES v{};
    GtGetFigureValues(e.h, 0, &v);
    EXPECT_EQ(v.shown, 1u << GT_VALUE_LENGTH);
    EXPECT_EQ(v.present, (1u << GT_VALUE_X) | (1u << GT_VALUE_Y) | (1u << GT_VALUE_X2) |
                             (1u << GT_VALUE_Y2) | (1u << GT_VALUE_LENGTH));
    GtHideDescriptor(e.h, 1);
    GtGetFigureValues(e.h, 0, &v);
    EXPECT_EQ(v.shown, 0u);
}

TEST(FigureValues, ResultCodes)
{
    GTFIGUREVALUES v{};
    int n = 0;
    EXPECT_EQ(GtGetFigureCount(nullptr, &n), GAUGIT_NULL_HANDLE);
    EXPECT_EQ(GtGetFigureValues(nullptr, 0, &v), GAUGIT_NULL_HANDLE);
    EXPECT_EQ(GtSelectFigure(nullptr, 0), GAUGIT_NULL_HANDLE);
    EXPECT_EQ(GtGetSelectedFigure(nullptr, &n), GAUGIT_NULL_HANDLE);

    Instance e;
    EXPECT_EQ(GtGetFigureCount(e.h, nullptr), GAUGIT_FAILED);
    EXPECT_EQ(GtGetFigureCount(e.h, &n), GAUGIT_OK);
    EXPECT_EQ(n, 0);
    GtSetRuler(e.h, POINT{0, 300}, POINT{100, 300}, ZQ_MM, 10.0f);
    GtSetMeasureUnit(e.h, ZQ_MM);
    draw(e.h, everyKind()[0]);
    EXPECT_EQ(GtGetFigureValues(e.h, 0, nullptr), GAUGIT_FAILED);
    v.number = 77;
    EXPECT_EQ(GtGetFigureValues(e.h, 1, &v), GAUGIT_FAILED);
    EXPECT_EQ(GtGetFigureValues(e.h, -1, &v), GAUGIT_FAILED);
    EXPECT_EQ(v.number, 77);
    EXPECT_EQ(GtGetSelectedFigure(e.h, nullptr), GAUGIT_FAILED);
}

TEST(FigureSelection, RoundTripsWithClicksAndRefusesWhileDrawing)
{
    Instance e;
    GtSetRuler(e.h, POINT{0, 300}, POINT{100, 300}, ZQ_MM, 10.0f);
    GtSetMeasureUnit(e.h, ZQ_MM);
    draw(e.h, {GT_LINE, {{0, 0}, {100, 0}}});
    draw(e.h, {GT_RECT, {{200, 200}, {250, 250}}});
    int selected = 5;
    GtGetSelectedFigure(e.h, &selected);
    EXPECT_EQ(selected, 1); // the figure just drawn
    EXPECT_EQ(GtSelectFigure(e.h, -1), GAUGIT_OK);
    GtGetSelectedFigure(e.h, &selected);
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(GtSelectFigure(e.h, 1), GAUGIT_OK);
    GtGetSelectedFigure(e.h, &selected);
    EXPECT_EQ(selected, 1);
    // Selected as a body: a move moves the whole rectangle.
    GtMoveGraphic(e.h, 10, 0);
    GTFIGUREVALUES v{};
    GtGetFigureValues(e.h, 1, &v);
    EXPECT_FLOAT_EQ(v.values[GT_VALUE_X], 21.0f);
    EXPECT_FLOAT_EQ(v.values[GT_VALUE_WIDTH], 5.0f);
    EXPECT_EQ(GtSelectFigure(e.h, 2), GAUGIT_FAILED);
    EXPECT_EQ(GtSelectFigure(e.h, -2), GAUGIT_FAILED);
    ASSERT_EQ(GtIsHitGraphic(e.h, 50, 0), GAUGIT_OK);
    GtGetSelectedFigure(e.h, &selected);
    EXPECT_EQ(selected, 0);
    GtIsHitGraphic(e.h, 50, 300); // the ruler is no figure
    GtGetSelectedFigure(e.h, &selected);
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(GtSelectFigure(e.h, -1), GAUGIT_OK);

    GtStartGraphic(e.h, POINT{10, 10}, GT_POLYGON);
    GtAddPointToGraphic(e.h, POINT{50, 10});
    EXPECT_EQ(GtSelectFigure(e.h, 0), GAUGIT_FAILED);
    GRAPHICTYPE building = GT_NULL;
    GtGetConstruction(e.h, &building, nullptr);
    EXPECT_EQ(building, GT_POLYGON);
}

} // namespace
