#include "platform/draw/ellipse_ends.h"

#include <algorithm>
#include <cmath>

#include "platform/draw/vector_drawing.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KWZ_ENDS_AVX 1
#endif

namespace kwz {

namespace {

// Far beyond any image, yet exact in a double and safe to convert and to add to.
constexpr double kReach = 4503599627370496.0; // 2^52

// floor() for values within +-kReach, without a call into the maths library.
inline int64_t floorToInt(double value)
{
    auto truncated = static_cast<int64_t>(value);
    return truncated - (value < static_cast<double>(truncated) ? 1 : 0);
}

void endsPortable(double cx, double cy, double a, double b, int64_t first, size_t count,
                  int64_t* ends)
{
    for (size_t i = 0; i < count; ++i)
    {
        double off = (cy - static_cast<double>(first + static_cast<int64_t>(i))) / b;
        double half = a * std::sqrt(std::max(0.0, 1.0 - off * off));
        ends[i] = floorToInt(std::clamp(cx + half + 0.5, -kReach, kReach));
    }
}

#if KWZ_ENDS_AVX
// Four rows at a time. Division, square root, products and sums are rounded the same way in
// vectors, and no operation is fused, so the ends are those of the portable loop.
__attribute__((target("avx"))) void endsAvx(double cx, double cy, double a, double b, int64_t first,
                                            size_t count, int64_t* ends)
{
    const __m256d centreX = _mm256_set1_pd(cx), centreY = _mm256_set1_pd(cy);
    const __m256d radiusX = _mm256_set1_pd(a), radiusY = _mm256_set1_pd(b);
    const __m256d one = _mm256_set1_pd(1.0), half = _mm256_set1_pd(0.5);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d low = _mm256_set1_pd(-kReach), high = _mm256_set1_pd(kReach);
    size_t i = 0;
    alignas(32) double rounded[4];
    for (; i + 4 <= count; i += 4)
    {
        double y = static_cast<double>(first + static_cast<int64_t>(i));
        __m256d rows = _mm256_setr_pd(y, y + 1, y + 2, y + 3);
        __m256d off = _mm256_div_pd(_mm256_sub_pd(centreY, rows), radiusY);
        __m256d rest = _mm256_max_pd(zero, _mm256_sub_pd(one, _mm256_mul_pd(off, off)));
        __m256d reach = _mm256_mul_pd(radiusX, _mm256_sqrt_pd(rest));
        __m256d end = _mm256_add_pd(_mm256_add_pd(centreX, reach), half);
        end = _mm256_min_pd(_mm256_max_pd(end, low), high);
        _mm256_store_pd(rounded, _mm256_floor_pd(end));
        for (int k = 0; k < 4; ++k)
            ends[i + static_cast<size_t>(k)] = static_cast<int64_t>(rounded[k]);
    }
    endsPortable(cx, cy, a, b, first + static_cast<int64_t>(i), count - i, ends + i);
}

bool hasAvx()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return has;
}
#endif

} // namespace

bool ellipseEndsWith(EllipseEndsPath path, double cx, double cy, double a, double b, int64_t first,
                     size_t count, int64_t* ends)
{
    switch (path)
    {
    case EllipseEndsPath::Portable:
        endsPortable(cx, cy, a, b, first, count, ends);
        return true;
    case EllipseEndsPath::Avx:
#if KWZ_ENDS_AVX
        if (!hasAvx())
            return false;
        endsAvx(cx, cy, a, b, first, count, ends);
        return true;
#else
        return false;
#endif
    }
    return false;
}

void ellipseEnds(double cx, double cy, double a, double b, int64_t first, size_t count,
                 int64_t* ends)
{
    if (vectorDrawingEnabled() &&
        ellipseEndsWith(EllipseEndsPath::Avx, cx, cy, a, b, first, count, ends))
        return;
    endsPortable(cx, cy, a, b, first, count, ends);
}

} // namespace kwz
