#pragma once
// Fonts of labels and texts: made with the platform's font attributes for labels (default
// weight, ANSI character set, variable pitch, Swiss family), metrics read right after.

#include <memory>

#include "engine/font_metrics.h"

namespace kwz {
class Font;
}

namespace gaugit {

// The face is at most 63 characters (longer names are cut); null is the empty face.
std::unique_ptr<kwz::Font> createLabelFont(const char* face, int height, FontMetrics* metrics);

} // namespace gaugit
