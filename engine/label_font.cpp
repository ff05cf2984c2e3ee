#include "engine/label_font.h"

#include <cstring>

#include "platform/draw/font.h"

namespace gaugit {

std::unique_ptr<kwz::Font> createLabelFont(const char* face, int height, FontMetrics* metrics)
{
    std::string_view name = face ? std::string_view(face, strnlen(face, kFaceSize - 1)) : "";
    std::unique_ptr<kwz::Font> font = kwz::createFont(kwz::labelLogFont(name, height));
    if (metrics)
    {
        kwz::TextMetrics read = font->metrics();
        metrics->height = read.height;
        metrics->aveCharWidth = read.aveCharWidth;
        metrics->maxCharWidth = read.maxCharWidth;
    }
    return font;
}

} // namespace gaugit
