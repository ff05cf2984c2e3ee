#pragma once
// Pixel geometry shared by the graphics: distances and the hit tolerances.

#include "kwztypes.h"

namespace gaugit {

// Half the side of the square around a point that counts as hitting it.
constexpr int kHitTolerance = 4;

// Pixel distance: squared integer differences in double precision.
double pixelDistance(POINT a, POINT b);

// Left and top inclusive, right and bottom exclusive.
bool pointInRect(const RECT& r, int x, int y);
// The box from (p - 4) to (p + 4) in which a press grabs the point p.
bool nearEditPoint(POINT p, int x, int y);

// Body test of a line or ruler from its end points and the stored line y = k x + b.
bool hitLineBody(POINT p0, POINT p1, float k, float b, int x, int y);
// The same regimes for one segment of an angle or polygon, slope from the segment itself.
bool hitSegment(POINT p1, POINT p2, int x, int y);

// Smallest rectangle holding both corners, whatever their order.
RECT normalizedRect(int x0, int y0, int x1, int y1);
RECT normalizedRect(const RECT& r);
RECT inflatedRect(const RECT& r, int by);
// Smallest rectangle holding both. Unlike the platform's union it keeps a flat operand: the
// bounds of a horizontal line have no height but must still be repainted.
RECT unitedRect(const RECT& a, const RECT& b);
bool isEmptyRect(const RECT& r);

// Truncates toward zero like a C cast, but gives 0 for NaN and saturates out-of-range
// values instead of the undefined behaviour of the plain cast.
int truncToInt(double v);

} // namespace gaugit
