#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "app/calibration/calibration_profile.h"
#include "app/calibration/profile_file.h"

using namespace calib;

namespace {

const std::vector<PixelSize> kSizes = {
    {320, 240}, {640, 480}, {1280, 1024}, {1600, 1200}, {2048, 1536}};

CalibrationProfile sample()
{
    CalibrationProfile p("Obj10x");
    p.calibrate({2048, 1536}, 0.3125, kSizes, FieldRelation::ScaledField);
    p.calibrate({640, 480}, 1.0000003, kSizes, FieldRelation::ScaledField);
    return p;
}

std::filesystem::path tempFolder()
{
    const auto dir =
        std::filesystem::temp_directory_path() /
        ("calib_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace

TEST(CalibrationProfile, CalibratingOneSizeDerivesTheOthersFromTheFieldWidth)
{
    CalibrationProfile p("Obj");
    p.calibrate({2048, 1536}, 0.3125, kSizes, FieldRelation::ScaledField);
    ASSERT_EQ(p.scales().size(), kSizes.size());
    EXPECT_TRUE(p.find({2048, 1536})->calibrated);
    EXPECT_FALSE(p.find({320, 240})->calibrated);
    EXPECT_DOUBLE_EQ(*p.umPerPixel({320, 240}), 2.0);
    EXPECT_DOUBLE_EQ(*p.umPerPixel({1280, 1024}), 0.5);
    EXPECT_FALSE(p.umPerPixel({800, 600}).has_value());

    CalibrationProfile cropped("Crop");
    cropped.calibrate({2048, 1536}, 0.3125, kSizes, FieldRelation::Cropped);
    EXPECT_DOUBLE_EQ(*cropped.umPerPixel({320, 240}), 0.3125);
}

TEST(CalibrationProfile, ACalibratedSizeKeepsItsOwnScaleAndTheWidestFeedsTheDerived)
{
    CalibrationProfile p("Obj");
    p.calibrate({640, 480}, 1.01, kSizes, FieldRelation::ScaledField);
    EXPECT_DOUBLE_EQ(*p.umPerPixel({2048, 1536}), 1.01 * 640 / 2048);
    p.calibrate({2048, 1536}, 0.3125, kSizes, FieldRelation::ScaledField);
    // 640 x 480 was measured there: the wider calibration does not overwrite it.
    EXPECT_DOUBLE_EQ(*p.umPerPixel({640, 480}), 1.01);
    EXPECT_TRUE(p.find({640, 480})->calibrated);
    EXPECT_DOUBLE_EQ(*p.umPerPixel({1600, 1200}), 0.3125 * 2048 / 1600);
    EXPECT_FALSE(p.find({1600, 1200})->calibrated);
}

TEST(CalibrationProfile, RefusesUnusableScalesAndNames)
{
    CalibrationProfile p("Obj");
    for (double bad : {0.0, -1.0, 1e-9, 1e300, std::nan("")})
        EXPECT_FALSE(p.setScale({{640, 480}, bad, true})) << bad;
    EXPECT_FALSE(p.setScale({{0, 480}, 1.0, true}));
    EXPECT_TRUE(p.scales().empty());

    for (const char* bad : {"", ".", "..", "a/b", "a\\b", " lead", "tab\tin", "x\n"})
        EXPECT_FALSE(isValidProfileName(bad)) << bad;
    EXPECT_FALSE(isValidProfileName(std::string(64, 'a')));
    EXPECT_TRUE(isValidProfileName(std::string(63, 'a')));
    EXPECT_TRUE(isValidProfileName("Obj 10x"));
    EXPECT_TRUE(isValidProfileName("物镜10x"));
}

TEST(ProfileFile, RoundTripsExactlyThroughTextAndFile)
{
    const CalibrationProfile p = sample();
    const ProfileParse text = parseProfile(serializeProfile(p));
    ASSERT_TRUE(text.profile) << text.error;
    EXPECT_EQ(*text.profile, p);

    const auto dir = tempFolder();
    const std::string path = profileFilePath(dir.string(), "Obj10x");
    ASSERT_TRUE(writeProfileFile(path, p));
    const ProfileParse file = readProfileFile(path);
    ASSERT_TRUE(file.profile) << file.error;
    EXPECT_EQ(*file.profile, p);
    ASSERT_TRUE(writeProfileFile(profileFilePath(dir.string(), "A"), CalibrationProfile("A")));
    EXPECT_EQ(listProfiles(dir.string()), (std::vector<std::string>{"A", "Obj10x"}));
    std::filesystem::remove_all(dir);
}

TEST(ProfileFile, ReadsHandWrittenFilesLeniently)
{
    const ProfileParse r = parseProfile("\xEF\xBB\xBF; made by hand\r\n\r\n[profile]\r\n"
                                        "  name = Obj40x \r\n[SCALES]\r\n# none yet\r\n"
                                        "640X480 = 0.25   Calibrated\r\n");
    ASSERT_TRUE(r.profile) << r.error;
    EXPECT_EQ(r.profile->name(), "Obj40x");
    ASSERT_EQ(r.profile->scales().size(), 1u);
    EXPECT_EQ(r.profile->scales()[0], (SizeScale{{640, 480}, 0.25, true}));
}

TEST(ProfileFile, RefusesDamagedContentWithTheLineItStoppedAt)
{
    const std::string head = "[Profile]\nName=P\n[Scales]\n";
    const struct
    {
        std::string text;
        const char* error;
    } cases[] = {
        {"", "no [Profile] Name"},
        {"[Scales]\n640x480=1 derived\n", "no [Profile] Name"},
        {"Name=P\n", "line 1"},
        {"[Profile\nName=P\n", "line 1"},
        {"[Other]\n", "line 1"},
        {"[Profile]\nName=P\n[Profile]\n", "line 3"},
        {"[Profile]\nName=P\nName=Q\n", "line 3"},
        {"[Profile]\nColour=red\n", "line 2"},
        {"[Profile]\nName=a/b\n", "line 2"},
        {"[Profile]\nName=\n", "line 2"},
        {head + "garbage\n", "line 4"},
        {head + "640x=1 derived\n", "line 4"},
        {head + "-640x480=1 derived\n", "line 4"},
        {head + "99999x480=1 derived\n", "line 4"},
        {head + "0x480=1 derived\n", "line 4"},
        {head + "640x480=abc derived\n", "line 4"},
        {head + "640x480=nan derived\n", "line 4"},
        {head + "640x480=inf derived\n", "line 4"},
        {head + "640x480=-1 derived\n", "line 4"},
        {head + "640x480=0 derived\n", "line 4"},
        {head + "640x480=1e400 derived\n", "line 4"},
        {head + "640x480=1\n", "line 4"},
        {head + "640x480=1 maybe\n", "line 4"},
        {head + "640x480=1 derived\n640x480=2 derived\n", "line 5"},
        {std::string("[Profile]\nName=P\0\n", 17), "NUL"},
        {head + std::string(kProfileFileLimit, ';'), "64 KiB"},
    };
    for (const auto& c : cases)
    {
        const ProfileParse r = parseProfile(c.text);
        EXPECT_FALSE(r.profile) << c.text;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.text << " -> " << r.error;
    }
}

TEST(ProfileFile, AFileLargerThanTheLimitOrMissingIsRefused)
{
    const auto dir = tempFolder();
    const std::string path = (dir / "big.calib").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << "[Profile]\nName=big\n";
        out << std::string(kProfileFileLimit, ';');
    }
    const ProfileParse big = readProfileFile(path);
    EXPECT_FALSE(big.profile);
    EXPECT_NE(big.error.find("64 KiB"), std::string::npos) << big.error;
    const ProfileParse missing = readProfileFile((dir / "none.calib").string());
    EXPECT_FALSE(missing.profile);
    EXPECT_FALSE(missing.error.empty());
    std::filesystem::remove_all(dir);
}
