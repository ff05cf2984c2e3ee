// The selection search against the plain three-pass search it replaces, over random scenes
// of crowded, overlapping graphics and points near them.

#include <random>

#include "engine/graphic_lists.h"
#include "tests/gaugit/engine_fixture.h"

namespace {

struct Found
{
    int kind = gaugit::kHitNone;
    int index = -1;
    int mode = gaugit::kModeNone;
    bool operator==(const Found&) const = default;
};

// Each list in turn: edit points of every graphic, then bodies, then labels.
Found referenceSearch(gaugit::GaugitEngine& e, int x, int y)
{
    using namespace gaugit;
    RulerGraphic* r = e.ruler();
    if (!e.rulerHidden())
    {
        if (r->hitEditPoint(x, y))
            return {kHitRuler, -1, kModeEditPoint};
        if (r->hitBody(x, y))
            return {kHitRuler, -1, kModeBody};
        if (r->hitLabel(x, y))
            return {kHitRuler, -1, kModeLabel};
    }
    for (HitKind kind : kHitOrder)
    {
        const int count = e.listSize(kind);
        const bool text = kind == kHitText;
        for (int i = 0; i < count && !text; ++i)
            if (e.graphicAt(kind, i)->hitEditPoint(x, y))
                return {kind, i, kModeEditPoint};
        for (int i = 0; i < count; ++i)
            if (e.graphicAt(kind, i)->hitBody(x, y))
                return {kind, i, kModeBody};
        for (int i = 0; i < count && !text; ++i)
            if (e.graphicAt(kind, i)->hitLabel(x, y))
                return {kind, i, kModeLabel};
    }
    return {};
}

class HitSearch : public EngineTest
{
  protected:
    POINT near(std::mt19937& rng, int spread)
    {
        std::uniform_int_distribution<int> d(0, spread);
        return POINT{d(rng), d(rng)};
    }

    void addRandom(std::mt19937& rng)
    {
        static constexpr int kTypes[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        const int type = kTypes[rng() % std::size(kTypes)];
        if (type == 11)
        {
            engine_.startGraphic(near(rng, 120), type);
            engine_.addString(rng() % 4 ? "some text" : "");
            engine_.finishGraphic();
            return;
        }
        const int points = type == 10 ? 2 + int(rng() % 5) : (type == 6 || type == 9 ? 3 : 2);
        later();
        engine_.startGraphic(near(rng, 120), type);
        for (int i = 1; i < points; ++i)
        {
            later();
            const POINT p = near(rng, 120);
            engine_.changePoint(p);
            engine_.addPoint(p);
        }
        // Some stay unfinished, floating point and all.
        if (rng() % 5)
            engine_.finishGraphic();
    }
};

TEST_F(HitSearch, AnswersAsEveryListSearchedThreeTimes)
{
    std::mt19937 rng(12345);
    for (int scene = 0; scene < 200; ++scene)
    {
        engine_.clearAllGraphics();
        engine_.setRulerHidden(rng() % 2);
        engine_.setRuler(near(rng, 120), near(rng, 120), 1, 100.0f);
        const int figures = 1 + int(rng() % 30);
        for (int f = 0; f < figures; ++f)
            addRandom(rng);
        for (int probe = 0; probe < 400; ++probe)
        {
            const POINT p = near(rng, 140);
            const Found expected = referenceSearch(engine_, p.x, p.y);
            const bool hit = engine_.hitGraphic(p.x, p.y);
            const Found got{engine_.selectionKind(), engine_.selectionIndex(),
                            engine_.selectionMode()};
            ASSERT_EQ(hit, expected.kind != gaugit::kHitNone) << scene << " " << probe;
            ASSERT_EQ(got, expected) << "scene " << scene << " at " << p.x << "," << p.y;
            if (got.mode == gaugit::kModeEditPoint)
            {
                // The edit point that a drag then moves is the one the search found.
                gaugit::Graphic* g = engine_.graphicAt(got.kind, got.index);
                const int remembered = g->editPoint();
                g->hitEditPoint(p.x, p.y);
                ASSERT_EQ(remembered, g->editPoint());
            }
        }
    }
}

} // namespace
