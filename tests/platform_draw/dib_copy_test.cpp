#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/draw/raster_context.h"

namespace kwz {
namespace {

// A 4 x 3 source of distinct colours, pixel (x, y) = RGB(10 x + 1, 10 y + 1, 7).
COLORREF sourceColour(int x, int y)
{
    return RGB(10 * x + 1, 10 * y + 1, 7);
}

std::unique_ptr<RasterContext> sourceImage(int bitCount, bool topDown)
{
    auto source = RasterContext::create(4, 3, bitCount, topDown);
    for (int y = 0; y < 3; ++y)
    {
        for (int x = 0; x < 4; ++x)
            source->setPixel(x, y, sourceColour(x, y));
    }
    return source;
}

TEST(DibCopy, BlockCopyTakesTheSourceRectangleTopDown)
{
    for (bool topDown : {false, true})
    {
        for (int destBits : {24, 32, 16})
        {
            auto source = sourceImage(24, topDown);
            auto dest = RasterContext::create(6, 5, destBits);
            // Source rectangle (1, 1) 3 x 2 onto (2, 3).
            int lines = dest->setDIBitsToDevice(2, 3, 3, 2, 1, 1, source->bits(), source->info());
            EXPECT_EQ(lines, 2);
            for (int y = 0; y < 5; ++y)
            {
                for (int x = 0; x < 6; ++x)
                {
                    bool inside = x >= 2 && x < 5 && y >= 3 && y < 5;
                    COLORREF want = inside ? sourceColour(x - 1, y - 2) : 0;
                    COLORREF got = dest->pixel(x, y);
                    if (destBits == 16)
                    {
                        // Five bits per channel: the colour as a 16-bit image stores it.
                        auto probe = RasterContext::create(1, 1, 16);
                        probe->setPixel(0, 0, want);
                        want = probe->pixel(0, 0);
                    }
                    EXPECT_EQ(got, want) << x << "," << y << " bits " << destBits;
                }
            }
        }
    }
}

TEST(DibCopy, CopyIsClippedToBothImages)
{
    auto source = sourceImage(24, false);
    auto dest = RasterContext::create(3, 3, 24);
    // Hangs over every edge of the destination and past the source's right and bottom.
    int lines = dest->setDIBitsToDevice(-1, -1, 10, 10, 0, 0, source->bits(), source->info());
    EXPECT_EQ(lines, 2); // source rows 1 and 2 reach the destination
    EXPECT_EQ(dest->pixel(0, 0), sourceColour(1, 1));
    EXPECT_EQ(dest->pixel(2, 1), sourceColour(3, 2));
    EXPECT_EQ(dest->pixel(2, 2), 0u); // source row 3 does not exist
    EXPECT_EQ(dest->setDIBitsToDevice(0, 0, 3, 3, 10, 10, source->bits(), source->info()), 0);
    EXPECT_EQ(dest->setDIBitsToDevice(0, 0, 3, 3, 0, 0, nullptr, source->info()), 0);
    EXPECT_EQ(dest->setDIBitsToDevice(0, 0, 3, 3, 0, 0, source->bits(), nullptr), 0);
}

TEST(DibCopy, PaletteSourcesArePaintedInTheirColours)
{
    RGBQUAD palette[2] = {{0, 0, 255, 0}, {0, 255, 0, 0}}; // red, green
    auto source = RasterContext::create(2, 1, 1, false, palette, 2);
    source->setPixel(1, 0, RGB(0, 255, 0));
    auto dest = RasterContext::create(2, 1, 32);
    dest->setDIBitsToDevice(0, 0, 2, 1, 0, 0, source->bits(), source->info());
    EXPECT_EQ(dest->pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(dest->pixel(1, 0), RGB(0, 255, 0));

    // And a colour source onto a grey palette takes the nearest greys.
    auto colour = RasterContext::create(1, 1, 24);
    colour->setPixel(0, 0, RGB(90, 90, 96));
    auto grey = RasterContext::create(1, 1, 8);
    grey->setDIBitsToDevice(0, 0, 1, 1, 0, 0, colour->bits(), colour->info());
    EXPECT_EQ(grey->rawPixel(0, 0), 92u);
}

TEST(DibCopy, StretchRepeatsAndDropsPixels)
{
    auto source = sourceImage(24, false);
    auto dest = RasterContext::create(8, 6, 24);
    EXPECT_EQ(dest->stretchDIBits(0, 0, 8, 6, 0, 0, 4, 3, source->bits(), source->info()), 3);
    for (int y = 0; y < 6; ++y)
    {
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dest->pixel(x, y), sourceColour(x / 2, y / 2)) << x << "," << y;
    }
    auto small = RasterContext::create(2, 1, 24);
    small->stretchDIBits(0, 0, 2, 1, 0, 0, 4, 3, source->bits(), source->info());
    EXPECT_EQ(small->pixel(0, 0), sourceColour(0, 0));
    EXPECT_EQ(small->pixel(1, 0), sourceColour(2, 0));
}

TEST(DibCopy, NegativeDestinationWidthMirrors)
{
    auto source = sourceImage(24, false);
    auto dest = RasterContext::create(4, 1, 24);
    dest->stretchDIBits(3, 0, -4, 1, 0, 0, 4, 1, source->bits(), source->info());
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dest->pixel(x, 0), sourceColour(3 - x, 0));
}

} // namespace
} // namespace kwz
