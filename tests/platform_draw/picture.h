#pragma once
// Pictures of small surfaces as text, one character per pixel, so pixel tests read as the
// shapes they check: '#' where the pixel differs from the background.

#include <string>

#include "platform/draw/raster_context.h"

namespace kwz::test {

inline std::string picture(const RasterContext& context, COLORREF background = 0)
{
    std::string text;
    for (int y = 0; y < context.height(); ++y)
    {
        for (int x = 0; x < context.width(); ++x)
            text += context.pixel(x, y) == background ? '.' : '#';
        text += '\n';
    }
    return text;
}

// Joins rows written one per string literal.
template <typename... Rows> std::string rows(Rows... lines)
{
    return ((std::string(lines) + '\n') + ...);
}

} // namespace kwz::test
