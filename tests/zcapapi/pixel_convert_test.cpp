#include <cstring>

#include <gtest/gtest.h>

#include "camera/image_files.h"
#include "camera/pixel_convert.h"

namespace zcap {
namespace {

Frame gradient(int w, int h)
{
    Frame f;
    f.resize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            uint8_t* p = f.topRow(y) + x * 3;
            p[0] = static_cast<uint8_t>(x * 255 / (w - 1));
            p[1] = static_cast<uint8_t>(y * 255 / (h - 1));
            p[2] = 128;
        }
    return f;
}

TEST(YuyvToBgr, ConvertsBt601ColoursAndPutsTheTopRowLast)
{
    // Two rows of two pixels: white on top, pure red below (BT.601 limited range).
    const uint8_t data[] = {235, 128, 235, 128, 81, 90, 81, 240};
    Frame out;
    ASSERT_TRUE(yuyvToBgr(data, sizeof data, 2, 2, 4, out));
    const uint8_t* top = out.topRow(0);
    EXPECT_EQ(top[0], 255);
    EXPECT_EQ(top[1], 255);
    EXPECT_EQ(top[2], 255);
    EXPECT_EQ(out.bgr.data() + 6, top); // bottom row first in memory
    const uint8_t* red = out.topRow(1);
    EXPECT_LE(red[0], 2);
    EXPECT_LE(red[1], 2);
    EXPECT_GE(red[2], 253);
}

TEST(YuyvToBgr, RefusesShortBuffersAndOddWidths)
{
    std::vector<uint8_t> data(4 * 4 * 2);
    Frame out;
    EXPECT_FALSE(yuyvToBgr(data.data(), data.size() - 1, 4, 4, 8, out));
    EXPECT_FALSE(yuyvToBgr(data.data(), data.size(), 3, 4, 8, out));
    EXPECT_FALSE(yuyvToBgr(data.data(), data.size(), 4, 4, 6, out)); // stride below a row
    EXPECT_FALSE(yuyvToBgr(nullptr, 0, 4, 4, 8, out));
    EXPECT_TRUE(yuyvToBgr(data.data(), data.size(), 4, 4, 8, out));
}

TEST(JpegToBgr, DecodesWhatTheEncoderWroteInTheSameRowOrder)
{
    const Frame in = gradient(64, 48);
    const std::vector<uint8_t> jpeg = encodeJpeg(in, 95);
    ASSERT_FALSE(jpeg.empty());
    Frame out;
    ASSERT_TRUE(jpegToBgr(jpeg.data(), jpeg.size(), out));
    ASSERT_EQ(out.width, 64);
    ASSERT_EQ(out.height, 48);
    for (int y : {0, 24, 47})
        for (int x : {0, 32, 63})
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(out.topRow(y)[x * 3 + c], in.topRow(y)[x * 3 + c], 12)
                    << x << "," << y << " channel " << c;
}

TEST(JpegToBgr, RefusesGarbageAndTruncatedHeaders)
{
    const std::vector<uint8_t> jpeg = encodeJpeg(gradient(32, 32), 75);
    Frame out;
    EXPECT_FALSE(jpegToBgr(jpeg.data(), 20, out));
    const uint8_t junk[64] = {0xFF, 0xD8, 0x01, 0x02};
    EXPECT_FALSE(jpegToBgr(junk, sizeof junk, out));
    EXPECT_FALSE(jpegToBgr(nullptr, 100, out));
}

TEST(ScaleFrame, KeepsFlatColourAndMapsCornersToCorners)
{
    Frame in;
    in.resize(40, 30);
    for (size_t i = 0; i < in.bgr.size(); i += 3)
    {
        in.bgr[i] = 10;
        in.bgr[i + 1] = 20;
        in.bgr[i + 2] = 30;
    }
    in.topRow(0)[0] = 255; // top-left marker
    Frame out;
    scaleFrame(in, 80, 60, out);
    ASSERT_EQ(out.bgr.size(), 80u * 60 * 3);
    EXPECT_EQ(out.topRow(30)[40 * 3 + 1], 20);
    EXPECT_EQ(out.topRow(59)[79 * 3 + 2], 30);
    EXPECT_GT(out.topRow(0)[0], 128);
    scaleFrame(in, 7, 5, out);
    EXPECT_EQ(out.width, 7);
    EXPECT_EQ(out.topRow(2)[3 * 3], 10);
}

TEST(FitFrame, CropsAWidePictureToTheAskedShapeKeepingPixelsSquare)
{
    // 16:9 with a 2-pixel border of blue on left and right that a 4:3 picture cuts away.
    Frame wide;
    wide.resize(32, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 32; ++x)
        {
            uint8_t* p = wide.topRow(y) + x * 3;
            const bool edge = x < 4 || x >= 28;
            p[0] = edge ? 255 : 0;
            p[1] = static_cast<uint8_t>(y * 10);
            p[2] = 0;
        }
    Frame out;
    fitFrame(wide, 24, 18, out); // 4:3: the middle 24 columns, one to one
    ASSERT_EQ(out.width, 24);
    for (int y : {0, 9, 17})
        for (int x : {0, 23})
        {
            EXPECT_EQ(out.topRow(y)[x * 3], 0) << x << "," << y;
            EXPECT_EQ(out.topRow(y)[x * 3 + 1], y * 10);
        }
    fitFrame(wide, 48, 36, out); // the same region, doubled
    EXPECT_EQ(out.topRow(35)[47 * 3], 0);
    EXPECT_NEAR(out.topRow(35)[47 * 3 + 1], 170, 3);
}

TEST(EncodeBmp, WritesHeadersAndPadsRows)
{
    Frame f = gradient(5, 3);
    const std::vector<uint8_t> bmp = encodeBmp(f);
    const uint32_t row = 16; // 15 bytes padded to 16
    ASSERT_EQ(bmp.size(), 54 + row * 3);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(bmp[2] | bmp[3] << 8, 54 + 48);
    EXPECT_EQ(bmp[10], 54);
    EXPECT_EQ(bmp[18], 5);  // width
    EXPECT_EQ(bmp[22], 3);  // positive height: bottom-up
    EXPECT_EQ(bmp[28], 24); // bits per pixel
    EXPECT_EQ(0, std::memcmp(bmp.data() + 54 + row, f.bgr.data() + 15, 15));
    EXPECT_EQ(bmp[54 + 15], 0);
}

} // namespace
} // namespace zcap
