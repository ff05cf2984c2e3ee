#include "engine/circle_graphic.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "engine/geometry.h"
#include "platform/trace.h"

namespace gaugit {

CircleGraphic::CircleGraphic(int variant) : variant_(kTypeCircleDiameter)
{
    setVariant(variant);
}

void CircleGraphic::setVariant(int variant)
{
    if (variant >= kTypeCircleDiameter && variant <= kTypeCircleThreePoints)
        variant_ = variant;
}

void CircleGraphic::begin(POINT p)
{
    points_[0] = points_[1] = points_[2] = p;
    centre_ = p;
    radiusPixels_ = 0.0f;
    pointCount_ = 1;
    placeLabel(p);
}

void CircleGraphic::changePoint(POINT p)
{
    if (pointCount_ < 1 || pointCount_ >= pointsNeeded())
        return;
    points_[pointCount_] = p;
    recompute();
    moveLabelTo(p);
}

void CircleGraphic::addPoint(POINT p)
{
    if (pointCount_ < 1 || pointCount_ >= pointsNeeded())
        return;
    points_[pointCount_] = p;
    ++pointCount_;
    if (pointCount_ < pointsNeeded())
    {
        points_[pointCount_] = p;
        moveLabelTo(p);
    }
    // Recomputed here too, so the circle always passes through the points placed, even when
    // the last floating move was throttled away.
    recompute();
}

void CircleGraphic::moveBy(int dx, int dy)
{
    for (POINT& p : points_)
        p = movedPoint(p, dx, dy);
    centre_ = movedPoint(centre_, dx, dy);
    moveLabel(dx, dy);
    recompute();
}

void CircleGraphic::moveEditPoint(int dx, int dy)
{
    if (editPoint_ < 0 || editPoint_ >= pointsNeeded())
        return;
    points_[editPoint_] = movedPoint(points_[editPoint_], dx, dy);
    recompute();
}

bool CircleGraphic::hitBody(int x, int y) const
{
    if (nearEditPoint(centre_, x, y))
        return true;
    const double dx = static_cast<double>(x) - centre_.x;
    const double dy = static_cast<double>(y) - centre_.y;
    const double d2 = dx * dx + dy * dy;
    const double r = radiusPixels_;
    return d2 > (r - kHitTolerance) * (r - kHitTolerance) &&
           d2 < (r + kHitTolerance) * (r + kHitTolerance);
}

HitBox CircleGraphic::hitBox() const
{
    HitBox box = unitedBox(editPointBox(centre_), labelBox());
    // A radius that is not finite fails the ring test everywhere; a negative one leaves no
    // room between the ring's bounds.
    const double r = radiusPixels_;
    if (std::isfinite(r) && r >= 0)
    {
        const double reach = r + kHitTolerance + 1;
        box = unitedBox(box, hitBoxOf(centre_.x - reach, centre_.y - reach, centre_.x + reach,
                                      centre_.y + reach));
    }
    for (int i = 0; i < pointsNeeded(); ++i)
        box = unitedBox(box, editPointBox(points_[i]));
    return box;
}

bool CircleGraphic::hitEditPoint(int x, int y)
{
    editPoint_ = -1;
    for (int i = 0; i < pointsNeeded(); ++i)
    {
        if (nearEditPoint(points_[i], x, y))
        {
            editPoint_ = i;
            break;
        }
    }
    return editPoint_ >= 0;
}

void CircleGraphic::setPoint(int i, POINT p)
{
    if (i >= 0 && i < 3)
        points_[i] = p;
}

void CircleGraphic::recompute()
{
    const POINT p0 = points_[0];
    const POINT p1 = points_[1];
    switch (variant_)
    {
    case kTypeCircleDiameter:
        centre_ = POINT{truncToInt(p0.x + (static_cast<long long>(p1.x) - p0.x) / 2),
                        truncToInt(p0.y + (static_cast<long long>(p1.y) - p0.y) / 2)};
        radiusPixels_ = static_cast<float>(pixelDistance(p0, p1) * 0.5);
        break;
    case kTypeCircleCentre:
        centre_ = p0;
        radiusPixels_ = static_cast<float>(pixelDistance(p0, p1));
        break;
    default:
        computeThreePointCircle();
        break;
    }
    // int and float meet in float arithmetic, as the stored bounds always have.
    const float cx = static_cast<float>(centre_.x);
    const float cy = static_cast<float>(centre_.y);
    const float r = radiusPixels_;
    bounds_ = RECT{truncToInt(cx - r), truncToInt(cy - r), truncToInt(cx + r), truncToInt(cy + r)};
    const float s = unitsPerPixel_;
    centreUnits_ = PointF{toUnits(centre_.x, s), toUnits(centre_.y, s)};
    radius_ = toUnits(radiusPixels_, s);
    const double units = radius_;
    area_ = static_cast<float>(std::numbers::pi * units * units);
    perimeter_ = static_cast<float>(2.0 * std::numbers::pi * units);
}

void CircleGraphic::computeThreePointCircle()
{
    const POINT p0 = points_[0];
    const POINT p1 = points_[1];
    const POINT p2 = points_[2];
    // The bisector form divides by the rise of each chord and by K2 - K1; when one of them is
    // zero the general construction below takes over.
    if (p1.y != p0.y && p2.y != p1.y)
    {
        const float k1 = static_cast<float>(static_cast<long long>(p1.x) - p0.x) /
                         static_cast<float>(static_cast<long long>(p1.y) - p0.y);
        const float b1 = (k1 * static_cast<float>(static_cast<long long>(p0.x) + p1.x) +
                          static_cast<float>(static_cast<long long>(p0.y) + p1.y)) *
                         0.5f;
        const float k2 = static_cast<float>(static_cast<long long>(p2.x) - p1.x) /
                         static_cast<float>(static_cast<long long>(p2.y) - p1.y);
        const float b2 = (k2 * static_cast<float>(static_cast<long long>(p1.x) + p2.x) +
                          static_cast<float>(static_cast<long long>(p1.y) + p2.y)) *
                         0.5f;
        k1_ = k1;
        b1_ = b1;
        k2_ = k2;
        b2_ = b2;
        const float cx = (b2 - b1) / (k2 - k1);
        if (k2 != k1 && std::isfinite(cx))
        {
            const int centreX = truncToInt(cx);
            const float cy = b1 - static_cast<float>(centreX) * k1;
            if (std::isfinite(cy))
            {
                centre_ = POINT{centreX, truncToInt(cy)};
                radiusPixels_ = static_cast<float>(pixelDistance(centre_, p0));
                return;
            }
        }
    }
    fallbackThreePointCircle();
}

// Points on a horizontal chord still have a circumcircle: it is found from the general
// formula. Points on one line (or coinciding) have none; the circle over the two farthest
// apart as diameter is the sound stand-in, and it is exactly what the user sees while the
// second point is still floating (the third then coincides with the first).
void CircleGraphic::fallbackThreePointCircle()
{
    const double x0 = points_[0].x, y0 = points_[0].y;
    const double x1 = points_[1].x, y1 = points_[1].y;
    const double x2 = points_[2].x, y2 = points_[2].y;
    const double d = 2.0 * (x0 * (y1 - y2) + x1 * (y2 - y0) + x2 * (y0 - y1));
    if (d != 0.0)
    {
        const double s0 = x0 * x0 + y0 * y0;
        const double s1 = x1 * x1 + y1 * y1;
        const double s2 = x2 * x2 + y2 * y2;
        const double ux = (s0 * (y1 - y2) + s1 * (y2 - y0) + s2 * (y0 - y1)) / d;
        const double uy = (s0 * (x2 - x1) + s1 * (x0 - x2) + s2 * (x1 - x0)) / d;
        centre_ = POINT{truncToInt(ux), truncToInt(uy)};
        radiusPixels_ = static_cast<float>(pixelDistance(centre_, points_[0]));
        return;
    }
    POINT a = points_[0];
    POINT b = points_[1];
    double longest = pixelDistance(a, b);
    const std::pair<int, int> others[] = {{1, 2}, {0, 2}};
    for (const auto& [i, j] : others)
    {
        const double length = pixelDistance(points_[i], points_[j]);
        if (length > longest)
        {
            longest = length;
            a = points_[i];
            b = points_[j];
        }
    }
    centre_ = POINT{truncToInt(a.x + (static_cast<long long>(b.x) - a.x) / 2),
                    truncToInt(a.y + (static_cast<long long>(b.y) - a.y) / 2)};
    radiusPixels_ = static_cast<float>(longest * 0.5);
}

} // namespace gaugit
