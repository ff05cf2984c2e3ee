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

// Every point that a hit test of a graphic can accept lies in its box (edges inclusive), so a
// search tests a graphic exactly only where the point is inside. A box may be larger than
// needed, never smaller; one with right < left or bottom < top holds nothing.
struct HitBox
{
    int left = 1;
    int top = 1;
    int right = 0;
    int bottom = 0;

    bool holds(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// From bounds in double, rounded outward and clamped to the int range; NaN anywhere gives the
// box of every point, the safe answer for a graphic whose numbers make no sense.
HitBox hitBoxOf(double left, double top, double right, double bottom);
HitBox unitedBox(const HitBox& a, const HitBox& b);
// The square in which nearEditPoint grabs p.
HitBox editPointBox(POINT p);
// Every point hitLineBody (with these k and b) or hitSegment accepts.
HitBox lineBodyBox(POINT p0, POINT p1, float k, float b);
HitBox segmentBox(POINT p1, POINT p2);

// Truncates toward zero like a C cast, but gives 0 for NaN and saturates out-of-range
// values instead of the undefined behaviour of the plain cast.
int truncToInt(double v);

} // namespace gaugit
