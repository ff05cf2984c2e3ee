#include "engine/graphic.h"

#include "engine/geometry.h"

namespace gaugit {

Graphic::~Graphic() = default;

void Graphic::moveLabel(int dx, int dy)
{
    if (label_)
        label_->moveBy(dx, dy);
}

bool Graphic::hitLabel(int x, int y) const
{
    return label_ && label_->hitGrabArea(x, y);
}

HitBox Graphic::labelBox() const
{
    if (!label_)
        return HitBox{};
    const POINT at = label_->position();
    const FontMetrics& m = label_->metrics();
    // hitGrabArea's right and bottom are exclusive.
    return hitBoxOf(at.x, at.y, static_cast<double>(at.x) + 2.0 * m.maxCharWidth - 1,
                    static_cast<double>(at.y) + m.height - 1);
}

RECT Graphic::extentRect() const
{
    return bounds_;
}

void Graphic::setScale(float unitsPerPixel)
{
    unitsPerPixel_ = unitsPerPixel;
    recompute();
}

void Graphic::setPen(const PenSpec& pen)
{
    penStyle_ = pen.style;
    normalWidth_ = hoveredWidth_ = selectedWidth_ = pen.width;
    normalColor_ = pen.normal;
    hoveredColor_ = pen.hovered;
    selectedColor_ = pen.selected;
    if (label_)
        label_->setColors(normalColor_, hoveredColor_, selectedColor_);
}

PenSpec Graphic::pen() const
{
    return PenSpec{penStyle_, normalWidth_, normalColor_, hoveredColor_, selectedColor_};
}

void Graphic::setDescFont(const char* face, int height)
{
    if (label_)
        label_->setFont(face, height);
}

DescLabel& Graphic::createLabel(POINT position, int rows, int columns)
{
    label_ = std::make_unique<DescLabel>(this, typeCode(), position, rows, columns);
    label_->setColors(normalColor_, hoveredColor_, selectedColor_);
    return *label_;
}

void Graphic::placeLabel(POINT p)
{
    if (label_)
        label_->moveTo(p);
    else
        createLabel(p, beginRows(), beginColumns());
}

void Graphic::moveLabelTo(POINT p)
{
    if (label_)
        label_->moveTo(p);
}

int movedCoordinate(int v, int by)
{
    return truncToInt(static_cast<double>(v) + by);
}

POINT movedPoint(POINT p, int dx, int dy)
{
    return POINT{movedCoordinate(p.x, dx), movedCoordinate(p.y, dy)};
}

} // namespace gaugit
