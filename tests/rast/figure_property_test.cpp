// Figures of every kind with coordinates anywhere in the 32-bit range, on images from 1 x 1 to
// 2048 x 1536 in every bit count: each file opens and draws without a fault, the vector and
// portable drawing paths give the same picture, and the image shows what a larger image
// shows where the two overlap. Seeded: KWZ_FIGURE_SEED and KWZ_FIGURE_CASES repeat or
// lengthen a run.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/draw/raster_context.h"
#include "platform/draw/vector_drawing.h"
#include "platform/message_box.h"
#include "platform/testing/figure_scene.h"
#include "rast.h"

namespace {

namespace fs = std::filesystem;

uint64_t fromEnvironment(const char* name, uint64_t fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::strtoull(value, nullptr, 0) : fallback;
}

class FigureProperty : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir_ = fs::path(::testing::TempDir()) / ("figures_" + std::to_string(getpid()));
        fs::create_directories(dir_);
        kwz::setMessageBoxHandler([](void*, HWND, const char*, const char*, unsigned) { return 1; },
                                  nullptr);
    }
    void TearDown() override
    {
        kwz::setVectorDrawingEnabled(true);
        kwz::setMessageBoxHandler(nullptr, nullptr);
        fs::remove_all(dir_);
    }

    std::string save(const char* name, const std::vector<uint8_t>& bytes) const
    {
        const fs::path path = dir_ / name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path.string();
    }

    fs::path dir_;
};

// The file as RASTDraw shows it on a 24-bit surface of the image's size, after a rebuild
// without a target; null when it does not open or draw.
std::unique_ptr<kwz::RasterContext> drawn(const std::string& path, int width, int height)
{
    void* object = nullptr;
    RASTInitialize(&object);
    auto surface = kwz::RasterContext::create(width, height, 24);
    bool ok = RASTReadMeasureFile(object, path.c_str()) == RAST_OK &&
              RASTDraw(object, nullptr, 0, 0, width, height) == RAST_OK &&
              RASTDraw(object, kwz::toHdc(surface.get()), 0, 0, width, height) == RAST_OK;
    RASTUnInitialize(&object);
    return ok ? std::move(surface) : nullptr;
}

// Index of the first pixel of `small` that differs from `large` over small's area, or -1.
int64_t firstDifference(const kwz::RasterContext& small, const kwz::RasterContext& large)
{
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            if (small.pixel(x, y) != large.pixel(x, y))
                return int64_t(y) * small.width() + x;
    return -1;
}

TEST_F(FigureProperty, AnyFiguresDrawOnBothPathsAsOnALargerImage)
{
    const uint64_t seed = fromEnvironment("KWZ_FIGURE_SEED", 20261208);
    const uint64_t cases = fromEnvironment("KWZ_FIGURE_CASES", 2000);
    const auto start = std::chrono::steady_clock::now();
    uint64_t compared = 0;
    for (uint64_t i = 0; i < cases; ++i)
    {
        kwz::testing::ByteSource source(seed + i);
        const kwz::testing::FigureScene scene = kwz::testing::makeFigureScene(source, 2048, 1536);
        const int w = scene.width, h = scene.height;
        SCOPED_TRACE("KWZ_FIGURE_SEED=" + std::to_string(seed + i) +
                     " KWZ_FIGURE_CASES=1: " + std::to_string(w) + "x" + std::to_string(h) + "x" +
                     std::to_string(scene.bitCount) + ", " + std::to_string(scene.figures) +
                     " figures");
        const std::string path = save("case.mea", scene.meaFile(w, h));
        kwz::setVectorDrawingEnabled(true);
        auto vector = drawn(path, w, h);
        kwz::setVectorDrawingEnabled(false);
        auto portable = drawn(path, w, h);
        ASSERT_TRUE(vector && portable);
        ASSERT_EQ(firstDifference(*vector, *portable), -1) << "vector and portable paths";
        // A larger image where it costs little: the same pixels where the two overlap.
        if (int64_t(w) * h <= 640 * 480)
        {
            const int lw = w + 37, lh = h + 29;
            kwz::setVectorDrawingEnabled(i % 2 == 0);
            auto larger = drawn(save("larger.mea", scene.meaFile(lw, lh)), lw, lh);
            ASSERT_TRUE(larger);
            ASSERT_EQ(firstDifference(*vector, *larger), -1) << "against " << lw << "x" << lh;
            ++compared;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu cases from seed %llu (%llu against a larger image) in %.2f s\n",
                static_cast<unsigned long long>(cases), static_cast<unsigned long long>(seed),
                static_cast<unsigned long long>(compared), seconds);
}

} // namespace
