#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/draw/font.h"
#include "platform/draw/raster_context.h"
#include "platform/testing/recording_context.h"

namespace kwz {
namespace {

bool endsWithFile(const std::string& path, const std::string& name)
{
    return path.size() >= name.size() &&
           path.compare(path.size() - name.size(), name.size(), name) == 0;
}

TEST(FontMatching, FacesAreFoundByNameAndChineseComesFromAFallback)
{
    auto serif = createFont(labelLogFont("Times New Roman", 14));
    EXPECT_TRUE(endsWithFile(serif->faceFile(U'A'), "LiberationSerif-Regular.ttf"))
        << serif->faceFile(U'A');
    EXPECT_TRUE(serif->hasGlyph(U'直'));
    EXPECT_TRUE(endsWithFile(serif->faceFile(U'直'), "wqy-microhei.ttc")) << serif->faceFile(U'直');

    auto arial = createFont(labelLogFont("Arial", 14));
    EXPECT_TRUE(endsWithFile(arial->faceFile(U'A'), "LiberationSans-Regular.ttf"));
    // No face at all (labels restored from a file): the Swiss family picks the sans face.
    auto unnamed = createFont(labelLogFont("", 14));
    EXPECT_TRUE(endsWithFile(unnamed->faceFile(U'A'), "LiberationSans-Regular.ttf"));
    EXPECT_TRUE(unnamed->hasGlyph(U'线'));
    EXPECT_FALSE(serif->hasGlyph(U'\uFFFF'));
}

TEST(FontCaches, FaceNamesFromFilesLeaveABoundedCacheBehind)
{
    const testing::FontCaches start = testing::fontCaches();
    std::vector<std::unique_ptr<Font>> fonts;
    for (int i = 0; i < 300; ++i)
    {
        fonts.push_back(createFont(labelLogFont("No Such Face " + std::to_string(i), 14)));
        ASSERT_GT(fonts.back()->metrics().height, 0);
    }
    // Every unknown name finds the default face; the Chinese one comes from a fallback.
    EXPECT_EQ(fonts[0]->faceFile(U'A'), fonts[299]->faceFile(U'A'));
    EXPECT_TRUE(fonts[7]->hasGlyph(U'线'));
    const testing::FontCaches held = testing::fontCaches();
    EXPECT_LE(held.matches, held.maxMatches);
    EXPECT_LE(held.distinctMatches, start.distinctMatches + 4);
    fonts.clear();
    EXPECT_EQ(testing::fontCaches().bytes, start.bytes);
}

namespace {
void sumCoverage(void* context, const GlyphCoverage& glyph)
{
    auto& sum = *static_cast<uint64_t*>(context);
    for (int row = 0; row < glyph.height; ++row)
        for (int column = 0; column < glyph.width; ++column)
            sum += glyph.coverage[row * glyph.pitch + column];
}
} // namespace

TEST(FontCaches, GlyphsOfHugeFontsAreDrawnButKeptOnlyWithinTheBudget)
{
    const testing::FontCaches start = testing::fontCaches();
    {
        // 2048 pixels to the em: each capital is megabytes.
        auto font = createFont(labelLogFont("Arial", -2048));
        const std::u16string text = u"WMBQRSGOHKDNAUVXPECZwmbqdgkhnapeuo@%&#";
        uint64_t first = 0, second = 0;
        const SIZE extent = font->render(text, 0, 0, &sumCoverage, &first);
        // More than the budget was drawn: it filled up, and no further.
        EXPECT_GT(testing::fontCaches().bytes, start.budget - (size_t{8} << 20));
        EXPECT_LE(testing::fontCaches().bytes, start.budget + (size_t{1} << 20));
        // Glyphs not kept are made again, the same.
        EXPECT_EQ(font->render(text, 0, 0, &sumCoverage, &second).cx, extent.cx);
        EXPECT_EQ(second, first);
        EXPECT_EQ(font->extent(text).cx, extent.cx);
    }
    EXPECT_EQ(testing::fontCaches().bytes, start.bytes);
}

TEST(FontMetrics, PositiveHeightIsTheCellNegativeTheCharacter)
{
    auto cell = createFont(labelLogFont("Times New Roman", 20));
    TextMetrics cellMetrics = cell->metrics();
    EXPECT_EQ(cellMetrics.height, 20);
    EXPECT_EQ(cellMetrics.ascent + cellMetrics.descent, 20);
    EXPECT_GT(cellMetrics.internalLeading, 0);
    EXPECT_GT(cellMetrics.aveCharWidth, 0);
    EXPECT_GT(cellMetrics.maxCharWidth, cellMetrics.aveCharWidth);
    EXPECT_EQ(cellMetrics.weight, kFontWeightNormal);

    auto character = createFont(labelLogFont("Times New Roman", -20));
    TextMetrics characterMetrics = character->metrics();
    EXPECT_GT(characterMetrics.height, 20);
    EXPECT_EQ(characterMetrics.height - characterMetrics.internalLeading, 20);

    auto huge = createFont(labelLogFont("Times New Roman", 2000000000));
    EXPECT_GT(huge->metrics().height, 0);
}

TEST(FontMetrics, LabelFontCutsLongFaces)
{
    std::string longFace(100, 'x');
    LogFont font = labelLogFont(longFace, 14);
    EXPECT_EQ(std::string(font.faceName).size(), 63u);
    EXPECT_EQ(font.pitchAndFamily, 34);
    EXPECT_EQ(font.charSet, 0);
    EXPECT_EQ(font.weight, 0);
}

TEST(TextExtent, WidthAddsUpAndHeightIsTheLine)
{
    auto font = createFont(labelLogFont("Times New Roman", 14));
    SIZE a = font->extent(u"Line");
    SIZE b = font->extent(u" 0");
    SIZE ab = font->extent(u"Line 0");
    EXPECT_EQ(ab.cx, a.cx + b.cx);
    EXPECT_EQ(ab.cy, font->metrics().height);
    EXPECT_EQ(font->extent(u"").cx, 0);

    auto dc = RasterContext::create(4, 4, 24);
    dc->selectFont(font.get());
    // "直线" in GBK.
    EXPECT_EQ(dc->textExtent("\xD6\xB1\xCF\xDF").cx, dc->textExtentW(u"直线").cx);
    EXPECT_GT(dc->textExtentW(u"直线").cx, 0);
}

struct Box
{
    int left, top, width, height;
};

void collect(void* context, const GlyphCoverage& glyph)
{
    static_cast<std::vector<Box>*>(context)->push_back(
        {glyph.left, glyph.top, glyph.width, glyph.height});
}

TEST(TextRendering, EveryCharacterOfAMixedLabelGetsInk)
{
    auto font = createFont(labelLogFont("Times New Roman", 16));
    std::u16string text = u"直线 Line 0 长度: 5.00MM²";
    std::vector<Box> boxes;
    font->render(text, 4, 4, &collect, &boxes);
    size_t visible = 0;
    for (char16_t c : text)
    {
        if (c != u' ')
            ++visible;
        EXPECT_TRUE(font->hasGlyph(c)) << static_cast<int>(c);
    }
    ASSERT_EQ(boxes.size(), visible);

    auto dc = RasterContext::create(300, 30, 24);
    dc->fill(RGB(255, 255, 255));
    dc->selectFont(font.get());
    dc->setBkMode(kBackgroundTransparent);
    dc->setTextColor(RGB(0, 0, 0));
    dc->textOutW(4, 4, text);
    for (const Box& box : boxes)
    {
        int dark = 0;
        for (int y = box.top; y < box.top + box.height; ++y)
        {
            for (int x = box.left; x < box.left + box.width; ++x)
                dark += GetRValue(dc->pixel(x, y)) < 100;
        }
        EXPECT_GT(dark, 0) << "glyph at " << box.left;
    }
    // Chinese glyphs are full-size characters, not boxes of a missing glyph.
    EXPECT_GE(boxes[0].width, 10);
    EXPECT_GE(boxes[0].height, 10);
}

TEST(TextRendering, CoverageBlendsOnTrueColourAndThresholdsOnPalettes)
{
    auto font = createFont(labelLogFont("Times New Roman", 20));
    auto colour = RasterContext::create(80, 24, 24);
    auto grey = RasterContext::create(80, 24, 8);
    for (RasterContext* dc : {colour.get(), grey.get()})
    {
        dc->fill(RGB(255, 255, 255));
        dc->selectFont(font.get());
        dc->setBkMode(kBackgroundTransparent);
        dc->setTextColor(RGB(0, 0, 0));
        dc->textOutW(2, 2, u"Aa直");
    }
    std::set<COLORREF> colourLevels, greyLevels;
    for (int y = 0; y < 24; ++y)
    {
        for (int x = 0; x < 80; ++x)
        {
            colourLevels.insert(colour->pixel(x, y));
            greyLevels.insert(grey->rawPixel(x, y));
        }
    }
    EXPECT_GT(colourLevels.size(), 4u); // antialiased edges
    EXPECT_EQ(greyLevels, (std::set<COLORREF>{0, 255}));
}

TEST(TextRendering, NarrowTextIsGbkAndOpaqueModeFillsTheCell)
{
    auto font = createFont(labelLogFont("Times New Roman", 16));
    auto wide = RasterContext::create(60, 20, 32);
    auto narrow = RasterContext::create(60, 20, 32);
    wide->selectFont(font.get());
    narrow->selectFont(font.get());
    wide->setTextColor(RGB(255, 255, 0));
    narrow->setTextColor(RGB(255, 255, 0));
    wide->textOutW(1, 1, u"直线");
    narrow->textOut(1, 1, "\xD6\xB1\xCF\xDF");
    EXPECT_EQ(std::memcmp(wide->bits(), narrow->bits(), wide->stride() * 20), 0);
    // Opaque is the starting mode: the cell behind the text is the background colour.
    SIZE size = wide->textExtentW(u"直线");
    EXPECT_EQ(wide->pixel(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(wide->pixel(size.cx, size.cy), RGB(255, 255, 255));
    EXPECT_EQ(wide->pixel(size.cx + 1, size.cy + 1), 0u);
}

TEST(TextRendering, TextOffTheImageIsClipped)
{
    auto font = createFont(labelLogFont("Times New Roman", 40));
    auto dc = RasterContext::create(10, 10, 4);
    dc->selectFont(font.get());
    dc->textOutW(-15, -20, u"WW直");
    dc->textOutW(5, 5, u"W直");
    // The same texts on a surface that holds them whole, 50 pixels further in.
    auto whole = RasterContext::create(110, 110, 4);
    whole->selectFont(font.get());
    whole->textOutW(35, 30, u"WW直");
    whole->textOutW(55, 55, u"W直");
    std::vector<int> differing;
    int inked = 0;
    for (int y = 0; y < 10; ++y)
    {
        for (int x = 0; x < 10; ++x)
        {
            if (dc->pixel(x, y) != whole->pixel(x + 50, y + 50))
                differing.push_back(y * 10 + x);
            inked += dc->pixel(x, y) != dc->pixel(0, 9);
        }
    }
    EXPECT_TRUE(differing.empty()) << differing.size() << " pixels differ";
    EXPECT_GT(inked, 0);

    // A text at the far corner of the int range draws nothing and ends at once.
    auto corner = RasterContext::create(10, 10, 4);
    corner->selectFont(font.get());
    corner->setBkMode(kBackgroundTransparent);
    corner->textOutW(INT_MAX - 5, INT_MIN, u"W");
    corner->textOutW(INT_MIN, INT_MAX - 5, u"W");
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(corner->pixel(x, y), RGB(0, 0, 0)) << x << "," << y;
}

TEST(RecordingContext, KeepsTextsWithPositionColourAndMode)
{
    RecordingContext dc;
    dc.setTextColor(RGB(1, 2, 3));
    dc.setBkMode(kBackgroundTransparent);
    dc.textOutW(5, 6, u"Area: 20MM²");
    dc.textOut(7, 8, "\xD6\xB1\xCF\xDF");
    ASSERT_EQ(dc.texts(), (std::vector<std::string>{"Area: 20MM²", "直线"}));
    EXPECT_EQ(dc.calls[0].points[0].x, 5);
    EXPECT_EQ(dc.calls[0].points[0].y, 6);
    EXPECT_EQ(dc.calls[0].textColor, RGB(1, 2, 3));
    EXPECT_EQ(dc.calls[0].bkMode, kBackgroundTransparent);
}

} // namespace
} // namespace kwz
