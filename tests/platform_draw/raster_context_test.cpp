#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "picture.h"
#include "platform/draw/ellipse_ends.h"
#include "platform/draw/raster_context.h"
#include "platform/draw/vector_drawing.h"

namespace kwz {
namespace {

using test::picture;
using test::rows;

constexpr COLORREF kRed = RGB(255, 0, 0);

std::string drawn(int width, int height, const std::function<void(RasterContext&)>& draw,
                  int bitCount = 24)
{
    auto context = RasterContext::create(width, height, bitCount);
    EXPECT_TRUE(context);
    draw(*context);
    return picture(*context);
}

TEST(RasterPrimitives, LineLeavesOutItsLastPixel)
{
    auto art = drawn(8, 4, [](RasterContext& dc) {
        dc.selectPen({kPenSolid, 1, kRed});
        dc.moveTo(0, 0);
        dc.lineTo(5, 2);
    });
    EXPECT_EQ(art, rows("##......", //
                        "..##....", //
                        "....#...", //
                        "........"));
}

TEST(RasterPrimitives, SteepLineStepsAlongY)
{
    auto art = drawn(8, 6, [](RasterContext& dc) {
        dc.selectPen({kPenSolid, 1, kRed});
        dc.moveTo(6, 0);
        dc.lineTo(4, 5);
    });
    EXPECT_EQ(art, rows("......#.", //
                        "......#.", //
                        ".....#..", //
                        ".....#..", //
                        "....#...", //
                        "........"));
}

TEST(RasterPrimitives, WidePenHasRoundEndsAndCoversItsEndPoint)
{
    auto art = drawn(14, 7, [](RasterContext& dc) {
        dc.selectPen({kPenSolid, 5, kRed});
        dc.moveTo(3, 3);
        dc.lineTo(10, 3);
    });
    EXPECT_EQ(art, rows("..............", //
                        "..##########..", //
                        ".############.", //
                        ".############.", //
                        ".############.", //
                        "..##########..", //
                        ".............."));
}

TEST(RasterPrimitives, WidthThreeDiagonalLine)
{
    auto art = drawn(12, 8, [](RasterContext& dc) {
        dc.selectPen({kPenSolid, 3, kRed});
        dc.moveTo(2, 2);
        dc.lineTo(8, 5);
    });
    EXPECT_EQ(art, rows("............", //
                        ".###........", //
                        ".#####......", //
                        ".#######....", //
                        "...#######..", //
                        ".....#####..", //
                        ".......###..", //
                        "............"));
}

TEST(RasterPrimitives, RectangleStaysInsideItsBox)
{
    auto art = drawn(8, 6, [](RasterContext& dc) {
        dc.selectPen({kPenSolid, 1, kRed});
        dc.rectangle(1, 1, 6, 5);
    });
    EXPECT_EQ(art, rows("........", //
                        ".#####..", //
                        ".#...#..", //
                        ".#...#..", //
                        ".#####..", //
                        "........"));
    // Corners given the other way round draw the same rectangle.
    EXPECT_EQ(art, drawn(8, 6, [](RasterContext& dc) {
                  dc.selectPen({kPenSolid, 1, kRed});
                  dc.rectangle(6, 5, 1, 1);
              }));
}

TEST(RasterPrimitives, WideRectangleIsCentredOnItsOutline)
{
    auto art = drawn(11, 9, [](RasterContext& dc) {
        dc.selectPen({kPenSolid, 3, kRed});
        dc.rectangle(2, 2, 9, 7);
    });
    EXPECT_EQ(art, rows("...........", //
                        ".#########.", //
                        ".#########.", //
                        ".#########.", //
                        ".###...###.", //
                        ".#########.", //
                        ".#########.", //
                        ".#########.", //
                        "..........."));
}

TEST(RasterPrimitives, EllipseIsSymmetricAndInsideItsBox)
{
    EXPECT_EQ(drawn(6, 6,
                    [](RasterContext& dc) {
                        dc.selectPen({kPenSolid, 1, kRed});
                        dc.ellipse(0, 0, 5, 5);
                    }),
              rows(".###..", //
                   "#...#.", //
                   "#...#.", //
                   "#...#.", //
                   ".###..", //
                   "......"));
    EXPECT_EQ(drawn(18, 11,
                    [](RasterContext& dc) {
                        dc.selectPen({kPenSolid, 1, kRed});
                        dc.ellipse(1, 1, 16, 10);
                    }),
              rows("..................", //
                   "....#########.....", //
                   "...#.........#....", //
                   "..#...........#...", //
                   ".#.............#..", //
                   ".#.............#..", //
                   ".#.............#..", //
                   "..#...........#...", //
                   "...#.........#....", //
                   "....#########.....", //
                   ".................."));
}

TEST(RasterPrimitives, FlatEllipseHasNoGaps)
{
    EXPECT_EQ(drawn(11, 3,
                    [](RasterContext& dc) {
                        dc.selectPen({kPenSolid, 1, kRed});
                        dc.ellipse(0, 0, 10, 2);
                    }),
              rows("##########.", //
                   "##########.", //
                   "..........."));
}

TEST(RasterPrimitives, WideEllipseIsARing)
{
    EXPECT_EQ(drawn(15, 13,
                    [](RasterContext& dc) {
                        dc.selectPen({kPenSolid, 3, kRed});
                        dc.ellipse(2, 2, 13, 11);
                    }),
              rows("...............", //
                   ".....#####.....", //
                   "...#########...", //
                   "..###########..", //
                   ".####.....####.", //
                   ".###.......###.", //
                   ".###.......###.", //
                   ".###.......###.", //
                   ".####.....####.", //
                   "..###########..", //
                   "...#########...", //
                   ".....#####.....", //
                   "..............."));
}

TEST(RasterPrimitives, DashDotDotPatternRunsOnAroundTheRectangle)
{
    EXPECT_EQ(drawn(21, 5,
                    [](RasterContext& dc) {
                        dc.selectPen({kPenDashDotDot, 1, kRed});
                        dc.rectangle(0, 0, 20, 4);
                    }),
              rows("#########...###...##.", //
                   "#..................#.", //
                   "#....................", //
                   "...###...#########...", //
                   "....................."));
}

TEST(RasterPrimitives, PolygonClosesAndPolylineDoesNot)
{
    POINT points[] = {{1, 1}, {8, 3}, {3, 6}};
    EXPECT_EQ(drawn(10, 8,
                    [&](RasterContext& dc) {
                        dc.selectPen({kPenSolid, 1, kRed});
                        dc.polygon(points, 3);
                    }),
              rows("..........", //
                   ".##.......", //
                   ".#.####...", //
                   "..#....##.", //
                   "..#...##..", //
                   "...###....", //
                   "...#......", //
                   ".........."));
    EXPECT_EQ(drawn(10, 8,
                    [&](RasterContext& dc) {
                        dc.selectPen({kPenSolid, 1, kRed});
                        dc.polyline(points, 3);
                    }),
              rows("..........", //
                   ".##.......", //
                   "...####...", //
                   ".......##.", //
                   "......##..", //
                   "....##....", //
                   "..........", //
                   ".........."));
}

TEST(RasterPrimitives, NullPenAndEmptyBoxesDrawNothing)
{
    std::string blank = drawn(6, 6, [](RasterContext&) {});
    EXPECT_EQ(blank, drawn(6, 6, [](RasterContext& dc) {
                  dc.selectPen({kPenNull, 1, kRed});
                  dc.rectangle(0, 0, 5, 5);
                  dc.ellipse(0, 0, 5, 5);
                  dc.moveTo(0, 0);
                  dc.lineTo(5, 5);
              }));
    EXPECT_EQ(blank, drawn(6, 6, [](RasterContext& dc) {
                  dc.selectPen({kPenSolid, 1, kRed});
                  dc.rectangle(2, 2, 2, 5);
                  dc.ellipse(1, 3, 4, 3);
                  dc.polygon(nullptr, 3);
                  POINT one{1, 1};
                  dc.polyline(&one, 1);
              }));
}

// A scene with every primitive, drawn on each bit count: the ink must land on the same
// pixels everywhere, and on both row orders.
void scene(RasterContext& dc)
{
    dc.fill(RGB(255, 255, 255));
    dc.selectPen({kPenSolid, 1, RGB(0, 0, 0)});
    dc.moveTo(1, 1);
    dc.lineTo(30, 17);
    dc.rectangle(3, 2, 20, 14);
    dc.ellipse(10, 4, 29, 19);
    dc.selectPen({kPenDashDotDot, 1, RGB(0, 0, 0)});
    dc.rectangle(0, 0, 33, 21);
    dc.selectPen({kPenSolid, 3, RGB(0, 0, 0)});
    POINT points[] = {{25, 3}, {31, 9}, {22, 12}};
    dc.polygon(points, 3);
}

class RasterBitCounts : public ::testing::TestWithParam<int>
{
};

TEST_P(RasterBitCounts, EveryBitCountAndRowOrderShowsTheSamePicture)
{
    auto reference = RasterContext::create(33, 21, 24);
    scene(*reference);
    std::string expected = picture(*reference, RGB(255, 255, 255));
    for (bool topDown : {false, true})
    {
        auto context = RasterContext::create(33, 21, GetParam(), topDown);
        ASSERT_TRUE(context);
        scene(*context);
        EXPECT_EQ(picture(*context, RGB(255, 255, 255)), expected)
            << GetParam() << " bits, top-down " << topDown;
    }
}

INSTANTIATE_TEST_SUITE_P(AllDepths, RasterBitCounts, ::testing::Values(1, 4, 8, 16, 24, 32));

TEST(RasterRowOrder, TopRowIsStoredLastInABottomUpImage)
{
    auto bottomUp = RasterContext::create(4, 3, 8);
    auto topDown = RasterContext::create(4, 3, 8, true);
    for (auto* dc : {bottomUp.get(), topDown.get()})
    {
        dc->selectPen({kPenSolid, 1, RGB(255, 255, 255)});
        dc->moveTo(0, 0);
        dc->lineTo(4, 0);
    }
    EXPECT_EQ(bottomUp->bits()[2 * bottomUp->stride()], 255);
    EXPECT_EQ(bottomUp->bits()[0], 0);
    EXPECT_EQ(topDown->bits()[0], 255);
}

TEST(RasterPalette, ColoursBecomeTheNearestEntryOfAGreyImage)
{
    auto dc = RasterContext::create(4, 1, 8); // grey ramp: entry i is (i, i, i)
    dc->selectPen({kPenSolid, 1, RGB(200, 10, 10)});
    dc->moveTo(0, 0);
    dc->lineTo(2, 0);
    // (200 - g)^2 + 2 (10 - g)^2 is least at g = 73.
    EXPECT_EQ(dc->rawPixel(0, 0), 73u);
    EXPECT_EQ(dc->rawPixel(1, 0), 73u);
    EXPECT_EQ(dc->rawPixel(2, 0), 0u);
    EXPECT_EQ(dc->pixel(0, 0), RGB(73, 73, 73));

    RGBQUAD palette[3] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}}; // black, red, blue
    auto colour = RasterContext::create(3, 1, 4, false, palette, 3);
    colour->setPixel(0, 0, RGB(200, 40, 30));
    colour->setPixel(1, 0, RGB(10, 20, 180));
    EXPECT_EQ(colour->rawPixel(0, 0), 1u);
    EXPECT_EQ(colour->rawPixel(1, 0), 2u);
    EXPECT_EQ(colour->rawPixel(2, 0), 0u);
}

TEST(RasterPacking, SixteenBitPixelsFollowTheirMasks)
{
    auto plain = RasterContext::create(1, 1, 16);
    plain->setPixel(0, 0, RGB(255, 0, 0));
    EXPECT_EQ(plain->rawPixel(0, 0), 0x7C00u);

    // 5-6-5 through colour masks after the header.
    struct
    {
        BITMAPINFOHEADER header;
        uint32_t masks[3];
    } info{};
    info.header.biSize = BMP_INFO_HEADER_SIZE;
    info.header.biWidth = 2;
    info.header.biHeight = 1;
    info.header.biPlanes = 1;
    info.header.biBitCount = 16;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    uint8_t bits[4] = {};
    auto dc = RasterContext::wrap(bits, reinterpret_cast<BITMAPINFO*>(&info));
    ASSERT_TRUE(dc);
    dc->setPixel(0, 0, RGB(0, 255, 0));
    dc->setPixel(1, 0, RGB(255, 255, 255));
    EXPECT_EQ(bits[0] | bits[1] << 8, 0x07E0);
    EXPECT_EQ(dc->pixel(1, 0), RGB(255, 255, 255));
}

TEST(RasterSetUp, RefusesImagesItCannotDraw)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = BMP_INFO_HEADER_SIZE;
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    uint8_t bits[64] = {};
    EXPECT_TRUE(RasterContext::wrap(bits, &info));
    EXPECT_FALSE(RasterContext::wrap(nullptr, &info));
    EXPECT_FALSE(RasterContext::wrap(bits, nullptr));
    auto refused = [&](auto change) {
        BITMAPINFO copy = info;
        change(copy.bmiHeader);
        return !RasterContext::wrap(bits, &copy);
    };
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biBitCount = 12; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biWidth = 0; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biHeight = INT_MIN; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biWidth = INT_MAX; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biSize = 12; }));
    EXPECT_TRUE(refused([](BITMAPINFOHEADER& h) { h.biSize = 4000; }));
    EXPECT_FALSE(RasterContext::create(0, 5, 24));
    EXPECT_FALSE(RasterContext::create(5, 5, 2));
}

TEST(RasterClipping, FarCoordinatesAreClippedNotWalked)
{
    // Degenerate geometry reaches the context as huge integers; each call must end at once.
    auto dc = RasterContext::create(16, 16, 24);
    dc->selectPen({kPenSolid, 1, kRed});
    dc->moveTo(INT_MIN, INT_MIN);
    dc->lineTo(INT_MAX, INT_MAX);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(dc->pixel(i, i), kRed) << i;
    EXPECT_EQ(dc->pixel(1, 0), 0u);

    // Outlines that run wholly outside the image leave every pixel alone.
    auto around = RasterContext::create(16, 16, 24);
    for (Pen pen : {Pen{kPenSolid, 1, kRed}, Pen{kPenDashDotDot, 1, kRed}, Pen{kPenSolid, 9, kRed}})
    {
        around->selectPen(pen);
        around->rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
        around->ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
        around->rectangle(-2000000000, -2000000000, 2000000000, 2000000000);
    }
    EXPECT_EQ(picture(*around), picture(*RasterContext::create(16, 16, 24)));

    // A flat dashed ellipse 4 x 10^9 wide crosses the image on its top and bottom rows only.
    auto flat = RasterContext::create(16, 16, 24);
    flat->selectPen({kPenDashDotDot, 1, kRed});
    flat->ellipse(-2000000000, 3, 2000000000, 9);
    for (int y = 0; y < 16; ++y)
    {
        int red = 0;
        for (int x = 0; x < 16; ++x)
            red += flat->pixel(x, y) == kRed;
        if (y == 3 || y == 8)
            EXPECT_GT(red, 0) << y;
        else
            EXPECT_EQ(red, 0) << y;
    }

    // A wide edge from the far left to the far right is a band across the middle rows.
    auto band = RasterContext::create(16, 16, 24);
    band->selectPen({kPenSolid, 9, kRed});
    POINT far[] = {{INT_MIN, 0}, {INT_MAX, 15}, {0, INT_MAX}};
    band->polygon(far, 3);
    for (int x = 0; x < 16; ++x)
    {
        EXPECT_EQ(band->pixel(x, 1), 0u) << x;
        EXPECT_EQ(band->pixel(x, 14), 0u) << x;
        for (int y = 4; y <= 11; ++y)
            EXPECT_EQ(band->pixel(x, y), kRed) << x << "," << y;
    }
}

// Runs the context's drawing on the portable loops while it lives.
class PortableDrawing
{
  public:
    explicit PortableDrawing(bool portable) : was_(vectorDrawingEnabled())
    {
        setVectorDrawingEnabled(!portable);
    }
    ~PortableDrawing() { setVectorDrawingEnabled(was_); }

  private:
    bool was_;
};

TEST(EllipseEnds, VectorAndPortablePathsAgreeOnAnyRows)
{
    std::vector<int64_t> portable(64), vector(64);
    if (!ellipseEndsWith(EllipseEndsPath::Avx, 0, 0, 1, 1, 0, 1, vector.data()))
        GTEST_SKIP() << "the processor has no AVX";
    uint64_t state = 0x9E3779B97F4A7C15u;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    auto any = [&](double limit) { return (double(next() % 2000001) / 1000000.0 - 1.0) * limit; };
    for (int i = 0; i < 20000; ++i)
    {
        double cx = any(2147483648.0), cy = any(2147483648.0);
        double a = std::ldexp(1.0 + double(next() % 1000) / 1000, int(next() % 32));
        double b = std::ldexp(1.0 + double(next() % 1000) / 1000, int(next() % 32));
        // Rows near the centre, near the top and far beyond the outline.
        int64_t first = int64_t(cy) + int64_t(any(i % 3 == 0 ? 64.0 : 4.0 * b));
        size_t count = 1 + next() % 63;
        ASSERT_TRUE(ellipseEndsWith(EllipseEndsPath::Portable, cx, cy, a, b, first, count,
                                    portable.data()));
        ASSERT_TRUE(
            ellipseEndsWith(EllipseEndsPath::Avx, cx, cy, a, b, first, count, vector.data()));
        for (size_t k = 0; k < count; ++k)
            ASSERT_EQ(vector[k], portable[k])
                << cx << " " << cy << " " << a << " " << b << " row " << first + int64_t(k);
    }
}

// An image wholly inside a huge circle or ellipse: every visible row's ends lie hundreds of
// millions of pixels outside it on both sides.
class ImageInsideFigure : public ::testing::TestWithParam<bool>
{
};

TEST_P(ImageInsideFigure, LeavesTheImageAloneAndDrawsCrossingOutlinesAsALargerSurfaceDoes)
{
    PortableDrawing portable(GetParam());
    const int sizes[][2] = {{640, 200}, {64, 64}, {32, 32}, {1, 1}, {7, 3}};
    const double radii[] = {1e8, 1.6e8, 6e8, 2147483000.0};
    const Pen pens[] = {{kPenSolid, 1, kRed},
                        {kPenDash, 1, kRed},
                        {kPenSolid, 5, kRed},
                        {kPenInsideFrame, 4, kRed}};
    for (int bitCount : {1, 4, 8, 16, 24, 32})
    {
        for (const auto& size : sizes)
        {
            const int w = size[0], h = size[1];
            auto blank = RasterContext::create(w, h, bitCount);
            auto dc = RasterContext::create(w, h, bitCount);
            for (double r : radii)
            {
                for (const Pen& pen : pens)
                {
                    dc->selectPen(pen);
                    for (auto [cx, cy] : {std::pair{10.0, 10.0}, std::pair{-0.5, -0.5},
                                          std::pair{w / 2.0, h + 3.0}})
                    {
                        auto box = [](double v) {
                            return int(std::clamp(v, double(INT_MIN), double(INT_MAX)));
                        };
                        dc->ellipse(box(cx - r), box(cy - r), box(cx + r + 1), box(cy + r + 1));
                        dc->ellipse(box(cx - r), box(cy - r / 3), box(cx + r + 1),
                                    box(cy + r / 3 + 1));
                    }
                }
            }
            ASSERT_EQ(picture(*dc), picture(*blank)) << bitCount << " bits, " << w << "x" << h;
        }
    }

    // Outlines that cross the image: the same pixels as on a surface that holds more of them.
    for (int bitCount : {1, 4, 8, 16, 24, 32})
    {
        auto small = RasterContext::create(64, 48, bitCount);
        auto large = RasterContext::create(300, 200, bitCount);
        for (RasterContext* dc : {small.get(), large.get()})
        {
            for (const Pen& pen : pens)
            {
                dc->selectPen(pen);
                dc->ellipse(-300000000, 10, 300000010, 41);
                dc->ellipse(20, -600000000, 41, 600000000);
                dc->ellipse(-400000000, -400000000, 400000030, 400000030);
            }
        }
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                ASSERT_EQ(small->pixel(x, y), large->pixel(x, y))
                    << bitCount << " bits at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(BothEllipsePaths, ImageInsideFigure, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Portable" : "Vector"; });

// Figures far larger than any image, in every pen: the part on the image is what a larger
// surface shows there, every coordinate moved by the same amount.
TEST(RasterClipping, HugeFiguresShowWhatALargerSurfaceShows)
{
    constexpr int kDx = 100, kDy = 150;
    // Boxes stay kDx and kDy clear of the int range's ends, so both surfaces get them whole.
    constexpr int kHigh = INT_MAX - 200;
    constexpr int kLow = INT_MIN + 10;
    std::vector<RECT> boxes;
    for (int r : {100000000, 160000000, 220000000, 1000000000})
    {
        boxes.push_back({20 - 2 * r, 15 - r, 20, 15 + r});     // right edge through the image
        boxes.push_back({3, 25 - 2 * r, 3 + r, 25});           // bottom edge through it
        boxes.push_back({-r, -r, r, r});                       // centred on its corner
        boxes.push_back({-5 - r / 2, 10 - r, 30 + r / 2, 12}); // flat across it
    }
    boxes.push_back({kLow, kLow, kHigh, kHigh});
    boxes.push_back({kLow, 7, kHigh, 9});
    boxes.push_back({kLow, kLow, 35, 20});
    boxes.push_back({-2000000000, -2000000000, 2000000000, 29});
    const Pen pens[] = {{kPenSolid, 1, kRed}, {kPenDash, 1, kRed},       {kPenDashDotDot, 0, kRed},
                        {kPenSolid, 2, kRed}, {kPenSolid, 7, kRed},      {kPenInsideFrame, 9, kRed},
                        {kPenDot, 30, kRed},  {kPenSolid, 1000001, kRed}};
    int shown = 0;
    for (const Pen& pen : pens)
    {
        for (const RECT& box : boxes)
        {
            auto small = RasterContext::create(40, 30, 24);
            auto large = RasterContext::create(240, 330, 24);
            for (RasterContext* dc : {small.get(), large.get()})
                dc->selectPen(pen);
            // The same figures with every coordinate moved.
            auto draw = [&](RasterContext& dc, int dx, int dy) {
                dc.ellipse(box.left + dx, box.top + dy, box.right + dx, box.bottom + dy);
                dc.rectangle(box.left + dx, box.top + dy, box.right + dx, box.bottom + dy);
                dc.moveTo(box.left + dx, box.bottom + dy);
                dc.lineTo(box.right + dx, box.top + dy);
                const POINT path[] = {{box.left + dx, box.top + dy},
                                      {box.right + dx, (box.top + box.bottom) / 2 + dy},
                                      {(box.left + box.right) / 2 + dx, box.bottom + dy},
                                      {17 + dx, 11 + dy}};
                dc.polygon(path, 4);
                dc.polyline(path + 1, 3);
            };
            draw(*small, 0, 0);
            draw(*large, kDx, kDy);
            const std::string what =
                "pen " + std::to_string(pen.style) + "/" + std::to_string(pen.width) + " box " +
                std::to_string(box.left) + "," + std::to_string(box.top) + "," +
                std::to_string(box.right) + "," + std::to_string(box.bottom);
            for (int y = 0; y < 30; ++y)
            {
                for (int x = 0; x < 40; ++x)
                {
                    ASSERT_EQ(small->pixel(x, y), large->pixel(x + kDx, y + kDy))
                        << what << " at " << x << "," << y;
                    shown += small->pixel(x, y) == kRed;
                }
            }
        }
    }
    // Most of the figures cross the image: the comparison is not one of empty surfaces.
    EXPECT_GT(shown, 20000);
}

TEST(RasterState, RestoreBringsBackPenColoursAndPosition)
{
    auto dc = RasterContext::create(8, 3, 24);
    dc->selectPen({kPenSolid, 1, kRed});
    dc->setTextColor(RGB(1, 2, 3));
    dc->moveTo(0, 0);
    int level = dc->saveDC();
    EXPECT_EQ(level, 1);
    dc->selectPen({kPenSolid, 1, RGB(0, 255, 0)});
    dc->setTextColor(RGB(9, 9, 9));
    dc->moveTo(0, 2);
    EXPECT_EQ(dc->setBkMode(kBackgroundTransparent), kBackgroundOpaque);
    EXPECT_TRUE(dc->restoreDC(-1));
    EXPECT_FALSE(dc->restoreDC(-1));
    EXPECT_EQ(dc->setTextColor(0), RGB(1, 2, 3));
    EXPECT_EQ(dc->setBkMode(kBackgroundOpaque), kBackgroundOpaque);
    dc->lineTo(3, 0);
    EXPECT_EQ(dc->pixel(0, 0), kRed);
    EXPECT_EQ(dc->pixel(0, 2), 0u);
    EXPECT_EQ(dc->setMapMode(kMapModeText), kMapModeText);
    EXPECT_EQ(dc->setMapMode(7), 0);
}

} // namespace
} // namespace kwz
