// The selection and hover searches against plain searches of every graphic in turn, over
// random scenes of crowded, overlapping graphics and points near them, with edits between
// the searches so that boxes kept from before an edit would show.

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

// The graphic at a list position, reached without telling the engine.
gaugit::Graphic* quietly(gaugit::GaugitEngine& e, int kind, int index)
{
    if (kind == gaugit::kHitRuler)
        return e.ruler();
    gaugit::Graphic* g = nullptr;
    e.lists().visit(kind, [&](const auto& list) { g = list[static_cast<size_t>(index)].get(); });
    return g;
}

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
            if (quietly(e, kind, i)->hitEditPoint(x, y))
                return {kind, i, kModeEditPoint};
        for (int i = 0; i < count; ++i)
            if (quietly(e, kind, i)->hitBody(x, y))
                return {kind, i, kModeBody};
        for (int i = 0; i < count && !text; ++i)
            if (quietly(e, kind, i)->hitLabel(x, y))
                return {kind, i, kModeLabel};
    }
    return {};
}

// The first body under the point, the ruler first.
Found referenceHover(gaugit::GaugitEngine& e, int x, int y)
{
    using namespace gaugit;
    if (!e.rulerHidden() && e.ruler()->hitBody(x, y))
        return {kHitRuler, -1, kModeNone};
    for (HitKind kind : kHitOrder)
        for (int i = 0; i < e.listSize(kind); ++i)
            if (quietly(e, kind, i)->hitBody(x, y))
                return {kind, i, kModeNone};
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

    // Now and then a change that moves what a search may find: a drag of the selection, a new
    // graphic, another text font, another unit.
    void editNow(std::mt19937& rng, const Found& selected)
    {
        switch (rng() % 16)
        {
        case 0:
            if (selected.kind != gaugit::kHitNone)
                engine_.moveGraphic(int(rng() % 21) - 10, int(rng() % 21) - 10);
            break;
        case 1:
            addRandom(rng);
            break;
        case 2:
            engine_.setTextFont("Times New Roman", 10 + int(rng() % 20), 0xFF, 0xFF00, 0xFF0000);
            break;
        case 3:
            engine_.setMeasureUnit(int(rng() % 3));
            break;
        default:
            break;
        }
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
                gaugit::Graphic* g = quietly(engine_, got.kind, got.index);
                const int remembered = g->editPoint();
                g->hitEditPoint(p.x, p.y);
                ASSERT_EQ(remembered, g->editPoint());
            }
            later();
            const Found hover = referenceHover(engine_, p.x, p.y);
            ASSERT_EQ(engine_.passGraphic(p.x, p.y), hover.kind != gaugit::kHitNone);
            ASSERT_EQ((Found{engine_.hoverKind(), engine_.hoverIndex(), gaugit::kModeNone}), hover)
                << "hover, scene " << scene << " at " << p.x << "," << p.y;
            editNow(rng, got);
        }
    }
}

} // namespace
