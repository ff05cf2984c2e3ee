#pragma once
// Text coverage blended into rows of blue, green, red bytes: the inner loop of every label.

#include <cstddef>
#include <cstdint>

namespace kwz {

// One channel: (colour * c + under * (255 - c)) / 255, rounded to nearest.
inline uint8_t mixCoverage(unsigned colour, unsigned under, unsigned c)
{
    unsigned v = colour * c + under * (255 - c) + 128;
    return static_cast<uint8_t>((v + (v >> 8)) >> 8);
}

// Mixes the colour into `count` pixels of `bytesPerPixel` bytes (3, or 4 with the fourth byte
// left alone) by the coverage of each (0 keeps the pixel, 255 gives the colour):
// (colour * c + under * (255 - c)) / 255, rounded to nearest.
void blendCoverageRow(uint8_t* pixels, int bytesPerPixel, const uint8_t* coverage, int count,
                      uint8_t blue, uint8_t green, uint8_t red);

// Pixels and their coverage; spans of one text are blended with one call.
struct CoverageSpan
{
    uint8_t* pixels;
    const uint8_t* coverage;
    int count;
};
void blendCoverageSpans(const CoverageSpan* spans, size_t spanCount, int bytesPerPixel,
                        uint8_t blue, uint8_t green, uint8_t red);

// The instruction sets the blend can use; the best one the processor has is taken.
enum class BlendKernel
{
    Portable,
    Avx2,
    Avx512,
};
// Blends with the given kernel; false, and nothing blended, when the processor lacks it.
// For tests, which must hold every kernel to the portable one.
bool blendCoverageSpansWith(BlendKernel kernel, const CoverageSpan* spans, size_t spanCount,
                            int bytesPerPixel, uint8_t blue, uint8_t green, uint8_t red);

// The same without vector instructions; what the fast path must agree with.
void blendCoverageRowPortable(uint8_t* pixels, int bytesPerPixel, const uint8_t* coverage,
                              int count, uint8_t blue, uint8_t green, uint8_t red);

} // namespace kwz
