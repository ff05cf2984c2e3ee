#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tiffio.h>

#include "bitmap/scale_bar.h"
#include "bitmap/tiff_writer.h"
#include "gaugit.h"
#include "platform/draw/raster_context.h"

namespace kwz::output {
namespace {

TEST(ScaleBarStep, NearestOneTwoFiveOnALogScale)
{
    EXPECT_EQ(nearestStep(1.0), 1.0);
    EXPECT_EQ(nearestStep(1.4), 1.0);
    EXPECT_EQ(nearestStep(1.5), 2.0);
    EXPECT_EQ(nearestStep(3.1), 2.0);
    EXPECT_EQ(nearestStep(3.2), 5.0);
    EXPECT_EQ(nearestStep(7.0), 5.0);
    EXPECT_EQ(nearestStep(7.2), 10.0);
    EXPECT_DOUBLE_EQ(nearestStep(0.0031), 0.002);
    EXPECT_DOUBLE_EQ(nearestStep(420.0), 500.0);
    EXPECT_EQ(nearestStep(0), 0);
    EXPECT_EQ(nearestStep(-3), 0);
    EXPECT_EQ(nearestStep(NAN), 0);
    EXPECT_EQ(nearestStep(INFINITY), 0);
}

struct BarCase
{
    double micronsPerPixel;
    int width;
    int unit;
    double fixed;
    double length;
    int pixels;
    const char* label;
};

class ScaleBarChoice : public testing::TestWithParam<BarCase>
{
};

TEST_P(ScaleBarChoice, LengthPixelsAndLabel)
{
    const BarCase& c = GetParam();
    const auto bar = chooseScaleBar(c.micronsPerPixel, c.width, c.unit, c.fixed);
    ASSERT_TRUE(bar.has_value());
    EXPECT_DOUBLE_EQ(bar->length, c.length);
    EXPECT_EQ(bar->pixels, c.pixels);
    EXPECT_EQ(bar->label, c.label);
    if (c.fixed == 0)
    {
        // About a fifth of the width: a 1-2-5 step lies within a factor of 1.6 of it.
        EXPECT_GT(bar->pixels, c.width / 5 / 1.6);
        EXPECT_LT(bar->pixels, c.width / 5 * 1.6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scales, ScaleBarChoice,
    testing::Values(
        // 2048 px at 1 µm: a fifth is 409.6 µm -> 500 µm.
        BarCase{1.0, 2048, ZQ_UM, 0, 500, 500, "500 µm"},
        // 640 px of the same field (3.2 µm a pixel): 409.6 µm again -> 500 µm, 156 px.
        BarCase{3.2, 640, ZQ_UM, 0, 500, 156, "500 µm"},
        BarCase{0.05, 1280, ZQ_UM, 0, 10, 200, "10 µm"},
        BarCase{0.37, 1600, ZQ_UM, 0, 100, 270, "100 µm"},
        // Other units: the label speaks the unit, the length is counted in it.
        BarCase{1.0, 2048, ZQ_MM, 0, 0.5, 500, "0.5 mm"},
        BarCase{2.5, 2048, ZQ_MM, 0, 1, 400, "1 mm"},
        BarCase{25.0, 1000, ZQ_CM, 0, 0.5, 200, "0.5 cm"},
        BarCase{1000.0, 2000, ZQ_M, 0, 0.5, 500, "0.5 m"},
        BarCase{25.4, 1000, ZQ_INCH, 0, 0.2, 200, "0.2 inch"},
        // Fixed lengths, any value.
        BarCase{1.0, 2048, ZQ_UM, 250, 250, 250, "250 µm"},
        BarCase{0.3, 640, ZQ_UM, 25, 25, 83, "25 µm"},
        BarCase{1.0, 2048, ZQ_MM, 1.5, 1.5, 1500, "1.5 mm"}));

TEST(ScaleBarChoice, RefusedWithoutAUsableScale)
{
    EXPECT_FALSE(chooseScaleBar(0, 640, ZQ_UM));
    EXPECT_FALSE(chooseScaleBar(-1, 640, ZQ_UM));
    EXPECT_FALSE(chooseScaleBar(NAN, 640, ZQ_UM));
    EXPECT_FALSE(chooseScaleBar(INFINITY, 640, ZQ_UM));
    EXPECT_FALSE(chooseScaleBar(1, 0, ZQ_UM));
    EXPECT_FALSE(chooseScaleBar(1, 640, 7));
    // Fixed lengths wider than the picture or under two pixels.
    EXPECT_FALSE(chooseScaleBar(1, 640, ZQ_UM, 1000));
    EXPECT_FALSE(chooseScaleBar(1, 640, ZQ_UM, 1));
    EXPECT_TRUE(chooseScaleBar(1, 640, ZQ_UM, 640));
}

// The bar's pixels on a raster picture: the longest run of the bar's colour on any row.
int longestRun(const RasterContext& dc, COLORREF colour, int* row)
{
    int best = 0;
    for (int y = 0; y < dc.height(); ++y)
    {
        int run = 0;
        for (int x = 0; x < dc.width(); ++x)
        {
            run = dc.pixel(x, y) == colour ? run + 1 : 0;
            if (run > best)
            {
                best = run;
                *row = y;
            }
        }
    }
    return best;
}

TEST(ScaleBarDrawing, ExactLengthInEveryCornerWithOutlineAndLabel)
{
    const auto bar = chooseScaleBar(3.2, 640, ZQ_UM);
    ASSERT_TRUE(bar);
    const COLORREF yellow = RGB(255, 255, 0);
    for (Corner corner :
         {Corner::BottomRight, Corner::BottomLeft, Corner::TopRight, Corner::TopLeft})
    {
        auto dc = RasterContext::create(640, 480, 24);
        dc->fill(RGB(40, 40, 40));
        drawScaleBar(*dc, *bar, 640, 480, corner, yellow);
        int row = -1;
        EXPECT_EQ(longestRun(*dc, yellow, &row), bar->pixels);
        const bool bottom = corner == Corner::BottomRight || corner == Corner::BottomLeft;
        EXPECT_EQ(row > 240, bottom);
        // Outline of the contrasting colour at both ends of the bar's row.
        int first = 0;
        while (dc->pixel(first, row) != yellow)
            ++first;
        const bool right = corner == Corner::BottomRight || corner == Corner::TopRight;
        EXPECT_EQ(first > 320, right);
        EXPECT_EQ(dc->pixel(first - 1, row), RGB(0, 0, 0));
        EXPECT_EQ(dc->pixel(first + bar->pixels, row), RGB(0, 0, 0));
        // The label: some of the bar's colour away from the bar's rows.
        int labelPixels = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                if ((y < row - 2 || y > row + 8) && dc->pixel(x, y) != RGB(40, 40, 40))
                    ++labelPixels;
        EXPECT_GT(labelPixels, 50);
    }
}

TEST(ScaleBarDrawing, OutlineContrastsWithTheBar)
{
    EXPECT_EQ(outlineColour(RGB(255, 255, 255)), RGB(0, 0, 0));
    EXPECT_EQ(outlineColour(RGB(255, 255, 0)), RGB(0, 0, 0));
    EXPECT_EQ(outlineColour(RGB(0, 0, 0)), RGB(255, 255, 255));
    EXPECT_EQ(outlineColour(RGB(0, 0, 255)), RGB(255, 255, 255));
}

class TiffFile : public testing::Test
{
  protected:
    std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() /
        ("kwz_tiff_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    void SetUp() override { std::filesystem::create_directories(folder_); }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string path(const char* name) const { return (folder_ / name).string(); }
};

TEST_F(TiffFile, ColourPictureWithCalibrationReadsBack)
{
    const int w = 37, h = 11; // odd sizes: rows are not padded
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 7 + i / 3);
    const std::string file = path("c.tif");
    std::string error;
    ASSERT_TRUE(writeTiff(file, TiffPicture{w, h, 3, pixels.data(), w * 3},
                          TiffCalibration{2.5, ZQ_UM}, &error))
        << error;
    EXPECT_FALSE(std::filesystem::exists(file + ".part"));

    TIFF* t = TIFFOpen(file.c_str(), "r");
    ASSERT_NE(t, nullptr);
    uint32_t width = 0, height = 0;
    uint16_t samples = 0, bits = 0, photometric = 0, unit = 0;
    float xres = 0, yres = 0;
    char* description = nullptr;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
    ASSERT_TRUE(TIFFGetField(t, TIFFTAG_RESOLUTIONUNIT, &unit));
    ASSERT_TRUE(TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres));
    ASSERT_TRUE(TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres));
    ASSERT_TRUE(TIFFGetField(t, TIFFTAG_IMAGEDESCRIPTION, &description));
    EXPECT_EQ(width, uint32_t(w));
    EXPECT_EQ(height, uint32_t(h));
    EXPECT_EQ(samples, 3);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(photometric, PHOTOMETRIC_RGB);
    EXPECT_EQ(unit, RESUNIT_CENTIMETER);
    EXPECT_FLOAT_EQ(xres, 4000.0f); // 2.5 µm a pixel
    EXPECT_FLOAT_EQ(yres, 4000.0f);
    EXPECT_STREQ(description, "unit=micron\nspacing=2.5\n");
    std::vector<uint8_t> row(TIFFScanlineSize(t));
    ASSERT_EQ(row.size(), size_t(w * 3));
    for (int y = 0; y < h; ++y)
    {
        ASSERT_EQ(TIFFReadScanline(t, row.data(), y, 0), 1);
        EXPECT_EQ(0, std::memcmp(row.data(), pixels.data() + y * w * 3, row.size())) << y;
    }
    TIFFClose(t);
}

TEST_F(TiffFile, GreyBottomUpPictureWithoutCalibrationHasNoScale)
{
    const int w = 4, h = 3;
    // Bottom-up rows with padding, walked from the top by a negative stride.
    const uint8_t rows[3][8] = {{20, 21, 22, 23}, {10, 11, 12, 13}, {0, 1, 2, 3}};
    const std::string file = path("g.tif");
    std::string error;
    ASSERT_TRUE(writeTiff(file, TiffPicture{w, h, 1, rows[2], -8}, std::nullopt, &error));
    TIFF* t = TIFFOpen(file.c_str(), "r");
    ASSERT_NE(t, nullptr);
    uint16_t samples = 0, photometric = 0;
    float xres = 0;
    char* description = nullptr;
    TIFFGetField(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
    EXPECT_EQ(samples, 1);
    EXPECT_EQ(photometric, PHOTOMETRIC_MINISBLACK);
    EXPECT_FALSE(TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres));
    EXPECT_FALSE(TIFFGetField(t, TIFFTAG_IMAGEDESCRIPTION, &description));
    uint8_t row[4];
    ASSERT_EQ(TIFFReadScanline(t, row, 0, 0), 1);
    EXPECT_EQ(row[0], 0);
    ASSERT_EQ(TIFFReadScanline(t, row, 2, 0), 1);
    EXPECT_EQ(row[3], 23);
    TIFFClose(t);
}

TEST(TiffDescription, NamesTheUnitInUseAndItsSpacing)
{
    EXPECT_EQ(tiffDescription({0.5, ZQ_UM}), "unit=micron\nspacing=0.5\n");
    EXPECT_EQ(tiffDescription({2500, ZQ_MM}), "unit=mm\nspacing=2.5\n");
    EXPECT_EQ(tiffDescription({25400, ZQ_INCH}), "unit=inch\nspacing=1\n");
    EXPECT_EQ(tiffDescription({0, ZQ_UM}), "");
    EXPECT_EQ(tiffDescription({NAN, ZQ_UM}), "");
    EXPECT_EQ(tiffDescription({1, 9}), "");
}

TEST_F(TiffFile, RefusalsLeaveTheEarlierFileWhole)
{
    const std::string file = path("keep.tif");
    const uint8_t pixel[3] = {1, 2, 3};
    std::string error;
    ASSERT_TRUE(writeTiff(file, TiffPicture{1, 1, 3, pixel, 3}, std::nullopt, &error));
    const auto size = std::filesystem::file_size(file);
    EXPECT_FALSE(writeTiff(file, TiffPicture{0, 1, 3, pixel, 3}, std::nullopt, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(writeTiff(file, TiffPicture{1, 1, 2, pixel, 3}, std::nullopt, &error));
    EXPECT_FALSE(writeTiff(file, TiffPicture{2, 1, 3, pixel, 3}, std::nullopt, &error));
    EXPECT_FALSE(writeTiff(file, TiffPicture{1, 1, 3, nullptr, 3}, std::nullopt, &error));
    EXPECT_FALSE(writeTiff(path("no/such/folder.tif"), TiffPicture{1, 1, 3, pixel, 3}, std::nullopt,
                           &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::filesystem::file_size(file), size);
}

} // namespace
} // namespace kwz::output
