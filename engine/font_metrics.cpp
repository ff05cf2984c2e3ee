#include "engine/font_metrics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/label_font.h"
#include "platform/draw/font.h"

namespace gaugit {

FontMetrics measureFont(const char* face, int height)
{
    return metricsOf(*sharedLabelFont(face, height));
}

void copyFace(char (&field)[kFaceSize], const char* face)
{
    std::memset(field, 0, kFaceSize);
    if (face)
        std::strncpy(field, face, kFaceSize - 1);
}

} // namespace gaugit
