#pragma once
// Face, height and metrics of the font a label or a text uses. Hit-testing (label grab area,
// text body) and the repaint rectangle depend on the metrics alone.

#include <cstddef>

namespace gaugit {

constexpr std::size_t kFaceSize = 64; // 63 characters and the NUL

struct FontMetrics
{
    int height = 0; // line height
    int aveCharWidth = 0;
    int maxCharWidth = 0;
};

// Metrics of the font created from a face name and a height of the platform's font request
// (positive: cell height, negative: character height). Defined where fonts are made, so the
// drawing layer can measure the real face.
FontMetrics measureFont(const char* face, int height);

// Copies a face name into a 64-byte field: cut at 63 characters, NUL-terminated and
// zero-filled; null gives the empty name.
void copyFace(char (&field)[kFaceSize], const char* face);

} // namespace gaugit
