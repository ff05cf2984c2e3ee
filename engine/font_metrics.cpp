#include "engine/font_metrics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/label_font.h"
#include "platform/draw/font.h"

namespace gaugit {

FontMetrics measureFont(const char* face, int height)
{
    FontMetrics m;
    createLabelFont(face, height, &m);
    return m;
}

void copyFace(char (&field)[kFaceSize], const char* face)
{
    std::memset(field, 0, kFaceSize);
    if (face)
        std::strncpy(field, face, kFaceSize - 1);
}

} // namespace gaugit
