#include "engine/ellipse_graphic.h"

#include <cmath>
#include <numbers>

#include "engine/geometry.h"
#include "platform/trace.h"

namespace gaugit {

EllipseGraphic::EllipseGraphic(int variant) : variant_(kTypeEllipseBox)
{
    setVariant(variant);
}

void EllipseGraphic::setVariant(int variant)
{
    if (variant == kTypeEllipseBox || variant == kTypeEllipseCentre)
        variant_ = variant;
}

void EllipseGraphic::begin(POINT p)
{
    points_[0] = points_[1] = p;
    pointCount_ = 1;
    placeLabel(p);
}

void EllipseGraphic::changePoint(POINT p)
{
    if (pointCount_ > 1)
        return;
    points_[1] = p;
    recompute();
    moveLabelTo(p);
}

void EllipseGraphic::addPoint(POINT p)
{
    if (pointCount_ > 1)
        return;
    points_[1] = p;
    pointCount_ = 2;
    recompute();
}

void EllipseGraphic::moveBy(int dx, int dy)
{
    if (pointCount_ < 2)
        return;
    points_[0] = movedPoint(points_[0], dx, dy);
    points_[1] = movedPoint(points_[1], dx, dy);
    moveLabel(dx, dy);
    recompute();
}

void EllipseGraphic::moveEditPoint(int dx, int dy)
{
    if (pointCount_ < 2 || editPoint_ < 0 || editPoint_ > 1)
        return;
    points_[editPoint_] = movedPoint(points_[editPoint_], dx, dy);
    recompute();
}

bool EllipseGraphic::hitBody(int x, int y) const
{
    if (pointCount_ < 2)
        return false;
    if (nearEditPoint(points_[0], x, y) || nearEditPoint(points_[1], x, y))
        return true;
    const double cx = centre_.x;
    const double cy = centre_.y;
    const double a = semiAxisX_;
    const double b = semiAxisY_;
    if (!(x > cx - a - kHitTolerance && x < cx + a + kHitTolerance))
        return false;
    // A flat ellipse divides by zero here: infinity or NaN fails the band test, so only its
    // defining points grab it.
    const double v = (y - cy) * (y - cy) / (b * b) + (x - cx) * (x - cx) / (a * a);
    return v > 0.9 && v < 1.1;
}

HitBox EllipseGraphic::hitBox() const
{
    HitBox box =
        unitedBox(unitedBox(editPointBox(points_[0]), editPointBox(points_[1])), labelBox());
    // A flat ellipse answers by its points alone (the band test divides by zero); otherwise
    // the band v < 1.1 keeps |y - cy| below |b| * sqrt(1.1).
    if (pointCount_ >= 2 && semiAxisX_ != 0 && semiAxisY_ != 0)
    {
        const double a = std::fabs(static_cast<double>(semiAxisX_)) + kHitTolerance + 1;
        const double b = std::fabs(static_cast<double>(semiAxisY_)) * 1.05 + 1;
        box = unitedBox(box, hitBoxOf(centre_.x - a, centre_.y - b, centre_.x + a, centre_.y + b));
    }
    return box;
}

bool EllipseGraphic::hitEditPoint(int x, int y)
{
    if (nearEditPoint(points_[0], x, y))
        editPoint_ = 0;
    else if (nearEditPoint(points_[1], x, y))
        editPoint_ = 1;
    else
        editPoint_ = -1;
    return editPoint_ >= 0;
}

void EllipseGraphic::setPoint(int i, POINT p)
{
    if (i >= 0 && i < 2)
        points_[i] = p;
}

void EllipseGraphic::recompute()
{
    const long long x0 = points_[0].x, y0 = points_[0].y;
    const long long x1 = points_[1].x, y1 = points_[1].y;
    long long a;
    long long b;
    if (variant_ == kTypeEllipseCentre)
    {
        centre_ = points_[0];
        a = std::llabs(x0 - x1);
        b = std::llabs(y0 - y1);
    }
    else
    {
        centre_ = POINT{truncToInt(static_cast<double>((x0 + x1) / 2)),
                        truncToInt(static_cast<double>((y0 + y1) / 2))};
        a = std::llabs(x0 - x1) / 2;
        b = std::llabs(y0 - y1) / 2;
    }
    semiAxisX_ = truncToInt(static_cast<double>(a));
    semiAxisY_ = truncToInt(static_cast<double>(b));
    bounds_ = RECT{truncToInt(static_cast<double>(centre_.x) - semiAxisX_),
                   truncToInt(static_cast<double>(centre_.y) - semiAxisY_),
                   truncToInt(static_cast<double>(centre_.x) + semiAxisX_),
                   truncToInt(static_cast<double>(centre_.y) + semiAxisY_)};
    const float s = unitsPerPixel_;
    centreUnits_ = PointF{toUnits(centre_.x, s), toUnits(centre_.y, s)};
    horizontal_ = toUnits(semiAxisX_, s);
    vertical_ = toUnits(semiAxisY_, s);
    area_ = static_cast<float>(std::numbers::pi * horizontal_ * vertical_);
    perimeter_ = static_cast<float>(ellipsePerimeter(horizontal_, vertical_));
}

double ellipsePerimeter(double a, double b)
{
    // The approximation divides by a + b; an ellipse of no size has no perimeter.
    if (a + b == 0.0)
        return 0.0;
    return std::numbers::pi / 2.0 *
           (3.25 * (a + b) - a * b / (a + b) - std::sqrt(a * (0.5 * a + 3.0 * b) + 0.5 * b * b));
}

} // namespace gaugit
