#pragma once
// The device-independent bitmap layout shared by every BMP reader and writer: the row stride
// and the 14-byte file header and 40-byte information header as they lie on disk.

#include <cstdint>

#include "kwztypes.h"
#include "platform/byte_order.h"

namespace kwz {

// Bytes per row: rows are padded to whole 32-bit words.
constexpr uint64_t dibStride(int bitCount, int64_t width)
{
    return (uint64_t(bitCount) * uint64_t(width) + 31) / 32 * 4;
}

// "BM", the file size, two reserved zeros and the offset of the pixels. Both sizes count from
// the start of this header, also when it follows other data (a measurement file).
inline void writeBmpFileHeader(uint8_t* out, uint32_t pixelOffset, uint32_t imageSize)
{
    out[0] = 'B';
    out[1] = 'M';
    writeU32le(out + 2, pixelOffset + imageSize);
    writeU16le(out + 6, 0);
    writeU16le(out + 8, 0);
    writeU32le(out + 10, pixelOffset);
}

inline void writeBmpInfoHeader(uint8_t* out, const BITMAPINFOHEADER& h)
{
    writeU32le(out, h.biSize);
    writeI32le(out + 4, h.biWidth);
    writeI32le(out + 8, h.biHeight);
    writeU16le(out + 12, h.biPlanes);
    writeU16le(out + 14, h.biBitCount);
    writeU32le(out + 16, h.biCompression);
    writeU32le(out + 20, h.biSizeImage);
    writeI32le(out + 24, h.biXPelsPerMeter);
    writeI32le(out + 28, h.biYPelsPerMeter);
    writeU32le(out + 32, h.biClrUsed);
    writeU32le(out + 36, h.biClrImportant);
}

inline BITMAPINFOHEADER readBmpInfoHeader(const uint8_t* in)
{
    BITMAPINFOHEADER h{};
    h.biSize = readU32le(in);
    h.biWidth = readI32le(in + 4);
    h.biHeight = readI32le(in + 8);
    h.biPlanes = readU16le(in + 12);
    h.biBitCount = readU16le(in + 14);
    h.biCompression = readU32le(in + 16);
    h.biSizeImage = readU32le(in + 20);
    h.biXPelsPerMeter = readI32le(in + 24);
    h.biYPelsPerMeter = readI32le(in + 28);
    h.biClrUsed = readU32le(in + 32);
    h.biClrImportant = readU32le(in + 36);
    return h;
}

} // namespace kwz
