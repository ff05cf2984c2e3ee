#include "engine/font_metrics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace gaugit {

void copyFace(char (&field)[kFaceSize], const char* face)
{
    std::memset(field, 0, kFaceSize);
    if (face)
        std::strncpy(field, face, kFaceSize - 1);
}

} // namespace gaugit
