#pragma once
// Random measurement files for property tests and fuzz targets: an image of any size and bit
// count with figures of every kind whose coordinates reach over the whole 32-bit range,
// biased toward the cases that break drawing (an image wholly inside a huge circle or
// ellipse, outlines that cross it, figures beside it).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kwz::testing {

// Numbers from a seed, or from a fuzzer's bytes (zeros once they run out).
class ByteSource
{
  public:
    explicit ByteSource(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15u + 1) {}
    ByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint32_t next();
    // Uniform enough in [0, n) for n > 0.
    uint32_t below(uint32_t n) { return n ? next() % n : 0; }

  private:
    uint64_t state_ = 0;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t at_ = 0;
};

struct FigureScene
{
    int width = 1;
    int height = 1;
    int bitCount = 24;
    int figures = 0;
    std::vector<uint8_t> stream; // the engine's measurement data stream

    // The stream followed by a BMP image of the given size and the scene's bit count, every
    // row alike, so a larger image shows the same pixels where it overlaps a smaller one.
    std::vector<uint8_t> meaFile(int width, int height) const;
};

// An image up to maxWidth x maxHeight (mostly small ones) and one to eight figures.
FigureScene makeFigureScene(ByteSource& source, int maxWidth, int maxHeight);

} // namespace kwz::testing
