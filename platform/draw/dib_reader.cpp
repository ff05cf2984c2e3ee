#include "platform/draw/dib_reader.h"

#include <limits>

#include "platform/bmp_format.h"

namespace kwz {

namespace {

// Anything larger is not an image this program can hold; it also keeps sizes in range.
constexpr int64_t kMaxSide = 1 << 20;
constexpr int64_t kMaxBytes = int64_t{1} << 31;
// The largest known header; the colour table follows the header, so a longer one would send
// it far past what any caller holds.
constexpr uint32_t kMaxHeaderSize = 124;
constexpr size_t kMaskBytes = 12;

} // namespace

std::optional<DibLayout> readDib(const uint8_t* block, size_t size)
{
    if (block == nullptr || size < BMP_INFO_HEADER_SIZE)
        return std::nullopt;
    const BITMAPINFOHEADER header = readBmpInfoHeader(block);
    if (header.biSize < BMP_INFO_HEADER_SIZE || header.biSize > kMaxHeaderSize ||
        header.biSize > size || header.biWidth <= 0 || header.biHeight == 0)
        return std::nullopt;
    const int64_t w = header.biWidth;
    const int64_t h = header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight;
    if (w > kMaxSide || h > kMaxSide)
        return std::nullopt;
    DibLayout dib;
    dib.bitCount = header.biBitCount;
    const int bits = dib.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return std::nullopt;
    dib.bitfields = header.biCompression == BI_BITFIELDS;
    if (header.biCompression != BI_RGB && !(dib.bitfields && (bits == 16 || bits == 32)))
        return std::nullopt;
    const int64_t rowBytes = static_cast<int64_t>(dibStride(bits, w));
    if (rowBytes * h > kMaxBytes)
        return std::nullopt;
    dib.width = static_cast<int>(w);
    dib.height = static_cast<int>(h);
    dib.topDown = header.biHeight < 0;
    dib.stride = static_cast<size_t>(rowBytes);

    if (bits <= 8)
    {
        const uint32_t limit = 1u << bits;
        uint32_t count = header.biClrUsed;
        if (count == 0 || count > limit)
            count = limit;
        if (size - header.biSize < size_t(count) * 4)
            return std::nullopt;
        dib.palette.resize(count);
        for (uint32_t i = 0; i < count; ++i)
        {
            const uint8_t* q = block + header.biSize + 4 * i;
            dib.palette[i] = RGBQUAD{q[0], q[1], q[2], q[3]};
        }
    }
    else if (dib.bitfields)
    {
        // The masks follow a 40-byte header and lie inside the longer ones.
        if (size < BMP_INFO_HEADER_SIZE + kMaskBytes)
            return std::nullopt;
        dib.redMask = readU32le(block + BMP_INFO_HEADER_SIZE);
        dib.greenMask = readU32le(block + BMP_INFO_HEADER_SIZE + 4);
        dib.blueMask = readU32le(block + BMP_INFO_HEADER_SIZE + 8);
        // A mask past the pixel's bits would scale its channel by a wrapped-around maximum.
        const uint32_t pixel = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
        for (uint32_t mask : {dib.redMask, dib.greenMask, dib.blueMask})
            if (mask == 0 || (mask & ~pixel) != 0)
                return std::nullopt;
    }
    else if (bits == 16)
    {
        dib.redMask = 0x7C00;
        dib.greenMask = 0x03E0;
        dib.blueMask = 0x001F;
    }
    else if (bits == 32)
    {
        dib.redMask = 0x00FF0000;
        dib.greenMask = 0x0000FF00;
        dib.blueMask = 0x000000FF;
    }
    return dib;
}

std::optional<DibLayout> readDib(const BITMAPINFO* info)
{
    return readDib(reinterpret_cast<const uint8_t*>(info), std::numeric_limits<size_t>::max());
}

} // namespace kwz
