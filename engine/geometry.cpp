#include "engine/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace gaugit {

double pixelDistance(POINT a, POINT b)
{
    const double dx = static_cast<double>(a.x) - b.x;
    const double dy = static_cast<double>(a.y) - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

bool pointInRect(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool nearEditPoint(POINT p, int x, int y)
{
    // 64-bit so that points near the ends of the int range (from a damaged file) cannot
    // overflow.
    const long long px = p.x;
    const long long py = p.y;
    return x >= px - kHitTolerance && x < px + kHitTolerance && y >= py - kHitTolerance &&
           y < py + kHitTolerance;
}

namespace {

// The three regimes shared by line bodies and segments once x0 != x1 or the segment is
// nearly vertical.
bool hitByRegime(POINT p0, POINT p1, float k, float b, int x, int y)
{
    const long long minX = std::min(p0.x, p1.x);
    const long long maxX = std::max(p0.x, p1.x);
    const long long minY = std::min(p0.y, p1.y);
    const long long maxY = std::max(p0.y, p1.y);
    const long long y0 = p0.y;
    const long dx = std::labs(static_cast<long>(p0.x) - p1.x);
    const long dy = std::labs(static_cast<long>(p0.y) - p1.y);
    if (dx > 3 && dy > 3)
    {
        const float lineY = k * static_cast<float>(x) + b;
        return static_cast<float>(y) >= lineY - kHitTolerance &&
               static_cast<float>(y) <= lineY + kHitTolerance && x >= minX - kHitTolerance &&
               x <= maxX + kHitTolerance;
    }
    if (dx > 3)
        return y >= y0 - kHitTolerance && y <= y0 + kHitTolerance && x >= minX && x <= maxX;
    return x >= minX - kHitTolerance && x <= maxX + kHitTolerance && y >= minY && y <= maxY;
}

// Where hitByRegime can answer yes. The slanted regime compares in float: the slack covers
// its rounding with room to spare.
HitBox regimeBox(POINT p0, POINT p1, float k, float b)
{
    const double minX = std::min(p0.x, p1.x);
    const double maxX = std::max(p0.x, p1.x);
    const double minY = std::min(p0.y, p1.y);
    const double maxY = std::max(p0.y, p1.y);
    const long dx = std::labs(static_cast<long>(p0.x) - p1.x);
    const long dy = std::labs(static_cast<long>(p0.y) - p1.y);
    const double left = minX - kHitTolerance;
    const double right = maxX + kHitTolerance;
    if (dx > 3 && dy > 3)
    {
        const double atLeft = static_cast<double>(k) * left + b;
        const double atRight = static_cast<double>(k) * right + b;
        const double slack =
            2.0 + 1e-5 * (std::fabs(k) * std::max(std::fabs(left), std::fabs(right)) +
                          std::fabs(b) + std::max(std::fabs(atLeft), std::fabs(atRight)));
        const double low = std::min(atLeft, atRight) - kHitTolerance - slack;
        const double high = std::max(atLeft, atRight) + kHitTolerance + slack;
        return hitBoxOf(left, low, right, high);
    }
    return hitBoxOf(left, minY - kHitTolerance, right, maxY + kHitTolerance);
}

} // namespace

HitBox hitBoxOf(double left, double top, double right, double bottom)
{
    static constexpr double kMin = std::numeric_limits<int>::min();
    static constexpr double kMax = std::numeric_limits<int>::max();
    if (std::isnan(left) || std::isnan(top) || std::isnan(right) || std::isnan(bottom))
        return HitBox{std::numeric_limits<int>::min(), std::numeric_limits<int>::min(),
                      std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
    auto low = [](double v) { return static_cast<int>(std::clamp(std::floor(v), kMin, kMax)); };
    auto high = [](double v) { return static_cast<int>(std::clamp(std::ceil(v), kMin, kMax)); };
    return HitBox{low(left), low(top), high(right), high(bottom)};
}

HitBox unitedBox(const HitBox& a, const HitBox& b)
{
    const bool aEmpty = a.right < a.left || a.bottom < a.top;
    const bool bEmpty = b.right < b.left || b.bottom < b.top;
    if (aEmpty)
        return b;
    if (bEmpty)
        return a;
    return HitBox{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                  std::max(a.bottom, b.bottom)};
}

HitBox editPointBox(POINT p)
{
    return hitBoxOf(
        static_cast<double>(p.x) - kHitTolerance, static_cast<double>(p.y) - kHitTolerance,
        static_cast<double>(p.x) + kHitTolerance, static_cast<double>(p.y) + kHitTolerance);
}

HitBox lineBodyBox(POINT p0, POINT p1, float k, float b)
{
    return regimeBox(p0, p1, k, b);
}

HitBox segmentBox(POINT p1, POINT p2)
{
    if (p1.x == p2.x)
        return hitBoxOf(static_cast<double>(p1.x) - kHitTolerance, std::min(p1.y, p2.y),
                        static_cast<double>(p1.x) + kHitTolerance, std::max(p1.y, p2.y));
    // The slope and intercept exactly as hitSegment computes them.
    const float k = static_cast<float>(static_cast<long long>(p2.y) - p1.y) /
                    static_cast<float>(static_cast<long long>(p2.x) - p1.x);
    const float b = static_cast<float>(p1.y) - static_cast<float>(p1.x) * k;
    return regimeBox(p1, p2, k, b);
}

bool hitLineBody(POINT p0, POINT p1, float k, float b, int x, int y)
{
    return hitByRegime(p0, p1, k, b, x, y);
}

bool hitSegment(POINT p1, POINT p2, int x, int y)
{
    if (p1.x == p2.x)
    {
        const long long x1 = p1.x;
        return x > x1 - kHitTolerance && x < x1 + kHitTolerance && y > std::min(p1.y, p2.y) &&
               y < std::max(p1.y, p2.y);
    }
    const float k = static_cast<float>(static_cast<long long>(p2.y) - p1.y) /
                    static_cast<float>(static_cast<long long>(p2.x) - p1.x);
    const float b = static_cast<float>(p1.y) - static_cast<float>(p1.x) * k;
    return hitByRegime(p1, p2, k, b, x, y);
}

RECT normalizedRect(int x0, int y0, int x1, int y1)
{
    return RECT{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

RECT normalizedRect(const RECT& r)
{
    return normalizedRect(r.left, r.top, r.right, r.bottom);
}

RECT inflatedRect(const RECT& r, int by)
{
    return RECT{truncToInt(static_cast<double>(r.left) - by),
                truncToInt(static_cast<double>(r.top) - by),
                truncToInt(static_cast<double>(r.right) + by),
                truncToInt(static_cast<double>(r.bottom) + by)};
}

bool isEmptyRect(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT unitedRect(const RECT& a, const RECT& b)
{
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

int truncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

} // namespace gaugit
