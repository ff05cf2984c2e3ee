// GtDraw of 100 labelled figures of every kind onto a 2048 x 1536 24-bit surface, against
// one copy of that surface's bytes, timed in turns in the same run.

#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/common/ratio.h"
#include "engine/engine_draw.h"
#include "engine/gaugit_engine.h"
#include "platform/draw/raster_context.h"
#include "platform/testing/fake_clock.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;

// A scene as users build it: every kind of graphic, labels on, English words.
struct Scene
{
    kwz::FakeClock clock{1000};
    gaugit::GaugitEngine engine;

    Scene()
    {
        gaugit::setMeasureLanguage(1);
        engine.setMeasureUnit(1);
        engine.setRuler({100, 1500}, {600, 1500}, 1, 50.0f);
        const int types[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        unsigned seed = 12345;
        auto next = [&seed](int range) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
        };
        for (int i = 0; i < 100; ++i)
        {
            int type = types[i % 10];
            int x = 100 + next(kWidth - 500);
            int y = 100 + next(kHeight - 500);
            int w = 40 + next(300);
            int h = 40 + next(300);
            std::vector<POINT> points;
            switch (type)
            {
            case 6:
            case 9:
                points = {{x, y + h}, {x + w / 2, y}, {x + w, y + h / 2}};
                break;
            case 10:
                points = {{x, y}, {x + w, y + 10}, {x + w - 20, y + h}, {x + 10, y + h - 30}};
                break;
            default:
                points = {{x, y}, {x + w, y + h}};
                break;
            }
            engine.startGraphic(points[0], type);
            if (type == 11)
                engine.addString("Particle 12 at the stage edge");
            for (size_t p = 1; p < points.size(); ++p)
            {
                clock.advance(50);
                engine.changePoint(points[p]);
                engine.addPoint(points[p]);
            }
            engine.finishGraphic();
        }
        clock.advance(50);
        engine.hitGraphic(-100, -100);
    }
};

// A surface holding a picture. A freshly allocated one is all zero pages that the kernel maps
// to one shared page, which would make the copy baseline read from cache alone.
std::unique_ptr<kwz::RasterContext> pictureSurface()
{
    auto surface = kwz::RasterContext::create(kWidth, kHeight, 24);
    auto* bytes = static_cast<uint8_t*>(surface->bits());
    const size_t size = surface->stride() * kHeight;
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>((i * 7) ^ (i >> 11));
    return surface;
}

// The subject draws every figure with its label each call; the baseline copies the surface's
// bytes once. Target: the drawing costs no more than the copy.
void gtDrawVersusSurfaceCopy(benchmark::State& state)
{
    static Scene scene;
    auto surface = pictureSurface();
    std::vector<uint8_t> copy(surface->stride() * kHeight, 1);
    gaugit::drawEngine(scene.engine, *surface); // glyph caches warm, as on every repaint
    kwzbench::compare(
        state,
        [&] {
            gaugit::drawEngine(scene.engine, *surface);
            benchmark::ClobberMemory();
        },
        [&] {
            std::memcpy(copy.data(), surface->bits(), copy.size());
            benchmark::DoNotOptimize(copy.data());
            benchmark::ClobberMemory();
        },
        1.0);
}

} // namespace

BENCHMARK(gtDrawVersusSurfaceCopy)
    ->Name("GtDraw/100LabelledFigures/2048x1536x24")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
