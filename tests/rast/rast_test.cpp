#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "bitmap/bmp_image.h"
#include "platform/draw/raster_context.h"
#include "platform/draw/window.h"
#include "platform/message_box.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/write_faults.h"
#include "rast.h"

namespace {

namespace fs = std::filesystem;
using kwz::rast::BmpImage;
using kwz::rast::MemorySource;

std::vector<uint8_t> slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

uint32_t u32At(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
           (uint32_t(b[at + 3]) << 24);
}

fs::path fixture(const std::string& name)
{
    return fs::path(KWZ_TEST_DATA) / "bmp" / name;
}

// Colour of image pixel (x, y), y from the top, in the test pattern.
COLORREF patternAt(int x, int y)
{
    return RGB(x * 2 + 1, y * 2 + 1, (x * 7 + y * 3) & 0xFF);
}

// Bottom-up 24-bit rows of the pattern.
std::vector<uint8_t> patternRows(int width, int height)
{
    const size_t stride = (24 * size_t(width) + 31) / 32 * 4;
    std::vector<uint8_t> rows(stride * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint8_t* p = rows.data() + (height - 1 - y) * stride + 3 * x;
            const COLORREF c = patternAt(x, y);
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return rows;
}

class MemoryWindow : public kwz::Window
{
  public:
    MemoryWindow(int width, int height) : context_(kwz::RasterContext::create(width, height, 24))
    {
        context_->fill(kSentinel);
    }
    RECT clientRect() const override { return RECT{0, 0, context_->width(), context_->height()}; }
    kwz::DrawContext* getDC() override
    {
        ++open_;
        return context_.get();
    }
    void releaseDC(kwz::DrawContext*) override { --open_; }
    void invalidate(const RECT*) override {}

    kwz::RasterContext& surface() { return *context_; }
    int openContexts() const { return open_; }
    static constexpr COLORREF kSentinel = RGB(1, 254, 3);

  private:
    std::unique_ptr<kwz::RasterContext> context_;
    int open_ = 0;
};

class Rast : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir_ = fs::path(::testing::TempDir()) /
               (std::string("rast_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        ASSERT_EQ(RASTInitialize(&object_), RAST_OK);
        kwz::setMessageBoxHandler(&Rast::recordBox, this);
    }
    void TearDown() override
    {
        kwz::testing::failWritesAfter(-1);
        kwz::setMessageBoxHandler(nullptr, nullptr);
        if (object_)
            RASTUnInitialize(&object_);
        fs::remove_all(dir_);
    }
    static int recordBox(void* self, HWND, const char* text, const char* caption, unsigned)
    {
        static_cast<Rast*>(self)->boxes_.push_back(std::string(caption) + "|" + text);
        return kwz::IDOK;
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    void loadPattern(int width, int height)
    {
        const std::vector<uint8_t> rows = patternRows(width, height);
        ASSERT_EQ(RASTReadPixels(object_, rows.data(), width, height, 24), RAST_OK);
    }

    void setRulerAndLine()
    {
        ASSERT_EQ(RASTSetRuler(object_, POINT{5, 5}, POINT{45, 5}, ZQ_MM, 4.0f), RAST_OK);
        ASSERT_EQ(RASTStartGraphic(object_, POINT{10, 20}, GT_LINE), RAST_OK);
        RASTAddPointToGraphic(object_, POINT{60, 70});
        RASTFinishGraphic(object_);
    }

    int width()
    {
        int w = -1;
        EXPECT_EQ(RASTGetWidth(object_, &w), RAST_OK);
        return w;
    }

    bool leftovers() const
    {
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().filename().string().find("target") == std::string::npos)
                return true;
        return false;
    }

    fs::path dir_;
    void* object_ = nullptr;
    std::vector<std::string> boxes_;
};

TEST_F(Rast, NullHandlesAndEmptyObjects)
{
    void* none = nullptr;
    EXPECT_EQ(RASTInitialize(nullptr), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTUnInitialize(nullptr), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTUnInitialize(&none), RAST_NULL_HANDLE);
    int value = 7;
    POINT p{0, 0};
    SHOWRECT r{0, 0, 1, 1};
    EXPECT_EQ(RASTReadFile(nullptr, "x"), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTGetWidth(nullptr, &value), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTDraw(nullptr, nullptr, 0, 0, 1, 1), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTShow(nullptr, nullptr, r, r), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTStartGraphic(nullptr, p, GT_LINE), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTMoveGraphic(nullptr, 1, 1), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTGetConstruction(nullptr, nullptr, &value), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTWriteMeasureFile(nullptr, "x"), RAST_NULL_HANDLE);
    EXPECT_EQ(value, 7);

    // An empty object answers 0 for its size and refuses everything that needs an image.
    EXPECT_EQ(width(), 0);
    EXPECT_EQ(RASTGetBitCount(object_, &value), RAST_OK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(RASTGetHeight(object_, nullptr), RAST_FAILED);
    EXPECT_EQ(RASTDraw(object_, nullptr, 0, 0, 10, 10), RAST_FAILED);
    EXPECT_EQ(RASTShow(object_, nullptr, r, r), RAST_FAILED);
    MemoryWindow window(4, 4);
    EXPECT_EQ(RASTShowRegion(object_, nullptr, 0, 0, 5), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTShowRegion(object_, kwz::toHwnd(&window), 0, 0, 5), RAST_FAILED);
    EXPECT_EQ(RASTWriteFile(object_, path("target.bmp").c_str(), 0), RAST_FAILED);
    EXPECT_EQ(RASTWriteMeasureFile(object_, path("target.mea").c_str()), RAST_FAILED);
    EXPECT_FALSE(fs::exists(path("target.bmp")));
    // Without an engine instance the measuring calls give the engine's null answer.
    EXPECT_EQ(RASTStartGraphic(object_, p, GT_LINE), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTGetConstruction(object_, nullptr, &value), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTClearAllGraphic(object_), RAST_OK);
    EXPECT_EQ(RASTSetLanguage(object_, ZQ_ENGLISH), RAST_FAILED);
    EXPECT_EQ(RASTDisableMeasure(object_), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTReadFile(object_, nullptr), RAST_FAILED);
    EXPECT_EQ(RASTReadFile(object_, path("missing.bmp").c_str()), RAST_FAILED);
    EXPECT_EQ(RASTReadPixels(object_, nullptr, 4, 4, 24), RAST_FAILED);

    EXPECT_EQ(RASTUnInitialize(&object_), RAST_OK);
    EXPECT_EQ(object_, nullptr);
}

TEST_F(Rast, ToolMadeFilesReadAndWriteBackPixelIdentical)
{
    const char* files[] = {
        "im1_w5.bmp",           "pil1_w13.bmp", "im4_w13.bmp",     "im4_w13_clr0.bmp",
        "im4_w13_topdown.bmp",  "im8_w21.bmp",  "pil8_grey.bmp",   "pil8_grey_clr0.bmp",
        "pil8_table16.bmp",     "im24_w6.bmp",  "pil24_w3.bmp",    "pil24_w5.bmp",
        "pil24_w5_topdown.bmp", "pil32_w7.bmp", "im16_565_v5.bmp", "im32_masks_v5.bmp"};
    std::string command = "/usr/bin/python3 " KWZ_TEST_SOURCE "/compare_images.py";
    for (const char* file : files)
    {
        void* object = nullptr;
        ASSERT_EQ(RASTInitialize(&object), RAST_OK);
        ASSERT_EQ(RASTReadFile(object, fixture(file).c_str()), RAST_OK) << file;
        int w = 0, h = 0, bits = 0;
        RASTGetWidth(object, &w);
        RASTGetHeight(object, &h);
        RASTGetBitCount(object, &bits);
        const std::vector<uint8_t> original = slurp(fixture(file));
        EXPECT_EQ(w, int32_t(u32At(original, 18))) << file;
        EXPECT_EQ(h, std::abs(int32_t(u32At(original, 22)))) << file;
        EXPECT_EQ(bits, int(original[28])) << file;

        const std::string plain = path(std::string("plain_") + file);
        const std::string overlay = path(std::string("overlay_") + file);
        EXPECT_EQ(RASTWriteFile(object, plain.c_str(), 0), RAST_OK);
        // Right after loading the working surface is the image itself.
        EXPECT_EQ(RASTWriteFile(object, overlay.c_str(), 1), RAST_OK);
        EXPECT_EQ(slurp(plain), slurp(overlay)) << file;
        RASTUnInitialize(&object);
        command += " " + fixture(file).string() + " " + plain;
    }
    if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0)
        GTEST_SKIP() << "Pillow is missing";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(Rast, RefusedFilesLeaveTheObjectAsItWas)
{
    std::vector<uint8_t> good = slurp(fixture("pil24_w5.bmp"));
    spit(path("cut.bmp"), {good.begin(), good.end() - 1});
    std::vector<uint8_t> compressed = slurp(fixture("im8_rle.bmp"));
    spit(path("rle.bmp"), compressed);
    std::vector<uint8_t> small = good;
    small[10] = 40; // pixel offset below 54
    spit(path("offset.bmp"), small);

    for (const char* name : {"cut.bmp", "rle.bmp", "offset.bmp"})
    {
        EXPECT_EQ(RASTReadFile(object_, path(name).c_str()), RAST_FAILED) << name;
        EXPECT_EQ(width(), 0) << name;
        EXPECT_EQ(RASTDraw(object_, nullptr, 0, 0, 5, 5), RAST_FAILED);
    }
    // A loaded image survives a refused second file, and a good second file replaces it
    // with a fresh engine instance.
    ASSERT_EQ(RASTReadFile(object_, fixture("pil24_w3.bmp").c_str()), RAST_OK);
    ASSERT_EQ(RASTSetRuler(object_, POINT{0, 0}, POINT{2, 0}, ZQ_MM, 1.0f), RAST_OK);
    EXPECT_EQ(RASTReadFile(object_, path("rle.bmp").c_str()), RAST_FAILED);
    EXPECT_EQ(width(), 3);
    float length = 0;
    EXPECT_EQ(RASTGetRulerUnitAndLength(object_, nullptr, &length), RAST_OK);
    EXPECT_EQ(length, 1.0f);
    ASSERT_EQ(RASTReadFile(object_, fixture("im24_w6.bmp").c_str()), RAST_OK);
    EXPECT_EQ(width(), 6);
    EXPECT_EQ(RASTStartGraphic(object_, POINT{1, 1}, GT_LINE), RAST_NO_RULER);
}

TEST_F(Rast, ReadPixelsBuildsABottomUpImage)
{
    std::vector<uint8_t> grey(16 * 3);
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = uint8_t(i);
    ASSERT_EQ(RASTReadPixels(object_, grey.data(), 13, 3, 8), RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, path("target.bmp").c_str(), 0), RAST_OK);
    const std::vector<uint8_t> file = slurp(path("target.bmp"));
    EXPECT_EQ(u32At(file, 10), 1078u);
    EXPECT_EQ(file.size(), 1078u + 48u);
    EXPECT_EQ(u32At(file, 22), 3u);
    EXPECT_TRUE(std::equal(grey.begin(), grey.end(), file.begin() + 1078));
    EXPECT_EQ(RASTReadPixels(object_, grey.data(), 13, 3, 7), RAST_FAILED);
    EXPECT_EQ(RASTReadPixels(object_, grey.data(), 0, 3, 8), RAST_FAILED);
}

TEST_F(Rast, DrawCopiesTheClippedRectangleWidenedByOne)
{
    loadPattern(100, 100);
    auto target = kwz::RasterContext::create(100, 100, 24);
    const auto changed = [&] {
        int n = 0;
        RECT box{100, 100, -1, -1};
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                if (target->pixel(x, y) != MemoryWindow::kSentinel)
                {
                    ++n;
                    EXPECT_EQ(target->pixel(x, y), patternAt(x, y)) << x << "," << y;
                    box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                               std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
                }
        return std::make_pair(n, box);
    };

    target->fill(MemoryWindow::kSentinel);
    EXPECT_EQ(RASTDraw(object_, kwz::toHdc(target.get()), 0, 0, 10, 10), RAST_OK);
    auto [n, box] = changed();
    EXPECT_EQ(n, 11 * 11);
    EXPECT_EQ(box.right, 11);

    target->fill(MemoryWindow::kSentinel);
    EXPECT_EQ(RASTDraw(object_, kwz::toHdc(target.get()), 90, 90, 10, 10), RAST_OK);
    std::tie(n, box) = changed();
    EXPECT_EQ(n, 10 * 10);
    EXPECT_EQ(box.left, 90);

    target->fill(MemoryWindow::kSentinel);
    EXPECT_EQ(RASTDraw(object_, kwz::toHdc(target.get()), -5, 95, 10, 50), RAST_OK);
    std::tie(n, box) = changed();
    EXPECT_EQ(n, 6 * 5);

    target->fill(MemoryWindow::kSentinel);
    for (auto [x, y, w, h] :
         {std::array{100, 0, 10, 10}, std::array{-20, 0, 20, 10}, std::array{0, 0, 0, 10},
          std::array{5, 5, -3, -3}, std::array{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}})
        EXPECT_EQ(RASTDraw(object_, kwz::toHdc(target.get()), x, y, w, h), RAST_FAILED);
    EXPECT_EQ(changed().first, 0);
}

TEST_F(Rast, OverlayIsWhatTheLastDisplayDrew)
{
    loadPattern(80, 80);
    setRulerAndLine();
    const std::string plain = path("plain.bmp");
    const std::string before = path("before.bmp");
    const std::string after = path("after.bmp");
    ASSERT_EQ(RASTWriteFile(object_, plain.c_str(), 0), RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, before.c_str(), 1), RAST_OK);
    EXPECT_EQ(slurp(plain), slurp(before));
    // A null target still rebuilds the working surface.
    ASSERT_EQ(RASTDraw(object_, nullptr, 0, 0, 80, 80), RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, after.c_str(), 1), RAST_OK);
    const std::vector<uint8_t> drawn = slurp(after);
    EXPECT_NE(drawn, slurp(plain));
    EXPECT_EQ(drawn.size(), slurp(plain).size());

    // The next display shows what the engine holds now, with no trace of the old line.
    ASSERT_EQ(RASTClearAllGraphic(object_), RAST_OK);
    ASSERT_EQ(RASTHideRuler(object_, 1), RAST_OK);
    ASSERT_EQ(RASTDraw(object_, nullptr, 0, 0, 80, 80), RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, after.c_str(), 1), RAST_OK);
    EXPECT_EQ(slurp(after), slurp(plain));

    // Without an engine instance the plain image shows.
    ASSERT_EQ(RASTHideRuler(object_, 0), RAST_OK);
    ASSERT_EQ(RASTDisableMeasure(object_), RAST_OK);
    EXPECT_EQ(RASTDraw(object_, nullptr, 0, 0, 80, 80), RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, after.c_str(), 1), RAST_OK);
    EXPECT_EQ(slurp(after), slurp(plain));
}

TEST_F(Rast, AReleasedSurfaceSavesAndShowsTheSamePixels)
{
    loadPattern(80, 80);
    setRulerAndLine();
    const std::string shown = path("shown.bmp");
    const std::string released = path("released.bmp");
    const std::string plain = path("plain.bmp");
    ASSERT_EQ(RASTDraw(object_, nullptr, 0, 0, 80, 80), RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, shown.c_str(), 1), RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, plain.c_str(), 0), RAST_OK);
    ASSERT_NE(slurp(shown), slurp(plain));

    // Saved with its graphics before any display, a released image still has them.
    EXPECT_EQ(RASTReleaseSurface(nullptr), RAST_NULL_HANDLE);
    ASSERT_EQ(RASTReleaseSurface(object_), RAST_OK);
    ASSERT_EQ(RASTReleaseSurface(object_), RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, released.c_str(), 1), RAST_OK);
    EXPECT_EQ(slurp(released), slurp(shown));
    ASSERT_EQ(RASTWriteFile(object_, released.c_str(), 0), RAST_OK);
    EXPECT_EQ(slurp(released), slurp(plain));
    // The next display paints it afresh, the same pixels.
    ASSERT_EQ(RASTDraw(object_, nullptr, 0, 0, 80, 80), RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, released.c_str(), 1), RAST_OK);
    EXPECT_EQ(slurp(released), slurp(shown));
}

TEST_F(Rast, UpdateSurfaceTellsTheRowsThatChangedSinceItWasLastAsked)
{
    RECT parts[4];
    int count = -1;
    EXPECT_EQ(RASTUpdateSurface(nullptr, parts, 4, &count), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTUpdateSurface(object_, parts, 4, &count), RAST_FAILED); // no image
    loadPattern(200, 300);
    EXPECT_EQ(RASTUpdateSurface(object_, nullptr, 4, &count), RAST_FAILED);
    EXPECT_EQ(RASTUpdateSurface(object_, parts, 0, &count), RAST_FAILED);
    EXPECT_EQ(RASTUpdateSurface(object_, parts, 4, nullptr), RAST_FAILED);
    // A new image is new everywhere; asked again, nothing changed.
    ASSERT_EQ(RASTUpdateSurface(object_, parts, 4, &count), RAST_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(parts[0].left, 0);
    EXPECT_EQ(parts[0].top, 0);
    EXPECT_EQ(parts[0].right, 200);
    EXPECT_EQ(parts[0].bottom, 300);
    ASSERT_EQ(RASTUpdateSurface(object_, parts, 4, &count), RAST_OK);
    EXPECT_EQ(count, 0);

    // Two lines far apart: a hover going from one to the other changes two bands, each
    // around its line, and nothing between them.
    ASSERT_EQ(RASTSetRuler(object_, POINT{5, 290}, POINT{45, 290}, ZQ_MM, 4.0f), RAST_OK);
    ASSERT_EQ(RASTHideDescriptor(object_, 1), RAST_OK);
    for (const int y : {20, 200})
    {
        ASSERT_EQ(RASTStartGraphic(object_, POINT{20, y}, GT_LINE), RAST_OK);
        RASTAddPointToGraphic(object_, POINT{180, y + 10});
        RASTFinishGraphic(object_);
    }
    ASSERT_EQ(RASTUpdateSurface(object_, parts, 4, &count), RAST_OK);
    ASSERT_GE(count, 1);
    kwz::FakeClock clock(1000);
    RASTIsPassGraphic(object_, 100, 25);
    ASSERT_EQ(RASTUpdateSurface(object_, parts, 4, &count), RAST_OK);
    ASSERT_EQ(count, 1);
    EXPECT_LE(parts[0].top, 20);
    EXPECT_GE(parts[0].bottom, 31);
    EXPECT_LT(parts[0].bottom, 100);
    clock.advance(50);
    RASTIsPassGraphic(object_, 100, 205);
    ASSERT_EQ(RASTUpdateSurface(object_, parts, 4, &count), RAST_OK);
    ASSERT_EQ(count, 2);
    EXPECT_LT(parts[0].bottom, 100);
    EXPECT_GT(parts[1].top, 100);
    EXPECT_GE(parts[1].bottom, 211);
    // With room for one, the bands come merged.
    clock.advance(50);
    RASTIsPassGraphic(object_, 100, 25);
    ASSERT_EQ(RASTUpdateSurface(object_, parts, 1, &count), RAST_OK);
    ASSERT_EQ(count, 1);
    EXPECT_LE(parts[0].top, 20);
    EXPECT_GE(parts[0].bottom, 211);
    // What a display repaints counts too, until asked; a released surface is new again.
    clock.advance(50);
    RASTIsPassGraphic(object_, 100, 205);
    ASSERT_EQ(RASTDraw(object_, nullptr, 0, 0, 200, 300), RAST_OK);
    ASSERT_EQ(RASTUpdateSurface(object_, parts, 4, &count), RAST_OK);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(RASTReleaseSurface(object_), RAST_OK);
    ASSERT_EQ(RASTUpdateSurface(object_, parts, 4, &count), RAST_OK);
    EXPECT_GE(count, 1);
}

TEST_F(Rast, LabelsDrawnAfterEveryChangeEqualThoseOfAnObjectNeverDrawnBefore)
{
    const std::vector<uint8_t> rows = patternRows(320, 240);
    auto build = [&](void* object) {
        RASTReadPixels(object, rows.data(), 320, 240, 24);
        RASTSetRuler(object, POINT{5, 5}, POINT{45, 5}, ZQ_MM, 4.0f);
        RASTStartGraphic(object, POINT{10, 20}, GT_LINE);
        RASTAddPointToGraphic(object, POINT{60, 70});
        RASTFinishGraphic(object);
        RASTStartGraphic(object, POINT{100, 100}, GT_CIRCLE_DIAMETER);
        RASTAddPointToGraphic(object, POINT{180, 150});
        RASTFinishGraphic(object);
        RASTStartGraphic(object, POINT{200, 40}, GT_ANGLE);
        RASTAddPointToGraphic(object, POINT{250, 90});
        RASTAddPointToGraphic(object, POINT{300, 40});
        RASTFinishGraphic(object);
    };
    // Everything a label's text is made of, changed one after the other.
    const std::function<void(void*)> changes[] = {
        [](void* o) { RASTSetPrecision(o, 4); },
        [](void* o) { RASTSetMeasureUnit(o, ZQ_UM); },
        [](void* o) { RASTSelectFigure(o, 0); },
        [](void* o) { RASTMoveGraphic(o, 3, 0); },
        [](void* o) { RASTSetRulerUnitAndLength(o, ZQ_MM, 7.5f); },
        [](void* o) { RASTSetLanguage(o, ZQ_CHINESE); },
        [](void* o) { RASTSetPrecision(o, 0); },
        [](void* o) { RASTSetLanguage(o, ZQ_ENGLISH); },
    };
    build(object_);
    ASSERT_EQ(RASTDraw(object_, nullptr, 0, 0, 320, 240), RAST_OK);
    const std::string kept = path("kept.bmp");
    const std::string fresh = path("fresh.bmp");
    const size_t count = std::size(changes);
    for (size_t i = 0; i < count; ++i)
    {
        // One object draws after every change; the other makes them all and draws once.
        changes[i](object_);
        ASSERT_EQ(RASTDraw(object_, nullptr, 0, 0, 320, 240), RAST_OK);
        ASSERT_EQ(RASTWriteFile(object_, kept.c_str(), 1), RAST_OK);
        void* other = nullptr;
        ASSERT_EQ(RASTInitialize(&other), RAST_OK);
        build(other);
        for (size_t k = 0; k <= i; ++k)
            changes[k](other);
        ASSERT_EQ(RASTDraw(other, nullptr, 0, 0, 320, 240), RAST_OK);
        ASSERT_EQ(RASTWriteFile(other, fresh.c_str(), 1), RAST_OK);
        RASTUnInitialize(&other);
        EXPECT_TRUE(slurp(kept) == slurp(fresh)) << "after change " << i;
    }
    RASTSetLanguage(object_, ZQ_ENGLISH);
}

TEST_F(Rast, EveryDisplayShowsTheGraphicsAsTheyStandNow)
{
    // The same state reached by another way draws the same pixels as a fresh object does.
    loadPattern(90, 90);
    setRulerAndLine();
    const auto overlay = [&](void* object) {
        EXPECT_EQ(RASTDraw(object, nullptr, 0, 0, 90, 90), RAST_OK);
        EXPECT_EQ(RASTWriteFile(object, path("overlay.bmp").c_str(), 1), RAST_OK);
        return slurp(path("overlay.bmp"));
    };
    ASSERT_EQ(RASTIsHitGraphic(object_, 35, 45), RAST_OK);
    const std::vector<uint8_t> selected = overlay(object_);
    RASTMoveGraphic(object_, 7, 3);
    const std::vector<uint8_t> moved = overlay(object_);
    EXPECT_NE(moved, selected);
    RASTMoveGraphic(object_, -7, -3);
    EXPECT_EQ(overlay(object_), selected);

    void* fresh = nullptr;
    ASSERT_EQ(RASTInitialize(&fresh), RAST_OK);
    const std::vector<uint8_t> rows = patternRows(90, 90);
    ASSERT_EQ(RASTReadPixels(fresh, rows.data(), 90, 90, 24), RAST_OK);
    ASSERT_EQ(RASTSetRuler(fresh, POINT{5, 5}, POINT{45, 5}, ZQ_MM, 4.0f), RAST_OK);
    ASSERT_EQ(RASTStartGraphic(fresh, POINT{10, 20}, GT_LINE), RAST_OK);
    RASTAddPointToGraphic(fresh, POINT{60, 70});
    RASTFinishGraphic(fresh);
    ASSERT_EQ(RASTIsHitGraphic(fresh, 35, 45), RAST_OK);
    EXPECT_EQ(overlay(fresh), selected);
    RASTUnInitialize(&fresh);
}

TEST_F(Rast, ALanguageSetThroughAnotherObjectShowsAtTheNextDisplay)
{
    loadPattern(120, 60);
    setRulerAndLine();
    void* other = nullptr;
    ASSERT_EQ(RASTInitialize(&other), RAST_OK);
    ASSERT_EQ(RASTReadPixels(other, patternRows(4, 4).data(), 4, 4, 24), RAST_OK);
    const auto overlay = [&] {
        EXPECT_EQ(RASTDraw(object_, nullptr, 0, 0, 120, 60), RAST_OK);
        EXPECT_EQ(RASTWriteFile(object_, path("overlay.bmp").c_str(), 1), RAST_OK);
        return slurp(path("overlay.bmp"));
    };
    ASSERT_EQ(RASTSetLanguage(other, ZQ_CHINESE), RAST_OK);
    const std::vector<uint8_t> chinese = overlay();
    ASSERT_EQ(RASTSetLanguage(other, ZQ_ENGLISH), RAST_OK);
    EXPECT_NE(overlay(), chinese);
    ASSERT_EQ(RASTSetLanguage(other, ZQ_CHINESE), RAST_OK);
    EXPECT_EQ(overlay(), chinese);
    RASTUnInitialize(&other);
}

TEST_F(Rast, ShowWithEqualRectanglesCopiesUnscaled)
{
    loadPattern(60, 40);
    setRulerAndLine();
    auto target = kwz::RasterContext::create(60, 40, 24);
    target->fill(MemoryWindow::kSentinel);
    // Source rows counted from the bottom of this bottom-up image: rows 0..19 from the top
    // are bitmap rows 20..39.
    ASSERT_EQ(RASTShow(object_, kwz::toHdc(target.get()), SHOWRECT{5, 0, 30, 20},
                       SHOWRECT{0, 20, 30, 20}),
              RAST_OK);
    ASSERT_EQ(RASTWriteFile(object_, path("overlay.bmp").c_str(), 1), RAST_OK);
    const std::vector<uint8_t> overlay = slurp(path("overlay.bmp"));
    MemorySource source(overlay.data(), overlay.size());
    const std::optional<BmpImage> shown = BmpImage::read(source);
    ASSERT_TRUE(shown);
    const auto overlayAt = [&](int x, int y) {
        const uint8_t* p = shown->pixels().data() + (39 - y) * shown->stride() + 3 * x;
        return RGB(p[2], p[1], p[0]);
    };
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(target->pixel(x + 5, y), overlayAt(x, y)) << x << "," << y;
    EXPECT_EQ(target->pixel(4, 0), MemoryWindow::kSentinel);
    EXPECT_EQ(target->pixel(5, 20), MemoryWindow::kSentinel);
    EXPECT_EQ(RASTShow(object_, nullptr, SHOWRECT{0, 0, 1, 1}, SHOWRECT{0, 0, 1, 1}), RAST_OK);
}

TEST_F(Rast, ShowRegionMagnifiesTheSquareKeptInsideTheImage)
{
    loadPattern(100, 80);
    MemoryWindow window(40, 40);
    ASSERT_EQ(RASTShowRegion(object_, kwz::toHwnd(&window), 0, 0, 20), RAST_OK);
    EXPECT_EQ(window.openContexts(), 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(window.surface().pixel(x, y), patternAt(x, y)) << x << "," << y;

    // Near the far corner the square stops at the image's edge.
    ASSERT_EQ(RASTShowRegion(object_, kwz::toHwnd(&window), 99, 79, 20), RAST_OK);
    EXPECT_EQ(window.surface().pixel(0, 0), patternAt(60, 40));
    EXPECT_EQ(window.surface().pixel(39, 39), patternAt(99, 79));

    // Stretched over a larger window: each image pixel covers a 2 x 2 block.
    MemoryWindow big(80, 80);
    ASSERT_EQ(RASTShowRegion(object_, kwz::toHwnd(&big), 50, 40, 20), RAST_OK);
    EXPECT_EQ(big.surface().pixel(0, 0), patternAt(30, 20));
    EXPECT_EQ(big.surface().pixel(79, 79), patternAt(69, 59));

    // A square larger than the image shrinks to the image's shorter side.
    ASSERT_EQ(RASTShowRegion(object_, kwz::toHwnd(&big), 0, 0, 500), RAST_OK);
    EXPECT_EQ(big.surface().pixel(0, 0), patternAt(0, 0));
    EXPECT_EQ(big.surface().pixel(79, 79), patternAt(79, 79));
    EXPECT_EQ(RASTShowRegion(object_, kwz::toHwnd(&big), 0, 0, 0), RAST_FAILED);
}

TEST_F(Rast, ShowRegionOfATopDownImage)
{
    ASSERT_EQ(RASTReadFile(object_, fixture("pil24_w5_topdown.bmp").c_str()), RAST_OK);
    void* bottomUp = nullptr;
    ASSERT_EQ(RASTInitialize(&bottomUp), RAST_OK);
    ASSERT_EQ(RASTReadFile(bottomUp, fixture("pil24_w5.bmp").c_str()), RAST_OK);
    MemoryWindow a(2, 2), b(2, 2);
    ASSERT_EQ(RASTShowRegion(object_, kwz::toHwnd(&a), 0, 0, 1), RAST_OK);
    ASSERT_EQ(RASTShowRegion(bottomUp, kwz::toHwnd(&b), 0, 0, 1), RAST_OK);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(a.surface().pixel(x, y), b.surface().pixel(x, y));
    RASTUnInitialize(&bottomUp);
}

TEST_F(Rast, FailedSavesLeaveThePreviousFile)
{
    loadPattern(30, 20);
    setRulerAndLine();
    const std::string bmp = path("target.bmp");
    const std::string mea = path("target.mea");
    ASSERT_EQ(RASTWriteFile(object_, bmp.c_str(), 0), RAST_OK);
    ASSERT_EQ(RASTWriteMeasureFile(object_, mea.c_str()), RAST_OK);
    const std::vector<uint8_t> oldBmp = slurp(bmp);
    const std::vector<uint8_t> oldMea = slurp(mea);

    loadPattern(31, 21);
    setRulerAndLine();
    // Inside the header, inside the pixels; inside the stream, inside the image half.
    for (int64_t budget : {10, 900})
    {
        kwz::testing::failWritesAfter(budget);
        EXPECT_EQ(RASTWriteFile(object_, bmp.c_str(), 1), RAST_FAILED) << budget;
        kwz::testing::failWritesAfter(-1);
        EXPECT_EQ(slurp(bmp), oldBmp);
    }
    for (int64_t budget : {100, 300, 2000})
    {
        kwz::testing::failWritesAfter(budget);
        EXPECT_EQ(RASTWriteMeasureFile(object_, mea.c_str()), RAST_FAILED) << budget;
        kwz::testing::failWritesAfter(-1);
        EXPECT_EQ(slurp(mea), oldMea);
    }
    EXPECT_FALSE(leftovers());
    EXPECT_EQ(RASTWriteFile(object_, path("no/such/folder.bmp").c_str(), 0), RAST_FAILED);
    EXPECT_EQ(RASTWriteMeasureFile(object_, path("no/such/folder.mea").c_str()), RAST_FAILED);
    EXPECT_EQ(RASTWriteFile(object_, bmp.c_str(), 0), RAST_OK);
    EXPECT_NE(slurp(bmp), oldBmp);
}

TEST_F(Rast, MeasureFileHoldsTheStreamThenAValidBmp)
{
    loadPattern(13, 7);
    ASSERT_EQ(RASTSetRuler(object_, POINT{1, 1}, POINT{11, 1}, ZQ_MM, 1.0f), RAST_OK);
    const std::string mea = path("target.mea");
    ASSERT_EQ(RASTWriteMeasureFile(object_, mea.c_str()), RAST_OK);
    const std::vector<uint8_t> file = slurp(mea);
    const size_t bmpSize = 54 + 40 * 7;
    ASSERT_EQ(file.size(), 244 + bmpSize);
    EXPECT_EQ(file[244], 'B');
    EXPECT_EQ(u32At(file, 244 + 2), bmpSize);
    EXPECT_EQ(u32At(file, 244 + 10), 54u);
    // The pixels are the image as loaded, not the overlay.
    const std::vector<uint8_t> rows = patternRows(13, 7);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.begin() + 244 + 54));

    const std::vector<uint8_t> half(file.begin() + 244, file.end());
    spit(path("half.bmp"), half);
    void* other = nullptr;
    ASSERT_EQ(RASTInitialize(&other), RAST_OK);
    EXPECT_EQ(RASTReadFile(other, path("half.bmp").c_str()), RAST_OK);
    RASTUnInitialize(&other);
    if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") == 0)
    {
        ASSERT_EQ(RASTWriteFile(object_, path("plain.bmp").c_str(), 0), RAST_OK);
        const std::string command = "/usr/bin/python3 " KWZ_TEST_SOURCE "/compare_images.py " +
                                    path("half.bmp") + " " + path("plain.bmp");
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
}

TEST_F(Rast, MeasureFileRoundTripsImageRulerAndGraphics)
{
    loadPattern(64, 48);
    setRulerAndLine();
    ASSERT_EQ(RASTSetMeasurePen(object_, 2, 3, 0x123456, 0x654321, 0x0F0F0F), RAST_OK);
    ASSERT_EQ(RASTStartGraphic(object_, POINT{30, 30}, GT_CIRCLE_CENTRE), RAST_OK);
    RASTAddPointToGraphic(object_, POINT{40, 30});
    RASTFinishGraphic(object_);
    ASSERT_EQ(RASTStartGraphic(object_, POINT{3, 40}, GT_TEXT), RAST_OK);
    ASSERT_EQ(RASTAddStringToGraphic(object_, "12.5 um"), RAST_OK);
    RASTFinishGraphic(object_);
    ASSERT_EQ(RASTSetMeasureUnit(object_, ZQ_UM), RAST_OK);
    const std::string first = path("first.mea");
    ASSERT_EQ(RASTWriteMeasureFile(object_, first.c_str()), RAST_OK);

    void* copy = nullptr;
    ASSERT_EQ(RASTInitialize(&copy), RAST_OK);
    ASSERT_EQ(RASTReadMeasureFile(copy, first.c_str()), RAST_OK);
    int w = 0, h = 0;
    RASTGetWidth(copy, &w);
    RASTGetHeight(copy, &h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    POINT start{}, end{};
    ZQUNIT unit = ZQ_UM;
    float length = 0;
    ASSERT_EQ(RASTGetRuler(copy, &start, &end, &unit, &length), RAST_OK);
    EXPECT_EQ(end.x, 45);
    EXPECT_EQ(unit, ZQ_MM);
    EXPECT_EQ(length, 4.0f);
    ZQUNIT measure = ZQ_MM;
    RASTGetMeasureUnit(copy, &measure);
    EXPECT_EQ(measure, ZQ_UM);
    int style = 0, width = 0;
    COLORREF normal = 0;
    RASTGetMeasurePen(copy, &style, &width, &normal, nullptr, nullptr);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(normal, 0x123456u);

    // Written again it is the same file; read again it draws the same picture.
    const std::string second = path("second.mea");
    ASSERT_EQ(RASTWriteMeasureFile(copy, second.c_str()), RAST_OK);
    EXPECT_EQ(slurp(second), slurp(first));
    void* third = nullptr;
    ASSERT_EQ(RASTInitialize(&third), RAST_OK);
    ASSERT_EQ(RASTReadMeasureFile(third, second.c_str()), RAST_OK);
    RASTDraw(copy, nullptr, 0, 0, 64, 48);
    RASTDraw(third, nullptr, 0, 0, 64, 48);
    RASTWriteFile(copy, path("a.bmp").c_str(), 1);
    RASTWriteFile(third, path("b.bmp").c_str(), 1);
    RASTWriteFile(third, path("plain.bmp").c_str(), 0);
    EXPECT_EQ(slurp(path("a.bmp")), slurp(path("b.bmp")));
    EXPECT_NE(slurp(path("a.bmp")), slurp(path("plain.bmp")));
    RASTUnInitialize(&third);
    RASTUnInitialize(&copy);
}

TEST_F(Rast, DamagedMeasureFilesAreRefusedAndChangeNothing)
{
    loadPattern(16, 8);
    setRulerAndLine();
    const std::string good = path("good.mea");
    ASSERT_EQ(RASTWriteMeasureFile(object_, good.c_str()), RAST_OK);
    const std::vector<uint8_t> bytes = slurp(good);

    void* target = nullptr;
    ASSERT_EQ(RASTInitialize(&target), RAST_OK);
    for (size_t size : {size_t(0), size_t(100), size_t(200), size_t(244 + 52),
                        size_t(244 + 52 + 30), bytes.size() - 1})
    {
        spit(path("cut.mea"), {bytes.begin(), bytes.begin() + size});
        EXPECT_EQ(RASTReadMeasureFile(target, path("cut.mea").c_str()), RAST_FAILED) << size;
        int w = -1;
        RASTGetWidth(target, &w);
        EXPECT_EQ(w, 0);
    }
    std::vector<uint8_t> version = bytes;
    version[10] = 4;
    spit(path("version.mea"), version);
    EXPECT_EQ(RASTReadMeasureFile(target, path("version.mea").c_str()), RAST_FAILED);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Version Error!|MainVersion 0, MinVersion 5");
    EXPECT_EQ(RASTReadMeasureFile(target, path("missing.mea").c_str()), RAST_FAILED);
    // A plain BMP is no measurement file either.
    EXPECT_EQ(RASTReadMeasureFile(target, fixture("pil24_w5.bmp").c_str()), RAST_FAILED);
    RASTUnInitialize(&target);

    // A loaded object keeps its image and graphics when a damaged file is refused.
    EXPECT_EQ(RASTReadMeasureFile(object_, path("cut.mea").c_str()), RAST_FAILED);
    EXPECT_EQ(width(), 16);
    float length = 0;
    RASTGetRulerUnitAndLength(object_, nullptr, &length);
    EXPECT_EQ(length, 4.0f);
}

TEST_F(Rast, EnableAndDisableMeasure)
{
    loadPattern(20, 20);
    ASSERT_EQ(RASTSetRuler(object_, POINT{0, 0}, POINT{10, 0}, ZQ_CM, 3.0f), RAST_OK);
    // An existing instance and its ruler stay as they are.
    EXPECT_EQ(RASTEnableMeasure(object_, POINT{0, 0}, POINT{1, 1}, ZQ_MM, 9.0f), RAST_OK);
    ZQUNIT unit = ZQ_UM;
    float length = 0;
    RASTGetRulerUnitAndLength(object_, &unit, &length);
    EXPECT_EQ(unit, ZQ_CM);
    EXPECT_EQ(length, 3.0f);
    EXPECT_EQ(RASTSetLanguage(object_, ZQ_CHINESE), RAST_OK);

    EXPECT_EQ(RASTDisableMeasure(object_), RAST_OK);
    EXPECT_EQ(RASTDisableMeasure(object_), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTGetRulerUnitAndLength(object_, &unit, &length), RAST_OK);
    EXPECT_EQ(RASTIsHitGraphic(object_, 1, 1), RAST_NULL_HANDLE);
    EXPECT_EQ(width(), 20);
    // A measurement file of an object without an instance still reads back.
    ASSERT_EQ(RASTWriteMeasureFile(object_, path("target.mea").c_str()), RAST_OK);
    EXPECT_EQ(fs::file_size(path("target.mea")), 244u + 54u + 60u * 20u);

    EXPECT_EQ(RASTEnableMeasure(object_, POINT{0, 0}, POINT{1, 1}, ZQ_MM, 9.0f), RAST_OK);
    EXPECT_EQ(RASTStartGraphic(object_, POINT{1, 1}, GT_LINE), RAST_NO_RULER);
    EXPECT_EQ(RASTReadMeasureFile(object_, path("target.mea").c_str()), RAST_OK);
}

TEST(RastExports, ReexportedMarkSettersReachTheEngine)
{
    // The library as loaded, by its path: a bare name would be searched for, and under
    // AddressSanitizer dlopen searches from the sanitizer's runtime, not from this program.
    Dl_info loaded{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&RASTInitialize), &loaded), 0);
    void* rast = dlopen(loaded.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(rast, nullptr);
    using Setter = int (*)(HGAUGIT, uint32_t*);
    HGAUGIT engine = nullptr;
    ASSERT_EQ(GaugitInitial(&engine), GAUGIT_OK);
    uint32_t mark = 0x3;
    for (const char* name : {"GaugitSetRectMark", "GaugitSetCircleMark", "GaugitSetEllipseMark",
                             "GaugitSetAngleMark", "GaugitSetPolyLineMark"})
    {
        auto setter = reinterpret_cast<Setter>(dlsym(rast, name));
        ASSERT_NE(setter, nullptr) << name;
        Dl_info where{};
        ASSERT_NE(dladdr(reinterpret_cast<void*>(setter), &where), 0);
        EXPECT_NE(std::string(where.dli_fname).find("libRast"), std::string::npos) << name;
        EXPECT_EQ(setter(nullptr, &mark), GAUGIT_NULL_HANDLE) << name;
        EXPECT_EQ(setter(engine, &mark), GAUGIT_FAILED) << name; // no ruler yet
    }
    GtSetRuler(engine, POINT{0, 0}, POINT{5, 0}, ZQ_MM, 1.0f);
    auto setter = reinterpret_cast<Setter>(dlsym(rast, "GaugitSetPolyLineMark"));
    EXPECT_EQ(setter(engine, &mark), GAUGIT_OK);
    GaugitUnInitialize(&engine);
    dlclose(rast);
}

} // namespace

namespace {

TEST_F(Rast, FigureValuesSurviveTheMeasureFileAndSelectionShowsAtTheNextDisplay)
{
    int count = 7;
    GTFIGUREVALUES v{};
    EXPECT_EQ(RASTGetFigureCount(nullptr, &count), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTGetFigureCount(object_, &count), RAST_NULL_HANDLE); // no engine yet
    EXPECT_EQ(RASTGetFigureValues(object_, 0, &v), RAST_NULL_HANDLE);
    loadPattern(64, 48);
    setRulerAndLine();
    ASSERT_EQ(RASTGetFigureCount(object_, &count), RAST_OK);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(RASTGetFigureValues(object_, 0, &v), RAST_OK);
    const std::string file = path("values.mea");
    ASSERT_EQ(RASTWriteMeasureFile(object_, file.c_str()), RAST_OK);

    void* copy = nullptr;
    ASSERT_EQ(RASTInitialize(&copy), RAST_OK);
    ASSERT_EQ(RASTReadMeasureFile(copy, file.c_str()), RAST_OK);
    GTFIGUREVALUES read{};
    ASSERT_EQ(RASTGetFigureValues(copy, 0, &read), RAST_OK);
    EXPECT_EQ(read.kind, GT_LINE);
    for (int slot = 0; slot < GT_VALUE_COUNT; ++slot)
        EXPECT_EQ(read.values[slot], v.values[slot]) << slot;

    RASTDraw(copy, nullptr, 0, 0, 64, 48);
    RASTWriteFile(copy, path("plain.bmp").c_str(), 1);
    ASSERT_EQ(RASTSelectFigure(copy, 0), RAST_OK);
    int selected = -1;
    RASTGetSelectedFigure(copy, &selected);
    EXPECT_EQ(selected, 0);
    RASTDraw(copy, nullptr, 0, 0, 64, 48);
    RASTWriteFile(copy, path("selected.bmp").c_str(), 1);
    EXPECT_NE(slurp(path("plain.bmp")), slurp(path("selected.bmp")));
    EXPECT_EQ(RASTSelectFigure(copy, 1), RAST_FAILED);
    RASTUnInitialize(&copy);
}

} // namespace

namespace {

std::vector<uint8_t> graphicData(void* object)
{
    int size = -1;
    EXPECT_EQ(RASTWriteGraphicData(object, nullptr, 0, &size), RAST_FAILED);
    std::vector<uint8_t> data(size_t(std::max(size, 0)));
    int again = -1;
    EXPECT_EQ(RASTWriteGraphicData(object, data.data(), size, &again), RAST_OK);
    EXPECT_EQ(again, size);
    return data;
}

TEST_F(Rast, GraphicDataPutsFiguresAndSettingsBackExactly)
{
    int size = 0;
    uint8_t byte = 0;
    EXPECT_EQ(RASTWriteGraphicData(nullptr, &byte, 1, &size), RAST_NULL_HANDLE);
    EXPECT_EQ(RASTWriteGraphicData(object_, &byte, 1, &size), RAST_NULL_HANDLE); // no engine
    EXPECT_EQ(RASTReadGraphicData(object_, &byte, 1), RAST_NULL_HANDLE);
    loadPattern(64, 48);
    setRulerAndLine();
    EXPECT_EQ(RASTWriteGraphicData(object_, &byte, 1, nullptr), RAST_FAILED);
    EXPECT_EQ(RASTWriteGraphicData(object_, &byte, -1, &size), RAST_FAILED);
    const std::vector<uint8_t> before = graphicData(object_);
    // The stream is what a measurement file starts with.
    const std::string file = path("before.mea");
    ASSERT_EQ(RASTWriteMeasureFile(object_, file.c_str()), RAST_OK);
    const std::vector<uint8_t> whole = slurp(file);
    ASSERT_GE(whole.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), whole.begin()));

    ASSERT_EQ(RASTStartGraphic(object_, POINT{30, 30}, GT_CIRCLE_CENTRE), RAST_OK);
    RASTAddPointToGraphic(object_, POINT{40, 30});
    RASTFinishGraphic(object_);
    ASSERT_EQ(RASTSetMeasureUnit(object_, ZQ_CM), RAST_OK);
    ASSERT_EQ(RASTSetPrecision(object_, 4), RAST_OK);
    ASSERT_EQ(RASTSetRuler(object_, POINT{5, 5}, POINT{25, 5}, ZQ_CM, 2.0f), RAST_OK);
    const std::vector<uint8_t> after = graphicData(object_);
    ASSERT_NE(after, before);

    ASSERT_EQ(RASTReadGraphicData(object_, before.data(), int(before.size())), RAST_OK);
    EXPECT_EQ(graphicData(object_), before);
    int count = -1;
    RASTGetFigureCount(object_, &count);
    EXPECT_EQ(count, 1);
    ZQUNIT unit = ZQ_CM;
    RASTGetMeasureUnit(object_, &unit);
    EXPECT_NE(unit, ZQ_CM);

    // Forward again: the picture is that of another object given the same stream.
    ASSERT_EQ(RASTReadGraphicData(object_, after.data(), int(after.size())), RAST_OK);
    EXPECT_EQ(graphicData(object_), after);
    void* other = nullptr;
    ASSERT_EQ(RASTInitialize(&other), RAST_OK);
    const std::vector<uint8_t> rows = patternRows(64, 48);
    ASSERT_EQ(RASTReadPixels(other, rows.data(), 64, 48, 24), RAST_OK);
    ASSERT_EQ(RASTEnableMeasure(other, POINT{0, 0}, POINT{10, 0}, ZQ_MM, 1.0f), RAST_OK);
    ASSERT_EQ(RASTReadGraphicData(other, after.data(), int(after.size())), RAST_OK);
    RASTDraw(object_, nullptr, 0, 0, 64, 48);
    RASTDraw(other, nullptr, 0, 0, 64, 48);
    RASTWriteFile(object_, path("again.bmp").c_str(), 1);
    RASTWriteFile(other, path("other.bmp").c_str(), 1);
    EXPECT_EQ(slurp(path("again.bmp")), slurp(path("other.bmp")));
    RASTUnInitialize(&other);
}

TEST_F(Rast, DamagedGraphicDataChangesNothing)
{
    loadPattern(64, 48);
    setRulerAndLine();
    const std::vector<uint8_t> good = graphicData(object_);
    ASSERT_EQ(RASTStartGraphic(object_, POINT{30, 30}, GT_CIRCLE_CENTRE), RAST_OK);
    RASTAddPointToGraphic(object_, POINT{40, 30});
    RASTFinishGraphic(object_);
    const std::vector<uint8_t> current = graphicData(object_);

    EXPECT_EQ(RASTReadGraphicData(object_, nullptr, 4), RAST_FAILED);
    EXPECT_EQ(RASTReadGraphicData(object_, good.data(), -1), RAST_FAILED);
    EXPECT_EQ(RASTReadGraphicData(object_, good.data(), int(good.size()) - 3), RAST_FAILED);
    EXPECT_EQ(RASTReadGraphicData(object_, good.data(), 0), RAST_FAILED);
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_EQ(RASTReadGraphicData(object_, longer.data(), int(longer.size())), RAST_FAILED);
    std::vector<uint8_t> version = good;
    version[8] ^= 0x01;
    EXPECT_EQ(RASTReadGraphicData(object_, version.data(), int(version.size())), RAST_FAILED);
    EXPECT_EQ(graphicData(object_), current);
}

} // namespace
