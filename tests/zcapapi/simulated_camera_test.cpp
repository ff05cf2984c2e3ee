#include <gtest/gtest.h>

#include "camera/simulated_camera.h"
#include "camera/white_balance.h"

namespace zcap {
namespace {

std::array<double, 3> means(const Frame& f)
{
    std::array<double, 3> sum{0, 0, 0};
    for (size_t i = 0; i < f.bgr.size(); i += 3)
        for (int c = 0; c < 3; ++c)
            sum[c] += f.bgr[i + c];
    for (double& s : sum)
        s /= static_cast<double>(f.bgr.size() / 3);
    return sum;
}

Frame shot(const PictureSettings& settings, int w = 320, int h = 240)
{
    SimulatedCamera camera({true, 30});
    EXPECT_TRUE(camera.startStream(w, h));
    camera.applySettings(settings);
    Frame f;
    camera.render(f, 0);
    return f;
}

TEST(SimulatedCamera, DeterministicFramesAreIdenticalAndNoisyOnesAreNot)
{
    SimulatedCamera fixed({true, 30});
    ASSERT_TRUE(fixed.startStream(640, 480));
    Frame a, b;
    fixed.render(a, 0);
    fixed.render(b, 5.0);
    EXPECT_EQ(a.bgr, b.bgr);

    SimulatedCamera live({false, 30});
    ASSERT_TRUE(live.startStream(640, 480));
    live.render(a, 0);
    live.render(b, 0);
    EXPECT_NE(a.bgr, b.bgr);
}

TEST(SimulatedCamera, SettingsMoveThePictureTheWayASensorWould)
{
    const PictureSettings base;
    const auto m = means(shot(base));

    PictureSettings redder = base;
    redder.gains[2] = 40;
    const auto r = means(shot(redder));
    EXPECT_GT(r[2], m[2] + 5);
    EXPECT_NEAR(r[1], m[1], 0.01);

    PictureSettings darker = base;
    darker.exposure = 75;
    const auto d = means(shot(darker));
    for (int c = 0; c < 3; ++c)
        EXPECT_LT(d[c], m[c] * 0.6);

    PictureSettings gammaUp = darker;
    gammaUp.gammaOn = true;
    gammaUp.gamma = 1.8f;
    PictureSettings gammaDown = darker;
    gammaDown.gammaOn = true;
    gammaDown.gamma = 0.5f;
    EXPECT_GT(means(shot(gammaUp))[1], d[1] + 10);
    EXPECT_LT(means(shot(gammaDown))[1], d[1] - 10);

    PictureSettings offsets = darker;
    offsets.offsetsOn = true;
    offsets.offsets = {-20, 0, 30};
    const auto o = means(shot(offsets));
    EXPECT_LT(o[0], d[0] - 15);
    EXPECT_NEAR(o[1], d[1], 0.01);
    EXPECT_GT(o[2], d[2] + 25);
    offsets.offsetsOn = false;
    EXPECT_NEAR(means(shot(offsets))[2], d[2], 0.01);
}

// Column positions of the scale's ticks along a row through them, in pixels.
std::vector<double> tickCentres(const Frame& f, int row)
{
    std::vector<double> centres;
    const uint8_t* p = f.topRow(row);
    int start = -1;
    for (int x = 0; x <= f.width; ++x)
    {
        const bool dark = x < f.width && p[x * 3 + 1] < 120;
        if (dark && start < 0)
            start = x;
        if (!dark && start >= 0)
        {
            centres.push_back((start + x - 1) / 2.0);
            start = -1;
        }
    }
    return centres;
}

TEST(SimulatedCamera, ScaleDivisionsAreTenMicrometresAtEverySize)
{
    const int sizes[][2] = {{640, 480}, {1280, 1024}, {1600, 1200}, {2048, 1536}};
    for (const auto& s : sizes)
    {
        const Frame f = shot({}, s[0], s[1]);
        const double pxPerUm = s[0] / kFieldWidthUm;
        // Five micrometres above the base line only the ticks are dark.
        const int row = static_cast<int>(s[1] / 2.0 + (170 - 5) * pxPerUm);
        const std::vector<double> ticks = tickCentres(f, row);
        ASSERT_EQ(ticks.size(), 51u) << s[0];
        const double spacing = (ticks.back() - ticks.front()) / 50.0;
        EXPECT_NEAR(spacing / pxPerUm, 10.0, 0.05) << s[0];
    }
}

TEST(SimulatedCamera, RefusesSizesBeyondTheProgramsBuffers)
{
    SimulatedCamera camera;
    EXPECT_FALSE(camera.startStream(0, 240));
    EXPECT_FALSE(camera.startStream(4096, 4096));
    EXPECT_TRUE(camera.startStream(2048, 1536));
    EXPECT_TRUE(camera.startStream(321, 17));
}

TEST(WhiteBalancer, EqualisesChannelsUnderTheWarmLampAndThenStops)
{
    SimulatedCamera camera({true, 30});
    ASSERT_TRUE(camera.startStream(640, 480));
    PictureSettings settings;
    settings.gains = {30, 30, 30};
    WhiteBalancer balancer;
    balancer.start(settings.gains, 180);
    Frame f;
    int frames = 0;
    bool finished = false;
    while (!finished && frames < 180)
    {
        settings.gains = balancer.gains();
        camera.applySettings(settings);
        camera.render(f, 0);
        finished = balancer.step(f);
        ++frames;
    }
    ASSERT_TRUE(finished);
    EXPECT_GE(frames, WhiteBalancer::kMinFrames);
    EXPECT_LT(frames, 90);
    EXPECT_EQ(balancer.gains()[1], 30);
    EXPECT_GT(balancer.gains()[0], 30); // the lamp lacks blue
    EXPECT_LT(balancer.gains()[2], 30);
    settings.gains = balancer.gains();
    camera.applySettings(settings);
    camera.render(f, 0);
    const auto m = means(f);
    EXPECT_NEAR(m[0] / m[1], 1.0, 0.04);
    EXPECT_NEAR(m[2] / m[1], 1.0, 0.04);
}

TEST(WhiteBalancer, GivesUpAtTheFrameBound)
{
    Frame black;
    black.resize(64, 48); // nothing usable to measure
    WhiteBalancer balancer;
    balancer.start({30, 30, 30}, 10);
    int frames = 1;
    while (!balancer.step(black))
        ++frames;
    EXPECT_EQ(frames, 10);
    EXPECT_EQ(balancer.gains(), (std::array<int, 3>{30, 30, 30}));
}

} // namespace
} // namespace zcap
