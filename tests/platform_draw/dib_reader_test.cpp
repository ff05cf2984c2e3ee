#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "platform/bmp_format.h"
#include "platform/draw/dib_reader.h"

namespace kwz {
namespace {

// An information block as it lies in memory: the 40-byte header, then `extra` bytes.
std::vector<uint8_t> block(int32_t width, int32_t height, uint16_t bitCount,
                           uint32_t compression = BI_RGB, uint32_t colours = 0, size_t extra = 0)
{
    BITMAPINFOHEADER h{};
    h.biSize = BMP_INFO_HEADER_SIZE;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bitCount;
    h.biCompression = compression;
    h.biClrUsed = colours;
    std::vector<uint8_t> bytes(BMP_INFO_HEADER_SIZE + extra, 0);
    writeBmpInfoHeader(bytes.data(), h);
    return bytes;
}

TEST(DibReader, ReadsLayoutOfEveryBitCount)
{
    struct Case
    {
        uint16_t bits;
        size_t stride;
        uint32_t red, green, blue;
    };
    const Case cases[] = {{1, 4, 0, 0, 0},   {4, 4, 0, 0, 0},
                          {8, 8, 0, 0, 0},   {16, 12, 0x7C00, 0x03E0, 0x001F},
                          {24, 16, 0, 0, 0}, {32, 20, 0x00FF0000, 0x0000FF00, 0x000000FF}};
    for (const Case& c : cases)
    {
        const std::vector<uint8_t> b = block(5, 3, c.bits, BI_RGB, 0, 256 * 4);
        const auto dib = readDib(b.data(), b.size());
        ASSERT_TRUE(dib) << c.bits;
        EXPECT_EQ(dib->width, 5);
        EXPECT_EQ(dib->height, 3);
        EXPECT_EQ(dib->stride, c.stride) << c.bits;
        EXPECT_FALSE(dib->topDown);
        EXPECT_EQ(dib->imageBytes(), c.stride * 3);
        EXPECT_EQ(dib->palette.size(), c.bits <= 8 ? size_t(1) << c.bits : 0) << c.bits;
        EXPECT_EQ(dib->redMask, c.red);
        EXPECT_EQ(dib->greenMask, c.green);
        EXPECT_EQ(dib->blueMask, c.blue);
    }
}

TEST(DibReader, RowsCountFromTheTopEitherWay)
{
    const std::vector<uint8_t> up = block(2, 3, 24);
    const std::vector<uint8_t> down = block(2, -3, 24);
    const auto bottomUp = readDib(up.data(), up.size());
    const auto topDown = readDib(down.data(), down.size());
    ASSERT_TRUE(bottomUp && topDown);
    EXPECT_TRUE(topDown->topDown);
    EXPECT_EQ(topDown->height, 3);
    EXPECT_EQ(bottomUp->rowOffset(0), 2 * bottomUp->stride);
    EXPECT_EQ(topDown->rowOffset(0), 0u);
    EXPECT_EQ(bottomUp->rowOffset(2), 0u);
}

TEST(DibReader, TakesTheColoursTheTableHolds)
{
    std::vector<uint8_t> b = block(1, 1, 8, BI_RGB, 2, 8);
    const uint8_t table[] = {1, 2, 3, 0, 40, 50, 60, 0};
    std::copy(std::begin(table), std::end(table), b.begin() + BMP_INFO_HEADER_SIZE);
    const auto dib = readDib(b.data(), b.size());
    ASSERT_TRUE(dib);
    ASSERT_EQ(dib->palette.size(), 2u);
    EXPECT_EQ(dib->palette[1].rgbBlue, 40);
    EXPECT_EQ(dib->palette[1].rgbGreen, 50);
    EXPECT_EQ(dib->palette[1].rgbRed, 60);

    // A count past 2^bitCount is the full table, no more.
    std::vector<uint8_t> many = block(1, 1, 1, BI_RGB, 1000, 8);
    const auto two = readDib(many.data(), many.size());
    ASSERT_TRUE(two);
    EXPECT_EQ(two->palette.size(), 2u);
}

TEST(DibReader, TakesMasksOfBitfields)
{
    std::vector<uint8_t> b = block(3, 2, 16, BI_BITFIELDS, 0, 12);
    writeU32le(b.data() + 40, 0xF800);
    writeU32le(b.data() + 44, 0x07E0);
    writeU32le(b.data() + 48, 0x001F);
    const auto dib = readDib(b.data(), b.size());
    ASSERT_TRUE(dib);
    EXPECT_TRUE(dib->bitfields);
    EXPECT_EQ(dib->redMask, 0xF800u);
    EXPECT_EQ(dib->greenMask, 0x07E0u);
    EXPECT_EQ(dib->blueMask, 0x001Fu);
}

TEST(DibReader, RefusesHeadersItCannotDraw)
{
    auto refused = [](std::vector<uint8_t> b) { return !readDib(b.data(), b.size()); };
    EXPECT_TRUE(refused(block(0, 3, 24)));
    EXPECT_TRUE(refused(block(-4, 3, 24)));
    EXPECT_TRUE(refused(block(4, 0, 24)));
    EXPECT_TRUE(refused(block(4, 3, 2)));
    EXPECT_TRUE(refused(block(4, 3, 48)));
    EXPECT_TRUE(refused(block(4, 3, 24, BI_BITFIELDS, 0, 12)));
    EXPECT_TRUE(refused(block(4, 3, 8, 1 /* run lengths */, 0, 1024)));
    EXPECT_TRUE(refused(block((1 << 20) + 1, 1, 24)));
    EXPECT_TRUE(refused(block(1, std::numeric_limits<int32_t>::min(), 24)));
    // Sides each allowed whose picture would pass 2 GiB.
    EXPECT_TRUE(refused(block(1 << 20, 1 << 20, 32)));

    std::vector<uint8_t> longHeader = block(4, 3, 24, BI_RGB, 0, 200);
    writeU32le(longHeader.data(), 125);
    EXPECT_TRUE(refused(longHeader));
    std::vector<uint8_t> shortHeader = block(4, 3, 24);
    writeU32le(shortHeader.data(), 39);
    EXPECT_TRUE(refused(shortHeader));
}

TEST(DibReader, RefusesMasksThatAreEmptyOrPastThePixel)
{
    for (uint32_t red : {0u, 0x10000u})
    {
        std::vector<uint8_t> b = block(3, 2, 16, BI_BITFIELDS, 0, 12);
        writeU32le(b.data() + 40, red);
        writeU32le(b.data() + 44, 0x03E0);
        writeU32le(b.data() + 48, 0x001F);
        EXPECT_FALSE(readDib(b.data(), b.size())) << red;
    }
}

TEST(DibReader, RefusesBlocksShorterThanTheirHeaderSays)
{
    const std::vector<uint8_t> header = block(4, 3, 24);
    EXPECT_FALSE(readDib(header.data(), 39));
    EXPECT_FALSE(readDib(nullptr, 40));

    // A header announcing 108 bytes in a block of 40.
    std::vector<uint8_t> v4 = block(4, 3, 24);
    writeU32le(v4.data(), 108);
    EXPECT_FALSE(readDib(v4.data(), v4.size()));

    // A table of 256 colours with room for 255, and masks cut short.
    const std::vector<uint8_t> palette = block(4, 3, 8, BI_RGB, 0, 255 * 4);
    EXPECT_FALSE(readDib(palette.data(), palette.size()));
    const std::vector<uint8_t> masks = block(4, 3, 32, BI_BITFIELDS, 0, 8);
    EXPECT_FALSE(readDib(masks.data(), masks.size()));
}

TEST(DibChannel, ScalesNarrowAndWideChannelsToFullLevels)
{
    DibChannel five;
    five.setMask(0x7C00);
    EXPECT_EQ(five.pack(255), 0x7C00u);
    EXPECT_EQ(five.unpack(0x7C00), 255);
    EXPECT_EQ(five.unpack(0x03FF), 0);
    // A channel of more than 24 bits would overflow 32-bit scaling.
    DibChannel wide;
    wide.setMask(0xFFFFFFFF);
    EXPECT_EQ(wide.unpack(0xFFFFFFFF), 255);
    EXPECT_EQ(wide.pack(255), 0xFFFFFFFFu);
    EXPECT_EQ(wide.unpack(0x80000000), 127);
}

} // namespace
} // namespace kwz
