#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/draw/raster_context.h"
#include "platform/draw/window.h"
#include "platform/testing/write_faults.h"
#include "zcapapi.h"

namespace {

namespace fs = std::filesystem;

// A window in memory: what the live view paints lands in a 24-bit DIB.
class MemoryWindow : public kwz::Window
{
  public:
    MemoryWindow(int w, int h) : context_(kwz::RasterContext::create(w, h, 24)) {}
    RECT clientRect() const override { return {0, 0, context_->width(), context_->height()}; }
    kwz::DrawContext* getDC() override
    {
        mutex_.lock();
        return context_.get();
    }
    void releaseDC(kwz::DrawContext*) override
    {
        ++paints;
        mutex_.unlock();
    }
    void invalidate(const RECT*) override {}
    COLORREF pixel(int x, int y)
    {
        std::lock_guard lock(mutex_);
        return context_->pixel(x, y);
    }
    std::atomic<int> paints{0};

  private:
    std::mutex mutex_;
    std::unique_ptr<kwz::RasterContext> context_;
};

template <typename Predicate>
bool waitFor(Predicate done, std::chrono::milliseconds limit = std::chrono::milliseconds(5000))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string run(const std::string& command)
{
    std::string out;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return out;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

ZCAPINFO description(int width, int height)
{
    ZCAPINFO info{};
    info.dwWidth = static_cast<DWORD>(width);
    info.dwHeight = static_cast<DWORD>(height);
    info.dwExposure = 150;
    info.byRedGain = info.byGreenGain = info.byBlueGain = 32;
    return info;
}

std::array<double, 3> means(const std::vector<BYTE>& bgr)
{
    std::array<double, 3> sum{0, 0, 0};
    for (size_t i = 0; i < bgr.size(); i += 3)
        for (int c = 0; c < 3; ++c)
            sum[c] += bgr[i + c];
    for (double& s : sum)
        s /= static_cast<double>(bgr.size() / 3);
    return sum;
}

// The program's cross-hair: three rows and three columns through the middle, red.
struct Cross
{
    int width, height;
    std::atomic<int> calls{0};
    std::atomic<int> wrongSize{0};
};

void paintCross(BYTE* frame, DWORD bytes, void* context)
{
    auto* cross = static_cast<Cross*>(context);
    ++cross->calls;
    const int w = cross->width, h = cross->height;
    if (bytes != static_cast<DWORD>(w * h * 3))
    {
        ++cross->wrongSize;
        return;
    }
    for (int r = h / 2; r < h / 2 + 3; ++r)
        for (int x = 0; x < w; ++x)
        {
            BYTE* p = frame + (static_cast<size_t>(r) * w + x) * 3;
            p[0] = 0, p[1] = 0, p[2] = 255;
        }
    for (int y = 0; y < h; ++y)
        for (int c = w / 2; c < w / 2 + 3; ++c)
        {
            BYTE* p = frame + (static_cast<size_t>(y) * w + c) * 3;
            p[0] = 0, p[1] = 0, p[2] = 255;
        }
}

// Releases the camera when a test leaves, early or not, before the windows and routine
// contexts declared ahead of it go away.
struct Closer
{
    ZCAPHANDLE& handle;
    ~Closer()
    {
        if (handle)
            ZcapUninitialize(&handle);
    }
};

class Zcap : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        setenv("KWZ_CAMERA", "sim:fixed", 1);
        folder_ = fs::temp_directory_path() / ("zcap_test_" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        if (handle_)
            ZcapUninitialize(&handle_);
        std::error_code ignored;
        fs::permissions(folder_, fs::perms::owner_all, ignored);
        fs::remove_all(folder_, ignored);
    }
    void open(int width, int height)
    {
        info_ = description(width, height);
        DWORD kind = 0;
        ASSERT_EQ(ZcapInitialize("Tarnwick", &kind, &info_, &handle_), ZCAP_OK);
        ASSERT_NE(handle_, 0u);
        EXPECT_EQ(kind, 1u);
    }
    std::vector<BYTE> grab()
    {
        std::vector<BYTE> frame(info_.dwWidth * info_.dwHeight * 3, 0xCD);
        EXPECT_EQ(ZcapGetRgbFrame(handle_, &info_, frame.data()), ZCAP_OK);
        return frame;
    }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    fs::path folder_;
    ZCAPINFO info_{};
    ZCAPHANDLE handle_ = 0;
};

TEST_F(Zcap, OpensTheSimulatedCameraAndGrabsIdenticalFramesInFixedMode)
{
    open(320, 240);
    const std::vector<BYTE> a = grab();
    const std::vector<BYTE> b = grab();
    EXPECT_EQ(a, b);
    // Bright slide, dark scale: a picture, not a fill.
    const auto m = means(a);
    EXPECT_GT(m[1], 120);
    EXPECT_LT(*std::min_element(a.begin(), a.end()), 60);
    // A grab at another size is the same scene scaled.
    info_ = description(640, 480);
    EXPECT_EQ(grab().size(), 640u * 480 * 3);
}

TEST_F(Zcap, PictureControlsActInTheirDirection)
{
    open(320, 240);
    const auto base = means(grab());
    info_.byRedGain = 48;
    ASSERT_EQ(ZcapSetCapInfo(handle_, &info_), ZCAP_OK);
    const auto red = means(grab());
    EXPECT_GT(red[2], base[2] + 10);
    EXPECT_NEAR(red[1], base[1], 0.5);

    info_.byRedGain = 32;
    info_.dwExposure = 75;
    ASSERT_EQ(ZcapSetCapInfo(handle_, &info_), ZCAP_OK);
    const auto dark = means(grab());
    EXPECT_LT(dark[1], base[1] * 0.6);

    ASSERT_EQ(ZcapSetGammaValue(handle_, 1.8f, 1), ZCAP_OK);
    EXPECT_GT(means(grab())[1], dark[1] + 10);
    ASSERT_EQ(ZcapSetGammaValue(handle_, 1.0f, 1), ZCAP_OK);

    ASSERT_EQ(ZcapEnableColorOffset(handle_, 40, 0, -40, 1), ZCAP_OK);
    const auto offset = means(grab());
    EXPECT_GT(offset[2], dark[2] + 30);
    EXPECT_LT(offset[0], dark[0] - 30);
    ASSERT_EQ(ZcapEnableColorOffset(handle_, 40, 0, -40, 0), ZCAP_OK);
    EXPECT_NEAR(means(grab())[2], dark[2], 0.5);
}

TEST_F(Zcap, TheLampsLightTheSimulatedScene)
{
    open(320, 240);
    const std::vector<BYTE> start = grab();
    const auto lit = means(start);
    // Every lamp but the laser is on from the start: switching them on again changes nothing.
    ASSERT_EQ(
        ZcapSetLights(handle_, ZCAP_LIGHT_TOP_INNER | ZCAP_LIGHT_TOP_OUTER | ZCAP_LIGHT_BOTTOM),
        ZCAP_OK);
    EXPECT_EQ(grab(), start);

    // The bottom lamp alone shines through the slide: still bright, but darker than with the
    // top lamps as well, and the chrome scale turns black against it.
    ASSERT_EQ(ZcapSetLights(handle_, ZCAP_LIGHT_BOTTOM), ZCAP_OK);
    const std::vector<BYTE> back = grab();
    const auto backMeans = means(back);
    EXPECT_GT(backMeans[1], 80);
    EXPECT_LT(backMeans[1], lit[1] - 10);
    EXPECT_LT(*std::min_element(back.begin(), back.end()),
              *std::min_element(start.begin(), start.end()));

    // The top lamps alone light it from above, dimmer; each adds light.
    ASSERT_EQ(ZcapSetLights(handle_, ZCAP_LIGHT_TOP_INNER), ZCAP_OK);
    const auto inner = means(grab());
    ASSERT_EQ(ZcapSetLights(handle_, ZCAP_LIGHT_TOP_INNER | ZCAP_LIGHT_TOP_OUTER), ZCAP_OK);
    const auto top = means(grab());
    EXPECT_GT(top[1], inner[1] + 2);
    EXPECT_LT(top[1], backMeans[1]);
    ASSERT_EQ(ZcapSetLights(handle_, 0), ZCAP_OK);
    EXPECT_LT(means(grab())[1], 1.0);

    // The laser puts a red spot in the middle and leaves the rest.
    ASSERT_EQ(ZcapSetLights(handle_, ZCAP_LIGHT_ALL), ZCAP_OK);
    const std::vector<BYTE> laser = grab();
    const size_t middle = (120 * 320 + 160) * 3;
    EXPECT_GT(int(laser[middle + 2]), int(start[middle + 2]) + 10);
    EXPECT_LT(int(laser[middle + 1]), int(start[middle + 1]));
    EXPECT_EQ(laser[0], start[0]);
    EXPECT_EQ(std::vector<BYTE>(laser.begin(), laser.begin() + 320 * 3 * 100),
              std::vector<BYTE>(start.begin(), start.begin() + 320 * 3 * 100));
}

TEST_F(Zcap, BadHandlesAndArgumentsAreRefusedWithTheirCodes)
{
    ZCAPINFO info = description(320, 240);
    ZCAPHANDLE none = 0;
    BYTE buffer[16];
    float fps = -1;
    EXPECT_EQ(ZcapInitialize("x", nullptr, &info, nullptr), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapInitialize("x", nullptr, nullptr, &none), ZCAP_ERR_ARGUMENT);
    ZCAPINFO huge = description(4096, 4096);
    EXPECT_EQ(ZcapInitialize("x", nullptr, &huge, &none), ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(none, 0u);
    EXPECT_EQ(ZcapUninitialize(nullptr), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapUninitialize(&none), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapSetCapInfo(0, &info), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapStartView(0, "Tarnwick", 0x50000000, 0, 0, 320, 240, nullptr, 0), ZCAP_ERR_VIEW);
    EXPECT_EQ(ZcapStopView(12345), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapGetRgbFrame(0, &info, buffer), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapGetRgbFrameToJpeg(0, &info, nullptr, "/tmp/x.jpg", 75), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapCaptureToAvi(0, 1, "/tmp/x.avi"), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapGetFrameRate(0, &fps), ZCAP_ERR_HANDLE);
    int state = -1;
    EXPECT_EQ(ZcapGetDeviceState(0, &state), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapSetDoAWB(0, 1, 180, nullptr, nullptr), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapSetFrameCallback(0, nullptr, nullptr), ZCAP_ERR_HANDLE);
    EXPECT_EQ(ZcapSetLights(0, ZCAP_LIGHT_ALL), ZCAP_ERR_HANDLE);

    open(320, 240);
    EXPECT_EQ(ZcapGetRgbFrame(handle_, nullptr, buffer), ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(ZcapGetRgbFrame(handle_, &info_, nullptr), ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(ZcapSetCapInfo(handle_, &huge), ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(ZcapGetRgbFrameToJpeg(handle_, &info_, nullptr, path("q.jpg").c_str(), 0),
              ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(ZcapStartView(handle_, "Tarnwick", 0x50000000, 0, 0, 320, 240, nullptr, 0),
              ZCAP_ERR_VIEW);
    EXPECT_EQ(ZcapSetDoAWB(handle_, 1, 180, nullptr, nullptr), ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(ZcapCaptureToAvi(handle_, 0, nullptr), ZCAP_ERR_STATE);
    EXPECT_EQ(ZcapGetDeviceState(handle_, nullptr), ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(ZcapSetLights(handle_, 0x10u), ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(ZcapGetFrameRate(handle_, &fps), ZCAP_OK);
    EXPECT_EQ(fps, 0.0f); // nothing streams

    ZCAPHANDLE copy = handle_;
    EXPECT_EQ(ZcapUninitialize(&handle_), ZCAP_OK);
    EXPECT_EQ(handle_, 0u);
    EXPECT_EQ(ZcapGetRgbFrame(copy, &info, buffer), ZCAP_ERR_HANDLE);
}

TEST_F(Zcap, AMissingOrForeignDeviceFailsToOpenCleanly)
{
    const ZCAPINFO info = description(320, 240);
    for (const char* device : {"/dev/video-that-is-not-there", "/dev/null"})
    {
        setenv("KWZ_CAMERA", device, 1);
        ZCAPHANDLE handle = 77;
        DWORD kind = 0;
        EXPECT_EQ(ZcapInitialize("Tarnwick", &kind, &info, &handle), ZCAP_ERR_DEVICE) << device;
        EXPECT_EQ(handle, 0u);
        EXPECT_EQ(ZcapUninitialize(&handle), ZCAP_ERR_HANDLE); // what start-up does next
    }
}

TEST_F(Zcap, StillCapturesAreJpegAndBmpFilesOfTheSetSize)
{
    open(640, 480);
    std::vector<BYTE> work(2048 * 1536 * 3);
    const std::string jpg = path("still.jpg");
    const std::string bmp = path("still.bmp");
    ASSERT_EQ(ZcapGetRgbFrameToJpeg(handle_, &info_, work.data(), jpg.c_str(), 75), ZCAP_OK);
    ASSERT_EQ(ZcapGetRgbFrameToBmp(handle_, &info_, work.data(), bmp.c_str()), ZCAP_OK);
    EXPECT_EQ(run("identify -format '%m %w %h %Q' " + jpg), "JPEG 640 480 75");
    EXPECT_EQ(run("identify -format '%m %w %h' " + bmp), "BMP3 640 480");
    // Baseline: a start-of-frame 0 marker, no progressive one.
    std::ifstream jpegIn(jpg, std::ios::binary);
    const std::string jpeg((std::istreambuf_iterator<char>(jpegIn)),
                           std::istreambuf_iterator<char>());
    EXPECT_NE(jpeg.find("\xFF\xC0"), std::string::npos);
    EXPECT_EQ(jpeg.find("\xFF\xC2"), std::string::npos);
    std::ifstream in(bmp, std::ios::binary);
    std::vector<char> header(54);
    in.read(header.data(), 54);
    EXPECT_EQ(header[28], 24); // bits per pixel
    EXPECT_EQ(fs::file_size(bmp), 54u + 640 * 480 * 3);
    // The work buffer received the frame that was written.
    in.seekg(54);
    std::vector<char> pixels(640 * 480 * 3);
    in.read(pixels.data(), pixels.size());
    EXPECT_EQ(0, std::memcmp(pixels.data(), work.data(), pixels.size()));
}

TEST_F(Zcap, AStillCutShortLeavesTheEarlierFileWhole)
{
    open(64, 48);
    const std::string bmp = path("still.bmp");
    ASSERT_EQ(ZcapGetRgbFrameToBmp(handle_, &info_, nullptr, bmp.c_str()), ZCAP_OK);
    const auto before = fs::file_size(bmp);
    // The disk fills up in the middle of the next still.
    kwz::testing::failWritesAfter(10);
    EXPECT_EQ(ZcapGetRgbFrameToJpeg(handle_, &info_, nullptr, bmp.c_str(), 75), ZCAP_ERR_FILE);
    EXPECT_EQ(ZcapGetRgbFrameToBmp(handle_, &info_, nullptr, bmp.c_str()), ZCAP_ERR_FILE);
    kwz::testing::failWritesAfter(-1);
    EXPECT_EQ(fs::file_size(bmp), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(Zcap, FilesThatCannotBeWrittenFailAndLeaveNothing)
{
    open(320, 240);
    const std::string missing = path("no/such/folder/x.jpg");
    EXPECT_EQ(ZcapGetRgbFrameToJpeg(handle_, &info_, nullptr, missing.c_str(), 75), ZCAP_ERR_FILE);
    EXPECT_EQ(ZcapGetRgbFrameToBmp(handle_, &info_, nullptr, path("no/x.bmp").c_str()),
              ZCAP_ERR_FILE);
    EXPECT_EQ(ZcapCaptureToAvi(handle_, 1, path("no/x.avi").c_str()), ZCAP_ERR_FILE);
    EXPECT_EQ(ZcapCaptureToAvi(handle_, 0, nullptr), ZCAP_ERR_STATE);
    // A file system that takes no files at all.
    EXPECT_EQ(ZcapGetRgbFrameToBmp(handle_, &info_, nullptr, "/proc/zcap.bmp"), ZCAP_ERR_FILE);
    EXPECT_EQ(ZcapCaptureToAvi(handle_, 1, "/proc/zcap.avi"), ZCAP_ERR_FILE);

    const fs::path locked = folder_ / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    if (geteuid() != 0) // root writes anywhere
    {
        EXPECT_EQ(ZcapGetRgbFrameToJpeg(handle_, &info_, nullptr, (locked / "x.jpg").c_str(), 75),
                  ZCAP_ERR_FILE);
        EXPECT_EQ(ZcapCaptureToAvi(handle_, 1, (locked / "x.avi").c_str()), ZCAP_ERR_FILE);
    }
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_TRUE(fs::is_empty(locked));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(Zcap, FrameRoutineSeesEveryFrameAndItsCrossShowsInViewAndFiles)
{
    open(320, 240);
    Cross cross{320, 240};
    MemoryWindow window(400, 300);
    const Closer closer{handle_};
    ASSERT_EQ(ZcapSetFrameCallback(handle_, paintCross, &cross), ZCAP_OK);
    const ZCAPVIEWWIN placement{40, 30, 320, 240};
    ASSERT_EQ(ZcapSetViewWin(handle_, &placement), ZCAP_OK);
    ASSERT_EQ(
        ZcapStartView(handle_, "Tarnwick", 0x50000000, 0, 0, 320, 240, kwz::toHwnd(&window), 0),
        ZCAP_OK);
    ASSERT_TRUE(waitFor([&] { return window.paints >= 10; }));
    const int painted = window.paints;
    EXPECT_GE(cross.calls, painted); // no frame is shown without passing the routine
    // Picture row 119 from the top is frame row 120 from the bottom: the cross's middle row.
    EXPECT_EQ(window.pixel(40 + 10, 30 + 119), RGB(255, 0, 0));
    EXPECT_EQ(window.pixel(40 + 161, 30 + 5), RGB(255, 0, 0));
    EXPECT_EQ(window.pixel(5, 5), RGB(0, 0, 0)); // outside the placement

    // The reported rate is the rate the routine sees.
    const int before = cross.calls;
    const auto start = std::chrono::steady_clock::now();
    waitFor([] { return false; }, std::chrono::milliseconds(1500));
    float fps = 0;
    ASSERT_EQ(ZcapGetFrameRate(handle_, &fps), ZCAP_OK);
    const double seen =
        (cross.calls - before) /
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(fps, 5);
    EXPECT_NEAR(fps, seen, seen * 0.2);

    const std::string bmp = path("cross.bmp");
    ASSERT_EQ(ZcapGetRgbFrameToBmp(handle_, &info_, nullptr, bmp.c_str()), ZCAP_OK);
    EXPECT_EQ(run("convert " + bmp + " -format '%[pixel:p{10,119}]' info:"), "srgb(255,0,0)");

    // A description of another size changes what grabs return, not the frames the routine
    // gets: they keep the started size it was written for.
    ZCAPINFO big = description(640, 480);
    ASSERT_EQ(ZcapSetCapInfo(handle_, &big), ZCAP_OK);
    std::vector<BYTE> large(640 * 480 * 3);
    ASSERT_EQ(ZcapGetRgbFrame(handle_, &big, large.data()), ZCAP_OK);
    const int calls0 = cross.calls;
    ASSERT_TRUE(waitFor([&] { return cross.calls >= calls0 + 3; }));
    EXPECT_EQ(cross.wrongSize, 0);
    ASSERT_EQ(ZcapSetCapInfo(handle_, &info_), ZCAP_OK);

    // Stopped: nothing more is painted, and a removed routine is not called again.
    ASSERT_EQ(ZcapStopView(handle_), ZCAP_OK);
    ASSERT_EQ(ZcapSetFrameCallback(handle_, nullptr, nullptr), ZCAP_OK);
    const int paints = window.paints, calls = cross.calls;
    grab();
    grab();
    EXPECT_EQ(window.paints, paints);
    EXPECT_EQ(cross.calls, calls);
}

TEST_F(Zcap, ViewIsScaledToThePlacement)
{
    open(320, 240);
    MemoryWindow window(200, 200);
    const Closer closer{handle_};
    const ZCAPVIEWWIN placement{0, 0, 160, 120};
    ASSERT_EQ(ZcapSetViewWin(handle_, &placement), ZCAP_OK);
    ASSERT_EQ(
        ZcapStartView(handle_, "Tarnwick", 0x50000000, 0, 0, 320, 240, kwz::toHwnd(&window), 0),
        ZCAP_OK);
    ASSERT_TRUE(waitFor([&] { return window.paints >= 2; }));
    EXPECT_NE(window.pixel(80, 60), RGB(0, 0, 0));
    EXPECT_NE(window.pixel(159, 119), RGB(0, 0, 0));
    EXPECT_EQ(window.pixel(170, 130), RGB(0, 0, 0));
    ASSERT_EQ(ZcapStopView(handle_), ZCAP_OK); // the window goes away with the test
}

struct Balance
{
    std::atomic<int> calls{0};
    std::atomic<DWORD> packed{0};
};

void balanced(DWORD packed, void* context)
{
    auto* b = static_cast<Balance*>(context);
    b->packed = packed;
    ++b->calls;
}

TEST_F(Zcap, WhiteBalanceReportsOncePerStartWithGainsAndHalfTheExposure)
{
    open(320, 240);
    info_.byRedGain = info_.byGreenGain = info_.byBlueGain = 30;
    ASSERT_EQ(ZcapSetCapInfo(handle_, &info_), ZCAP_OK);
    Balance balance;
    Cross frames{320, 240};
    MemoryWindow window(320, 240); // balancing happens on the live picture
    const Closer closer{handle_};
    ASSERT_EQ(
        ZcapStartView(handle_, "Tarnwick", 0x50000000, 0, 0, 320, 240, kwz::toHwnd(&window), 0),
        ZCAP_OK);
    ASSERT_EQ(ZcapSetFrameCallback(handle_, paintCross, &frames), ZCAP_OK);
    ASSERT_EQ(ZcapSetDoAWB(handle_, 1, 180, balanced, &balance), ZCAP_OK);
    ASSERT_TRUE(waitFor([&] { return balance.calls > 0; }));
    const int atFinish = frames.calls;
    ASSERT_TRUE(waitFor([&] { return frames.calls >= atFinish + 10 || balance.calls > 1; }));
    EXPECT_EQ(balance.calls, 1);
    const DWORD v = balance.packed;
    EXPECT_LT(v & 0xFF, 30u);         // red lowered under the warm lamp
    EXPECT_EQ((v >> 8) & 0xFF, 30u);  // green kept
    EXPECT_GT((v >> 16) & 0xFF, 30u); // blue raised
    EXPECT_EQ(v >> 24, 75u);          // exposure 150 halved

    // Balanced gains stay: the bare slide is grey (rows 165 to 185 show nothing else).
    ZcapSetFrameCallback(handle_, nullptr, nullptr);
    const std::vector<BYTE> frame = grab();
    const size_t row = 320 * 3;
    const auto m = means(
        std::vector<BYTE>(frame.begin() + (240 - 186) * row, frame.begin() + (240 - 165) * row));
    EXPECT_NEAR(m[2] / m[1], 1.0, 0.05);
    EXPECT_NEAR(m[0] / m[1], 1.0, 0.05);

    // A cancelled balance calls nothing.
    ASSERT_EQ(ZcapSetDoAWB(handle_, 1, 180, balanced, &balance), ZCAP_OK);
    ASSERT_EQ(ZcapSetDoAWB(handle_, 0, 180, nullptr, nullptr), ZCAP_OK);
    grab();
    EXPECT_EQ(balance.calls, 1);
    ASSERT_EQ(ZcapStopView(handle_), ZCAP_OK);
}

std::string probe(const std::string& file, const std::string& entries)
{
    return run("ffprobe -v error -count_frames -select_streams v:0 -show_entries " + entries +
               " -of default=noprint_wrappers=1:nokey=1 " + file);
}

TEST_F(Zcap, RecordingIsMjpegAviAtTheDeliveredRate)
{
    open(640, 480);
    MemoryWindow window(640, 480);
    const Closer closer{handle_};
    ASSERT_EQ(
        ZcapStartView(handle_, "Tarnwick", 0x50000000, 0, 0, 640, 480, kwz::toHwnd(&window), 0),
        ZCAP_OK);
    const std::string avi = path("clip.avi");
    ASSERT_EQ(ZcapCaptureToAvi(handle_, 1, avi.c_str()), ZCAP_OK);
    EXPECT_EQ(ZcapCaptureToAvi(handle_, 1, path("second.avi").c_str()), ZCAP_ERR_STATE);
    const auto start = std::chrono::steady_clock::now();
    float fps = 0;
    waitFor([&] { return std::chrono::steady_clock::now() - start > std::chrono::seconds(3); },
            std::chrono::seconds(4));
    ZcapGetFrameRate(handle_, &fps);
    ASSERT_EQ(ZcapCaptureToAvi(handle_, 0, avi.c_str()), ZCAP_OK);
    ASSERT_EQ(ZcapStopView(handle_), ZCAP_OK);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    EXPECT_EQ(run("ffprobe -v error -show_entries format=format_name -of default=nw=1:nk=1 " + avi),
              "avi");
    EXPECT_EQ(probe(avi, "stream=codec_name,width,height"), "mjpeg\n640\n480");
    const int frames = std::atoi(probe(avi, "stream=nb_read_frames").c_str());
    EXPECT_NEAR(frames, seconds * fps, seconds * fps * 0.1) << "at " << fps << " fps";
    // The header carries the rate the frames came at, so the clip lasts as long as it took.
    const double duration = std::atof(
        run("ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 " + avi).c_str());
    EXPECT_NEAR(duration, seconds, seconds * 0.1);
    // The OpenDML header is there, so the muxer may go on past 1 GiB in extended chunks.
    std::ifstream in(avi, std::ios::binary);
    std::string head(8192, '\0');
    in.read(head.data(), head.size());
    EXPECT_NE(head.find("odml"), std::string::npos);
    EXPECT_NE(head.find("dmlh"), std::string::npos);
}

// Marks the picture's top left 32 x 32 pixels pure red, on recorded frames only.
struct Stamp
{
    ZCAPHANDLE handle = 0;
    std::atomic<int> calls{0};
    std::atomic<int> wrongSize{0};
    std::atomic<int> stopResult{-1};
};

void stampCorner(BYTE* frame, DWORD width, DWORD height, void* context)
{
    auto* stamp = static_cast<Stamp*>(context);
    if (stamp->calls++ == 0)
        stamp->stopResult = ZcapCaptureToAvi(stamp->handle, 0, nullptr);
    if (width != 320 || height != 240)
    {
        ++stamp->wrongSize;
        return;
    }
    for (DWORD y = height - 32; y < height; ++y) // bottom row first: the top is at the end
        for (DWORD x = 0; x < 32; ++x)
        {
            BYTE* p = frame + (static_cast<size_t>(y) * width + x) * 3;
            p[0] = 0, p[1] = 0, p[2] = 255;
        }
}

// The first frame of a recording, top row first, as blue-green-red bytes.
std::vector<BYTE> firstFrame(const std::string& avi, const std::string& raw)
{
    run("ffmpeg -v error -y -i " + avi + " -frames:v 1 -f rawvideo -pix_fmt bgr24 " + raw);
    std::ifstream in(raw, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

TEST_F(Zcap, TheRecordRoutineDrawsOnRecordedFramesOnly)
{
    open(320, 240);
    const Closer closer{handle_};
    const auto recordFor = [&](const std::string& avi, std::chrono::milliseconds span) {
        EXPECT_EQ(ZcapCaptureToAvi(handle_, 1, avi.c_str()), ZCAP_OK);
        std::this_thread::sleep_for(span);
        EXPECT_EQ(ZcapCaptureToAvi(handle_, 0, nullptr), ZCAP_OK);
    };
    const std::string plain = path("plain.avi"), stamped = path("stamped.avi"),
                      again = path("again.avi");
    recordFor(plain, std::chrono::milliseconds(400));

    Stamp stamp;
    stamp.handle = handle_;
    EXPECT_EQ(ZcapSetRecordCallback(0, stampCorner, &stamp), ZCAP_ERR_HANDLE);
    ASSERT_EQ(ZcapSetRecordCallback(handle_, stampCorner, &stamp), ZCAP_OK);
    const std::vector<BYTE> before = grab();
    EXPECT_EQ(stamp.calls, 0); // nothing is recorded yet
    ASSERT_EQ(ZcapCaptureToAvi(handle_, 1, stamped.c_str()), ZCAP_OK);
    ASSERT_TRUE(waitFor([&] { return stamp.calls >= 5; }));
    // Grabs during the recording see the camera's picture, not the mark.
    EXPECT_TRUE(grab() == before);
    ASSERT_EQ(ZcapCaptureToAvi(handle_, 0, nullptr), ZCAP_OK);
    EXPECT_EQ(stamp.wrongSize, 0);
    // The routine cannot end the recording it is drawing on.
    EXPECT_EQ(stamp.stopResult, ZCAP_ERR_STATE);

    // Removed, it is no longer called, and recordings are as they were without it.
    ASSERT_EQ(ZcapSetRecordCallback(handle_, nullptr, nullptr), ZCAP_OK);
    const int calls = stamp.calls;
    recordFor(again, std::chrono::milliseconds(400));
    EXPECT_EQ(stamp.calls, calls);

    const std::vector<BYTE> a = firstFrame(plain, path("plain.raw"));
    const std::vector<BYTE> b = firstFrame(stamped, path("stamped.raw"));
    const std::vector<BYTE> c = firstFrame(again, path("again.raw"));
    const size_t size = 320 * 240 * 3;
    ASSERT_EQ(a.size(), size);
    ASSERT_EQ(b.size(), size);
    ASSERT_EQ(c.size(), size);
    EXPECT_TRUE(a == c);
    const auto at = [](const std::vector<BYTE>& f, int x, int y) { return &f[(y * 320 + x) * 3]; };
    std::array<double, 3> mark{0, 0, 0};
    size_t differing = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
        {
            if (x < 32 && y < 32)
                for (int ch = 0; ch < 3; ++ch)
                    mark[ch] += at(b, x, y)[ch] / 1024.0;
            // The mark fills whole compression blocks; the blocks around it may blend a little.
            else if ((x >= 48 || y >= 48) && std::memcmp(at(a, x, y), at(b, x, y), 3) != 0)
                ++differing;
        }
    EXPECT_LT(mark[0], 40);
    EXPECT_LT(mark[1], 40);
    EXPECT_GT(mark[2], 215);
    EXPECT_EQ(differing, 0u);
}

TEST_F(Zcap, ReleasingTheCameraClosesARunningRecordingProperly)
{
    open(320, 240);
    const std::string avi = path("cut.avi");
    ASSERT_EQ(ZcapCaptureToAvi(handle_, 1, avi.c_str()), ZCAP_OK);
    Cross frames{320, 240};
    const Closer closer{handle_};
    ASSERT_EQ(ZcapSetFrameCallback(handle_, paintCross, &frames), ZCAP_OK);
    ASSERT_TRUE(waitFor([&] { return frames.calls >= 10; }));
    ASSERT_EQ(ZcapUninitialize(&handle_), ZCAP_OK);
    const int count = std::atoi(probe(avi, "stream=nb_read_frames").c_str());
    EXPECT_GE(count, 8);
}

TEST_F(Zcap, ACameraPulledOutEndsTheRecordingWholeAndComesBackWhenPluggedIn)
{
    const std::string plug = path("plug");
    std::ofstream(plug).put('1');
    setenv("KWZ_CAMERA_PLUG", plug.c_str(), 1);
    open(320, 240);
    unsetenv("KWZ_CAMERA_PLUG");
    const Closer closer{handle_};
    const std::string avi = path("pulled.avi");
    Cross frames{320, 240};
    ASSERT_EQ(ZcapSetFrameCallback(handle_, paintCross, &frames), ZCAP_OK);
    int state = -1, fault = -1;
    ASSERT_EQ(ZcapCaptureToAvi(handle_, 1, avi.c_str()), ZCAP_OK);
    ASSERT_TRUE(waitFor([&] { return frames.calls >= 10; }));
    ASSERT_EQ(ZcapGetDeviceState(handle_, &state), ZCAP_OK);
    EXPECT_EQ(state, ZCAP_DEVICE_PRESENT);

    fs::remove(plug);
    ASSERT_TRUE(waitFor([&] {
        ZcapGetDeviceState(handle_, &state);
        return state == ZCAP_DEVICE_GONE;
    }));
    EXPECT_EQ(ZcapGetRecordFault(handle_, &fault), ZCAP_OK);
    EXPECT_EQ(fault, ZCAP_RECORD_DEVICE_GONE);
    const int written = frames.calls;
    // Finished before anyone pressed stop: whole, with its index, every frame readable.
    EXPECT_EQ(ZcapFinishCutAvi(avi.c_str(), nullptr), ZCAP_ERR_STATE);
    const int readable = std::atoi(run("ffprobe -v error -count_frames -show_entries "
                                       "stream=nb_read_frames -of default=nw=1:nk=1 " +
                                       avi)
                                       .c_str());
    EXPECT_GE(readable, 10);
    EXPECT_LE(readable, written);
    EXPECT_EQ(ZcapCaptureToAvi(handle_, 0, nullptr), ZCAP_OK);
    std::vector<BYTE> buffer(320 * 240 * 3);
    EXPECT_EQ(ZcapGetRgbFrame(handle_, &info_, buffer.data()), ZCAP_ERR_DEVICE);

    std::ofstream(plug).put('1');
    EXPECT_EQ(ZcapGetRgbFrame(handle_, &info_, buffer.data()), ZCAP_OK);
    ASSERT_EQ(ZcapGetDeviceState(handle_, &state), ZCAP_OK);
    EXPECT_EQ(state, ZCAP_DEVICE_PRESENT);
}

TEST_F(Zcap, RecordingOntoAFullDiskStopsAtOnceAndKeepsItsWholeFrames)
{
    open(320, 240);
    const std::string avi = path("full.avi");
    Cross frames{320, 240};
    const Closer closer{handle_};
    ASSERT_EQ(ZcapSetFrameCallback(handle_, paintCross, &frames), ZCAP_OK);
    int fault = -1;
    ASSERT_EQ(ZcapCaptureToAvi(handle_, 1, avi.c_str()), ZCAP_OK);
    ASSERT_TRUE(waitFor([&] { return frames.calls >= 15; }));
    EXPECT_EQ(ZcapGetRecordFault(handle_, &fault), ZCAP_OK);
    EXPECT_EQ(fault, ZCAP_RECORD_OK);
    // The disk fills in the middle of a frame.
    kwz::testing::failWritesAfter(3000);
    ASSERT_TRUE(waitFor([&] {
        ZcapGetRecordFault(handle_, &fault);
        return fault != ZCAP_RECORD_OK;
    }));
    kwz::testing::failWritesAfter(-1);
    EXPECT_EQ(fault, ZCAP_RECORD_DISK_FULL);
    // Finished already: the file is whole while the recording is still to be stopped.
    const int frameCount = std::atoi(probe(avi, "stream=nb_read_frames").c_str());
    EXPECT_GE(frameCount, 10);
    const double duration = std::atof(
        run("ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 " + avi).c_str());
    int num = 0, den = 1;
    std::sscanf(probe(avi, "stream=r_frame_rate").c_str(), "%d/%d", &num, &den);
    const double rate = den > 0 ? double(num) / den : 0;
    ASSERT_GT(rate, 1);
    EXPECT_NEAR(duration, frameCount / rate, 0.2) << rate << " fps";
    // Every frame decodes: none was cut off.
    EXPECT_EQ(run("ffprobe -v error -count_frames -show_entries stream=nb_read_frames "
                  "-of default=nw=1:nk=1 " +
                  avi + " 2>&1 | cat"),
              std::to_string(frameCount));
    EXPECT_EQ(ZcapCaptureToAvi(handle_, 0, nullptr), ZCAP_ERR_FILE);
    ZcapGetRecordFault(handle_, &fault);
    EXPECT_EQ(fault, ZCAP_RECORD_OK);
    EXPECT_EQ(ZcapGetRecordFault(handle_, nullptr), ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(ZcapGetRecordFault(0, &fault), ZCAP_ERR_HANDLE);
}

TEST_F(Zcap, ARecordingWhoseFileIsRemovedStopsAndSaysSo)
{
    open(320, 240);
    const std::string avi = path("gone.avi");
    const Closer closer{handle_};
    ASSERT_EQ(ZcapCaptureToAvi(handle_, 1, avi.c_str()), ZCAP_OK);
    ASSERT_TRUE(waitFor([&] { return fs::file_size(avi) > 20000; }));
    fs::remove(avi);
    int fault = ZCAP_RECORD_OK;
    ASSERT_TRUE(waitFor([&] {
        ZcapGetRecordFault(handle_, &fault);
        return fault != ZCAP_RECORD_OK;
    }));
    EXPECT_EQ(fault, ZCAP_RECORD_FOLDER_GONE);
    EXPECT_EQ(ZcapCaptureToAvi(handle_, 0, nullptr), ZCAP_ERR_FILE);
}

// Run by the next test as a child process of its own: records until it is killed.
TEST_F(Zcap, RecordsUntilKilled)
{
    const char* avi = std::getenv("KWZ_RECORD_UNTIL_KILLED");
    if (avi == nullptr)
        GTEST_SKIP() << "the child of RecordingsKilledAtAnyMomentAreFinishedWithTheirLength";
    fs::remove(folder_); // a killed process leaves no folder of its own behind
    open(320, 240);
    ASSERT_EQ(ZcapCaptureToAvi(handle_, 1, avi), ZCAP_OK);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

TEST_F(Zcap, RecordingsKilledAtAnyMomentAreFinishedWithTheirLength)
{
    const char* given = std::getenv("KWZ_KILL_SEED");
    const unsigned seed =
        given ? unsigned(std::strtoul(given, nullptr, 10)) : unsigned(std::random_device{}());
    std::printf("kill seed %u (KWZ_KILL_SEED repeats it)\n", seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> moment(0, 2500);
    for (int kill = 0; kill < 8; ++kill)
    {
        const std::string avi = path("killed" + std::to_string(kill) + ".avi");
        setenv("KWZ_RECORD_UNTIL_KILLED", avi.c_str(), 1);
        const pid_t child = fork();
        if (child == 0)
        {
            execl("/proc/self/exe", "zcap_abi_tests", "--gtest_filter=Zcap.RecordsUntilKilled",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        unsetenv("KWZ_RECORD_UNTIL_KILLED");
        ASSERT_GT(child, 0);
        ASSERT_TRUE(waitFor([&] { return fs::exists(avi); }, std::chrono::seconds(10)));
        const auto started = std::chrono::steady_clock::now();
        const int ms = moment(random);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        ::kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const double alive =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

        int frames = -1;
        ASSERT_EQ(ZcapFinishCutAvi(avi.c_str(), &frames), ZCAP_OK) << "killed after " << ms;
        EXPECT_EQ(ZcapFinishCutAvi(avi.c_str(), nullptr), ZCAP_ERR_STATE);
        const int read = std::atoi(probe(avi, "stream=nb_read_frames").c_str());
        EXPECT_EQ(read, frames) << "killed after " << ms;
        if (frames < 2)
            continue;
        const double duration = std::atof(
            run("ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 " + avi)
                .c_str());
        // As long as it ran, give or take a second (the camera needs a moment to start).
        EXPECT_NEAR(duration, alive, 1.0) << "killed after " << ms << ", " << frames << " frames";
        std::printf("killed after %d ms: %d frames, %.2f s\n", ms, frames, duration);
    }
    EXPECT_EQ(ZcapFinishCutAvi(nullptr, nullptr), ZCAP_ERR_ARGUMENT);
    EXPECT_EQ(ZcapFinishCutAvi(path("none.avi").c_str(), nullptr), ZCAP_ERR_FILE);
}

} // namespace
