#pragma once
// Right ends of an ellipse's outline, row by row: the inner loop of every thin circle and
// ellipse. A vector path and a portable one give the same ends for every input.

#include <cstddef>
#include <cstdint>

namespace kwz {

enum class EllipseEndsPath
{
    Portable,
    Avx,
};

// For `count` rows from `first` on: cx + a sqrt(1 - ((cy - y) / b)^2), rounded half up, kept
// within +-2^52 so far-off outlines stay exact integers. False, and nothing written, when the
// processor lacks the path.
bool ellipseEndsWith(EllipseEndsPath path, double cx, double cy, double a, double b, int64_t first,
                     size_t count, int64_t* ends);

// The same with the best path the processor has and drawing allows (vector_drawing.h).
void ellipseEnds(double cx, double cy, double a, double b, int64_t first, size_t count,
                 int64_t* ends);

} // namespace kwz
