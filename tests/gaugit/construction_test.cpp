// Building graphics point by point: how many points each kind takes, what further points do,
// finishing, the throttle of floating moves and the settings new graphics take.

#include <cmath>
#include <numbers>
#include <string>

#include "engine_fixture.h"

using namespace gaugit;

TEST_F(EngineTest, WithoutRulerNothingStartsAndSettingsNeedingItFail)
{
    GaugitEngine bare;
    EXPECT_EQ(bare.startGraphic({1, 1}, kTypeLine), Outcome::NoRuler);
    EXPECT_TRUE(bare.lines().empty());
    EXPECT_FALSE(bare.setLineMark(0));
    EXPECT_FALSE(bare.setPolygonMark(0));
    EXPECT_FALSE(bare.setPrecision(5));
    EXPECT_EQ(bare.precision(), 2);
    EXPECT_FALSE(bare.hideDescriptor(1));
    EXPECT_EQ(bare.hideDescriptorDefault(), 0);
    EXPECT_FALSE(bare.hitGraphic(0, 0));
    bare.setRuler({0, 0}, {10, 0}, 1, 1.0f);
    EXPECT_EQ(bare.startGraphic({1, 1}, kTypeLine), Outcome::Done);
    EXPECT_TRUE(bare.setLineMark(0));
    EXPECT_TRUE(bare.setPrecision(5));
    EXPECT_EQ(bare.precision(), 5);
}

struct PointsCase
{
    int type;
    int kind;
    int needed; // points, counting the start point
};

class PointsNeeded : public EngineTest, public ::testing::WithParamInterface<PointsCase>
{
};

TEST_P(PointsNeeded, KeptOnlyWhenComplete)
{
    const PointsCase c = GetParam();
    for (int placed = 1; placed <= c.needed; ++placed)
    {
        engine_.startGraphic({10, 10}, c.type);
        EXPECT_EQ(engine_.selectionKind(), c.kind);
        for (int i = 1; i < placed; ++i)
        {
            later();
            engine_.addPoint({10 + 17 * i, 10 + 9 * i * i});
        }
        const int before = engine_.listSize(c.kind);
        engine_.finishGraphic();
        if (placed < c.needed)
        {
            EXPECT_EQ(engine_.listSize(c.kind), before - 1) << placed;
            EXPECT_EQ(engine_.selectionKind(), kHitNone);
        }
        else
        {
            EXPECT_EQ(engine_.listSize(c.kind), before);
            EXPECT_EQ(engine_.selectionKind(), c.kind);
            EXPECT_EQ(engine_.selectionIndex(), before - 1);
            EXPECT_TRUE(engine_.graphicAt(c.kind, before - 1)->finished());
        }
    }
    EXPECT_EQ(engine_.listSize(c.kind), 1);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, PointsNeeded,
                         ::testing::Values(PointsCase{kTypeLine, kHitLine, 2},
                                           PointsCase{kTypeRect, kHitRect, 2},
                                           PointsCase{kTypeCircleDiameter, kHitCircle, 2},
                                           PointsCase{kTypeCircleCentre, kHitCircle, 2},
                                           PointsCase{kTypeCircleThreePoints, kHitCircle, 3},
                                           PointsCase{kTypeEllipseBox, kHitEllipse, 2},
                                           PointsCase{kTypeEllipseCentre, kHitEllipse, 2},
                                           PointsCase{kTypeAngle, kHitAngle, 3},
                                           PointsCase{kTypePolygon, kHitPolygon, 2}));

TEST_F(EngineTest, FurtherPointsAreIgnored)
{
    build(kTypeLine, {{0, 0}, {30, 40}}, false);
    engine_.addPoint({99, 99});
    later();
    engine_.changePoint({77, 77});
    const LineGraphic& line = *engine_.lines()[0];
    EXPECT_EQ(line.end().x, 30);
    EXPECT_EQ(line.length(), 50.0f);

    build(kTypeCircleThreePoints, {{0, 10}, {10, 0}, {0, -10}}, false);
    engine_.addPoint({50, 50});
    const CircleGraphic& circle = *engine_.circles()[0];
    EXPECT_EQ(circle.pointCount(), 3);
    EXPECT_EQ(circle.radiusPixels(), 10.0f);

    build(kTypeAngle, {{10, 0}, {0, 0}, {0, 10}}, false);
    engine_.addPoint({-10, 0});
    EXPECT_EQ(engine_.angles()[0]->angle(), 90.0f);
    EXPECT_EQ(engine_.angles()[0]->point(2).y, 10);
}

TEST_F(EngineTest, PolygonStopsAtThirtyOneVertices)
{
    engine_.startGraphic({0, 0}, kTypePolygon);
    for (int i = 1; i < 35; ++i)
    {
        later();
        engine_.addPoint({i * 10, (i % 2) * 10});
    }
    const PolygonGraphic& polygon = *engine_.polygons()[0];
    EXPECT_EQ(polygon.vertexCount(), 31);
    EXPECT_TRUE(polygon.finished());
    EXPECT_EQ(polygon.vertex(30).x, 300);
    // The values are those of the closed 31-vertex outline.
    double pixels = std::hypot(300.0, 0.0);
    for (int i = 0; i < 30; ++i)
        pixels += std::hypot(10.0, 10.0);
    EXPECT_EQ(polygon.perimeter(), static_cast<float>(pixels));
    engine_.finishGraphic();
    EXPECT_EQ(engine_.polygons().size(), 1u);
}

TEST_F(EngineTest, PolygonFloatingVertexFollowsUntilFinished)
{
    engine_.startGraphic({0, 0}, kTypePolygon);
    later();
    engine_.addPoint({10, 0});
    later();
    engine_.addPoint({10, 10});
    later();
    engine_.changePoint({0, 10});
    const PolygonGraphic& polygon = *engine_.polygons()[0];
    EXPECT_EQ(polygon.area(), 100.0f);
    EXPECT_EQ(polygon.label()->position().x, 0);
    EXPECT_EQ(polygon.label()->position().y, 10);
    engine_.finishGraphic();
    EXPECT_EQ(polygon.area(), 50.0f);
}

TEST_F(EngineTest, TextTakesAStringOfAtMost127Characters)
{
    engine_.startGraphic({5, 6}, kTypeText);
    EXPECT_EQ(engine_.addString("first"), Outcome::Done);
    const std::string longest(127, 'x');
    EXPECT_EQ(engine_.addString(longest.c_str()), Outcome::Done);
    const TextGraphic& text = *engine_.texts()[0];
    EXPECT_EQ(std::string(text.text()), longest);
    EXPECT_FALSE(text.finished());
    const std::string tooLong(128, 'y');
    EXPECT_EQ(engine_.addString(tooLong.c_str()), Outcome::Done);
    EXPECT_EQ(std::string(text.text()), longest);
    EXPECT_TRUE(text.finished());
    // A finished text takes nothing more.
    EXPECT_EQ(engine_.addString("late"), Outcome::Done);
    EXPECT_EQ(std::string(text.text()), longest);
    engine_.finishGraphic();
    EXPECT_EQ(engine_.texts().size(), 1u);
}

TEST_F(EngineTest, EmptyTextIsDiscardedAndStringsNeedATextUnderConstruction)
{
    engine_.startGraphic({5, 6}, kTypeText);
    engine_.finishGraphic();
    EXPECT_TRUE(engine_.texts().empty());
    EXPECT_EQ(engine_.addString("x"), Outcome::NothingToActOn);
    build(kTypeLine, {{0, 0}, {5, 5}}, false);
    EXPECT_EQ(engine_.addString("x"), Outcome::NothingToActOn);
}

TEST_F(EngineTest, StartingAnotherGraphicFinishesOrDiscardsTheCurrentOne)
{
    engine_.startGraphic({0, 0}, kTypeLine);
    engine_.startGraphic({0, 0}, kTypeRect);
    EXPECT_TRUE(engine_.lines().empty());
    later();
    engine_.addPoint({10, 10});
    // A kind that creates nothing still finishes; the finished graphic stays selected.
    EXPECT_EQ(engine_.startGraphic({0, 0}, 12), Outcome::Done);
    EXPECT_EQ(engine_.rects().size(), 1u);
    EXPECT_TRUE(engine_.rects()[0]->finished());
    EXPECT_EQ(engine_.selectionKind(), kHitRect);
}

TEST_F(EngineTest, FloatingMovesAreThrottledToOnePer40Ms)
{
    engine_.startGraphic({0, 0}, kTypeLine); // an accepted event at t
    const LineGraphic& line = *engine_.lines()[0];
    later(20);
    engine_.changePoint({10, 0});
    EXPECT_EQ(line.end().x, 0);
    later(19); // 39 ms since the start
    engine_.changePoint({11, 0});
    EXPECT_EQ(line.end().x, 0);
    later(1);
    engine_.changePoint({12, 0});
    EXPECT_EQ(line.end().x, 12);
    later(20);
    engine_.changePoint({13, 0});
    EXPECT_EQ(line.end().x, 12);
    later(20);
    engine_.changePoint({14, 0});
    EXPECT_EQ(line.end().x, 14);
}

TEST_F(EngineTest, ThrottleWorksAcrossTheTickWrap)
{
    clock_.set(0xFFFFFFF0u);
    engine_.startGraphic({0, 0}, kTypeLine);
    later(30); // wraps past zero
    engine_.changePoint({10, 0});
    EXPECT_EQ(engine_.lines()[0]->end().x, 0);
    later(10);
    engine_.changePoint({10, 0});
    EXPECT_EQ(engine_.lines()[0]->end().x, 10);
}

TEST_F(EngineTest, AddedPointCountsEvenWhenItsFloatingMoveWasDropped)
{
    engine_.startGraphic({0, 0}, kTypeCircleDiameter);
    later();
    engine_.changePoint({6, 0});
    later(5); // too soon for a floating move
    engine_.changePoint({10, 0});
    engine_.addPoint({10, 0});
    const CircleGraphic& circle = *engine_.circles()[0];
    EXPECT_EQ(circle.centre().x, 5);
    EXPECT_EQ(circle.radius(), 5.0f);
}

TEST_F(EngineTest, ThreePointCircleIsFiniteWhileBuilt)
{
    engine_.startGraphic({0, 0}, kTypeCircleThreePoints);
    later();
    engine_.changePoint({20, 0});
    const CircleGraphic& circle = *engine_.circles()[0];
    // Two points so far: the circle over them as diameter.
    EXPECT_EQ(circle.centre().x, 10);
    EXPECT_EQ(circle.radius(), 10.0f);
    engine_.addPoint({20, 0});
    later();
    engine_.changePoint({10, 10});
    EXPECT_EQ(circle.centre().x, 10);
    EXPECT_EQ(circle.centre().y, 0);
    EXPECT_TRUE(std::isfinite(circle.area()));
}

TEST_F(EngineTest, NewGraphicsTakeTheInstanceDefaults)
{
    engine_.setPen(PenSpec{2, 3, 0x111111, 0x333333, 0x222222});
    engine_.setDescFont("Arial", 20);
    engine_.setAngleUnit(1);
    engine_.setPrecision(4);
    engine_.setLineMark(0x9);
    engine_.setAngleMark(0x2);
    engine_.hideDescriptor(1);
    build(kTypeLine, {{0, 0}, {10, 0}});
    build(kTypeAngle, {{10, 0}, {0, 0}, {0, 10}});
    const LineGraphic& line = *engine_.lines()[0];
    EXPECT_EQ(line.penStyle(), 2);
    EXPECT_EQ(line.hoveredWidth(), 3);
    EXPECT_EQ(line.selectedColor(), 0x222222u);
    EXPECT_EQ(line.label()->hoveredColor(), 0x333333u);
    EXPECT_STREQ(line.label()->face(), "Arial");
    EXPECT_EQ(line.label()->fontHeight(), 20);
    EXPECT_EQ(line.mark(), 0x9u);
    EXPECT_EQ(line.precision(), 4);
    EXPECT_EQ(line.labelHidden(), 1);
    EXPECT_EQ(line.measureUnit(), 1);
    EXPECT_EQ(line.length(), 10.0f);
    const AngleGraphic& angle = *engine_.angles()[0];
    EXPECT_EQ(angle.mark(), 0x2u);
    EXPECT_EQ(angle.angle(), static_cast<float>(std::numbers::pi / 2));

    engine_.setTextFont("Courier", 30, 1, 2, 3);
    engine_.startGraphic({0, 0}, kTypeText);
    const TextGraphic& text = *engine_.texts()[0];
    EXPECT_STREQ(text.face(), "Courier");
    EXPECT_EQ(text.fontHeight(), 30);
    EXPECT_EQ(text.textHoveredColor(), 2u);
    EXPECT_EQ(text.label(), nullptr);
}

TEST_F(EngineTest, LabelExtentWhenBegun)
{
    build(kTypeLine, {{0, 0}, {10, 0}});
    build(kTypeRect, {{0, 0}, {10, 10}});
    EXPECT_EQ(engine_.lines()[0]->label()->rows(), 5);
    EXPECT_EQ(engine_.lines()[0]->label()->columns(), 5);
    EXPECT_EQ(engine_.rects()[0]->label()->rows(), 6);
    EXPECT_EQ(engine_.rects()[0]->label()->columns(), 10);
    EXPECT_EQ(engine_.ruler()->label()->columns(), 5);
}

TEST_F(EngineTest, MeasureUnitAndRulerChangesRecomputeEveryGraphic)
{
    build(kTypeLine, {{0, 0}, {30, 40}});
    build(kTypeCircleCentre, {{0, 0}, {10, 0}});
    engine_.setMeasureUnit(0);
    EXPECT_EQ(engine_.unitsPerPixel(), 1000.0f);
    EXPECT_EQ(engine_.lines()[0]->length(), 50000.0f);
    EXPECT_EQ(engine_.circles()[0]->radius(), 10000.0f);
    EXPECT_EQ(engine_.lines()[0]->measureUnit(), 0);
    engine_.setRulerUnitAndLength(2, 100.0f); // 1 cm per pixel
    EXPECT_EQ(engine_.lines()[0]->length(), 500000.0f);
    engine_.setMeasureUnit(7);
    EXPECT_EQ(engine_.unitsPerPixel(), 0.0f);
    EXPECT_EQ(engine_.lines()[0]->length(), 0.0f);
}

TEST_F(EngineTest, RulerCreatedWithClassDefaults)
{
    engine_.setPen(PenSpec{1, 5, 1, 3, 2});
    GaugitEngine other;
    other.setPrecision(6); // ignored: no ruler yet
    other.setRuler({0, 0}, {50, 0}, 1, 5.0f);
    const RulerGraphic& ruler = *other.ruler();
    EXPECT_EQ(ruler.normalColor(), 0xFF0000u);
    EXPECT_EQ(ruler.selectedColor(), 0x00FF00u);
    EXPECT_EQ(ruler.hoveredColor(), 0x0000FFu);
    EXPECT_EQ(ruler.precision(), 2);
    EXPECT_EQ(ruler.label()->position().x, 0);
    EXPECT_EQ(ruler.label()->face()[0], '\0');
    EXPECT_EQ(other.unitsPerPixel(), 100.0f); // 0.1 mm per pixel in micrometres
    // Moving it later keeps its label where it was.
    other.setRuler({10, 10}, {10, 60}, 0, 5.0f);
    EXPECT_EQ(ruler.start().y, 10);
    EXPECT_EQ(ruler.label()->position().x, 0);
    EXPECT_EQ(other.unitsPerPixel(), 0.1f);
}
