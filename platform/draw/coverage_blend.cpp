#include "platform/draw/coverage_blend.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/draw/vector_drawing.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KWZ_BLEND_AVX2 1
#include <immintrin.h>
#endif

namespace kwz {

namespace {

#if KWZ_BLEND_AVX2

// Byte shuffles that spread the coverage of 16 pixels over their channels, and pick the
// colour's channel for each byte, for 3 and 4 bytes per pixel. 0x80 makes a shuffle write zero:
// the fourth byte gets neither coverage nor colour, so it stays as it was.
struct Spread
{
    alignas(16) uint8_t coverage[4][16];
    alignas(16) uint8_t channel[4][16];
};

constexpr Spread makeSpread(int bytesPerPixel)
{
    Spread spread{};
    for (int v = 0; v < bytesPerPixel; ++v)
    {
        for (int i = 0; i < 16; ++i)
        {
            int byte = v * 16 + i;
            int channel = byte % bytesPerPixel;
            spread.coverage[v][i] =
                channel == 3 ? 0x80 : static_cast<uint8_t>(byte / bytesPerPixel);
            spread.channel[v][i] = channel == 3 ? 0x80 : static_cast<uint8_t>(channel);
        }
    }
    return spread;
}

constexpr Spread kSpread3 = makeSpread(3);
constexpr Spread kSpread4 = makeSpread(4);

// Sixteen pixels at a time, each channel mixed in 16-bit lanes. (v * 257) >> 16 is the same
// rounded division by 255 as the portable (v + (v >> 8)) >> 8 for every v that can occur.
struct Lanes
{
    __m128i spread[4];
    __m256i fore[4];
};

template <int kBytes>
__attribute__((target("avx2"))) inline void blendChunk(uint8_t* at, __m128i cover,
                                                       const Lanes& lanes)
{
    const __m256i full = _mm256_set1_epi16(255);
    const __m256i half = _mm256_set1_epi16(128);
    const __m256i divide = _mm256_set1_epi16(257);
    for (int v = 0; v < kBytes; ++v)
    {
        auto* place = reinterpret_cast<__m128i*>(at + 16 * v);
        __m256i c = _mm256_cvtepu8_epi16(_mm_shuffle_epi8(cover, lanes.spread[v]));
        __m256i under = _mm256_cvtepu8_epi16(_mm_loadu_si128(place));
        __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(lanes.fore[v], c),
                                       _mm256_mullo_epi16(under, _mm256_sub_epi16(full, c)));
        __m256i mixed = _mm256_mulhi_epu16(_mm256_add_epi16(sum, half), divide);
        _mm_storeu_si128(place, _mm_packus_epi16(_mm256_castsi256_si128(mixed),
                                                 _mm256_extracti128_si256(mixed, 1)));
    }
}

// Sixteen zero bytes, then sixteen of 0xFF: 16 bytes from offset k keep the last k lanes.
alignas(16) constexpr uint8_t kLastLanes[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

template <int kBytes>
__attribute__((target("avx2"))) inline void blendSpanAvx2(uint8_t* pixels, const uint8_t* coverage,
                                                          int count, const Lanes& lanes)
{
    if (count <= 0)
        return;
    if (count < 16)
    {
        // Too short for one chunk: blend a copy padded with zero coverage.
        alignas(16) uint8_t cover[16] = {};
        uint8_t copy[16 * kBytes];
        size_t bytes = static_cast<size_t>(count) * kBytes;
        std::memcpy(cover, coverage, static_cast<size_t>(count));
        std::memcpy(copy, pixels, bytes);
        blendChunk<kBytes>(copy, _mm_load_si128(reinterpret_cast<const __m128i*>(cover)), lanes);
        std::memcpy(pixels, copy, bytes);
        return;
    }
    int x = 0;
    for (; x + 16 <= count; x += 16)
    {
        __m128i cover = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coverage + x));
        if (!_mm_testz_si128(cover, cover)) // skips the gap between two words
            blendChunk<kBytes>(pixels + static_cast<ptrdiff_t>(x) * kBytes, cover, lanes);
    }
    if (x < count)
    {
        // The last sixteen pixels, with no coverage for those already blended.
        int start = count - 16;
        __m128i cover = _mm_and_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(coverage + start)),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(kLastLanes + (count - x))));
        blendChunk<kBytes>(pixels + static_cast<ptrdiff_t>(start) * kBytes, cover, lanes);
    }
}

template <int kBytes>
__attribute__((target("avx2"))) void blendAvx2(const CoverageSpan* spans, size_t spanCount,
                                               uint8_t blue, uint8_t green, uint8_t red)
{
    const Spread& spread = kBytes == 3 ? kSpread3 : kSpread4;
    const __m128i colour =
        _mm_setr_epi8(static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red), 0,
                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    Lanes lanes;
    for (int v = 0; v < kBytes; ++v)
    {
        lanes.spread[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(spread.coverage[v]));
        lanes.fore[v] = _mm256_cvtepu8_epi16(_mm_shuffle_epi8(
            colour, _mm_load_si128(reinterpret_cast<const __m128i*>(spread.channel[v]))));
    }
    for (size_t i = 0; i < spanCount; ++i)
        blendSpanAvx2<kBytes>(spans[i].pixels, spans[i].coverage, spans[i].count, lanes);
}

__attribute__((target("avx2"))) void blendSpansAvx2(const CoverageSpan* spans, size_t spanCount,
                                                    int bytesPerPixel, uint8_t blue, uint8_t green,
                                                    uint8_t red)
{
    if (bytesPerPixel == 3)
        blendAvx2<3>(spans, spanCount, blue, green, red);
    else
        blendAvx2<4>(spans, spanCount, blue, green, red);
}

// Sixty-four pixels at a time in 512-bit vectors. Byte permutes spread the coverage over the
// channels, masked loads and stores take the end of a row without reading or writing past it.
struct Permute512
{
    alignas(64) uint8_t coverage[4][64];
    alignas(64) uint8_t channel[4][64];
    uint64_t colourBytes[4]; // bytes that are blue, green or red
};

constexpr Permute512 makePermute512(int bytesPerPixel)
{
    Permute512 permute{};
    for (int v = 0; v < bytesPerPixel; ++v)
    {
        for (int i = 0; i < 64; ++i)
        {
            int byte = v * 64 + i;
            int channel = byte % bytesPerPixel;
            permute.coverage[v][i] = static_cast<uint8_t>(byte / bytesPerPixel);
            permute.channel[v][i] = static_cast<uint8_t>(channel == 3 ? 0 : channel);
            if (channel != 3)
                permute.colourBytes[v] |= uint64_t{1} << i;
        }
    }
    return permute;
}

constexpr Permute512 kPermute3 = makePermute512(3);
constexpr Permute512 kPermute4 = makePermute512(4);

#define KWZ_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

inline uint64_t lowBits(size_t count)
{
    return count >= 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
}

template <int kBytes>
KWZ_AVX512 void blendAvx512(const CoverageSpan* spans, size_t spanCount, uint8_t blue,
                            uint8_t green, uint8_t red)
{
    const Permute512& permute = kBytes == 3 ? kPermute3 : kPermute4;
    const __m512i colour = _mm512_set1_epi32(
        static_cast<int>(uint32_t{blue} | (uint32_t{green} << 8) | (uint32_t{red} << 16)));
    const __m512i zero = _mm512_setzero_si512();
    __m512i spread[kBytes], foreLow[kBytes], foreHigh[kBytes];
    __mmask64 colourBytes[kBytes];
    for (int v = 0; v < kBytes; ++v)
    {
        spread[v] = _mm512_load_si512(permute.coverage[v]);
        // The zeroing form: the plain one trips a false uninitialised-use warning in GCC 12.
        __m512i fore = _mm512_maskz_permutexvar_epi8(~__mmask64{0},
                                                     _mm512_load_si512(permute.channel[v]), colour);
        foreLow[v] = _mm512_unpacklo_epi8(fore, zero);
        foreHigh[v] = _mm512_unpackhi_epi8(fore, zero);
        colourBytes[v] = permute.colourBytes[v];
    }
    const __m512i full = _mm512_set1_epi16(255);
    const __m512i half = _mm512_set1_epi16(128);
    const __m512i divide = _mm512_set1_epi16(257);
    auto mixHalf = [&](__m512i fore, __m512i c, __m512i under) KWZ_AVX512 {
        __m512i sum = _mm512_add_epi16(_mm512_mullo_epi16(fore, c),
                                       _mm512_mullo_epi16(under, _mm512_sub_epi16(full, c)));
        return _mm512_mulhi_epu16(_mm512_add_epi16(sum, half), divide);
    };
    for (size_t s = 0; s < spanCount; ++s)
    {
        const CoverageSpan& span = spans[s];
        for (int x = 0; x < span.count; x += 64)
        {
            size_t pixels = static_cast<size_t>(std::min(64, span.count - x));
            __m512i cover = _mm512_maskz_loadu_epi8(lowBits(pixels), span.coverage + x);
            if (_mm512_test_epi8_mask(cover, cover) == 0)
                continue; // the gap between two words
            uint8_t* at = span.pixels + static_cast<ptrdiff_t>(x) * kBytes;
            size_t bytes = pixels * kBytes;
            for (int v = 0; v < kBytes && bytes > size_t{64} * v; ++v)
            {
                __mmask64 inside = lowBits(bytes - size_t{64} * v);
                __m512i c = _mm512_maskz_permutexvar_epi8(colourBytes[v], spread[v], cover);
                __m512i under = _mm512_maskz_loadu_epi8(inside, at + 64 * v);
                __m512i low = mixHalf(foreLow[v], _mm512_unpacklo_epi8(c, zero),
                                      _mm512_unpacklo_epi8(under, zero));
                __m512i high = mixHalf(foreHigh[v], _mm512_unpackhi_epi8(c, zero),
                                       _mm512_unpackhi_epi8(under, zero));
                _mm512_mask_storeu_epi8(at + 64 * v, inside, _mm512_packus_epi16(low, high));
            }
        }
    }
}

KWZ_AVX512 void blendSpansAvx512(const CoverageSpan* spans, size_t spanCount, int bytesPerPixel,
                                 uint8_t blue, uint8_t green, uint8_t red)
{
    if (bytesPerPixel == 3)
        blendAvx512<3>(spans, spanCount, blue, green, red);
    else
        blendAvx512<4>(spans, spanCount, blue, green, red);
}

bool supports(BlendKernel kernel)
{
    __builtin_cpu_init();
    switch (kernel)
    {
    case BlendKernel::Portable:
        return true;
    case BlendKernel::Avx2:
        return __builtin_cpu_supports("avx2");
    case BlendKernel::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vbmi");
    }
    return false;
}

#else

bool supports(BlendKernel kernel)
{
    return kernel == BlendKernel::Portable;
}

#endif

} // namespace

void blendCoverageRowPortable(uint8_t* pixels, int bytesPerPixel, const uint8_t* coverage,
                              int count, uint8_t blue, uint8_t green, uint8_t red)
{
    for (int x = 0; x < count; ++x, pixels += bytesPerPixel)
    {
        unsigned c = coverage[x];
        if (c == 0)
            continue;
        if (c == 255)
        {
            pixels[0] = blue;
            pixels[1] = green;
            pixels[2] = red;
            continue;
        }
        pixels[0] = mixCoverage(blue, pixels[0], c);
        pixels[1] = mixCoverage(green, pixels[1], c);
        pixels[2] = mixCoverage(red, pixels[2], c);
    }
}

bool blendCoverageSpansWith(BlendKernel kernel, const CoverageSpan* spans, size_t spanCount,
                            int bytesPerPixel, uint8_t blue, uint8_t green, uint8_t red)
{
    if (!supports(kernel))
        return false;
    switch (kernel)
    {
#if KWZ_BLEND_AVX2
    case BlendKernel::Avx512:
        blendSpansAvx512(spans, spanCount, bytesPerPixel, blue, green, red);
        return true;
    case BlendKernel::Avx2:
        blendSpansAvx2(spans, spanCount, bytesPerPixel, blue, green, red);
        return true;
#endif
    default:
        for (size_t i = 0; i < spanCount; ++i)
            blendCoverageRowPortable(spans[i].pixels, bytesPerPixel, spans[i].coverage,
                                     spans[i].count, blue, green, red);
        return true;
    }
}

void blendCoverageSpans(const CoverageSpan* spans, size_t spanCount, int bytesPerPixel,
                        uint8_t blue, uint8_t green, uint8_t red)
{
    static const BlendKernel best = supports(BlendKernel::Avx512) ? BlendKernel::Avx512
                                    : supports(BlendKernel::Avx2) ? BlendKernel::Avx2
                                                                  : BlendKernel::Portable;
    blendCoverageSpansWith(vectorDrawingEnabled() ? best : BlendKernel::Portable, spans, spanCount,
                           bytesPerPixel, blue, green, red);
}

void blendCoverageRow(uint8_t* pixels, int bytesPerPixel, const uint8_t* coverage, int count,
                      uint8_t blue, uint8_t green, uint8_t red)
{
    CoverageSpan span{pixels, coverage, count};
    blendCoverageSpans(&span, 1, bytesPerPixel, blue, green, red);
}

} // namespace kwz
