#pragma once
// An engine calibrated at one millimetre per pixel on a fake clock, for the engine tests.

#include <memory>

#include <gtest/gtest.h>

#include "engine/gaugit_engine.h"
#include "platform/testing/fake_clock.h"

class EngineTest : public ::testing::Test
{
  protected:
    EngineTest() : clock_(100000)
    {
        engine_.setMeasureUnit(1);
        engine_.setRuler({0, 500}, {100, 500}, 1, 100.0f);
    }

    // Starts a graphic and places the further points, each after a pause long enough for the
    // throttle, with the floating point dragged there first as a mouse would.
    void build(int type, std::initializer_list<POINT> points, bool finish = true)
    {
        auto it = points.begin();
        ASSERT_EQ(engine_.startGraphic(*it, type), gaugit::Outcome::Done);
        for (++it; it != points.end(); ++it)
        {
            clock_.advance(50);
            engine_.changePoint(*it);
            engine_.addPoint(*it);
        }
        if (finish)
            engine_.finishGraphic();
    }

    void later(uint32_t ms = 50) { clock_.advance(ms); }
    bool selectLabel(const gaugit::Graphic& g);

    kwz::FakeClock clock_;
    gaugit::GaugitEngine engine_;
};
