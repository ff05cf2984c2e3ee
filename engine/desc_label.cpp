#include "engine/desc_label.h"

#include "engine/geometry.h"
#include "engine/label_font.h"
#include "platform/draw/font.h"

namespace gaugit {

DescLabel::DescLabel(Graphic* owner, int ownerType, POINT position, int rows, int columns)
    : ownerType_(ownerType), owner_(owner), position_(position), rows_(rows), columns_(columns)
{
    setFont("", kLabelDefaultFontHeight);
}

DescLabel::~DescLabel() = default;

void DescLabel::setFont(const char* face, int height)
{
    copyFace(face_, face);
    fontHeight_ = height;
    font_ = sharedLabelFont(face_, height);
    metrics_ = metricsOf(*font_);
    refreshRect();
}

void DescLabel::setColors(COLORREF normal, COLORREF hovered, COLORREF selected)
{
    normalColor_ = normal;
    hoveredColor_ = hovered;
    selectedColor_ = selected;
}

void DescLabel::moveTo(POINT position)
{
    position_ = position;
    refreshRect();
}

void DescLabel::moveBy(int dx, int dy)
{
    moveTo(POINT{truncToInt(static_cast<double>(position_.x) + dx),
                 truncToInt(static_cast<double>(position_.y) + dy)});
}

void DescLabel::setExtent(int rows, int columns)
{
    rows_ = rows;
    columns_ = columns;
    refreshRect();
}

void DescLabel::refreshRect()
{
    const double x = position_.x;
    const double y = position_.y;
    rect_ = RECT{position_.x, position_.y,
                 truncToInt(x + static_cast<double>(columns_) * metrics_.maxCharWidth),
                 truncToInt(y + static_cast<double>(rows_) * metrics_.height)};
}

bool DescLabel::hitGrabArea(int x, int y) const
{
    const long long left = position_.x;
    const long long top = position_.y;
    return x >= left && x < left + 2LL * metrics_.maxCharWidth && y >= top &&
           y < top + metrics_.height;
}

} // namespace gaugit
