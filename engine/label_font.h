#pragma once
// Fonts of labels and texts: made with the platform's font attributes for labels (default
// weight, ANSI character set, variable pitch, Swiss family) and shared by every label and
// text with the same face and height, so a file with thousands of labels makes one font.

#include <cstddef>
#include <memory>

#include "engine/font_metrics.h"

namespace kwz {
class Font;
}

namespace gaugit {

// The face is at most 63 characters (longer names are cut); null is the empty face. The
// font lives while anyone holds it; a request for the same face and height gets it again.
std::shared_ptr<const kwz::Font> sharedLabelFont(const char* face, int height);

// Line height and character widths of a font (it is matched to a face at the first call).
FontMetrics metricsOf(const kwz::Font& font);

// Fonts listed for labels and texts (each alive, one per face and height), for tests.
std::size_t sharedLabelFontCount();

} // namespace gaugit
