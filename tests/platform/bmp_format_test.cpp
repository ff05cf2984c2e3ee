#include <algorithm>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/bmp_format.h"

TEST(BmpFormat, RowsArePaddedToWholeWords)
{
    EXPECT_EQ(kwz::dibStride(24, 3), 12u);
    EXPECT_EQ(kwz::dibStride(24, 5), 16u);
    EXPECT_EQ(kwz::dibStride(1, 33), 8u);
    EXPECT_EQ(kwz::dibStride(4, 9), 8u);
    EXPECT_EQ(kwz::dibStride(32, 7), 28u);
    // Sizes past 32 bits do not wrap.
    EXPECT_EQ(kwz::dibStride(32, int64_t{1} << 31), uint64_t{1} << 33);
}

TEST(BmpFormat, FileHeaderCountsFromItsOwnStart)
{
    uint8_t header[BMP_FILE_HEADER_SIZE];
    std::fill(std::begin(header), std::end(header), 0xEE);
    kwz::writeBmpFileHeader(header, 1078, 0x01020304);
    const uint8_t expected[BMP_FILE_HEADER_SIZE] = {'B', 'M', 0x3A, 0x07, 0x02, 0x01, 0,
                                                    0,   0,   0,    0x36, 0x04, 0,    0};
    EXPECT_TRUE(std::equal(std::begin(header), std::end(header), std::begin(expected)));
}

TEST(BmpFormat, InfoHeaderFieldsKeepTheirPlaces)
{
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = -2;
    h.biHeight = -3;
    h.biPlanes = 4;
    h.biBitCount = 5;
    h.biCompression = 6;
    h.biSizeImage = 7;
    h.biXPelsPerMeter = 8;
    h.biYPelsPerMeter = 9;
    h.biClrUsed = 10;
    h.biClrImportant = 0x0B0C0D0E;
    uint8_t bytes[BMP_INFO_HEADER_SIZE];
    kwz::writeBmpInfoHeader(bytes, h);
    EXPECT_EQ(bytes[4], 0xFE); // width, little-endian two's complement
    EXPECT_EQ(bytes[7], 0xFF);
    EXPECT_EQ(bytes[12], 4); // planes, 16 bits
    EXPECT_EQ(bytes[14], 5); // bit count, 16 bits
    EXPECT_EQ(bytes[36], 0x0E);
    EXPECT_EQ(bytes[39], 0x0B);
    const BITMAPINFOHEADER back = kwz::readBmpInfoHeader(bytes);
    EXPECT_EQ(back.biWidth, -2);
    EXPECT_EQ(back.biHeight, -3);
    EXPECT_EQ(back.biPlanes, 4);
    EXPECT_EQ(back.biBitCount, 5);
    EXPECT_EQ(back.biCompression, 6u);
    EXPECT_EQ(back.biSizeImage, 7u);
    EXPECT_EQ(back.biXPelsPerMeter, 8);
    EXPECT_EQ(back.biYPelsPerMeter, 9);
    EXPECT_EQ(back.biClrUsed, 10u);
    EXPECT_EQ(back.biClrImportant, 0x0B0C0D0Eu);
}
