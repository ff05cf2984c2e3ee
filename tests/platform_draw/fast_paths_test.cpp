// The quick ways labels and outlines are drawn must give the pictures the plain ways give:
// vector blending, cached text masks, stepped lines, ellipse ends worked out ahead.

#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/draw/coverage_blend.h"
#include "platform/draw/font.h"
#include "platform/draw/raster_context.h"

namespace kwz {
namespace {

unsigned nextRandom(unsigned& seed)
{
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
}

uint8_t expectedMix(unsigned fore, unsigned under, unsigned c)
{
    return static_cast<uint8_t>((fore * c + under * (255 - c) + 127) / 255);
}

class CoverageBlend : public ::testing::TestWithParam<BlendKernel>
{
  protected:
    void SetUp() override
    {
        CoverageSpan none{nullptr, nullptr, 0};
        if (!blendCoverageSpansWith(GetParam(), &none, 0, 3, 0, 0, 0))
            GTEST_SKIP() << "this processor lacks the instructions";
    }
    void blend(uint8_t* pixels, int bytes, const uint8_t* coverage, int count, uint8_t blue,
               uint8_t green, uint8_t red)
    {
        CoverageSpan span{pixels, coverage, count};
        blendCoverageSpansWith(GetParam(), &span, 1, bytes, blue, green, red);
    }
};

TEST_P(CoverageBlend, KernelsAgreeWithTheRoundedMix)
{
    unsigned seed = 99;
    for (int bytes : {3, 4})
    {
        for (int count = 0; count <= 200; count += count < 70 ? 1 : 13)
        {
            std::vector<uint8_t> coverage(static_cast<size_t>(count));
            std::vector<uint8_t> under(static_cast<size_t>(count) * bytes);
            for (auto& c : coverage)
            {
                unsigned pick = nextRandom(seed) % 4;
                c = pick == 0 ? 0 : pick == 1 ? 255 : static_cast<uint8_t>(nextRandom(seed));
            }
            for (auto& u : under)
                u = static_cast<uint8_t>(nextRandom(seed));
            uint8_t blue = static_cast<uint8_t>(nextRandom(seed));
            uint8_t green = static_cast<uint8_t>(nextRandom(seed));
            uint8_t red = static_cast<uint8_t>(nextRandom(seed));
            // One pixel more on each side: neither may be touched.
            std::vector<uint8_t> fast(under.size() + 2 * bytes, 0xA5), portable;
            std::copy(under.begin(), under.end(), fast.begin() + bytes);
            portable = fast;
            blend(fast.data() + bytes, bytes, coverage.data(), count, blue, green, red);
            blendCoverageRowPortable(portable.data() + bytes, bytes, coverage.data(), count, blue,
                                     green, red);
            ASSERT_EQ(fast, portable) << bytes << " bytes, " << count << " pixels";
            for (int x = 0; x < count; ++x)
            {
                const uint8_t* before = &under[static_cast<size_t>(x) * bytes];
                const uint8_t* after = &fast[static_cast<size_t>(x + 1) * bytes];
                unsigned c = coverage[static_cast<size_t>(x)];
                ASSERT_EQ(after[0], expectedMix(blue, before[0], c));
                ASSERT_EQ(after[1], expectedMix(green, before[1], c));
                ASSERT_EQ(after[2], expectedMix(red, before[2], c));
                if (bytes == 4)
                {
                    ASSERT_EQ(after[3], before[3]);
                }
            }
            for (int i = 0; i < bytes; ++i)
            {
                ASSERT_EQ(fast[static_cast<size_t>(i)], 0xA5);
                ASSERT_EQ(fast[fast.size() - 1 - static_cast<size_t>(i)], 0xA5);
            }
        }
    }
    // Several rows in one call: the colour is set up once and serves every row.
    for (int bytes : {3, 4})
    {
        std::vector<int> lengths = {5, 16, 0, 33, 1, 47, 15};
        std::vector<std::vector<uint8_t>> rows, expected, coverage;
        std::vector<CoverageSpan> spans;
        for (int length : lengths)
        {
            std::vector<uint8_t> cover(static_cast<size_t>(length)),
                pixels(static_cast<size_t>(length) * bytes);
            for (auto& c : cover)
                c = static_cast<uint8_t>(nextRandom(seed));
            for (auto& p : pixels)
                p = static_cast<uint8_t>(nextRandom(seed));
            coverage.push_back(cover);
            rows.push_back(pixels);
        }
        expected = rows;
        for (size_t i = 0; i < rows.size(); ++i)
        {
            spans.push_back(CoverageSpan{rows[i].data(), coverage[i].data(), lengths[i]});
            blendCoverageRowPortable(expected[i].data(), bytes, coverage[i].data(), lengths[i], 9,
                                     180, 250);
        }
        blendCoverageSpansWith(GetParam(), spans.data(), spans.size(), bytes, 9, 180, 250);
        EXPECT_EQ(rows, expected) << bytes << " bytes";
    }
    // Every coverage against every underlying value, for the extreme colours.
    std::vector<uint8_t> coverage(256 * 256), pixels(256 * 256 * 3), reference;
    for (int c = 0; c < 256; ++c)
    {
        for (int u = 0; u < 256; ++u)
        {
            coverage[static_cast<size_t>(c * 256 + u)] = static_cast<uint8_t>(c);
            for (int k = 0; k < 3; ++k)
                pixels[static_cast<size_t>((c * 256 + u) * 3 + k)] = static_cast<uint8_t>(u);
        }
    }
    reference = pixels;
    blend(pixels.data(), 3, coverage.data(), 256 * 256, 0, 128, 255);
    blendCoverageRowPortable(reference.data(), 3, coverage.data(), 256 * 256, 0, 128, 255);
    EXPECT_EQ(pixels, reference);
}

INSTANTIATE_TEST_SUITE_P(EveryKernel, CoverageBlend,
                         ::testing::Values(BlendKernel::Portable, BlendKernel::Avx2,
                                           BlendKernel::Avx512));

TEST(CoverageBlendChoice, TheChosenKernelAgreesWithThePortableOne)
{
    std::vector<uint8_t> coverage(300), fast(900), portable;
    for (size_t i = 0; i < coverage.size(); ++i)
        coverage[i] = static_cast<uint8_t>(i * 37);
    for (size_t i = 0; i < fast.size(); ++i)
        fast[i] = static_cast<uint8_t>(i * 11);
    portable = fast;
    blendCoverageRow(fast.data(), 3, coverage.data(), 300, 1, 2, 3);
    blendCoverageRowPortable(portable.data(), 3, coverage.data(), 300, 1, 2, 3);
    EXPECT_EQ(fast, portable);
}

// Pixels of a solid one-pixel line as the drawing rules define them.
std::set<std::pair<int, int>> linePixels(int x0, int y0, int x1, int y1)
{
    std::set<std::pair<int, int>> pixels;
    int dx = x1 - x0, dy = y1 - y0;
    bool xMajor = std::abs(dx) >= std::abs(dy);
    int n = xMajor ? std::abs(dx) : std::abs(dy);
    int minorAbs = xMajor ? std::abs(dy) : std::abs(dx);
    int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    for (int i = 0; i < n; ++i)
    {
        int major = (xMajor ? x0 : y0) + majorStep * i;
        int minor = (xMajor ? y0 : x0) + minorStep * ((2 * i * minorAbs + n) / (2 * n));
        pixels.insert(xMajor ? std::pair{major, minor} : std::pair{minor, major});
    }
    return pixels;
}

TEST(FastPaths, SolidLinesOfEverySlopeHitExactlyTheirPixels)
{
    unsigned seed = 5;
    for (int bitCount : {24, 8, 32})
    {
        for (int trial = 0; trial < 150; ++trial)
        {
            auto dc = RasterContext::create(40, 30, bitCount);
            int x0 = static_cast<int>(nextRandom(seed) % 70) - 15;
            int y0 = static_cast<int>(nextRandom(seed) % 60) - 15;
            int x1 = static_cast<int>(nextRandom(seed) % 70) - 15;
            int y1 = static_cast<int>(nextRandom(seed) % 60) - 15;
            // Level and upright lines, both ways, take a path of their own.
            if (trial % 5 == 1)
                y1 = y0;
            if (trial % 5 == 2)
                x1 = x0;
            dc->selectPen(Pen{kPenSolid, 1, RGB(255, 255, 255)});
            dc->moveTo(x0, y0);
            dc->lineTo(x1, y1);
            std::set<std::pair<int, int>> expected = linePixels(x0, y0, x1, y1), drawn;
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x)
                    if (dc->pixel(x, y) != 0)
                        drawn.insert({x, y});
            std::set<std::pair<int, int>> inside;
            for (auto p : expected)
                if (p.first >= 0 && p.first < 40 && p.second >= 0 && p.second < 30)
                    inside.insert(p);
            ASSERT_EQ(drawn, inside)
                << bitCount << ": (" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ")";
        }
    }
}

// What a small surface shows must be the same part of what a large one shows.
void expectCrop(const RasterContext& large, const RasterContext& small, int left, int top,
                const std::string& what)
{
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            ASSERT_EQ(small.pixel(x, y), large.pixel(x + left, y + top))
                << what << " at " << x << "," << y;
}

TEST(FastPaths, EllipsesCutByTheImageEdgeKeepTheirVisiblePart)
{
    const RECT boxes[] = {{10, -30, 50, 20},  {-20, 5, 30, 25},   {5, 15, 55, 90},
                          {-40, -40, 90, 70}, {12, -60, 28, -2},  {0, 0, 40, 30},
                          {3, 29, 37, 31},    {-5, -100, 45, 200}};
    for (int width : {1, 3})
    {
        for (const RECT& box : boxes)
        {
            auto small = RasterContext::create(40, 30, 24);
            auto large = RasterContext::create(240, 330, 24);
            for (RasterContext* dc : {small.get(), large.get()})
                dc->selectPen(Pen{kPenSolid, width, RGB(200, 10, 90)});
            small->ellipse(box.left, box.top, box.right, box.bottom);
            large->ellipse(box.left + 100, box.top + 150, box.right + 100, box.bottom + 150);
            expectCrop(*large, *small, 100, 150,
                       "box " + std::to_string(box.left) + "," + std::to_string(box.top));
        }
    }
}

TEST(FastPaths, DashedFramesCutByTheImageEdgeKeepTheirPattern)
{
    // The top edge lies wholly above the image: the dashes of the other edges must still
    // start where they would on a larger image.
    const RECT boxes[] = {{5, -20, 33, 25}, {-17, 3, 30, 28}, {-9, -9, 47, 37}};
    for (const RECT& box : boxes)
    {
        auto small = RasterContext::create(40, 30, 24);
        auto large = RasterContext::create(140, 130, 24);
        for (RasterContext* dc : {small.get(), large.get()})
            dc->selectPen(Pen{kPenDashDotDot, 1, RGB(255, 255, 255)});
        small->rectangle(box.left, box.top, box.right, box.bottom);
        large->rectangle(box.left + 50, box.top + 50, box.right + 50, box.bottom + 50);
        expectCrop(*large, *small, 50, 50, "box " + std::to_string(box.left));
    }
    // A first stroke wholly left of the image, then one coming in.
    auto small = RasterContext::create(40, 30, 24);
    auto large = RasterContext::create(140, 130, 24);
    for (RasterContext* dc : {small.get(), large.get()})
        dc->selectPen(Pen{kPenDashDotDot, 1, RGB(255, 255, 255)});
    const POINT path[] = {{-37, 5}, {-4, 5}, {33, 27}};
    const POINT moved[] = {{13, 55}, {46, 55}, {83, 77}};
    small->polyline(path, 3);
    large->polyline(moved, 3);
    expectCrop(*large, *small, 50, 50, "polyline");
}

TEST(FastPaths, TextCutByTheImageEdgeKeepsItsVisiblePart)
{
    auto font = createFont(labelLogFont("Arial", 14));
    const POINT places[] = {{-7, -5}, {30, 20}, {-40, 8}, {2, -10}, {60, 2}};
    for (int bitCount : {24, 32, 16, 8})
    {
        for (POINT at : places)
        {
            auto small = RasterContext::create(80, 24, bitCount);
            auto large = RasterContext::create(300, 100, bitCount);
            for (RasterContext* dc : {small.get(), large.get()})
            {
                dc->fill(RGB(40, 90, 160));
                dc->selectFont(font.get());
                dc->setBkMode(kBackgroundTransparent);
                dc->setTextColor(RGB(250, 240, 20));
            }
            small->textOutW(at.x, at.y, u"Length: 5.00MM 直线");
            large->textOutW(at.x + 100, at.y + 40, u"Length: 5.00MM 直线");
            expectCrop(*large, *small, 100, 40, std::to_string(bitCount) + " bits");
        }
    }
}

struct Placed
{
    std::vector<GlyphCoverage> glyphs;
    std::vector<std::vector<uint8_t>> coverage;
};

void keep(void* context, const GlyphCoverage& glyph)
{
    auto& placed = *static_cast<Placed*>(context);
    std::vector<uint8_t> copy;
    for (int row = 0; row < glyph.height; ++row)
        copy.insert(copy.end(), glyph.coverage + row * glyph.pitch,
                    glyph.coverage + row * glyph.pitch + glyph.width);
    placed.glyphs.push_back(glyph);
    placed.coverage.push_back(std::move(copy));
}

// A label line of a numbered figure, as a repaint draws them.
std::u16string lineText(int i)
{
    std::u16string text = u"Length: ";
    for (char c : std::to_string(i))
        text.push_back(static_cast<char16_t>(c));
    return text + u".25 mm";
}

// All lines of a thousand labels share one font: a repaint that walks them in turn finds each
// one laid out by the repaint before.
TEST(TextRuns, EveryLineOfAThousandLabelsStaysLaidOut)
{
    auto font = createFont(labelLogFont("Arial", 14));
    std::vector<std::shared_ptr<const TextRun>> first;
    for (int i = 0; i < 5000; ++i)
        first.push_back(font->layout(lineText(i)));
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(font->layout(lineText(i)), first[static_cast<size_t>(i)]) << i;
}

TEST(TextRuns, MaskHoldsEveryGlyphAndCacheKeepsRunsAlive)
{
    LogFont request = labelLogFont("Arial", 16);
    request.underline = 1;
    auto font = createFont(request);
    std::u16string text = u"Area: 20MM² 面积";
    std::shared_ptr<const TextRun> run = font->layout(text);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->extent.cx, font->extent(text).cx);
    EXPECT_EQ(run->extent.cy, font->extent(text).cy);
    EXPECT_EQ(font->layout(text), run); // the same mask on the next repaint

    // Glyphs do not overlap in this text: the mask holds each one's coverage where it goes,
    // except on the underline, which is full.
    Placed placed;
    font->render(text, 0, 0, &keep, &placed);
    ASSERT_GT(placed.glyphs.size(), 10u);
    size_t inked = 0;
    for (size_t g = 0; g < placed.glyphs.size(); ++g)
    {
        const GlyphCoverage& glyph = placed.glyphs[g];
        for (int row = 0; row < glyph.height; ++row)
        {
            for (int column = 0; column < glyph.width; ++column)
            {
                int x = glyph.left + column - run->left;
                int y = glyph.top + row - run->top;
                ASSERT_TRUE(x >= 0 && x < run->width && y >= 0 && y < run->height);
                uint8_t expected =
                    placed.coverage[g][static_cast<size_t>(row * glyph.width + column)];
                uint8_t got = run->coverage[static_cast<size_t>(y * run->width + x)];
                EXPECT_GE(got, expected);
                inked += got != 0;
                const TextRun::Ink& ink = run->ink[static_cast<size_t>(y)];
                if (got != 0)
                {
                    EXPECT_TRUE(x >= ink.first && x < ink.end);
                }
            }
        }
    }
    EXPECT_GT(inked, 100u);

    // Many other texts push the first out of the cache; the run held here stays whole, and the
    // text comes back as the same picture.
    std::vector<uint8_t> before = run->coverage;
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(font->layout(lineText(i)));
    EXPECT_EQ(run->coverage, before);
    std::shared_ptr<const TextRun> again = font->layout(text);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->coverage, before);
    EXPECT_EQ(again->left, run->left);
    EXPECT_EQ(again->top, run->top);

    std::shared_ptr<const TextRun> empty = font->layout(u"");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->width * empty->height, 0);
}

} // namespace
} // namespace kwz
