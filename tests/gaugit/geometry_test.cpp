// Descriptors and bounds of each graphic class, computed from its points.

#include <cmath>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

#include "engine/angle_graphic.h"
#include "engine/circle_graphic.h"
#include "engine/ellipse_graphic.h"
#include "engine/geometry.h"
#include "engine/line_graphic.h"
#include "engine/polygon_graphic.h"
#include "engine/rect_graphic.h"
#include "engine/ruler_graphic.h"
#include "engine/unit_factor.h"

using namespace gaugit;

namespace {

void expectRect(const RECT& r, int left, int top, int right, int bottom)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

void through(CircleGraphic& circle, POINT a, POINT b, POINT c = {0, 0})
{
    circle.setPoint(0, a);
    circle.setPoint(1, b);
    circle.setPoint(2, c);
    circle.setScale(1.0f);
}

bool allFinite(const CircleGraphic& c)
{
    return std::isfinite(c.radius()) && std::isfinite(c.area()) && std::isfinite(c.perimeter()) &&
           std::isfinite(c.centreUnits().x) && std::isfinite(c.centreUnits().y);
}

} // namespace

TEST(LineGraphic, LengthEndPointsAndUnsortedBounds)
{
    LineGraphic line;
    line.setPoints({30, 40}, {0, 0});
    line.setScale(0.5f);
    EXPECT_EQ(line.length(), 25.0f);
    EXPECT_EQ(line.startUnits().x, 15.0f);
    EXPECT_EQ(line.startUnits().y, 20.0f);
    EXPECT_EQ(line.endUnits().x, 0.0f);
    expectRect(line.bounds(), 30, 40, 0, 0);
    EXPECT_FLOAT_EQ(line.slope(), 40.0f / 30.0f);
    EXPECT_EQ(line.intercept(), 40.0f - line.slope() * 30.0f);
}

TEST(LineGraphic, VerticalLineKeepsThePreviousSlope)
{
    LineGraphic line;
    line.setPoints({0, 0}, {10, 20});
    line.recompute();
    line.setPoints({5, 0}, {5, 20});
    line.recompute();
    EXPECT_EQ(line.slope(), 2.0f);
    EXPECT_EQ(line.intercept(), 0.0f);
}

TEST(RectGraphic, SizesFromCornersInAnyOrder)
{
    RectGraphic rect;
    rect.setCorners({20, 30}, {10, 0});
    rect.setScale(2.0f);
    EXPECT_EQ(rect.width(), 20.0f);
    EXPECT_EQ(rect.height(), 60.0f);
    EXPECT_EQ(rect.area(), 1200.0f);
    EXPECT_EQ(rect.perimeter(), 160.0f);
    expectRect(rect.bounds(), 20, 30, 10, 0);
}

TEST(CircleGraphic, DiameterCircleAtHalfMillimetrePerPixel)
{
    CircleGraphic circle(kTypeCircleDiameter);
    through(circle, {0, 0}, {10, 0});
    circle.setScale(0.5f);
    EXPECT_EQ(circle.centre().x, 5);
    EXPECT_EQ(circle.centre().y, 0);
    EXPECT_EQ(circle.radiusPixels(), 5.0f);
    EXPECT_EQ(circle.radius(), 2.5f);
    EXPECT_EQ(circle.perimeter(), static_cast<float>(2.0 * std::numbers::pi * 2.5));
    EXPECT_EQ(circle.area(), static_cast<float>(std::numbers::pi * 2.5 * 2.5));
    EXPECT_NEAR(circle.perimeter(), 15.708, 5e-4);
    EXPECT_NEAR(circle.area(), 19.635, 5e-4);
    expectRect(circle.bounds(), 0, -5, 10, 5);
}

TEST(CircleGraphic, DiameterCentreIsTruncated)
{
    CircleGraphic circle(kTypeCircleDiameter);
    through(circle, {0, 0}, {9, 0});
    EXPECT_EQ(circle.centre().x, 4);
    EXPECT_EQ(circle.radiusPixels(), 4.5f);
    // 4 - 4.5 truncates toward zero.
    expectRect(circle.bounds(), 0, -4, 8, 4);
    CircleGraphic negative(kTypeCircleDiameter);
    through(negative, {0, 0}, {-9, -9});
    EXPECT_EQ(negative.centre().x, -4);
    EXPECT_EQ(negative.centre().y, -4);
}

TEST(CircleGraphic, CentreAndPointGivesTheFullDistance)
{
    CircleGraphic circle(kTypeCircleCentre);
    through(circle, {10, 10}, {13, 14});
    EXPECT_EQ(circle.centre().x, 10);
    EXPECT_EQ(circle.centre().y, 10);
    EXPECT_EQ(circle.radiusPixels(), 5.0f);
}

TEST(CircleGraphic, ThreePointsUseTheChordBisectors)
{
    CircleGraphic circle(kTypeCircleThreePoints);
    through(circle, {0, 10}, {10, 0}, {0, -10});
    EXPECT_EQ(circle.k1(), -1.0f);
    EXPECT_EQ(circle.b1(), 0.0f);
    EXPECT_EQ(circle.k2(), 1.0f);
    EXPECT_EQ(circle.centre().x, 0);
    EXPECT_EQ(circle.centre().y, 0);
    EXPECT_EQ(circle.radiusPixels(), 10.0f);

    // An off-centre case: the circle through (3, 7), (11, 1) and (-2, -4) has its centre at
    // (4.16, -0.84); both coordinates truncate toward zero.
    CircleGraphic skew(kTypeCircleThreePoints);
    through(skew, {3, 7}, {11, 1}, {-2, -4});
    const float k1 = 8.0f / -6.0f;
    const float b1 = (k1 * 14.0f + 8.0f) * 0.5f;
    const float k2 = -13.0f / -5.0f;
    const float b2 = (k2 * 9.0f + -3.0f) * 0.5f;
    EXPECT_EQ(skew.k1(), k1);
    EXPECT_EQ(skew.b2(), b2);
    const int cx = static_cast<int>((b2 - b1) / (k2 - k1));
    EXPECT_EQ(skew.centre().x, cx);
    EXPECT_EQ(skew.centre().y, static_cast<int>(b1 - static_cast<float>(cx) * k1));
    EXPECT_EQ(skew.radiusPixels(), static_cast<float>(std::hypot(3.0 - cx, 7.0 - skew.centre().y)));
}

TEST(CircleGraphic, ThreePointsOnAHorizontalChordStillHaveTheirCircle)
{
    // The bisector form would divide by zero: the general construction finds the centre.
    CircleGraphic first(kTypeCircleThreePoints);
    through(first, {0, 0}, {10, 0}, {5, 5});
    EXPECT_EQ(first.centre().x, 5);
    EXPECT_EQ(first.centre().y, 0);
    EXPECT_EQ(first.radiusPixels(), 5.0f);
    CircleGraphic second(kTypeCircleThreePoints);
    through(second, {5, 5}, {0, 0}, {10, 0});
    EXPECT_EQ(second.centre().x, 5);
    EXPECT_EQ(second.centre().y, 0);
    EXPECT_TRUE(allFinite(first) && allFinite(second));
}

TEST(CircleGraphic, ThreePointsOnALineGiveTheCircleOverTheFarthestPair)
{
    CircleGraphic diagonal(kTypeCircleThreePoints);
    through(diagonal, {0, 0}, {4, 4}, {10, 10});
    EXPECT_EQ(diagonal.centre().x, 5);
    EXPECT_EQ(diagonal.centre().y, 5);
    EXPECT_EQ(diagonal.radiusPixels(), static_cast<float>(std::hypot(10.0, 10.0) * 0.5));
    CircleGraphic horizontal(kTypeCircleThreePoints);
    through(horizontal, {8, 3}, {0, 3}, {2, 3});
    EXPECT_EQ(horizontal.centre().x, 4);
    EXPECT_EQ(horizontal.radiusPixels(), 4.0f);
    CircleGraphic single(kTypeCircleThreePoints);
    through(single, {7, 7}, {7, 7}, {7, 7});
    EXPECT_EQ(single.centre().x, 7);
    EXPECT_EQ(single.radiusPixels(), 0.0f);
    EXPECT_EQ(single.area(), 0.0f);
    EXPECT_TRUE(allFinite(diagonal) && allFinite(horizontal) && allFinite(single));
}

TEST(EllipseGraphic, BoxVariantHalvesTheBox)
{
    EllipseGraphic ellipse(kTypeEllipseBox);
    ellipse.setPoint(0, {0, 0});
    ellipse.setPoint(1, {20, 10});
    ellipse.setScale(1.0f);
    EXPECT_EQ(ellipse.centre().x, 10);
    EXPECT_EQ(ellipse.centre().y, 5);
    EXPECT_EQ(ellipse.semiAxisXPixels(), 10);
    EXPECT_EQ(ellipse.semiAxisYPixels(), 5);
    EXPECT_EQ(ellipse.horizontalSemiAxis(), 10.0f);
    EXPECT_EQ(ellipse.verticalSemiAxis(), 5.0f);
    EXPECT_EQ(ellipse.area(), static_cast<float>(std::numbers::pi * 50.0));
    expectRect(ellipse.bounds(), 0, 0, 20, 10);

    // The horizontal semi-axis stays the "long" one even when it is shorter.
    ellipse.setPoint(1, {9, 21});
    ellipse.recompute();
    EXPECT_EQ(ellipse.centre().x, 4);
    EXPECT_EQ(ellipse.horizontalSemiAxis(), 4.0f);
    EXPECT_EQ(ellipse.verticalSemiAxis(), 10.0f);
}

TEST(EllipseGraphic, CentreVariantUsesTheFullOffsets)
{
    EllipseGraphic ellipse(kTypeEllipseCentre);
    ellipse.setPoint(0, {50, 50});
    ellipse.setPoint(1, {40, 80});
    ellipse.setScale(0.1f);
    EXPECT_EQ(ellipse.centre().x, 50);
    EXPECT_EQ(ellipse.semiAxisXPixels(), 10);
    EXPECT_EQ(ellipse.semiAxisYPixels(), 30);
    expectRect(ellipse.bounds(), 40, 20, 60, 80);
    EXPECT_EQ(ellipse.horizontalSemiAxis(), toUnits(10, 0.1f));
}

TEST(EllipseGraphic, PerimeterOfACircleIsTwoPiR)
{
    EXPECT_NEAR(ellipsePerimeter(3.0, 3.0), 2.0 * std::numbers::pi * 3.0, 1e-12);
    // A flat ellipse is close to four times its semi-axis.
    EXPECT_NEAR(ellipsePerimeter(10.0, 0.0), 40.0, 0.1);
}

TEST(EllipseGraphic, ZeroSizeEllipseMeasuresZero)
{
    EllipseGraphic ellipse(kTypeEllipseBox);
    ellipse.setPoint(0, {5, 5});
    ellipse.setPoint(1, {6, 6}); // halves truncate to zero
    ellipse.setPointCount(2);
    ellipse.setScale(1.0f);
    EXPECT_EQ(ellipse.perimeter(), 0.0f);
    EXPECT_EQ(ellipse.area(), 0.0f);
    // Only the defining points grab a flat ellipse; nothing divides into a false hit.
    EXPECT_TRUE(ellipse.hitBody(5, 5));
    EXPECT_FALSE(ellipse.hitBody(5, 12));
}

TEST(AngleGraphic, RightAngleInDegreesAndRadians)
{
    AngleGraphic angle;
    angle.setPoint(0, {10, 0});
    angle.setPoint(1, {0, 0});
    angle.setPoint(2, {0, 10});
    angle.setPointCount(3);
    angle.recompute();
    EXPECT_EQ(angle.angle(), 90.0f);
    angle.setAngleUnit(1);
    EXPECT_EQ(angle.angle(), static_cast<float>(std::numbers::pi / 2));
    EXPECT_NEAR(angle.angle(), 1.5708, 5e-5);
    expectRect(angle.bounds(), 0, 0, 10, 10);
}

TEST(AngleGraphic, ArmOfNoLengthReadsZeroAndStraightAngleReadsHalfTurn)
{
    EXPECT_EQ(armAngle({5, 5}, {5, 5}, {9, 1}), 0.0);
    EXPECT_DOUBLE_EQ(armAngle({-3, 0}, {0, 0}, {7, 0}), std::numbers::pi);
    EXPECT_EQ(armAngle({1000003, 999999}, {0, 0}, {1000003, 999999}), 0.0);
}

TEST(PolygonGraphic, SquareFinishedAndWithItsFloatingVertex)
{
    PolygonGraphic square;
    square.setScale(1.0f);
    square.begin({0, 0});
    square.addPoint({10, 0});
    square.addPoint({10, 10});
    square.changePoint({0, 10});
    EXPECT_EQ(square.vertexCount(), 3);
    EXPECT_EQ(square.perimeter(), 40.0f);
    EXPECT_EQ(square.area(), 100.0f);
    square.finish();
    // Without the floating vertex: the closed triangle.
    EXPECT_EQ(square.perimeter(), static_cast<float>(20.0 + std::hypot(10.0, 10.0)));
    EXPECT_EQ(square.area(), 50.0f);
}

TEST(PolygonGraphic, AreaSumsScaledCoordinatesInFloats)
{
    PolygonGraphic polygon;
    for (int i = 0; i < 4; ++i)
        polygon.setVertex(i, POINT{i % 3 == 0 ? 0 : 7, i < 2 ? 0 : 3});
    polygon.setVertexCount(4);
    polygon.setFinished(1);
    polygon.setScale(0.3f);
    const float x = toUnits(7, 0.3f);
    const float y = toUnits(3, 0.3f);
    // Only the terms with both coordinates non-zero remain.
    const float sum = (x * y - x * 0.0f) + (x * y - 0.0f * y);
    EXPECT_EQ(polygon.area(), std::fabs(sum) * 0.5f);
    EXPECT_EQ(polygon.perimeter(), toUnits(20.0, 0.3f));
}

TEST(PolygonGraphic, VertexCountFromOutsideStaysInItsRoom)
{
    PolygonGraphic polygon;
    polygon.setVertexCount(1000);
    EXPECT_EQ(polygon.vertexCount(), kMaxPolygonVertices);
    polygon.setVertexCount(-5);
    EXPECT_EQ(polygon.vertexCount(), 0);
    polygon.recompute();
    EXPECT_EQ(polygon.perimeter(), 0.0f);
}

TEST(RulerGraphic, ScaleAcrossUnits)
{
    RulerGraphic ruler;
    ruler.setPoints({0, 0}, {100, 0});
    ruler.setRulerUnitAndLength(1, 1.0f); // 1 mm over 100 pixels
    ruler.recompute();
    EXPECT_EQ(ruler.pixelLength(), 100.0f);
    EXPECT_EQ(ruler.rulerUnitsPerPixel(), 0.01f);
    EXPECT_EQ(ruler.unitsPerPixelIn(0), 10.0f);
    EXPECT_EQ(ruler.unitsPerPixelIn(4), 0.01f * 0.03937f);
    EXPECT_NEAR(ruler.unitsPerPixelIn(4), 0.0003937, 1e-10);
    EXPECT_EQ(ruler.unitsPerPixelIn(1), 0.01f);
    EXPECT_EQ(ruler.unitsPerPixelIn(5), 0.0f);
    EXPECT_EQ(ruler.unitsPerPixelIn(-1), 0.0f);
}

TEST(RulerGraphic, NoLengthInPixelsOrNoNumberGivesNoScale)
{
    RulerGraphic ruler;
    ruler.setPoints({4, 4}, {4, 4});
    ruler.setRulerUnitAndLength(1, 5.0f);
    ruler.recompute();
    EXPECT_EQ(ruler.rulerUnitsPerPixel(), 0.0f);
    ruler.setPoints({0, 0}, {3, 4});
    ruler.setRulerUnitAndLength(1, std::nanf(""));
    ruler.recompute();
    EXPECT_EQ(ruler.rulerUnitsPerPixel(), 0.0f);
    ruler.setRulerUnitAndLength(3, 3e38f); // metres: finite, but not in micrometres
    ruler.recompute();
    EXPECT_FLOAT_EQ(ruler.unitsPerPixelIn(3), 6e37f);
    EXPECT_EQ(ruler.unitsPerPixelIn(0), 0.0f);
}

TEST(UnitFactor, TableIsConsistentBothWays)
{
    EXPECT_EQ(unitFactor(4, 1), 25.4f);
    EXPECT_EQ(unitFactor(1, 4), 0.03937f);
    EXPECT_EQ(unitFactor(3, 0), 1000000.0f);
    for (int u = 0; u < kUnitCount; ++u)
        EXPECT_EQ(unitFactor(u, u), 1.0f);
    for (int a = 0; a < kUnitCount; ++a)
        for (int b = 0; b < kUnitCount; ++b)
            EXPECT_NEAR(unitFactor(a, b) * unitFactor(b, a), 1.0, 2e-4) << a << " " << b;
    EXPECT_STREQ(unitText(4), "INCH");
    EXPECT_STREQ(unitText(9), "");
}

// Wherever a segment or a line body accepts a point, its hit box holds it: far from the
// origin too, where the slanted test rounds in float.
TEST(HitBoxes, HoldEveryPointTheBodyTestsAccept)
{
    std::mt19937 rng(2024);
    for (int scale : {100, 100000, 1 << 29})
    {
        std::uniform_int_distribution<int> coordinate(-scale, scale);
        std::uniform_int_distribution<int> jitter(-12, 12);
        for (int segment = 0; segment < 2000; ++segment)
        {
            const POINT a{coordinate(rng), coordinate(rng)};
            POINT b{coordinate(rng), coordinate(rng)};
            if (segment % 7 == 0)
                b.x = a.x + jitter(rng); // steep and nearly vertical
            const gaugit::HitBox box = gaugit::segmentBox(a, b);
            for (int probe = 0; probe < 50; ++probe)
            {
                const double t = double(rng() % 1001) / 1000.0;
                const int x = int(a.x + t * (double(b.x) - a.x)) + jitter(rng);
                const int y = int(a.y + t * (double(b.y) - a.y)) + jitter(rng);
                if (!gaugit::hitSegment(a, b, x, y))
                    continue;
                ASSERT_TRUE(box.holds(x, y))
                    << a.x << "," << a.y << " " << b.x << "," << b.y << " at " << x << "," << y;
            }
        }
    }
}
