// Selecting, hovering, moving and deleting: candidate order, tolerances and what each hit
// mode moves.

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/geometry.h"
#include "engine_fixture.h"

using namespace gaugit;

namespace {

// Defining points of any graphic, for comparing before and after a move.
std::vector<POINT> pointsOf(const Graphic& g)
{
    if (auto* line = dynamic_cast<const LineGraphic*>(&g))
        return {line->start(), line->end()};
    if (auto* rect = dynamic_cast<const RectGraphic*>(&g))
        return {rect->first(), rect->second()};
    if (auto* circle = dynamic_cast<const CircleGraphic*>(&g))
        return {circle->point(0), circle->point(1), circle->point(2)};
    if (auto* ellipse = dynamic_cast<const EllipseGraphic*>(&g))
        return {ellipse->point(0), ellipse->point(1)};
    if (auto* angle = dynamic_cast<const AngleGraphic*>(&g))
        return {angle->point(0), angle->point(1), angle->point(2)};
    if (auto* polygon = dynamic_cast<const PolygonGraphic*>(&g))
    {
        std::vector<POINT> v;
        for (int i = 0; i < polygon->vertexCount(); ++i)
            v.push_back(polygon->vertex(i));
        return v;
    }
    if (auto* text = dynamic_cast<const TextGraphic*>(&g))
        return {text->position()};
    return {};
}

void expectMoved(const std::vector<POINT>& before, const std::vector<POINT>& after, int dx, int dy,
                 int only = -1)
{
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i)
    {
        const bool moves = only < 0 || static_cast<int>(i) == only;
        EXPECT_EQ(after[i].x, before[i].x + (moves ? dx : 0)) << i;
        EXPECT_EQ(after[i].y, before[i].y + (moves ? dy : 0)) << i;
    }
}

// A point inside the label's grab area but off its top-left corner.
POINT insideLabel(const Graphic& g)
{
    const DescLabel& label = *g.label();
    return {label.position().x + label.metrics().maxCharWidth,
            label.position().y + label.metrics().height / 2};
}

} // namespace

// Presses somewhere in the label's grab area that is not also on a body or edit point.
bool EngineTest::selectLabel(const Graphic& g)
{
    const DescLabel& label = *g.label();
    for (int y = 0; y < label.metrics().height; ++y)
        for (int x = 0; x < 2 * label.metrics().maxCharWidth; ++x)
            if (engine_.hitGraphic(label.position().x + x, label.position().y + y) &&
                engine_.selectionMode() == kModeLabel &&
                engine_.graphicAt(engine_.selectionKind(), engine_.selectionIndex()) == &g)
                return true;
    return false;
}

TEST_F(EngineTest, LineEndPointBeatsCircleOutline)
{
    build(kTypeCircleCentre, {{300, 150}, {300, 100}}); // radius 50: passes (300, 200)
    build(kTypeLine, {{200, 200}, {300, 200}});
    ASSERT_TRUE(engine_.hitGraphic(300, 200));
    EXPECT_EQ(engine_.selectionKind(), kHitLine);
    EXPECT_EQ(engine_.selectionMode(), kModeEditPoint);
    EXPECT_EQ(engine_.lines()[0]->editPoint(), 1);
}

TEST_F(EngineTest, LineBodyBeatsACircleEditPointOfALaterList)
{
    build(kTypeCircleCentre, {{250, 100}, {250, 200}});
    build(kTypeLine, {{200, 200}, {300, 200}});
    ASSERT_TRUE(engine_.hitGraphic(250, 200));
    EXPECT_EQ(engine_.selectionKind(), kHitLine);
    EXPECT_EQ(engine_.selectionMode(), kModeBody);
}

TEST_F(EngineTest, WithinAListAnyEditPointBeatsABodyAndLowerIndexWins)
{
    build(kTypeLine, {{200, 200}, {300, 200}});
    build(kTypeLine, {{250, 200}, {250, 300}});
    build(kTypeLine, {{250, 200}, {250, 300}});
    ASSERT_TRUE(engine_.hitGraphic(250, 200));
    EXPECT_EQ(engine_.selectionIndex(), 1);
    EXPECT_EQ(engine_.selectionMode(), kModeEditPoint);
    ASSERT_TRUE(engine_.hitGraphic(251, 250));
    EXPECT_EQ(engine_.selectionIndex(), 1);
    EXPECT_EQ(engine_.selectionMode(), kModeBody);
}

TEST_F(EngineTest, LabelIsTriedAfterBodies)
{
    build(kTypeLine, {{200, 200}, {300, 200}});
    const POINT p = insideLabel(*engine_.lines()[0]);
    ASSERT_TRUE(engine_.hitGraphic(p.x, p.y));
    EXPECT_EQ(engine_.selectionMode(), kModeLabel);
    EXPECT_FALSE(engine_.hitGraphic(250, 260));
    EXPECT_EQ(engine_.selectionKind(), kHitNone);
    EXPECT_EQ(engine_.selectionIndex(), -1);
}

TEST_F(EngineTest, RulerComesFirstUnlessHidden)
{
    build(kTypeLine, {{0, 500}, {100, 500}});
    ASSERT_TRUE(engine_.hitGraphic(0, 500));
    EXPECT_EQ(engine_.selectionKind(), kHitRuler);
    EXPECT_EQ(engine_.selectionMode(), kModeEditPoint);
    ASSERT_TRUE(engine_.hitGraphic(50, 500));
    EXPECT_EQ(engine_.selectionKind(), kHitRuler);
    EXPECT_EQ(engine_.selectionMode(), kModeBody);
    engine_.setRulerHidden(1);
    ASSERT_TRUE(engine_.hitGraphic(50, 500));
    EXPECT_EQ(engine_.selectionKind(), kHitLine);
    later();
    ASSERT_TRUE(engine_.passGraphic(50, 500));
    EXPECT_EQ(engine_.hoverKind(), kHitLine);
    engine_.clearAllGraphics();
    EXPECT_FALSE(engine_.hitGraphic(0, 500));
    later();
    EXPECT_FALSE(engine_.passGraphic(50, 500));
}

TEST_F(EngineTest, TextsAreHitOnTheirBodyOnly)
{
    engine_.startGraphic({100, 100}, kTypeText);
    engine_.addString("hello");
    engine_.finishGraphic();
    const TextGraphic& text = *engine_.texts()[0];
    const int width = 5 * text.metrics().aveCharWidth;
    ASSERT_TRUE(engine_.hitGraphic(101, 101));
    EXPECT_EQ(engine_.selectionKind(), kHitText);
    EXPECT_EQ(engine_.selectionMode(), kModeBody);
    EXPECT_FALSE(engine_.hitGraphic(100, 101)); // edges are outside
    EXPECT_FALSE(engine_.hitGraphic(100 + width, 101));
    EXPECT_TRUE(engine_.hitGraphic(100 + width - 1, 100 + text.metrics().height - 1));
    EXPECT_FALSE(engine_.hitGraphic(101, 100 + text.metrics().height));
}

TEST_F(EngineTest, ATextAtTheEndOfTheIntRangeHasABoundedRepaintArea)
{
    // Found by fuzzing: the bottom of the text's box was the sum of two ints.
    engine_.startGraphic({INT32_MAX - 3, INT32_MAX - 3}, kTypeText);
    engine_.addString("far");
    engine_.finishGraphic();
    ASSERT_TRUE(engine_.hitGraphic(INT32_MAX - 2, INT32_MAX - 2));
    RECT r{};
    engine_.boundingRect(&r);
    EXPECT_EQ(r.right, INT32_MAX);
    EXPECT_EQ(r.bottom, INT32_MAX);
    // Around the text, not wrapped round to the other end of the range.
    EXPECT_LT(r.top, INT32_MAX - 3);
    EXPECT_GT(r.top, INT32_MAX - 100);
}

TEST_F(EngineTest, HoverFindsBodiesOnlyAndIsThrottled)
{
    build(kTypeLine, {{200, 200}, {300, 200}});
    later();
    ASSERT_TRUE(engine_.passGraphic(250, 201));
    EXPECT_EQ(engine_.hoverKind(), kHitLine);
    EXPECT_EQ(engine_.hoverIndex(), 0);
    later(20);
    EXPECT_FALSE(engine_.passGraphic(400, 400)); // too soon: state kept
    EXPECT_EQ(engine_.hoverKind(), kHitLine);
    later(20);
    const POINT p = insideLabel(*engine_.lines()[0]);
    EXPECT_FALSE(engine_.passGraphic(p.x, p.y));
    EXPECT_EQ(engine_.hoverKind(), kHitNone);
    EXPECT_EQ(engine_.hoverIndex(), -1);
    // A search that found nothing is no accepted event.
    later(1);
    EXPECT_TRUE(engine_.passGraphic(50, 500));
    EXPECT_EQ(engine_.hoverKind(), kHitRuler);
    EXPECT_EQ(engine_.hoverIndex(), -1);
}

TEST(LineGraphicHit, ThreeRegimesOfTheBody)
{
    LineGraphic steep;
    steep.setPoints({0, 0}, {100, 50});
    steep.recompute();
    EXPECT_TRUE(steep.hitBody(50, 29));
    EXPECT_TRUE(steep.hitBody(50, 21));
    EXPECT_FALSE(steep.hitBody(50, 30));
    EXPECT_TRUE(steep.hitBody(-4, -2));
    EXPECT_FALSE(steep.hitBody(-5, -2));

    LineGraphic flat;
    flat.setPoints({0, 0}, {100, 3});
    flat.recompute();
    EXPECT_TRUE(flat.hitBody(100, 4));
    EXPECT_FALSE(flat.hitBody(50, 5));
    EXPECT_FALSE(flat.hitBody(101, 0));

    LineGraphic upright;
    upright.setPoints({0, 100}, {3, 0});
    upright.recompute();
    EXPECT_TRUE(upright.hitBody(7, 0));
    EXPECT_TRUE(upright.hitBody(-4, 100));
    EXPECT_FALSE(upright.hitBody(8, 50));
    EXPECT_FALSE(upright.hitBody(1, 101));
}

TEST(SegmentHit, ExactlyVerticalSegmentIsStrict)
{
    EXPECT_TRUE(hitSegment({0, 100}, {0, 0}, 3, 50));
    EXPECT_TRUE(hitSegment({0, 100}, {0, 0}, -3, 99));
    EXPECT_FALSE(hitSegment({0, 100}, {0, 0}, 4, 50));
    EXPECT_FALSE(hitSegment({0, 100}, {0, 0}, 0, 100));
    EXPECT_FALSE(hitSegment({0, 100}, {0, 0}, 0, 0));
    // One pixel off vertical: the inclusive regime.
    EXPECT_TRUE(hitSegment({0, 100}, {1, 0}, 5, 0));
}

TEST(ShapeHit, RectangleOutlineFromCornersInAnyOrder)
{
    RectGraphic rect;
    rect.setCorners({200, 150}, {100, 100});
    rect.recompute();
    EXPECT_TRUE(rect.hitBody(103, 120));
    EXPECT_TRUE(rect.hitBody(97, 120));
    EXPECT_FALSE(rect.hitBody(104, 120));
    EXPECT_FALSE(rect.hitBody(96, 120));
    EXPECT_TRUE(rect.hitBody(150, 153));
    EXPECT_FALSE(rect.hitBody(150, 154));
    EXPECT_FALSE(rect.hitBody(100, 100)); // the corner itself is strictly outside both bands
    EXPECT_FALSE(rect.hitBody(150, 125));
}

TEST(ShapeHit, CircleBandAndCentre)
{
    CircleGraphic circle(kTypeCircleCentre);
    circle.setPoint(0, {300, 300});
    circle.setPoint(1, {350, 300});
    circle.recompute();
    EXPECT_FALSE(circle.hitBody(346, 300));
    EXPECT_TRUE(circle.hitBody(347, 300));
    EXPECT_TRUE(circle.hitBody(353, 300));
    EXPECT_FALSE(circle.hitBody(354, 300));
    EXPECT_TRUE(circle.hitBody(296, 303));
    EXPECT_FALSE(circle.hitBody(304, 300));
}

TEST(ShapeHit, EllipseBandOnlyWhenBothPointsPlaced)
{
    EllipseGraphic ellipse(kTypeEllipseCentre);
    ellipse.begin({100, 100});
    ellipse.changePoint({150, 120});
    EXPECT_FALSE(ellipse.hitBody(150, 100));
    ellipse.addPoint({150, 120});
    EXPECT_TRUE(ellipse.hitBody(150, 100));
    EXPECT_TRUE(ellipse.hitBody(100, 120));
    EXPECT_FALSE(ellipse.hitBody(125, 100));
    EXPECT_TRUE(ellipse.hitBody(100, 100)); // the centre is a defining point
    EXPECT_TRUE(ellipse.hitBody(150, 120)); // its defining corner
}

TEST(ShapeHit, AngleAndPolygonBodiesNeedAllTheirPoints)
{
    AngleGraphic angle;
    angle.begin({0, 100});
    angle.addPoint({0, 0});
    angle.changePoint({100, 0});
    EXPECT_FALSE(angle.hitBody(0, 50));
    angle.addPoint({100, 0});
    EXPECT_TRUE(angle.hitBody(2, 50));
    EXPECT_TRUE(angle.hitBody(50, -4));

    PolygonGraphic polygon;
    polygon.begin({0, 0});
    polygon.addPoint({100, 0});
    polygon.addPoint({100, 100});
    EXPECT_FALSE(polygon.hitBody(50, 0));
    EXPECT_FALSE(polygon.hitEditPoint(100, 0));
    polygon.finish();
    EXPECT_TRUE(polygon.hitBody(50, 0));
    EXPECT_TRUE(polygon.hitBody(50, 50)); // the closing edge
    EXPECT_FALSE(polygon.hitBody(0, 100));
    EXPECT_TRUE(polygon.hitEditPoint(101, 99));
    EXPECT_EQ(polygon.editPoint(), 2);
}

struct MoveCase
{
    int type;
    int kind;
    std::vector<POINT> points;
    int editPoint; // index of a defining point to grab
};

class MoveEveryKind : public EngineTest, public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P(MoveEveryKind, BodyEditPointAndLabel)
{
    const MoveCase c = GetParam();
    engine_.startGraphic(c.points[0], c.type);
    for (std::size_t i = 1; i < c.points.size(); ++i)
    {
        later();
        engine_.addPoint(c.points[i]);
    }
    engine_.finishGraphic();
    Graphic& g = *engine_.graphicAt(c.kind, 0);
    const int dx = 5, dy = -7;

    // Edit point.
    std::vector<POINT> before = pointsOf(g);
    POINT labelBefore = g.label()->position();
    const POINT grab = c.points[c.editPoint];
    ASSERT_TRUE(engine_.hitGraphic(grab.x, grab.y));
    ASSERT_EQ(engine_.selectionMode(), kModeEditPoint);
    EXPECT_EQ(g.editPoint(), c.editPoint);
    engine_.moveGraphic(dx, dy);
    std::vector<POINT> after = pointsOf(g);
    expectMoved(before, after, dx, dy, c.editPoint);
    EXPECT_EQ(g.label()->position().x, labelBefore.x);

    const RECT boundsBefore = g.bounds();
    engine_.setPen(PenSpec{}); // keeps the selection
    ASSERT_EQ(engine_.selectionKind(), c.kind);
    before = after;
    labelBefore = g.label()->position();
    ASSERT_TRUE(selectLabel(g));
    engine_.moveGraphic(dx, dy);
    expectMoved(before, pointsOf(g), 0, 0);
    EXPECT_EQ(g.label()->position().x, labelBefore.x + dx);
    EXPECT_EQ(g.label()->position().y, labelBefore.y + dy);

    // Body: find a body point by scanning the bounds' neighbourhood.
    labelBefore = g.label()->position();
    bool found = false;
    for (int y = -300; y < 700 && !found; ++y)
        for (int x = -300; x < 700 && !found; ++x)
            found = g.hitBody(x, y) && !g.hitLabel(x, y) && engine_.hitGraphic(x, y) &&
                    engine_.selectionKind() == c.kind && engine_.selectionMode() == kModeBody;
    ASSERT_TRUE(found);
    engine_.moveGraphic(dx, dy);
    expectMoved(before, pointsOf(g), dx, dy);
    EXPECT_EQ(g.label()->position().x, labelBefore.x + dx);
    if (c.kind != kHitPolygon)
    {
        EXPECT_NE(g.bounds().left, boundsBefore.left);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Graphics, MoveEveryKind,
    ::testing::Values(
        MoveCase{kTypeLine, kHitLine, {{100, 100}, {200, 160}}, 1},
        MoveCase{kTypeRect, kHitRect, {{100, 100}, {200, 160}}, 0},
        MoveCase{kTypeCircleDiameter, kHitCircle, {{100, 100}, {200, 100}}, 1},
        MoveCase{kTypeCircleCentre, kHitCircle, {{100, 100}, {150, 100}}, 1},
        MoveCase{kTypeEllipseCentre, kHitEllipse, {{150, 130}, {200, 160}}, 0},
        MoveCase{kTypeCircleThreePoints, kHitCircle, {{100, 150}, {150, 100}, {200, 150}}, 2},
        MoveCase{kTypeEllipseBox, kHitEllipse, {{100, 100}, {200, 160}}, 0},
        MoveCase{kTypeAngle, kHitAngle, {{100, 200}, {100, 100}, {200, 100}}, 1},
        MoveCase{kTypePolygon, kHitPolygon, {{100, 100}, {200, 100}, {150, 200}}, 2}));

TEST_F(EngineTest, TextMovesOnlyByItsBody)
{
    engine_.startGraphic({100, 100}, kTypeText);
    engine_.addString("abc");
    engine_.finishGraphic();
    ASSERT_TRUE(engine_.hitGraphic(102, 102));
    engine_.moveGraphic(10, 20);
    EXPECT_EQ(engine_.texts()[0]->position().x, 110);
    EXPECT_EQ(engine_.texts()[0]->position().y, 120);
}

TEST_F(EngineTest, DraggingARulerEndRecalibratesEveryGraphic)
{
    build(kTypeLine, {{100, 100}, {130, 140}});
    build(kTypeCircleCentre, {{300, 300}, {310, 300}});
    EXPECT_EQ(engine_.lines()[0]->length(), 50.0f);
    ASSERT_TRUE(engine_.hitGraphic(100, 500));
    ASSERT_EQ(engine_.selectionKind(), kHitRuler);
    ASSERT_EQ(engine_.selectionMode(), kModeEditPoint);
    engine_.moveGraphic(100, 0); // the ruler is now 200 pixels for 100 mm
    EXPECT_EQ(engine_.ruler()->end().x, 200);
    EXPECT_EQ(engine_.unitsPerPixel(), 0.5f);
    EXPECT_EQ(engine_.lines()[0]->length(), 25.0f);
    EXPECT_EQ(engine_.circles()[0]->radius(), 5.0f);
}

TEST_F(EngineTest, MovingRecordsAnAcceptedEvent)
{
    build(kTypeLine, {{100, 100}, {200, 100}});
    later();
    engine_.moveGraphic(1, 1);
    later(10);
    EXPECT_FALSE(engine_.passGraphic(150, 100));
    later(30);
    EXPECT_TRUE(engine_.passGraphic(150, 100));
}

TEST_F(EngineTest, DeletingTheSelectionButNeverTheRuler)
{
    build(kTypeLine, {{100, 100}, {200, 100}});
    build(kTypeLine, {{100, 200}, {200, 200}});
    ASSERT_TRUE(engine_.hitGraphic(150, 100));
    engine_.clearHitGraphic();
    ASSERT_EQ(engine_.lines().size(), 1u);
    EXPECT_EQ(engine_.lines()[0]->start().y, 200);
    EXPECT_EQ(engine_.selectionKind(), kHitNone);
    EXPECT_EQ(engine_.selectionIndex(), -1);

    ASSERT_TRUE(engine_.hitGraphic(50, 500));
    ASSERT_EQ(engine_.selectionKind(), kHitRuler);
    later();
    engine_.passGraphic(150, 200);
    engine_.clearHitGraphic();
    EXPECT_NE(engine_.ruler(), nullptr);
    EXPECT_EQ(engine_.lines().size(), 1u);
    EXPECT_EQ(engine_.selectionKind(), kHitNone);
    EXPECT_EQ(engine_.hoverKind(), kHitNone);
}

TEST_F(EngineTest, DeletingDuringConstructionDeletesTheGraphicBeingBuilt)
{
    build(kTypeRect, {{100, 100}, {200, 200}});
    build(kTypeRect, {{300, 300}, {400, 400}}, false);
    engine_.clearHitGraphic();
    ASSERT_EQ(engine_.rects().size(), 1u);
    EXPECT_EQ(engine_.rects()[0]->first().x, 100);
    engine_.startGraphic({1, 1}, kTypeRect);
    engine_.clearHitGraphic(); // incomplete: discarded by the finish, nothing else goes
    EXPECT_EQ(engine_.rects().size(), 1u);
}

TEST_F(EngineTest, ClearingAllKeepsTheRuler)
{
    build(kTypeLine, {{100, 100}, {200, 100}});
    build(kTypeEllipseBox, {{100, 100}, {200, 160}});
    engine_.startGraphic({5, 5}, kTypeText);
    engine_.addString("t");
    engine_.clearAllGraphics();
    for (int kind = kHitLine; kind <= kHitAngle; ++kind)
        EXPECT_EQ(engine_.listSize(kind), 0);
    EXPECT_NE(engine_.ruler(), nullptr);
    EXPECT_EQ(engine_.selectionKind(), kHitNone);
}

TEST_F(EngineTest, FinishingWithTheRulerSelectedClearsTheSelectionKind)
{
    ASSERT_TRUE(engine_.hitGraphic(50, 500));
    engine_.finishGraphic();
    EXPECT_EQ(engine_.selectionKind(), kHitNone);
}

TEST_F(EngineTest, PenGoesToTheSelectionAndTheDefaults)
{
    build(kTypeLine, {{100, 100}, {200, 100}});
    engine_.hitGraphic(900, 900); // deselects
    engine_.setPen(PenSpec{1, 4, 0x10, 0x30, 0x20});
    EXPECT_EQ(engine_.lines()[0]->normalColor(), 0xFF0000u);
    build(kTypeLine, {{100, 200}, {200, 200}});
    EXPECT_EQ(engine_.lines()[1]->normalColor(), 0x10u);

    ASSERT_TRUE(engine_.hitGraphic(50, 500));
    engine_.setPen(PenSpec{2, 2, 0x40, 0x60, 0x50});
    EXPECT_EQ(engine_.ruler()->selectedColor(), 0x50u);
    EXPECT_EQ(engine_.ruler()->label()->hoveredColor(), 0x60u);
    EXPECT_EQ(engine_.lines()[1]->normalColor(), 0x10u);

    engine_.startGraphic({300, 300}, kTypeText);
    engine_.addString("pen");
    engine_.finishGraphic();
    engine_.setPen(PenSpec{3, 3, 0x70, 0x90, 0x80});
    EXPECT_EQ(engine_.texts()[0]->textNormalColor(), 0xFF0000u);
    EXPECT_EQ(engine_.pen().normal, 0x70u);
}

TEST_F(EngineTest, TextFontGoesToTheSelectedText)
{
    engine_.startGraphic({300, 300}, kTypeText);
    engine_.addString("font");
    engine_.finishGraphic();
    engine_.setTextFont(
        "Some Face Name That Is Far Longer Than Sixty-Three Characters In All Of It", 22, 1, 2, 3);
    const TextGraphic& text = *engine_.texts()[0];
    EXPECT_EQ(text.fontHeight(), 22);
    EXPECT_EQ(text.textSelectedColor(), 3u);
    EXPECT_EQ(std::strlen(text.face()), 63u);
    EXPECT_EQ(std::strlen(engine_.textFont().face), 63u);
}

TEST_F(EngineTest, HidingDescriptorsBySelection)
{
    build(kTypeLine, {{100, 100}, {200, 100}});
    build(kTypeCircleCentre, {{300, 300}, {310, 300}});
    engine_.hitGraphic(900, 900);
    engine_.hideDescriptor(1);
    EXPECT_EQ(engine_.lines()[0]->labelHidden(), 1);
    EXPECT_EQ(engine_.circles()[0]->labelHidden(), 1);
    EXPECT_EQ(engine_.ruler()->labelHidden(), 0);
    ASSERT_TRUE(engine_.hitGraphic(150, 100));
    engine_.hideDescriptor(0);
    EXPECT_EQ(engine_.lines()[0]->labelHidden(), 0);
    EXPECT_EQ(engine_.circles()[0]->labelHidden(), 1);
    ASSERT_TRUE(engine_.hitGraphic(50, 500));
    engine_.hideDescriptor(1);
    EXPECT_EQ(engine_.ruler()->labelHidden(), 1);
    EXPECT_EQ(engine_.hideDescriptorDefault(), 1);
}

TEST_F(EngineTest, PrecisionAndMarksReachTheirGraphics)
{
    build(kTypeLine, {{100, 100}, {200, 100}});
    build(kTypeAngle, {{100, 200}, {100, 100}, {200, 100}});
    engine_.setPrecision(0x10003); // the low 16 bits
    EXPECT_EQ(engine_.precision(), 3);
    EXPECT_EQ(engine_.ruler()->precision(), 3);
    EXPECT_EQ(engine_.lines()[0]->precision(), 3);
    EXPECT_EQ(engine_.angles()[0]->precision(), 3);
    engine_.setLineMark(0);
    engine_.setAngleMark(1);
    EXPECT_EQ(engine_.lines()[0]->mark(), 0u);
    EXPECT_EQ(engine_.angles()[0]->mark(), 1u);
    EXPECT_EQ(engine_.marks().rect, 0xFFFFFFFFu);
}

TEST_F(EngineTest, BoundingRectAroundTheSelection)
{
    RECT r{1, 2, 3, 4};
    engine_.boundingRect(&r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.bottom, 0);

    build(kTypeLine, {{300, 200}, {200, 200}});
    ASSERT_TRUE(engine_.hitGraphic(250, 200));
    engine_.boundingRect(&r);
    const RECT label = engine_.lines()[0]->label()->rect();
    EXPECT_EQ(r.left, std::min(200, label.left - 10) - 10);
    EXPECT_EQ(r.top, std::min(200, label.top - 10) - 10);
    EXPECT_EQ(r.right, std::max(300, label.right + 10) + 10);
    EXPECT_EQ(r.bottom, std::max(200, label.bottom + 10) + 10);

    build(kTypePolygon, {{100, 100}, {150, 50}, {180, 120}});
    engine_.boundingRect(&r);
    EXPECT_LE(r.left, 90);
    EXPECT_LE(r.top, 40);
    EXPECT_GE(r.right, 190);
    EXPECT_GE(r.bottom, 130);
}
