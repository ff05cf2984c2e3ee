// GtDraw of 100 labelled figures of every kind onto a 2048 x 1536 24-bit surface, against
// one copy of that surface's bytes measured in the same run. Prints the ratio at the end.

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

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

void copySurface(benchmark::State& state)
{
    auto surface = pictureSurface();
    std::vector<uint8_t> target(surface->stride() * kHeight, 1);
    for (auto _ : state)
    {
        std::memcpy(target.data(), surface->bits(), target.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}

void drawScene(benchmark::State& state)
{
    static Scene scene;
    auto surface = pictureSurface();
    gaugit::drawEngine(scene.engine, *surface); // glyph caches warm, as on every repaint
    for (auto _ : state)
    {
        gaugit::drawEngine(scene.engine, *surface);
        benchmark::ClobberMemory();
    }
}

class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
        {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                perIteration[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> perIteration;
};

} // namespace

BENCHMARK(copySurface)->Unit(benchmark::kMicrosecond);
BENCHMARK(drawScene)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto copy = reporter.perIteration.find("copySurface");
    auto draw = reporter.perIteration.find("drawScene");
    if (copy != reporter.perIteration.end() && draw != reporter.perIteration.end() &&
        copy->second > 0)
        std::printf("GtDraw / surface copy = %.3f\n", draw->second / copy->second);
    benchmark::Shutdown();
    return 0;
}
