// Repainting only the rows an edit changed must leave the working surface exactly as a whole
// repaint on the pristine pixels would: random edit sequences on every bit count, compared
// byte for byte after each step. KWZ_DAMAGE_SEED and KWZ_DAMAGE_STEPS repeat or lengthen a
// run.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "bitmap/raster_bitmap.h"
#include "gaugit.h"
#include "platform/draw/raster_context.h"
#include "platform/testing/fake_clock.h"

namespace kwz::rast {
namespace {

uint64_t fromEnvironment(const char* name, uint64_t fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::strtoull(value, nullptr, 0) : fallback;
}

constexpr int kWidth = 150;
constexpr int kHeight = 420;

std::vector<uint8_t> noise(size_t size, uint32_t seed)
{
    std::vector<uint8_t> bytes(size);
    std::mt19937 random(seed);
    for (uint8_t& b : bytes)
        b = uint8_t(random());
    return bytes;
}

// The surface a whole repaint gives: the pristine pixels with every figure drawn on them.
std::vector<uint8_t> wholeRepaint(const RasterBitmap& bitmap)
{
    const BmpImage& image = *bitmap.image();
    std::vector<uint8_t> bits(image.pixels().begin(), image.pixels().end());
    std::unique_ptr<RasterContext> surface = RasterContext::wrap(bits.data(), image.bitmapInfo());
    if (bitmap.engine() != nullptr)
        GtDraw(bitmap.engine(), toHdc(surface.get()));
    return bits;
}

class Editor
{
  public:
    Editor(RasterBitmap& bitmap, uint32_t seed) : bitmap_(bitmap), random_(seed) {}

    // One user-like step; most move the pointer, since hovering is the common repaint.
    void step()
    {
        // Now and then the window goes to the background and gives its surface back.
        if (pick(0, 199) == 0)
            bitmap_.releaseWorkingSurface();
        HGAUGIT engine = bitmap_.engineForChange();
        const int choice = pick(0, 99);
        if (choice < 40)
            GtIsPassGraphic(engine, coordinate(kWidth), coordinate(kHeight));
        else if (choice < 55)
            construct(engine);
        else if (choice < 65)
            GtIsHitGraphic(engine, coordinate(kWidth), coordinate(kHeight));
        else if (choice < 77)
            GtMoveGraphic(engine, pick(-25, 25), pick(-25, 25));
        else if (choice < 80)
            GtClearHitGraphic(engine);
        else if (choice < 83)
            GaugitSetPen(engine, pick(0, 5), pick(1, 6), colour(), colour(), colour());
        else if (choice < 85)
            GtHideDescriptor(engine, pick(0, 1));
        else if (choice < 87)
            GtHideRuler(engine, pick(0, 1) == 0 ? 0 : 1);
        else if (choice < 89)
            GtSetPrecision(engine, pick(0, 4));
        else if (choice < 91)
            GtSetDescFont(engine, "Times New Roman", pick(10, 24));
        else if (choice < 93)
            GtSetTxtFont(engine, "Times New Roman", pick(10, 30), colour(), colour(), colour());
        else if (choice < 94 && ++clears_ % 4 == 0)
            GtClearAllGraphic(engine);
        else
            GtChangePointToGraphic(engine, point());
    }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    // Mostly on the image, sometimes just beyond an edge.
    int coordinate(int size) { return pick(-30, size + 30); }
    POINT point() { return POINT{coordinate(kWidth), coordinate(kHeight)}; }
    COLORREF colour() { return COLORREF(random_() & 0xFFFFFF); }

    void construct(HGAUGIT engine)
    {
        const GRAPHICTYPE kinds[] = {
            GT_LINE,           GT_RECT,        GT_CIRCLE_DIAMETER, GT_CIRCLE_CENTRE,
            GT_CIRCLE_3POINTS, GT_ELLIPSE_BOX, GT_ELLIPSE_CENTRE,  GT_ANGLE,
            GT_POLYGON,        GT_TEXT};
        const GRAPHICTYPE kind = kinds[pick(0, 9)];
        const POINT start = point();
        GtStartGraphic(engine, start, kind);
        if (kind == GT_TEXT)
        {
            const char* texts[] = {"A", "Gauge 12", "jy|Q", ""};
            GtAddStringToGraphic(engine, texts[pick(0, 3)]);
        }
        else
        {
            const int points = kind == GT_POLYGON                              ? pick(1, 4)
                               : kind == GT_ANGLE || kind == GT_CIRCLE_3POINTS ? 2
                                                                               : 1;
            for (int i = 0; i < points; ++i)
                GtAddPointToGraphic(engine,
                                    POINT{start.x + pick(-60, 60), start.y + pick(-60, 60)});
        }
        // Some stay under construction for a while, as a drag in progress does.
        if (pick(0, 3) != 0)
            GtFinishGraphic(engine);
    }

    RasterBitmap& bitmap_;
    std::mt19937 random_;
    int clears_ = 0;
};

TEST(DamageRepaint, EqualsWholeRepaintAfterRandomEditsOnEveryBitCount)
{
    const uint64_t seed = fromEnvironment("KWZ_DAMAGE_SEED", 20261208);
    const uint64_t steps = fromEnvironment("KWZ_DAMAGE_STEPS", 10000);
    for (const int bitCount : {1, 4, 8, 16, 24, 32})
    {
        SCOPED_TRACE(testing::Message() << bitCount << " bits, seed " << seed);
        FakeClock clock(1000);
        RasterBitmap bitmap;
        const size_t stride = ((size_t(kWidth) * bitCount + 31) / 32) * 4;
        const std::vector<uint8_t> rows = noise(stride * kHeight, uint32_t(seed) + bitCount);
        ASSERT_EQ(bitmap.readPixels(rows.data(), kWidth, kHeight, bitCount), Outcome::Done);
        GtSetRuler(bitmap.engineForChange(), POINT{10, 10}, POINT{110, 10}, ZQ_MM, 2.0f);
        Editor editor(bitmap, uint32_t(seed) * 31 + bitCount);
        const size_t size = bitmap.image()->imageSize();
        for (uint64_t i = 0; i < steps; ++i)
        {
            clock.advance(50); // past the engine's pointer throttle
            editor.step();
            ASSERT_EQ(bitmap.draw(nullptr, 0, 0, kWidth, kHeight), Outcome::Done);
            const std::vector<uint8_t> expected = wholeRepaint(bitmap);
            ASSERT_EQ(std::memcmp(bitmap.workingPixels(), expected.data(), size), 0)
                << "after step " << i;
        }
        // The comparison means something only if most repaints took the short way.
        EXPECT_GT(bitmap.partialRepaints(), steps / 4);
    }
}

} // namespace
} // namespace kwz::rast
