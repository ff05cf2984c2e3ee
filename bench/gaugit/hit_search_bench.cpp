// Hover and selection search over 1,000 graphics of every kind, through the exports.
// Baseline: one pass over the same number of small boxes with a point-in-box test, the least
// any search must do; the searches are reported against it in the same run.

#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "gaugit.h"
#include "platform/testing/fake_clock.h"

namespace {

constexpr int kGraphics = 1000;

// A grid of graphics: kind by position, none overlapping, all finished.
struct Scene
{
    kwz::FakeClock clock{1000};
    HGAUGIT h = nullptr;

    Scene()
    {
        GaugitInitial(&h);
        GtSetRuler(h, POINT{0, 0}, POINT{100, 0}, ZQ_MM, 10.0f);
        for (int i = 0; i < kGraphics; ++i)
        {
            const int x = 200 + (i % 40) * 120;
            const int y = 200 + (i / 40) * 120;
            const int kind = i % 10; // every kind but the ruler
            add(kind, x, y);
        }
        GtIsHitGraphic(h, -1000, -1000); // nothing selected
    }
    ~Scene() { GaugitUnInitialize(&h); }

    void step() { clock.advance(50); }

    void points(GRAPHICTYPE type, std::initializer_list<POINT> pts)
    {
        auto it = pts.begin();
        GtStartGraphic(h, *it, type);
        for (++it; it != pts.end(); ++it)
        {
            step();
            GtChangePointToGraphic(h, *it);
            GtAddPointToGraphic(h, *it);
        }
        GtFinishGraphic(h);
    }

    void add(int kind, int x, int y)
    {
        switch (kind)
        {
        case 0:
            return points(GT_LINE, {{x, y}, {x + 60, y + 40}});
        case 1:
            return points(GT_RECT, {{x, y}, {x + 60, y + 40}});
        case 2:
            return points(GT_CIRCLE_DIAMETER, {{x, y + 30}, {x + 60, y + 30}});
        case 3:
            return points(GT_CIRCLE_CENTRE, {{x + 30, y + 30}, {x + 60, y + 30}});
        case 4:
            return points(GT_CIRCLE_3POINTS, {{x, y + 30}, {x + 30, y}, {x + 60, y + 30}});
        case 5:
            return points(GT_ELLIPSE_BOX, {{x, y}, {x + 60, y + 40}});
        case 6:
            return points(GT_ELLIPSE_CENTRE, {{x + 30, y + 20}, {x + 60, y + 40}});
        case 7:
            return points(GT_ANGLE, {{x, y + 50}, {x, y}, {x + 60, y}});
        case 8:
            return points(GT_POLYGON, {{x, y}, {x + 60, y}, {x + 50, y + 40}, {x, y + 30}});
        default:
            GtStartGraphic(h, POINT{x, y}, GT_TEXT);
            GtAddStringToGraphic(h, "text");
            GtFinishGraphic(h);
            return;
        }
    }
};

Scene& scene()
{
    static Scene s;
    return s;
}

void BM_BaselineBoxScan(benchmark::State& state)
{
    std::vector<RECT> boxes;
    for (int i = 0; i < kGraphics; ++i)
    {
        const int x = 200 + (i % 40) * 120;
        const int y = 200 + (i / 40) * 120;
        boxes.push_back(RECT{x, y, x + 60, y + 40});
    }
    kwz::FakeClock& clock = scene().clock;
    int px = 5, py = 5;
    for (auto _ : state)
    {
        clock.advance(50);
        int hits = 0;
        for (const RECT& r : boxes)
            hits += px >= r.left && px < r.right && py >= r.top && py < r.bottom;
        benchmark::DoNotOptimize(hits);
        benchmark::DoNotOptimize(px);
    }
}
BENCHMARK(BM_BaselineBoxScan);

// A point on nothing: every candidate of every list is tried.
void BM_HoverMiss(benchmark::State& state)
{
    Scene& s = scene();
    for (auto _ : state)
    {
        s.step();
        benchmark::DoNotOptimize(GtIsPassGraphic(s.h, 150, 5000));
    }
}
BENCHMARK(BM_HoverMiss);

// The last text of the grid: found after every other list.
void BM_HoverLastText(benchmark::State& state)
{
    Scene& s = scene();
    const int i = kGraphics - 1;
    const int x = 200 + (i % 40) * 120 + 2, y = 200 + (i / 40) * 120 + 2;
    for (auto _ : state)
    {
        s.step();
        if (GtIsPassGraphic(s.h, x, y) != 0)
            state.SkipWithError("the text was not found");
    }
}
BENCHMARK(BM_HoverLastText);

void BM_SelectMiss(benchmark::State& state)
{
    Scene& s = scene();
    for (auto _ : state)
    {
        s.step();
        benchmark::DoNotOptimize(GtIsHitGraphic(s.h, 150, 5000));
    }
}
BENCHMARK(BM_SelectMiss);

void BM_SelectLastText(benchmark::State& state)
{
    Scene& s = scene();
    const int i = kGraphics - 1;
    const int x = 200 + (i % 40) * 120 + 2, y = 200 + (i / 40) * 120 + 2;
    for (auto _ : state)
    {
        s.step();
        if (GtIsHitGraphic(s.h, x, y) != 0)
            state.SkipWithError("the text was not found");
    }
}
BENCHMARK(BM_SelectLastText);

} // namespace

BENCHMARK_MAIN();
