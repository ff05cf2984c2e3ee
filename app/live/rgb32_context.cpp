#include "app/live/rgb32_context.h"

#include <algorithm>
#include <cstdlib>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

using RowConverter = void (*)(const uint8_t* from, uint32_t* to, size_t count);

void convertRow(const uint8_t* from, uint32_t* to, size_t count)
{
    for (size_t i = 0; i < count; ++i, from += 3)
        to[i] = 0xFF000000u | uint32_t{from[2]} << 16 | uint32_t{from[1]} << 8 | from[0];
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels per shuffle: a whole frame then costs about as much as copying it.
__attribute__((target("ssse3"))) void convertRowSsse3(const uint8_t* from, uint32_t* to,
                                                      size_t count)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    // Each load takes 16 bytes for the 12 it uses; stopping two pixels early keeps it inside
    // the row.
    for (; i + 6 <= count; i += 4)
    {
        const __m128i bgr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                         _mm_or_si128(_mm_shuffle_epi8(bgr, spread), opaque));
    }
    convertRow(from + 3 * i, to + i, count - i);
}
#endif

RowConverter rowConverter()
{
#if defined(__x86_64__) || defined(__i386__)
    static const RowConverter converter =
        __builtin_cpu_supports("ssse3") ? &convertRowSsse3 : &convertRow;
    return converter;
#else
    return &convertRow;
#endif
}

} // namespace

Rgb32Context::Rgb32Context(uint32_t* pixels, int width, int height)
    : pixels_(pixels), width_(width), height_(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    inner_ = kwz::RasterContext::wrap(pixels, &info);
}

Rgb32Context::~Rgb32Context() = default;

int Rgb32Context::setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSrc, int ySrc,
                                    const void* bits, const BITMAPINFO* info)
{
    return stretchDIBits(xDest, yDest, width, height, xSrc, ySrc, width, height, bits, info);
}

int Rgb32Context::stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                                int ySrc, int srcWidth, int srcHeight, const void* bits,
                                const BITMAPINFO* info)
{
    // The short path takes what the camera hands over: uncompressed 24-bit pixels, no mirroring.
    const bool shortPath = bits && info && info->bmiHeader.biBitCount == 24 &&
                           info->bmiHeader.biCompression == BI_RGB && info->bmiHeader.biWidth > 0 &&
                           info->bmiHeader.biHeight != 0 && destWidth > 0 && destHeight > 0 &&
                           srcWidth > 0 && srcHeight > 0;
    if (!shortPath || !inner_)
        return inner_ ? inner_->stretchDIBits(xDest, yDest, destWidth, destHeight, xSrc, ySrc,
                                              srcWidth, srcHeight, bits, info)
                      : 0;
    const int64_t imageWidth = info->bmiHeader.biWidth;
    const int64_t imageHeight = std::llabs(info->bmiHeader.biHeight);
    const bool bottomUp = info->bmiHeader.biHeight > 0;
    const size_t stride = static_cast<size_t>((imageWidth * 3 + 3) & ~int64_t{3});
    const auto* source = static_cast<const uint8_t*>(bits);

    // The same pixel choice as the raster context: destination d shows source
    // src0 + d * srcSize / destSize; pixels outside either image are left alone.
    int64_t firstColumn = -1;
    columns_.clear();
    for (int64_t d = std::max<int64_t>(0, -int64_t{xDest}); d < destWidth && xDest + d < width_;
         ++d)
    {
        const int64_t sx = xSrc + d * srcWidth / destWidth;
        if (sx < 0 || sx >= imageWidth)
        {
            if (!columns_.empty())
                break; // source columns only grow: the rest lie beyond the image too
            continue;
        }
        if (columns_.empty())
            firstColumn = xDest + d;
        columns_.push_back(static_cast<int>(sx));
    }
    if (columns_.empty())
        return 0;
    const size_t count = columns_.size();
    const bool oneToOne = srcWidth == destWidth;
    const RowConverter convert = rowConverter();

    int lines = 0;
    int64_t lastRow = -1;
    for (int64_t d = std::max<int64_t>(0, -int64_t{yDest}); d < destHeight && yDest + d < height_;
         ++d)
    {
        const int64_t sy = ySrc + d * srcHeight / destHeight;
        if (sy < 0 || sy >= imageHeight)
            continue;
        if (sy != lastRow)
            ++lines;
        lastRow = sy;
        const uint8_t* from =
            source + stride * static_cast<size_t>(bottomUp ? imageHeight - 1 - sy : sy);
        uint32_t* to = pixels_ + static_cast<size_t>(yDest + d) * width_ + firstColumn;
        if (oneToOne)
        {
            convert(from + static_cast<size_t>(columns_.front()) * 3, to, count);
        }
        else
        {
            for (size_t i = 0; i < count; ++i)
            {
                const uint8_t* s = from + static_cast<size_t>(columns_[i]) * 3;
                to[i] = 0xFF000000u | uint32_t{s[2]} << 16 | uint32_t{s[1]} << 8 | s[0];
            }
        }
    }
    return lines;
}
