#include "engine/text_graphic.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/label_font.h"
#include "platform/draw/font.h"

namespace gaugit {

TextGraphic::TextGraphic() = default;
TextGraphic::~TextGraphic() = default;

FontMetrics TextGraphic::metrics() const
{
    return font_ ? metricsOf(*font_) : FontMetrics{};
}

bool TextGraphic::hitBody(int x, int y) const
{
    const long long left = position_.x;
    const long long top = position_.y;
    // Points above or left of the text miss it whatever its font.
    if (x <= left || y <= top)
        return false;
    const FontMetrics m = metrics();
    const long long width = static_cast<long long>(std::strlen(text_)) * m.aveCharWidth;
    return x < left + width && y < top + m.height;
}

HitBox TextGraphic::hitBox() const
{
    const FontMetrics m = metrics();
    const double width = static_cast<double>(std::strlen(text_)) * m.aveCharWidth;
    // Left and top are exclusive, as are right and bottom.
    return unitedBox(labelBox(), hitBoxOf(static_cast<double>(position_.x) + 1,
                                          static_cast<double>(position_.y) + 1,
                                          static_cast<double>(position_.x) + width - 1,
                                          static_cast<double>(position_.y) + m.height - 1));
}

RECT TextGraphic::extentRect() const
{
    const FontMetrics m = metrics();
    const long long width = static_cast<long long>(std::strlen(text_)) * m.aveCharWidth;
    return RECT{position_.x, position_.y,
                static_cast<LONG>(std::min<long long>(position_.x + width, INT32_MAX)),
                static_cast<LONG>(std::min<long long>(
                    position_.y + static_cast<long long>(m.height), INT32_MAX))};
}

bool TextGraphic::setText(const char* text)
{
    if (!text)
        text = "";
    const std::size_t length = strnlen(text, kTextSize);
    if (length >= kTextSize)
        return false;
    std::memset(text_, 0, kTextSize);
    std::memcpy(text_, text, length);
    return true;
}

void TextGraphic::setFont(const char* face, int height)
{
    copyFace(face_, face);
    fontHeight_ = height;
    font_ = sharedLabelFont(face_, height);
    hasFont_ = true;
}

void TextGraphic::setTextColors(COLORREF normal, COLORREF hovered, COLORREF selected)
{
    textNormal_ = normal;
    textHovered_ = hovered;
    textSelected_ = selected;
}

} // namespace gaugit
