#include "engine/text_graphic.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/label_font.h"
#include "platform/draw/font.h"

namespace gaugit {

TextGraphic::TextGraphic() = default;
TextGraphic::~TextGraphic() = default;

bool TextGraphic::hitBody(int x, int y) const
{
    const long long left = position_.x;
    const long long top = position_.y;
    const long long width = static_cast<long long>(std::strlen(text_)) * metrics_.aveCharWidth;
    return x > left && x < left + width && y > top && y < top + metrics_.height;
}

RECT TextGraphic::extentRect() const
{
    const long long width = static_cast<long long>(std::strlen(text_)) * metrics_.aveCharWidth;
    return RECT{position_.x, position_.y,
                static_cast<LONG>(std::min<long long>(position_.x + width, INT32_MAX)),
                static_cast<LONG>(std::min<long long>(position_.y + metrics_.height, INT32_MAX))};
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
    font_ = createLabelFont(face_, height, &metrics_);
    hasFont_ = true;
}

void TextGraphic::setTextColors(COLORREF normal, COLORREF hovered, COLORREF selected)
{
    textNormal_ = normal;
    textHovered_ = hovered;
    textSelected_ = selected;
}

} // namespace gaugit
