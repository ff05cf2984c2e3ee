#include <cmath>

#include <gtest/gtest.h>

#include "app/calibration/micrometer_finder.h"
#include "camera/frame.h"
#include "camera/simulated_camera.h"

using namespace calib;

namespace {

struct Size
{
    int width;
    int height;
};
constexpr Size kSizes[] = {{320, 240}, {640, 480}, {1280, 1024}, {1600, 1200}, {2048, 1536}};

GreyImage simulatedPicture(int width, int height, bool noise, double seconds = 3.0)
{
    zcap::SimulatedOptions options;
    options.deterministic = !noise;
    zcap::SimulatedCamera camera(options);
    EXPECT_TRUE(camera.startStream(width, height));
    zcap::Frame frame;
    camera.render(frame, seconds);
    return greyFromBgr(frame.bgr.data(), width, height, size_t(width) * 3, true);
}

// The simulator's own geometry: pixels per micrometre follow the width of its field.
double trueUmPerPixel(int width)
{
    return zcap::kFieldWidthUm / width;
}

// A point of the scene (micrometres from the centre, y downwards) in picture pixels.
PointF toPixels(double xUm, double yUm, int width, int height)
{
    const double px = 1.0 / trueUmPerPixel(width);
    return {xUm * px + width / 2.0, yUm * px + height / 2.0};
}

} // namespace

TEST(MicrometerFinder, FindsTheSimulatorsScaleWithin0_1PercentAtEverySizeWithNoise)
{
    for (const Size s : kSizes)
    {
        const GreyImage image = simulatedPicture(s.width, s.height, true);
        // Along the scale across its short ticks, a little beyond the first and last mark.
        const PointF a = toPixels(-262, 164, s.width, s.height);
        const PointF b = toPixels(262, 164, s.width, s.height);
        FinderOptions options;
        options.bandHalfWidth = 2;
        const FinderResult r = findMicrometerScale(image, a, b, options);
        ASSERT_TRUE(r.found()) << s.width << " outcome " << int(r.outcome);
        const double truth = trueUmPerPixel(s.width);
        EXPECT_NEAR(r.umPerPixel / truth, 1.0, 1e-3) << s.width << "x" << s.height;
        EXPECT_EQ(r.divisions, 50) << s.width;
        EXPECT_LT(r.residualPx, 0.25) << s.width;
        std::printf("%dx%d: %.6f um/px (true %.6f, %+.4f %%), %d divisions, residual %.4f px\n",
                    s.width, s.height, r.umPerPixel, truth, 100 * (r.umPerPixel / truth - 1),
                    r.divisions, r.residualPx);
    }
}

TEST(MicrometerFinder, TheCamerasSizesShowOneFieldOfTheSameWidth)
{
    // Measured, not assumed: the width in micrometres the finder's scale gives each size.
    double first = 0;
    for (const Size s : kSizes)
    {
        const GreyImage image = simulatedPicture(s.width, s.height, true);
        const FinderResult r = findMicrometerScale(image, toPixels(-130, 164, s.width, s.height),
                                                   toPixels(130, 164, s.width, s.height));
        ASSERT_TRUE(r.found()) << s.width;
        const double fieldUm = r.umPerPixel * s.width;
        if (first == 0)
            first = fieldUm;
        EXPECT_NEAR(fieldUm / first, 1.0, 2e-3) << s.width;
        std::printf("%dx%d: field %.2f um wide, %.2f um high\n", s.width, s.height, fieldUm,
                    r.umPerPixel * s.height);
    }
}

TEST(MicrometerFinder, AnyDirectionAndAMissingMarkGiveTheSameScale)
{
    const GreyImage image = simulatedPicture(1600, 1200, false);
    const double truth = trueUmPerPixel(1600);
    // Drawn from right to left.
    const FinderResult back =
        findMicrometerScale(image, toPixels(205, 164, 1600, 1200), toPixels(-205, 164, 1600, 1200));
    ASSERT_TRUE(back.found());
    EXPECT_NEAR(back.umPerPixel / truth, 1.0, 1e-3);

    // A mark painted over with slide colour is skipped, not miscounted.
    GreyImage patched = image;
    const PointF mark = toPixels(0, 164, 1600, 1200);
    for (int y = int(mark.y) - 6; y <= int(mark.y) + 6; ++y)
        for (int x = int(mark.x) - 4; x <= int(mark.x) + 4; ++x)
            patched.pixels[size_t(y) * patched.width + x] = patched.at(int(mark.x) + 12, y);
    const FinderResult gap = findMicrometerScale(patched, toPixels(-205, 164, 1600, 1200),
                                                 toPixels(205, 164, 1600, 1200));
    ASSERT_TRUE(gap.found());
    EXPECT_NEAR(gap.umPerPixel / truth, 1.0, 1e-3);
    EXPECT_EQ(gap.divisions, 40);
    EXPECT_EQ(gap.marksUsed, 40);
}

TEST(MicrometerFinder, RefusesAPictureWithoutAScale)
{
    const GreyImage image = simulatedPicture(640, 480, true);
    // Across the bare slide above the scale, and across the particles.
    const FinderResult slide =
        findMicrometerScale(image, toPixels(-250, 20, 640, 480), toPixels(250, 20, 640, 480));
    EXPECT_FALSE(slide.found());
    EXPECT_EQ(slide.outcome, FinderOutcome::NoContrast);

    GreyImage flat;
    flat.width = 200;
    flat.height = 100;
    flat.pixels.assign(200 * 100, 128.0f);
    EXPECT_EQ(findMicrometerScale(flat, {10, 50}, {190, 50}).outcome, FinderOutcome::NoContrast);

    // One dark bar is no scale either.
    for (int y = 0; y < 100; ++y)
        for (int x = 95; x < 105; ++x)
            flat.pixels[size_t(y) * 200 + x] = 20;
    EXPECT_EQ(findMicrometerScale(flat, {10, 50}, {190, 50}).outcome,
              FinderOutcome::TooFewDivisions);
}

TEST(MicrometerFinder, RefusesLinesAndSpacingsItCannotUse)
{
    const GreyImage image = simulatedPicture(640, 480, false);
    EXPECT_EQ(findMicrometerScale(image, {100, 100}, {103, 100}).outcome,
              FinderOutcome::LineTooShort);
    EXPECT_EQ(findMicrometerScale(image, {-5000, -5000}, {-4000, -5000}).outcome,
              FinderOutcome::LineTooShort);
    EXPECT_EQ(findMicrometerScale(image, {NAN, 0}, {100, 0}).outcome, FinderOutcome::LineTooShort);
    FinderOptions options;
    options.spacingUm = 0;
    EXPECT_EQ(findMicrometerScale(image, {0, 0}, {100, 0}, options).outcome,
              FinderOutcome::BadSpacing);
    EXPECT_EQ(findMicrometerScale(GreyImage{}, {0, 0}, {100, 0}).outcome,
              FinderOutcome::LineTooShort);
}

TEST(MicrometerFinder, TheSpacingGivenSetsTheScale)
{
    const GreyImage image = simulatedPicture(640, 480, false);
    FinderOptions options;
    options.spacingUm = 0.01; // the same micrometer read as 10 nm divisions
    const FinderResult r = findMicrometerScale(image, toPixels(-205, 164, 640, 480),
                                               toPixels(205, 164, 640, 480), options);
    ASSERT_TRUE(r.found());
    EXPECT_NEAR(r.umPerPixel / (trueUmPerPixel(640) / 1000), 1.0, 1e-3);
}
