#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "bitmap/overlay_probe.h"
#include "platform/draw/font.h"
#include "platform/testing/recording_context.h"

namespace kwz::rast {
namespace {

uint64_t signatureOf(const std::function<void(DrawContext&)>& draw)
{
    RecordingContext surface;
    OverlayProbe probe(surface);
    draw(probe);
    EXPECT_TRUE(surface.calls.empty()) << "the probe draws nothing";
    return probe.signature();
}

void label(DrawContext& dc, COLORREF colour, const Font* font, int x)
{
    dc.saveDC();
    dc.selectPen(Pen{kPenSolid, 2, RGB(0, 0, 255)});
    dc.moveTo(1, 2);
    dc.lineTo(30, 40);
    dc.selectFont(font);
    dc.setTextColor(colour);
    dc.setBkMode(kBackgroundTransparent);
    dc.textOutW(x, 5, u"Length: 5.00MM");
    dc.restoreDC(-1);
}

TEST(OverlayProbe, SameCallsSameSignatureAndEveryDifferenceCounts)
{
    const std::unique_ptr<Font> font = createFont(labelLogFont("Times New Roman", 14));
    const std::unique_ptr<Font> bigger = createFont(labelLogFont("Times New Roman", 15));
    const uint64_t base = signatureOf([&](DrawContext& dc) { label(dc, 0xFF0000, font.get(), 3); });
    EXPECT_EQ(base, signatureOf([&](DrawContext& dc) { label(dc, 0xFF0000, font.get(), 3); }));
    EXPECT_NE(base, signatureOf([&](DrawContext& dc) { label(dc, 0x00FF00, font.get(), 3); }));
    EXPECT_NE(base, signatureOf([&](DrawContext& dc) { label(dc, 0xFF0000, bigger.get(), 3); }));
    EXPECT_NE(base, signatureOf([&](DrawContext& dc) { label(dc, 0xFF0000, font.get(), 4); }));
    EXPECT_NE(base, signatureOf([&](DrawContext& dc) {
                  label(dc, 0xFF0000, font.get(), 3);
                  dc.selectPen(Pen{kPenDash, 1, 0});
                  dc.rectangle(0, 0, 5, 5);
              }));
    // The same segment with the pen of another width, and from another current position.
    EXPECT_NE(signatureOf([](DrawContext& dc) {
                  dc.selectPen(Pen{kPenSolid, 1, 0});
                  dc.lineTo(9, 9);
              }),
              signatureOf([](DrawContext& dc) {
                  dc.selectPen(Pen{kPenSolid, 3, 0});
                  dc.lineTo(9, 9);
              }));
    EXPECT_NE(signatureOf([](DrawContext& dc) { dc.lineTo(9, 9); }),
              signatureOf([](DrawContext& dc) {
                  dc.moveTo(1, 0);
                  dc.lineTo(9, 9);
              }));
}

TEST(OverlayProbe, StateAloneDrawsNothingAndCopiedPixelsNeverCompare)
{
    RecordingContext surface;
    OverlayProbe probe(surface);
    probe.saveDC();
    probe.selectPen(Pen{});
    probe.setTextColor(1);
    probe.restoreDC(-1);
    EXPECT_FALSE(probe.drewSomething());
    EXPECT_TRUE(probe.comparable());
    uint8_t bits[4] = {};
    probe.setDIBitsToDevice(0, 0, 1, 1, 0, 0, bits, nullptr);
    EXPECT_TRUE(probe.drewSomething());
    EXPECT_FALSE(probe.comparable());
}

TEST(OverlayProbe, MetricsComeFromTheFontOrTheSurface)
{
    RecordingContext surface;
    OverlayProbe probe(surface);
    EXPECT_EQ(probe.textMetrics().height, surface.textMetrics().height);
    const std::unique_ptr<Font> font = createFont(labelLogFont("Times New Roman", 30));
    probe.selectFont(font.get());
    EXPECT_EQ(probe.textMetrics().height, font->metrics().height);
    EXPECT_EQ(probe.textExtent("abc").cx, font->extent(u"abc").cx);
}

} // namespace
} // namespace kwz::rast

namespace kwz::rast {
namespace {

TEST(OverlayProbe, EachCallKeepsItsOwnSignatureAndTheRowsItReaches)
{
    const std::unique_ptr<Font> font = createFont(labelLogFont("Times New Roman", 14));
    RecordingContext surface;
    OverlayProbe first(surface);
    label(first, 0xFF0000, font.get(), 3);
    OverlayProbe second(surface);
    label(second, 0x00FF00, font.get(), 3);
    ASSERT_EQ(first.ops().size(), 2u);
    ASSERT_EQ(second.ops().size(), 2u);
    // The same segment, another text colour: only the text call differs.
    EXPECT_EQ(first.ops()[0].hash, second.ops()[0].hash);
    EXPECT_NE(first.ops()[1].hash, second.ops()[1].hash);
    // A wide pen reaches beyond the rows its path crosses, text below and above its cell.
    EXPECT_LT(first.ops()[0].top, 2 - 1);
    EXPECT_GT(first.ops()[0].bottom, 40 + 1);
    EXPECT_LT(first.ops()[1].top, 5);
    EXPECT_GT(first.ops()[1].bottom, 5 + font->metrics().height);
}

} // namespace
} // namespace kwz::rast
