#include "engine/angle_graphic.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/geometry.h"
#include "platform/trace.h"

namespace gaugit {

void AngleGraphic::begin(POINT p)
{
    points_[0] = points_[1] = p;
    pointCount_ = 1;
    placeLabel(p);
}

void AngleGraphic::changePoint(POINT p)
{
    if (pointCount_ < 1 || pointCount_ > 2)
        return;
    points_[pointCount_] = p;
    moveLabelTo(p);
    recompute();
}

void AngleGraphic::addPoint(POINT p)
{
    if (pointCount_ < 1 || pointCount_ > 2)
        return;
    points_[pointCount_] = p;
    ++pointCount_;
    if (pointCount_ < 3)
        points_[pointCount_] = p;
    recompute();
    moveLabelTo(p);
}

void AngleGraphic::moveBy(int dx, int dy)
{
    if (pointCount_ < 3)
        return;
    for (POINT& p : points_)
        p = movedPoint(p, dx, dy);
    moveLabel(dx, dy);
    recompute();
}

void AngleGraphic::moveEditPoint(int dx, int dy)
{
    if (editPoint_ < 0 || editPoint_ > 2)
        return;
    points_[editPoint_] = movedPoint(points_[editPoint_], dx, dy);
    recompute();
}

bool AngleGraphic::hitBody(int x, int y) const
{
    if (pointCount_ < 3)
        return false;
    return hitSegment(points_[0], points_[1], x, y) || hitSegment(points_[1], points_[2], x, y);
}

HitBox AngleGraphic::hitBox() const
{
    HitBox box = labelBox();
    for (const POINT& p : points_)
        box = unitedBox(box, editPointBox(p));
    if (pointCount_ >= 3)
        box = unitedBox(
            box, unitedBox(segmentBox(points_[0], points_[1]), segmentBox(points_[1], points_[2])));
    return box;
}

bool AngleGraphic::hitEditPoint(int x, int y)
{
    editPoint_ = -1;
    for (int i = 0; i < 3; ++i)
    {
        if (nearEditPoint(points_[i], x, y))
        {
            editPoint_ = i;
            break;
        }
    }
    return editPoint_ >= 0;
}

void AngleGraphic::setPoint(int i, POINT p)
{
    if (i >= 0 && i < 3)
        points_[i] = p;
}

void AngleGraphic::setAngleUnit(int unit)
{
    if (unit == angleUnit_)
        return;
    angleUnit_ = unit;
    recompute();
}

void AngleGraphic::recompute()
{
    // The placed points plus the floating one; all three once placed.
    const int shown = std::clamp(pointCount_ + 1, 1, 3);
    int left = points_[0].x, right = points_[0].x, top = points_[0].y, bottom = points_[0].y;
    for (int i = 1; i < shown; ++i)
    {
        left = std::min(left, points_[i].x);
        right = std::max(right, points_[i].x);
        top = std::min(top, points_[i].y);
        bottom = std::max(bottom, points_[i].y);
    }
    bounds_ = RECT{left, top, right, bottom};
    if (pointCount_ < 2)
        return;
    double radians = armAngle(points_[0], points_[1], points_[2]);
    if (angleUnit_ == 0)
        radians *= 180.0 / std::numbers::pi;
    angle_ = static_cast<float>(radians);
}

double armAngle(POINT arm0, POINT vertex, POINT arm2)
{
    const double ux = static_cast<double>(arm0.x) - vertex.x;
    const double uy = static_cast<double>(arm0.y) - vertex.y;
    const double vx = static_cast<double>(arm2.x) - vertex.x;
    const double vy = static_cast<double>(arm2.y) - vertex.y;
    const double lengths = std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy);
    // An arm of no length (the floating point still on the vertex) has no angle yet.
    if (lengths == 0.0)
        return 0.0;
    // Rounding may carry the cosine of a straight or null angle just past +-1.
    return std::acos(std::clamp((ux * vx + uy * vy) / lengths, -1.0, 1.0));
}

} // namespace gaugit
