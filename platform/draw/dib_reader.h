#pragma once
// The layout of a device-independent bitmap as its information block describes it, for every
// context that copies from one: size, rows, colour masks or colour table.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "kwztypes.h"

namespace kwz {

// One colour channel of a 16- or 32-bit pixel: where its mask lies and how many levels it has.
struct DibChannel
{
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    void setMask(uint32_t value)
    {
        mask = value;
        shift = value ? std::countr_zero(value) : 0;
        max = value >> shift;
    }
    // 0 to 255 into the channel's bits, and back. Wide channels scale in 64 bits.
    uint32_t pack(int level) const
    {
        return uint32_t((uint64_t(uint32_t(level)) * max + 127) / 255) << shift & mask;
    }
    int unpack(uint32_t pixel) const
    {
        return max ? int(uint64_t((pixel & mask) >> shift) * 255 / max) : 0;
    }
};

struct DibLayout
{
    int width = 0;
    int height = 0;
    int bitCount = 0;
    size_t stride = 0; // bytes per row, padded to 32 bits
    bool topDown = false;
    bool bitfields = false; // the masks came from the block
    // 16 and 32 bits: where each channel lies in the pixel word.
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    // 1 to 8 bits: the entries the block holds (at most 2^bitCount); an index past them is
    // black.
    std::vector<RGBQUAD> palette;

    size_t imageBytes() const { return stride * size_t(height); }
    // Offset of row y counted from the top of the picture.
    size_t rowOffset(int y) const { return size_t(topDown ? y : height - 1 - y) * stride; }
};

// The layout of a block of `size` bytes: the header, then the masks or the colour table. None
// for anything the drawing does not handle: a header shorter than 40 or longer than 124 bytes,
// a size of 0 or past 2^20 pixels a side or 2 GiB, another bit count, compression, masks that
// are empty or lie outside the pixel, or a block too short for what its header announces.
std::optional<DibLayout> readDib(const uint8_t* block, size_t size);
// The same for a block that holds what its header announces.
std::optional<DibLayout> readDib(const BITMAPINFO* info);

} // namespace kwz
