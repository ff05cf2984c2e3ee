#include "engine/polygon_graphic.h"

#include <algorithm>
#include <cmath>

#include "engine/geometry.h"
#include "platform/trace.h"

namespace gaugit {

void PolygonGraphic::begin(POINT p)
{
    vertices_[0] = vertices_[1] = p;
    pointCount_ = 1;
    finished_ = 0;
    placeLabel(p);
}

void PolygonGraphic::changePoint(POINT p)
{
    if (finished_ || pointCount_ < 1 || pointCount_ >= kPolygonRoom)
        return;
    vertices_[pointCount_] = p;
    recompute();
    moveLabelTo(p);
}

void PolygonGraphic::addPoint(POINT p)
{
    if (finished_ || pointCount_ < 1 || pointCount_ >= kMaxPolygonVertices)
        return;
    vertices_[pointCount_] = p;
    ++pointCount_;
    if (pointCount_ >= kMaxPolygonVertices)
    {
        // Full: finishing recomputes, so the values include the vertex just placed even
        // when the last floating move was throttled away.
        finish();
        return;
    }
    vertices_[pointCount_] = p;
    recompute();
    moveLabelTo(p);
}

void PolygonGraphic::finish()
{
    finished_ = 1;
    recompute();
}

void PolygonGraphic::moveBy(int dx, int dy)
{
    if (!finished_)
        return;
    for (int i = 0; i < pointCount_; ++i)
        vertices_[i] = movedPoint(vertices_[i], dx, dy);
    moveLabel(dx, dy);
    recompute();
}

void PolygonGraphic::moveEditPoint(int dx, int dy)
{
    if (editPoint_ < 0 || editPoint_ >= pointCount_)
        return;
    vertices_[editPoint_] = movedPoint(vertices_[editPoint_], dx, dy);
    recompute();
}

bool PolygonGraphic::hitBody(int x, int y) const
{
    if (!finished_ || pointCount_ < 1)
        return false;
    if (hitSegment(vertices_[0], vertices_[pointCount_ - 1], x, y))
        return true;
    for (int i = 0; i + 1 < pointCount_; ++i)
    {
        if (hitSegment(vertices_[i], vertices_[i + 1], x, y))
            return true;
    }
    return false;
}

HitBox PolygonGraphic::hitBox() const
{
    HitBox box = labelBox();
    // An unfinished polygon answers neither by its outline nor by its vertices.
    if (!finished_ || pointCount_ < 1)
        return box;
    box = unitedBox(box, segmentBox(vertices_[0], vertices_[pointCount_ - 1]));
    for (int i = 0; i < pointCount_; ++i)
    {
        box = unitedBox(box, editPointBox(vertices_[i]));
        if (i + 1 < pointCount_)
            box = unitedBox(box, segmentBox(vertices_[i], vertices_[i + 1]));
    }
    return box;
}

bool PolygonGraphic::hitEditPoint(int x, int y)
{
    editPoint_ = -1;
    if (!finished_)
        return false;
    for (int i = 0; i < pointCount_; ++i)
    {
        if (nearEditPoint(vertices_[i], x, y))
        {
            editPoint_ = i;
            break;
        }
    }
    return editPoint_ >= 0;
}

void PolygonGraphic::setVertexCount(int count)
{
    pointCount_ = std::clamp(count, 0, kMaxPolygonVertices);
}

void PolygonGraphic::setVertex(int i, POINT p)
{
    if (i >= 0 && i < kPolygonRoom)
        vertices_[i] = p;
}

int PolygonGraphic::activeVertexCount() const
{
    return std::min(pointCount_ + (finished_ ? 0 : 1), kPolygonRoom);
}

void PolygonGraphic::recompute()
{
    if (pointCount_ < 2)
        return;
    const int m = activeVertexCount();
    const float s = unitsPerPixel_;
    double pixels = 0.0;
    for (int i = 0; i + 1 < m; ++i)
        pixels += pixelDistance(vertices_[i], vertices_[i + 1]);
    pixels += pixelDistance(vertices_[m - 1], vertices_[0]);
    perimeter_ = toUnits(pixels, s);
    float sum = 0.0f;
    for (int i = 0; i < m; ++i)
    {
        const POINT a = vertices_[i];
        const POINT b = vertices_[(i + 1) % m];
        const float xa = toUnits(a.x, s), ya = toUnits(a.y, s);
        const float xb = toUnits(b.x, s), yb = toUnits(b.y, s);
        sum += xa * yb - xb * ya;
    }
    area_ = std::fabs(sum) * 0.5f;
}

RECT PolygonGraphic::extentRect() const
{
    const int m = std::max(1, activeVertexCount());
    RECT r{vertices_[0].x, vertices_[0].y, vertices_[0].x, vertices_[0].y};
    for (int i = 1; i < m; ++i)
    {
        r.left = std::min(r.left, vertices_[i].x);
        r.top = std::min(r.top, vertices_[i].y);
        r.right = std::max(r.right, vertices_[i].x);
        r.bottom = std::max(r.bottom, vertices_[i].y);
    }
    return r;
}

} // namespace gaugit
