// Hover and selection search over 1,000 graphics of every kind, through the exports.
// Baseline: the fastest scan of the graphics' 1,000 boxes for the first one holding the same
// point, the least any search must do; timed in turns with the search in the same run.

#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/common/ratio.h"
#include "gaugit.h"
#include "platform/testing/fake_clock.h"

namespace {

constexpr int kGraphics = 1000;

// Top left corner of graphic i: 40 to a row, 120 pixels apart, each within 60 x 40.
constexpr POINT origin(int i)
{
    return POINT{200 + (i % 40) * 120, 200 + (i / 40) * 120};
}

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
            const int kind = i % 10; // every kind but the ruler
            add(kind, origin(i).x, origin(i).y);
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

// The boxes of the grid's graphics, a column per edge and padded to whole blocks, so the
// scan runs branch-free over a block and only a block with a hit is looked at box by box.
class BoxScan
{
  public:
    BoxScan()
    {
        const size_t padded = (kGraphics + kBlock - 1) / kBlock * kBlock;
        // Padding boxes are empty: no point is inside them.
        left_.assign(padded, 0);
        top_.assign(padded, 0);
        right_.assign(padded, 0);
        bottom_.assign(padded, 0);
        for (int i = 0; i < kGraphics; ++i)
        {
            const POINT at = origin(i);
            left_[i] = at.x;
            top_[i] = at.y;
            right_[i] = at.x + 60;
            bottom_[i] = at.y + 40;
        }
    }

    // The first box holding the point, or -1.
    int find(int x, int y) const
    {
        for (size_t block = 0; block < left_.size(); block += kBlock)
        {
            int any = 0;
            for (size_t i = block; i < block + kBlock; ++i)
                any |= (x >= left_[i]) & (x < right_[i]) & (y >= top_[i]) & (y < bottom_[i]);
            if (!any)
                continue;
            for (size_t i = block; i < block + kBlock; ++i)
                if (x >= left_[i] && x < right_[i] && y >= top_[i] && y < bottom_[i])
                    return int(i);
        }
        return -1;
    }

  private:
    static constexpr size_t kBlock = 16;
    std::vector<int> left_, top_, right_, bottom_;
};

// A search rejects by box first: at most this many box scans, however many graphics miss.
constexpr double kTarget = 20;

// Each search of the engine against the box scan at the same point. `found` is what the
// search must answer, checked once before timing.
void searchVersusScan(benchmark::State& state, bool hover, POINT at, bool found)
{
    Scene& s = scene();
    static const BoxScan boxes;
    auto search = [&s, hover](int x, int y) {
        s.step(); // past the engine's event throttle
        return hover ? GtIsPassGraphic(s.h, x, y) : GtIsHitGraphic(s.h, x, y);
    };
    if ((search(at.x, at.y) == 0) != found || (boxes.find(at.x, at.y) >= 0) != found)
    {
        state.SkipWithError("the point does not give the answer the name promises");
        return;
    }
    int x = at.x, y = at.y;
    kwzbench::compare(
        state,
        [&] {
            benchmark::DoNotOptimize(x);
            benchmark::DoNotOptimize(search(x, y));
        },
        [&] {
            benchmark::DoNotOptimize(x);
            benchmark::DoNotOptimize(boxes.find(x, y));
        },
        kTarget, 32);
}

// Nothing below the grid: every candidate of every list is tried.
constexpr POINT kMiss{150, 5000};
// Inside the last graphic, a text: found after every other list.
const POINT kLastText{origin(kGraphics - 1).x + 2, origin(kGraphics - 1).y + 2};

} // namespace

BENCHMARK_CAPTURE(searchVersusScan, hoverMiss, true, kMiss, false)
    ->Name("GtIsPassGraphic/1000Graphics/Miss")
    ->UseManualTime();
BENCHMARK_CAPTURE(searchVersusScan, hoverLastText, true, kLastText, true)
    ->Name("GtIsPassGraphic/1000Graphics/LastText")
    ->UseManualTime();
BENCHMARK_CAPTURE(searchVersusScan, selectMiss, false, kMiss, false)
    ->Name("GtIsHitGraphic/1000Graphics/Miss")
    ->UseManualTime();
BENCHMARK_CAPTURE(searchVersusScan, selectLastText, false, kLastText, true)
    ->Name("GtIsHitGraphic/1000Graphics/LastText")
    ->UseManualTime();
