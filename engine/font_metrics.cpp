#include "engine/font_metrics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace gaugit {

// Proportions of a common proportional face. The drawing layer replaces this with the
// metrics of the face it really loads.
FontMetrics measureFont(const char* /*face*/, int height)
{
    long long h = height == 0 ? 16 : std::llabs(static_cast<long long>(height));
    if (height < 0)
        h = h * 115 / 100; // a character height grows by the internal leading
    h = std::min<long long>(h, 1 << 20);
    FontMetrics m;
    m.height = static_cast<int>(h);
    m.aveCharWidth = static_cast<int>(std::max<long long>(1, (h * 3 + 3) / 7));
    m.maxCharWidth = static_cast<int>(std::max<long long>(1, h * 2));
    return m;
}

void copyFace(char (&field)[kFaceSize], const char* face)
{
    std::memset(field, 0, kFaceSize);
    if (face)
        std::strncpy(field, face, kFaceSize - 1);
}

} // namespace gaugit
