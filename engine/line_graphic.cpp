#include "engine/line_graphic.h"

#include "engine/geometry.h"
#include "platform/trace.h"

namespace gaugit {

void LineGraphic::begin(POINT p)
{
    start_ = end_ = p;
    pointCount_ = 1;
    placeLabel(p);
}

void LineGraphic::changePoint(POINT p)
{
    kwz::trace("Line: ChangePoint");
    if (pointCount_ > 1)
        return;
    end_ = p;
    recompute();
    moveLabelTo(p);
}

void LineGraphic::addPoint(POINT p)
{
    if (pointCount_ > 1)
        return;
    end_ = p;
    pointCount_ = 2;
    recompute();
}

void LineGraphic::moveBy(int dx, int dy)
{
    start_ = movedPoint(start_, dx, dy);
    end_ = movedPoint(end_, dx, dy);
    moveLabel(dx, dy);
    recompute();
}

void LineGraphic::moveEditPoint(int dx, int dy)
{
    if (editPoint_ == 0)
        start_ = movedPoint(start_, dx, dy);
    else if (editPoint_ == 1)
        end_ = movedPoint(end_, dx, dy);
    else
        return;
    recompute();
}

bool LineGraphic::hitBody(int x, int y) const
{
    return hitLineBody(start_, end_, slope_, intercept_, x, y);
}

HitBox LineGraphic::hitBox() const
{
    return unitedBox(unitedBox(lineBodyBox(start_, end_, slope_, intercept_), labelBox()),
                     unitedBox(editPointBox(start_), editPointBox(end_)));
}

bool LineGraphic::hitEditPoint(int x, int y)
{
    if (nearEditPoint(start_, x, y))
        editPoint_ = 0;
    else if (nearEditPoint(end_, x, y))
        editPoint_ = 1;
    else
        editPoint_ = -1;
    return editPoint_ >= 0;
}

void LineGraphic::setPoints(POINT start, POINT end)
{
    start_ = start;
    end_ = end;
}

void LineGraphic::recompute()
{
    bounds_ = RECT{start_.x, start_.y, end_.x, end_.y};
    const float s = unitsPerPixel_;
    length_ = toUnits(pixelDistance(start_, end_), s);
    startUnits_ = PointF{toUnits(start_.x, s), toUnits(start_.y, s)};
    endUnits_ = PointF{toUnits(end_.x, s), toUnits(end_.y, s)};
    if (start_.x != end_.x)
    {
        const float dy = static_cast<float>(static_cast<long long>(end_.y) - start_.y);
        const float dx = static_cast<float>(static_cast<long long>(end_.x) - start_.x);
        slope_ = dy / dx;
        intercept_ = static_cast<float>(start_.y) - slope_ * static_cast<float>(start_.x);
    }
}

} // namespace gaugit
