// Bytes as a scene of figures over an image of up to 2048 x 1536 in any bit count (see
// figure_scene.h): the file opens and draws without a fault on the vector and the portable
// drawing paths alike, and small images show what a larger one shows where they overlap.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/bmp/rast_fuzz_support.h"
#include "platform/draw/vector_drawing.h"
#include "platform/testing/figure_scene.h"
#include "rast.h"

namespace {

std::unique_ptr<kwz::RasterContext> drawn(const rastfuzz::Scratch& scratch,
                                          const std::vector<uint8_t>& file, int w, int h)
{
    scratch.store(file.data(), file.size());
    void* object = nullptr;
    if (RASTInitialize(&object) != RAST_OK)
        std::abort();
    auto surface = kwz::RasterContext::create(w, h, 24);
    rastfuzz::check(RASTReadMeasureFile(object, scratch.input().c_str()) == RAST_OK,
                    "a scene's file opens");
    rastfuzz::check(RASTDraw(object, nullptr, 0, 0, w, h) == RAST_OK, "draws without a target");
    rastfuzz::check(RASTDraw(object, kwz::toHdc(surface.get()), 0, 0, w, h) == RAST_OK,
                    "draws onto a raster context");
    RASTUnInitialize(&object);
    return surface;
}

bool sameOverlap(const kwz::RasterContext& small, const kwz::RasterContext& large)
{
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            if (small.pixel(x, y) != large.pixel(x, y))
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const rastfuzz::Scratch scratch("figures");
    kwz::testing::ByteSource source(data, size);
    const kwz::testing::FigureScene scene = kwz::testing::makeFigureScene(source, 2048, 1536);
    const int w = scene.width, h = scene.height;
    const std::vector<uint8_t> file = scene.meaFile(w, h);
    kwz::setVectorDrawingEnabled(true);
    auto vector = drawn(scratch, file, w, h);
    kwz::setVectorDrawingEnabled(false);
    auto portable = drawn(scratch, file, w, h);
    kwz::setVectorDrawingEnabled(true);
    rastfuzz::check(sameOverlap(*vector, *portable), "vector and portable paths agree");
    if (int64_t(w) * h <= 256 * 256)
    {
        auto larger = drawn(scratch, scene.meaFile(w + 37, h + 29), w + 37, h + 29);
        rastfuzz::check(sameOverlap(*vector, *larger), "a larger image shows the same pixels");
    }
    return 0;
}
