#include "engine/rect_graphic.h"

#include <cmath>
#include <cstdlib>

#include "engine/geometry.h"
#include "platform/trace.h"

namespace gaugit {

void RectGraphic::begin(POINT p)
{
    first_ = second_ = p;
    pointCount_ = 1;
    placeLabel(p);
}

void RectGraphic::changePoint(POINT p)
{
    if (pointCount_ != 1)
        return;
    second_ = p;
    recompute();
    moveLabelTo(p);
}

void RectGraphic::addPoint(POINT p)
{
    if (pointCount_ > 1)
        return;
    second_ = p;
    pointCount_ = 2;
    recompute();
    moveLabelTo(p);
}

void RectGraphic::moveBy(int dx, int dy)
{
    first_ = movedPoint(first_, dx, dy);
    second_ = movedPoint(second_, dx, dy);
    moveLabel(dx, dy);
    recompute();
}

void RectGraphic::moveEditPoint(int dx, int dy)
{
    if (editPoint_ == 0)
        first_ = movedPoint(first_, dx, dy);
    else if (editPoint_ == 1)
        second_ = movedPoint(second_, dx, dy);
    else
        return;
    recompute();
}

bool RectGraphic::hitBody(int x, int y) const
{
    // Corners may come in any order: the outline is the same.
    const RECT r = normalizedRect(bounds_);
    const long long px = x;
    const long long py = y;
    const bool nearSide =
        std::llabs(px - r.left) < kHitTolerance || std::llabs(px - r.right) < kHitTolerance;
    const bool nearTopOrBottom =
        std::llabs(py - r.top) < kHitTolerance || std::llabs(py - r.bottom) < kHitTolerance;
    return (nearSide && y > r.top && y < r.bottom) ||
           (nearTopOrBottom && x > r.left && x < r.right);
}

HitBox RectGraphic::hitBox() const
{
    const RECT r = normalizedRect(bounds_);
    const HitBox outline = hitBoxOf(static_cast<double>(r.left) - kHitTolerance,
                                    static_cast<double>(r.top) - kHitTolerance,
                                    static_cast<double>(r.right) + kHitTolerance,
                                    static_cast<double>(r.bottom) + kHitTolerance);
    return unitedBox(unitedBox(outline, labelBox()),
                     unitedBox(editPointBox(first_), editPointBox(second_)));
}

bool RectGraphic::hitEditPoint(int x, int y)
{
    if (nearEditPoint(first_, x, y))
        editPoint_ = 0;
    else if (nearEditPoint(second_, x, y))
        editPoint_ = 1;
    else
        editPoint_ = -1;
    return editPoint_ >= 0;
}

void RectGraphic::setCorners(POINT first, POINT second)
{
    first_ = first;
    second_ = second;
}

void RectGraphic::recompute()
{
    bounds_ = RECT{first_.x, first_.y, second_.x, second_.y};
    const float s = unitsPerPixel_;
    firstUnits_ = PointF{toUnits(first_.x, s), toUnits(first_.y, s)};
    secondUnits_ = PointF{toUnits(second_.x, s), toUnits(second_.y, s)};
    width_ = std::fabs(firstUnits_.x - secondUnits_.x);
    height_ = std::fabs(firstUnits_.y - secondUnits_.y);
    area_ = width_ * height_;
    perimeter_ = 2.0f * (width_ + height_);
}

} // namespace gaugit
