// A still file the library writes, compared byte for byte with a copy kept under
// tests/data/golden. The frame routine paints a fixed pattern over every frame, so the file
// depends on the BMP writer alone, not on the scene the simulated camera renders.
//
// KWZ_GOLDEN_OUT=<folder> writes the file there instead of comparing (see tests/data/README.md).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "zcapapi.h"

namespace {

namespace fs = std::filesystem;

void paintPattern(BYTE* frame, DWORD bytes, void*)
{
    for (DWORD i = 0; i < bytes; ++i)
        frame[i] = BYTE(i * 7 + 3);
}

TEST(ZcapGolden, StillBmpOfAnOddWidth)
{
    setenv("KWZ_CAMERA", "sim:fixed", 1);
    const fs::path dir = fs::temp_directory_path() / ("zcap_golden_" + std::to_string(getpid()));
    fs::create_directories(dir);
    ZCAPINFO info{};
    info.dwWidth = 13;
    info.dwHeight = 5;
    info.dwExposure = 150;
    info.byRedGain = info.byGreenGain = info.byBlueGain = 32;
    ZCAPHANDLE handle = 0;
    ASSERT_EQ(ZcapInitialize("Tarnwick", nullptr, &info, &handle), ZCAP_OK);
    ASSERT_EQ(ZcapSetFrameCallback(handle, paintPattern, nullptr), ZCAP_OK);
    // A new description makes grabs wait for a frame taken after the routine was set.
    ASSERT_EQ(ZcapSetCapInfo(handle, &info), ZCAP_OK);
    const fs::path written = dir / "still_13x5.bmp";
    ASSERT_EQ(ZcapGetRgbFrameToBmp(handle, &info, nullptr, written.c_str()), ZCAP_OK);
    ZcapUninitialize(&handle);

    std::ifstream in(written, std::ios::binary);
    const std::vector<uint8_t> actual{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
    if (const char* out = std::getenv("KWZ_GOLDEN_OUT"))
    {
        fs::copy_file(written, fs::path(out) / written.filename(),
                      fs::copy_options::overwrite_existing);
    }
    else
    {
        std::ifstream golden(fs::path(KWZ_TEST_DATA) / "golden" / written.filename(),
                             std::ios::binary);
        const std::vector<uint8_t> expected{std::istreambuf_iterator<char>(golden),
                                            std::istreambuf_iterator<char>()};
        EXPECT_EQ(actual, expected);
    }
    fs::remove_all(dir);
}

} // namespace
