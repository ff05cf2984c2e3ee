#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bitmap/bmp_image.h"

namespace kwz::rast {
namespace {

std::vector<uint8_t> fixture(const std::string& name)
{
    std::ifstream in(std::string(KWZ_TEST_DATA) + "/bmp/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<BmpImage> parse(const std::vector<uint8_t>& bytes)
{
    MemorySource source(bytes.data(), bytes.size());
    return BmpImage::read(source);
}

std::vector<uint8_t> written(const BmpImage& image)
{
    MemorySink sink;
    EXPECT_TRUE(image.write(sink, image.pixels().data()));
    return sink.bytes();
}

struct FixtureCase
{
    const char* file;
    int width;
    int height;
    int bits;
    int colours;
    bool topDown;
};

class BmpFixture : public ::testing::TestWithParam<FixtureCase>
{
};

TEST_P(BmpFixture, ReadsHeaderAndWritesTheSamePixelsBack)
{
    const FixtureCase& c = GetParam();
    const std::vector<uint8_t> original = fixture(c.file);
    ASSERT_FALSE(original.empty()) << c.file;
    const std::optional<BmpImage> image = parse(original);
    ASSERT_TRUE(image) << c.file;
    EXPECT_EQ(image->width(), c.width);
    EXPECT_EQ(image->height(), c.height);
    EXPECT_EQ(image->bitCount(), c.bits);
    EXPECT_EQ(image->colourCount(), c.colours);
    EXPECT_EQ(image->topDown(), c.topDown);
    EXPECT_EQ(image->stride(), (uint32_t(c.bits) * c.width + 31) / 32 * 4);

    const std::vector<uint8_t> out = written(*image);
    const uint32_t offBits = readU32le(out.data() + 10);
    const uint32_t headerSize = readU32le(original.data() + 14);
    const uint32_t masks = headerSize == 40 && readU32le(out.data() + 30) == BI_BITFIELDS ? 12 : 0;
    EXPECT_EQ(offBits, 14 + headerSize + masks + 4 * uint32_t(c.colours));
    EXPECT_EQ(readU32le(out.data() + 2), out.size());
    EXPECT_EQ(out.size(), offBits + image->imageSize());
    EXPECT_EQ(readI32le(out.data() + 22), c.topDown ? -c.height : c.height);

    // Header, masks, colour table and pixel rows are the original's, byte for byte.
    const uint32_t origOff = readU32le(original.data() + 10);
    ASSERT_GE(original.size(), origOff + image->imageSize());
    EXPECT_TRUE(std::equal(out.begin() + offBits, out.end(), original.begin() + origOff));
    EXPECT_TRUE(std::equal(out.begin() + 14, out.begin() + offBits, original.begin() + 14));

    // And what we write reads back as the same image.
    const std::optional<BmpImage> again = parse(out);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->pixels(), image->pixels());
    EXPECT_EQ(again->infoBlock(), image->infoBlock());
    EXPECT_EQ(written(*again), out);
}

INSTANTIATE_TEST_SUITE_P(ToolMadeFiles, BmpFixture,
                         ::testing::Values(FixtureCase{"im1_w5.bmp", 5, 3, 1, 2, false},
                                           FixtureCase{"pil1_w13.bmp", 13, 7, 1, 2, false},
                                           FixtureCase{"im4_w13.bmp", 13, 7, 4, 16, false},
                                           FixtureCase{"im4_w13_clr0.bmp", 13, 7, 4, 16, false},
                                           FixtureCase{"im4_w13_topdown.bmp", 13, 7, 4, 16, true},
                                           FixtureCase{"im8_w21.bmp", 21, 9, 8, 256, false},
                                           FixtureCase{"pil8_grey.bmp", 13, 7, 8, 256, false},
                                           FixtureCase{"pil8_grey_clr0.bmp", 13, 7, 8, 256, false},
                                           FixtureCase{"pil8_table16.bmp", 13, 7, 8, 16, false},
                                           FixtureCase{"im24_w6.bmp", 6, 5, 24, 0, false},
                                           FixtureCase{"pil24_w3.bmp", 3, 4, 24, 0, false},
                                           FixtureCase{"pil24_w5.bmp", 5, 3, 24, 0, false},
                                           FixtureCase{"pil24_w5_topdown.bmp", 5, 3, 24, 0, true},
                                           FixtureCase{"pil32_w7.bmp", 7, 5, 32, 0, false},
                                           FixtureCase{"im16_565_v5.bmp", 13, 7, 16, 0, false},
                                           FixtureCase{"im32_masks_v5.bmp", 13, 7, 32, 0, false}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             return name;
                         });

TEST(BmpImage, EveryTruncationIsRefused)
{
    for (const char* file : {"pil24_w5.bmp", "im4_w13.bmp", "im32_masks_v5.bmp"})
    {
        const std::vector<uint8_t> bytes = fixture(file);
        const uint32_t needed = readU32le(bytes.data() + 10) + uint32_t(parse(bytes)->imageSize());
        for (size_t size = 0; size < needed; ++size)
        {
            std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + size);
            EXPECT_FALSE(parse(cut)) << file << " cut to " << size;
        }
    }
}

struct Damage
{
    const char* what;
    size_t offset;
    int bytes;
    uint32_t value;
};

class BmpDamage : public ::testing::TestWithParam<Damage>
{
};

TEST_P(BmpDamage, IsRefused)
{
    const Damage& d = GetParam();
    std::vector<uint8_t> bytes = fixture("pil8_grey.bmp");
    ASSERT_TRUE(parse(bytes));
    if (d.bytes == 2)
        writeU16le(bytes.data() + d.offset, uint16_t(d.value));
    else
        writeU32le(bytes.data() + d.offset, d.value);
    EXPECT_FALSE(parse(bytes)) << d.what;
}

INSTANTIATE_TEST_SUITE_P(
    InconsistentHeaders, BmpDamage,
    ::testing::Values(
        Damage{"signature", 0, 2, 0x4142}, Damage{"offset below 54", 10, 4, 53},
        Damage{"offset short of the table", 10, 4, 1077},
        Damage{"offset past the end", 10, 4, 5000}, Damage{"offset wraps", 10, 4, 0xFFFFFFFFu},
        Damage{"core header", 14, 4, 12}, Damage{"header past the block", 14, 4, 2000},
        Damage{"zero width", 18, 4, 0}, Damage{"negative width", 18, 4, 0xFFFFFFF3u},
        Damage{"absurd width", 18, 4, 0x7FFFFFFF}, Damage{"zero height", 22, 4, 0},
        Damage{"minimum height", 22, 4, 0x80000000u}, Damage{"absurd height", 22, 4, 100000},
        Damage{"height beyond the data", 22, 4, 9}, Damage{"bit count 2", 28, 2, 2},
        Damage{"bit count 0", 28, 2, 0}, Damage{"bit count 64", 28, 2, 64},
        Damage{"run-length 8", 30, 4, BI_RLE8}, Damage{"run-length 4", 30, 4, BI_RLE4},
        Damage{"JPEG", 30, 4, BI_JPEG}, Damage{"PNG", 30, 4, BI_PNG},
        Damage{"masks on 8 bits", 30, 4, BI_BITFIELDS}, Damage{"unknown compression", 30, 4, 77},
        Damage{"more colours than bits allow", 46, 4, 257},
        Damage{"colour count wraps", 46, 4, 0x40000001u}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(BmpImage, RefusesFilesThatAreNotImagesOfPixelRows)
{
    // Tool-made run-length file.
    EXPECT_FALSE(parse(fixture("im8_rle.bmp")));
    // 24 bits with masks, and a colour table longer than the block.
    std::vector<uint8_t> bytes = fixture("pil24_w5.bmp");
    writeU32le(bytes.data() + 30, BI_BITFIELDS);
    EXPECT_FALSE(parse(bytes));
    bytes = fixture("pil24_w5.bmp");
    writeU32le(bytes.data() + 46, 4);
    EXPECT_FALSE(parse(bytes));
    // An image size that does not fit 32 bits, in a file that claims it.
    bytes = fixture("pil32_w7.bmp");
    writeU32le(bytes.data() + 18, 60000);
    writeU32le(bytes.data() + 22, 60000);
    EXPECT_FALSE(parse(bytes));
}

TEST(BmpImage, ExtraBytesAfterTheTableAndThePixelsAreTolerated)
{
    std::vector<uint8_t> bytes = fixture("pil24_w5.bmp");
    // A gap of 10 bytes between header and pixels, as some writers leave.
    bytes.insert(bytes.begin() + 54, 10, 0xEE);
    writeU32le(bytes.data() + 10, 64);
    bytes.insert(bytes.end(), 7, 0xAB);
    const std::optional<BmpImage> image = parse(bytes);
    ASSERT_TRUE(image);
    const std::vector<uint8_t> out = written(*image);
    EXPECT_EQ(readU32le(out.data() + 10), 54u);
    EXPECT_TRUE(std::equal(out.begin() + 54, out.end(), bytes.begin() + 64));
}

TEST(BmpImage, FromPixelsBuildsTheHeaderAndTables)
{
    std::vector<uint8_t> rows(16 * 3, 0x5A);
    std::optional<BmpImage> image = BmpImage::fromPixels(rows.data(), 5, 3, 24);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->stride(), 16u);
    EXPECT_EQ(image->infoBlock().size(), 40u);
    std::vector<uint8_t> out = written(*image);
    EXPECT_EQ(out.size(), 54u + 48u);
    EXPECT_EQ(readI32le(out.data() + 22), 3);
    EXPECT_EQ(readU16le(out.data() + 26), 1);

    std::vector<uint8_t> grey(16 * 2);
    image = BmpImage::fromPixels(grey.data(), 13, 2, 8);
    ASSERT_TRUE(image);
    out = written(*image);
    EXPECT_EQ(readU32le(out.data() + 10), 1078u);
    EXPECT_EQ(out.size(), 1078u + 32u);
    for (int i : {0, 1, 128, 255})
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(out[54 + 4 * i + k], i);

    std::vector<uint8_t> mono(4 * 2);
    image = BmpImage::fromPixels(mono.data(), 9, 2, 1);
    ASSERT_TRUE(image);
    out = written(*image);
    const std::vector<uint8_t> table(out.begin() + 54, out.begin() + 62);
    EXPECT_EQ(table, (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));

    EXPECT_FALSE(BmpImage::fromPixels(nullptr, 5, 3, 24));
    EXPECT_FALSE(BmpImage::fromPixels(rows.data(), 0, 3, 24));
    EXPECT_FALSE(BmpImage::fromPixels(rows.data(), 5, -3, 24));
    EXPECT_FALSE(BmpImage::fromPixels(rows.data(), 5, 3, 12));
}

TEST(BmpImage, PalettesArePaddedForDrawing)
{
    const std::optional<BmpImage> image = parse(fixture("pil8_table16.bmp"));
    ASSERT_TRUE(image);
    const BITMAPINFO* info = image->bitmapInfo();
    EXPECT_EQ(info->bmiHeader.biClrUsed, 16u);
    EXPECT_EQ(info->bmiHeader.biBitCount, 8);
    // Entries past the table read as black rather than past the buffer.
    const RGBQUAD* colours = info->bmiColors;
    EXPECT_EQ(colours[255].rgbRed, 0);
    EXPECT_EQ(std::memcmp(&colours[15], image->infoBlock().data() + 40 + 60, 4), 0);
}

} // namespace
} // namespace kwz::rast
