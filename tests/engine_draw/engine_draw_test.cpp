#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/engine_draw.h"
#include "engine/gaugit_engine.h"
#include "engine/graphic_draw.h"
#include "platform/clock.h"
#include "platform/draw/font.h"
#include "platform/draw/raster_context.h"
#include "platform/testing/recording_context.h"
#include "tests/gaugit/engine_fixture.h"

namespace gaugit {
namespace {

using kwz::RecordingContext;
using Kind = RecordingContext::Kind;
using Texts = std::vector<std::string>;

constexpr COLORREF kNormal = RGB(0, 0, 255);
constexpr COLORREF kSelected = RGB(255, 0, 0);
constexpr COLORREF kHovered = RGB(0, 255, 0);

// An engine at one millimetre per pixel (ruler of 100 pixels, 100 MM, along y = 500),
// English labels, on a fake clock.
class EngineDraw : public EngineTest
{
  protected:
    EngineDraw()
    {
        setMeasureLanguage(1);
        engine_.setPen(PenSpec{0, 1, kNormal, kHovered, kSelected});
    }
    ~EngineDraw() override { setMeasureLanguage(0); }

    RecordingContext drawn()
    {
        RecordingContext dc;
        drawEngine(engine_, dc);
        EXPECT_EQ(dc.openSaves(), 0);
        EXPECT_EQ(dc.selectedFont(), nullptr);
        return dc;
    }

    // Texts after the ruler's three lines.
    Texts graphicTexts()
    {
        Texts texts = drawn().texts();
        EXPECT_GE(texts.size(), 3u);
        return Texts(texts.begin() + std::min<size_t>(3, texts.size()), texts.end());
    }
};

TEST_F(EngineDraw, LineLabelShowsItsFourLinesOneBelowTheOther)
{
    build(kTypeLine, {{0, 0}, {3, 4}});
    RecordingContext dc = drawn();
    auto texts = dc.callsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(dc.texts(), (Texts{"Ruler", "RulerUnit: MM", "Length: 100.00MM", "Line 0",
                                 "StartPoint: ( X:0.00 Y:0.00)", "EndPoint: ( X:3.00 Y:4.00)",
                                 "Length: 5.00MM"}));
    const DescLabel* label = engine_.lines()[0]->label();
    int lineHeight = label->metrics().height;
    EXPECT_EQ(lineHeight, 14); // a cell height of 14 pixels
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(texts[3 + i].points[0].x, label->position().x);
        EXPECT_EQ(texts[3 + i].points[0].y, label->position().y + i * lineHeight);
        EXPECT_EQ(texts[3 + i].font, label->font());
        EXPECT_EQ(texts[3 + i].bkMode, kwz::kBackgroundTransparent);
        EXPECT_EQ(texts[3 + i].textColor, kSelected); // the new line is selected
    }
    // The ruler keeps its label at its first point.
    EXPECT_EQ(texts[0].points[0].y, 500);
    EXPECT_EQ(texts[2].points[0].y, 500 + 2 * engine_.ruler()->label()->metrics().height);
}

TEST_F(EngineDraw, OnlyTheMarkedLinesAreWrittenAndDisabledOnesTakeNoRoom)
{
    build(kTypeLine, {{0, 0}, {3, 4}});
    ASSERT_TRUE(engine_.setLineMark(1u << 3));
    auto texts = drawn().callsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[3].text, "Length: 5.00MM");
    POINT at = engine_.lines()[0]->label()->position();
    EXPECT_EQ(texts[3].points[0].x, at.x);
    EXPECT_EQ(texts[3].points[0].y, at.y);

    ASSERT_TRUE(engine_.setLineMark(0));
    EXPECT_TRUE(graphicTexts().empty());
}

TEST_F(EngineDraw, AreaCarriesTheSquareSignAtTheChosenPrecision)
{
    build(kTypeCircleDiameter, {{0, 0}, {5, 0}}); // radius 2.5 mm
    ASSERT_TRUE(engine_.setPrecision(0));
    EXPECT_EQ(graphicTexts(), (Texts{"Circle 0", "CentrePoint: ( X:2 Y:0 )", "Radius: 2MM",
                                     "Perimeter: 16MM", "Area: 20MM²"}));
}

TEST_F(EngineDraw, EveryClassWritesItsWordsAndFormats)
{
    build(kTypeRect, {{1, 2}, {4, 6}});
    build(kTypeEllipseBox, {{0, 0}, {20, 10}});
    build(kTypeAngle, {{10, 0}, {0, 0}, {0, 10}});
    build(kTypePolygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(graphicTexts(),
              (Texts{"Rectangle 0", "StartPoint: ( X:1.00 Y:2.00 )", "EndPoint: ( X:4.00 Y:6.00 )",
                     "Width: 3.00MM", "Height: 4.00MM", "Perimeter: 14.00MM", "Area: 12.00MM²",
                     "Ellipse 0", "CentrePoint: ( X:10.00 Y:5.00 )", "LongRadius: 10.00MM",
                     "ShortRadius: 5.00MM", "Perimeter: 48.44MM", "Area: 157.08MM²", "Angle 0",
                     "Angle: 90.00º", "Polygon 0", "LineNum: 4", "Perimeter: 40.00MM",
                     "Area: 100.00MM²"}));

    engine_.setAngleUnit(1);
    Texts texts = graphicTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Angle: 1.57Radian"), texts.end());
}

TEST_F(EngineDraw, ListsArePaintedLinesCirclesTextsThenTheOthersWhateverTheCreationOrder)
{
    for (auto setMark : {&GaugitEngine::setLineMark, &GaugitEngine::setRectMark,
                         &GaugitEngine::setCircleMark, &GaugitEngine::setEllipseMark,
                         &GaugitEngine::setAngleMark, &GaugitEngine::setPolygonMark})
        ASSERT_TRUE((engine_.*setMark)(0x1)); // the name line only
    build(kTypePolygon, {{0, 0}, {10, 0}, {10, 10}});
    build(kTypeAngle, {{10, 0}, {0, 0}, {0, 10}});
    build(kTypeEllipseBox, {{0, 0}, {20, 10}});
    build(kTypeRect, {{1, 2}, {4, 6}});
    build(kTypeText, {{5, 5}}, false);
    ASSERT_EQ(engine_.addString("T"), Outcome::Done);
    engine_.finishGraphic();
    build(kTypeCircleDiameter, {{0, 0}, {5, 0}});
    build(kTypeLine, {{0, 0}, {3, 4}});
    EXPECT_EQ(graphicTexts(), (Texts{"Line 0", "Circle 0", "T", "Rectangle 0", "Ellipse 0",
                                     "Angle 0", "Polygon 0"}));
}

TEST_F(EngineDraw, ChineseWordsInLanguageZeroAndNoTextInLanguageTwo)
{
    build(kTypeLine, {{0, 0}, {3, 4}});
    setMeasureLanguage(0);
    EXPECT_EQ(drawn().texts(),
              (Texts{"标尺", "标定单位: MM", "长度: 100.00MM", "直线 0", "起点: ( X:0.00 Y:0.00)",
                     "终点: ( X:3.00 Y:4.00)", "长度: 5.00MM"}));

    setMeasureLanguage(2);
    RecordingContext dc = drawn();
    EXPECT_TRUE(dc.texts().empty());
    EXPECT_EQ(dc.callsOf(Kind::LineTo).size(), 2u); // the ruler and the line still show
}

TEST_F(EngineDraw, ListNumbersFollowThePositionInTheList)
{
    build(kTypeLine, {{0, 0}, {3, 4}});
    build(kTypeLine, {{0, 50}, {30, 50}});
    ASSERT_TRUE(engine_.setLineMark(1));
    EXPECT_EQ(graphicTexts(), (Texts{"Line 0", "Line 1"}));
    clock_.advance(50);
    ASSERT_TRUE(engine_.hitGraphic(0, 0)); // the first line's end point
    engine_.clearHitGraphic();
    EXPECT_EQ(graphicTexts(), (Texts{"Line 0"}));
    EXPECT_EQ(engine_.lines()[0]->listNumber(), 0);
}

TEST_F(EngineDraw, HoverBeatsSelectionForGraphicsButNotForTheRuler)
{
    build(kTypeLine, {{0, 0}, {30, 40}});
    ASSERT_TRUE(engine_.hitGraphic(15, 20));
    clock_.advance(50);
    ASSERT_TRUE(engine_.passGraphic(15, 20));
    RecordingContext dc = drawn();
    auto lines = dc.callsOf(Kind::LineTo);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].pen.color, kHovered);
    EXPECT_EQ(dc.callsOf(Kind::Text)[3].textColor, kHovered);

    // The ruler keeps the library's default colours until given a pen.
    ASSERT_TRUE(engine_.hitGraphic(50, 500));
    ASSERT_EQ(engine_.selectionKind(), kHitRuler);
    clock_.advance(50);
    ASSERT_TRUE(engine_.passGraphic(50, 500));
    ASSERT_EQ(engine_.hoverKind(), kHitRuler);
    dc = drawn();
    EXPECT_EQ(dc.callsOf(Kind::LineTo)[0].pen.color, engine_.ruler()->selectedColor());
    EXPECT_EQ(dc.callsOf(Kind::Text)[0].textColor, engine_.ruler()->label()->selectedColor());
    // The line is neither hovered nor selected now.
    EXPECT_EQ(dc.callsOf(Kind::LineTo)[1].pen.color, kNormal);
    EXPECT_EQ(dc.callsOf(Kind::Text)[3].textColor, kNormal);
}

TEST_F(EngineDraw, HandlesShowOnlyOnHoveredOrSelectedGraphics)
{
    build(kTypeLine, {{10, 10}, {40, 10}});
    auto handles = drawn().callsOf(Kind::Rectangle);
    ASSERT_EQ(handles.size(), 2u); // selected after construction
    EXPECT_EQ(handles[0].points[0].x, 6);
    EXPECT_EQ(handles[0].points[0].y, 6);
    EXPECT_EQ(handles[0].points[1].x, 14);
    EXPECT_EQ(handles[0].points[1].y, 14);
    EXPECT_EQ(handles[1].points[0].x, 36);

    clock_.advance(50);
    EXPECT_FALSE(engine_.hitGraphic(300, 300));
    EXPECT_TRUE(drawn().callsOf(Kind::Rectangle).empty());
}

TEST_F(EngineDraw, SelectedEllipseHasADashDotDotFrameInTheSelectedColour)
{
    engine_.setPen(PenSpec{0, 3, kNormal, kHovered, kSelected});
    build(kTypeEllipseBox, {{0, 0}, {20, 10}});
    RecordingContext dc = drawn();
    auto ellipses = dc.callsOf(Kind::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0].pen.width, 3);
    auto rects = dc.callsOf(Kind::Rectangle);
    ASSERT_EQ(rects.size(), 3u); // two handles and the frame
    const auto& frame = rects[2];
    EXPECT_EQ(frame.pen.style, kwz::kPenDashDotDot);
    EXPECT_EQ(frame.pen.width, 1);
    EXPECT_EQ(frame.pen.color, kSelected);
    EXPECT_EQ(frame.points[0].x, 0);
    EXPECT_EQ(frame.points[1].x, 20);
    EXPECT_EQ(frame.points[1].y, 10);
}

TEST_F(EngineDraw, FiguresWhileTheyAreBuilt)
{
    // A polygon with one vertex is a rubber band to the floating vertex, without a label.
    build(kTypePolygon, {{0, 0}}, false);
    clock_.advance(50);
    engine_.changePoint({9, 9});
    RecordingContext dc = drawn();
    ASSERT_EQ(dc.callsOf(Kind::LineTo).size(), 2u);
    EXPECT_EQ(dc.callsOf(Kind::LineTo)[1].points[1].x, 9);
    EXPECT_EQ(dc.texts().size(), 3u);
    EXPECT_TRUE(dc.callsOf(Kind::Polygon).empty());
    engine_.addPoint({9, 9});
    clock_.advance(50);
    engine_.changePoint({0, 9});
    auto polygons = drawn().callsOf(Kind::Polygon);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].points.size(), 3u); // two vertices and the floating one
    engine_.finishGraphic();

    // An angle with one point is a segment; with more, a polyline through all three.
    build(kTypeAngle, {{10, 0}}, false);
    EXPECT_EQ(drawn().callsOf(Kind::Polyline).size(), 0u);
    clock_.advance(50);
    engine_.changePoint({0, 0});
    engine_.addPoint({0, 0});
    EXPECT_EQ(drawn().callsOf(Kind::Polyline).size(), 1u);
    engine_.finishGraphic();

    // A three-point circle shows its chords once two points are placed.
    build(kTypeCircleThreePoints, {{0, 10}, {10, 0}}, false);
    clock_.advance(50);
    engine_.changePoint({20, 10});
    dc = drawn();
    int chords = 0;
    for (const auto& call : dc.callsOf(Kind::LineTo))
        chords += call.points[0].x == 10 && call.points[0].y == 0 && call.points[1].x == 20;
    EXPECT_EQ(chords, 1);
    EXPECT_EQ(dc.callsOf(Kind::Rectangle).size(), 4u); // three points and the centre
}

TEST_F(EngineDraw, TextBeingTypedIsFramedAndFinishedTextIsNot)
{
    engine_.setTextFont("Times New Roman", 20, kNormal, kHovered, kSelected);
    build(kTypeText, {{5, 5}}, false);
    RecordingContext empty = drawn();
    auto frames = empty.callsOf(Kind::Rectangle);
    ASSERT_EQ(frames.size(), 1u);
    const TextGraphic& text = *engine_.texts()[0];
    EXPECT_EQ(frames[0].pen.style, kwz::kPenDashDotDot);
    EXPECT_EQ(frames[0].pen.color, kNormal);
    EXPECT_EQ(frames[0].points[1].x, 5 + text.metrics().aveCharWidth);
    EXPECT_EQ(frames[0].points[1].y, 5 + 2 * text.metrics().height);

    ASSERT_EQ(engine_.addString("Hi \xD6\xB1\xCF\xDF"), Outcome::Done); // GBK
    RecordingContext typing = drawn();
    SIZE extent = text.font()->extent(u"Hi 直线");
    ASSERT_EQ(typing.callsOf(Kind::Rectangle).size(), 1u);
    EXPECT_EQ(typing.callsOf(Kind::Rectangle)[0].points[1].x, 5 + extent.cx);
    EXPECT_EQ(typing.texts().back(), "Hi 直线");
    EXPECT_EQ(typing.callsOf(Kind::Text).back().textColor, kSelected);

    engine_.finishGraphic();
    RecordingContext done = drawn();
    EXPECT_TRUE(done.callsOf(Kind::Rectangle).empty());
    EXPECT_EQ(done.callsOf(Kind::Text).back().bkMode, kwz::kBackgroundTransparent);
}

TEST_F(EngineDraw, HiddenLabelsAndHiddenRulerAreNotDrawn)
{
    build(kTypeLine, {{0, 0}, {3, 4}});
    clock_.advance(50);
    engine_.hitGraphic(300, 300); // nothing selected: hides every label
    ASSERT_TRUE(engine_.hideDescriptor(1));
    RecordingContext dc = drawn();
    EXPECT_EQ(dc.texts().size(), 3u); // the ruler's only
    engine_.setRulerHidden(1);
    dc = drawn();
    EXPECT_TRUE(dc.texts().empty());
    EXPECT_EQ(dc.callsOf(Kind::LineTo).size(), 1u);
}

TEST_F(EngineDraw, StrayPrecisionsStillGiveBoundedLines)
{
    build(kTypeLine, {{0, 0}, {3, 4}});
    for (int precision : {-1, 32767})
    {
        ASSERT_TRUE(engine_.setPrecision(precision));
        for (const std::string& text : graphicTexts())
            EXPECT_LE(text.size(), 127u) << precision;
    }
    ASSERT_TRUE(engine_.setPrecision(-1));
    EXPECT_EQ(graphicTexts()[3], "Length: 5MM");
}

// The lines are put together without printf; they must read exactly as the two-step printf
// formats make them, for any value and precision.
TEST(DescriptorLineFormats, ReadAsTheTwoStepPrintfFormats)
{
    setMeasureLanguage(1);
    auto twoStep = [](const std::string& pattern, int precision, auto... values) {
        char format[256];
        std::snprintf(format, sizeof format, pattern.c_str(), precision, precision);
        char line[1024];
        std::snprintf(line, sizeof line, format, values...);
        return std::string(line).substr(0, 127);
    };
    std::vector<float> values = {0.0f,  -0.0f,     0.5f,    1.005f,   -0.001f,     2.5f,
                                 1e-7f, 123456.7f, 3.4e38f, -3.4e38f, 1.0f / 3.0f, 0.125f};
    unsigned seed = 7;
    for (int i = 0; i < 200; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        values.push_back(static_cast<float>(static_cast<int>(seed >> 4) % 2000000) / 977.0f -
                         1000.0f);
    }
    values.push_back(std::numeric_limits<float>::infinity());
    values.push_back(-std::numeric_limits<float>::infinity());
    values.push_back(std::numeric_limits<float>::quiet_NaN());
    for (int precision : {0, 1, 2, 3, 6, 17, 40, 99})
    {
        kwz::RecordingContext dc;
        DescriptorLines lines(dc, 0, 0, 10, precision);
        Texts expected;
        for (float v : values)
        {
            double d = static_cast<double>(v);
            lines.value({"", "Length"}, v, 1);
            expected.push_back(
                twoStep("%%s: %%.%df" + std::string(unitText(1)), precision, "Length", d));
            lines.area({"", "Area"}, v, 1);
            expected.push_back(
                twoStep("%%s: %%.%df" + std::string(unitText(1)) + "²", precision, "Area", d));
            lines.angle({"", "Angle"}, v, 0);
            expected.push_back(twoStep("%%s: %%.%dfº", precision, "Angle", d));
            lines.point({"", "StartPoint"}, PointF{v, -v}, false);
            expected.push_back(
                twoStep("%%s: ( X:%%.%df Y:%%.%df)", precision, "StartPoint", d, -d));
            lines.point({"", "CentrePoint"}, PointF{v, v}, true);
            expected.push_back(
                twoStep("%%s: ( X:%%.%df Y:%%.%df )", precision, "CentrePoint", d, d));
        }
        EXPECT_EQ(dc.texts(), expected) << "precision " << precision;
    }
    setMeasureLanguage(0);
}

TEST(EngineDrawEmpty, NothingWithoutARuler)
{
    GaugitEngine engine;
    RecordingContext dc;
    drawEngine(engine, dc);
    EXPECT_TRUE(dc.calls.empty());
}

TEST_F(EngineDraw, LabelsReachThePixelsOfARasterSurface)
{
    build(kTypeLine, {{10, 10}, {60, 10}});
    auto surface = kwz::RasterContext::create(200, 520, 24);
    drawEngine(engine_, *surface);
    EXPECT_EQ(surface->pixel(10, 10), kSelected);
    EXPECT_EQ(surface->pixel(59, 10), kSelected);
    EXPECT_EQ(surface->pixel(60, 10), 0u);
    // The label starts where the line ended and has ink of the selected colour.
    POINT at = engine_.lines()[0]->label()->position();
    int ink = 0;
    for (int y = at.y; y < at.y + 56; ++y)
    {
        for (int x = at.x; x < at.x + 120; ++x)
            ink += surface->pixel(x, y) == kSelected;
    }
    EXPECT_GT(ink, 50);
}

} // namespace
} // namespace gaugit
