// Measurement files a user may receive damaged or made to harm: figures far beyond the image
// or at the ends of the int range, counts the file cannot hold, thousands of face names.
// They open or are refused without a fault, draw as the same figures would on a larger
// surface, and cost memory in proportion to the file.

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/draw/raster_context.h"
#include "platform/message_box.h"
#include "rast.h"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps the heap itself; it reports what is allocated.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#define KWZ_ASAN_HEAP 1
#endif

namespace {

namespace fs = std::filesystem;

constexpr int32_t kMin = INT32_MIN;
constexpr int32_t kMax = INT32_MAX;

// A measurement file written field by field, as the format gives it.
class MeaFile
{
  public:
    MeaFile& u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    MeaFile& i32(int32_t v) { return u32(uint32_t(v)); }
    MeaFile& point(int32_t x, int32_t y) { return i32(x).i32(y); }
    MeaFile& zeros(size_t n)
    {
        bytes_.insert(bytes_.end(), n, 0);
        return *this;
    }
    MeaFile& text(const std::string& s, size_t field)
    {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return zeros(field - s.size());
    }

    // Header (English labels off: precision 2, every mark bit) and the seven counts.
    MeaFile& start(const int32_t (&counts)[7])
    {
        u32(0x5247515A).u32(0).u32(5u << 16).u32(0);
        i32(1).i32(0).i32(1).u32(0x0000FF).u32(0x00FF00).u32(0xFF0000).zeros(80);
        i32(0).u32(2).i32(0);
        for (int i = 0; i < 6; ++i)
            u32(0x7F);
        for (int32_t c : counts)
            i32(c);
        // The ruler: 100 pixels are 1 mm.
        i32(1).point(0, 0).point(100, 0).i32(1).u32(0x3F800000);
        return tail(0, 0);
    }
    MeaFile& tail(int32_t labelX, int32_t labelY, int32_t width = 1)
    {
        return point(labelX, labelY).i32(0).i32(width).u32(0xFF).u32(0xFF00).u32(0xFF0000).i32(0);
    }
    // Line, rectangle and ellipse records share one layout.
    MeaFile& twoPoints(int32_t tag, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                       int32_t width = 1)
    {
        return i32(tag).point(x0, y0).point(x1, y1).tail(x1, y1, width);
    }
    // Circle and angle records.
    MeaFile& threePoints(int32_t tag, const POINT (&p)[3], int32_t width = 1)
    {
        i32(tag);
        for (const POINT& q : p)
            point(q.x, q.y);
        return tail(p[0].x, p[0].y, width);
    }
    MeaFile& polygon(const std::vector<POINT>& vertices, int32_t width = 1)
    {
        i32(10).i32(int32_t(vertices.size())).tail(vertices[0].x, vertices[0].y, width);
        for (const POINT& v : vertices)
            point(v.x, v.y);
        return *this;
    }
    MeaFile& textRecord(int32_t x, int32_t y, const std::string& face, const std::string& s,
                        int32_t height = 14)
    {
        i32(11).point(x, y).text(face, 64).text(s, 128);
        return i32(height).u32(0xFF).u32(0xFF00).u32(0xFF0000);
    }
    // A grey 24-bit image.
    MeaFile& image(int width, int height)
    {
        const uint32_t stride = (24 * uint32_t(width) + 31) / 32 * 4;
        const uint32_t size = stride * uint32_t(height);
        bytes_.push_back('B');
        bytes_.push_back('M');
        u32(54 + size).u32(0).u32(54);
        u32(40).i32(width).i32(height).u32(1 | (24 << 16)).u32(0).u32(size).zeros(16);
        bytes_.insert(bytes_.end(), size, 0x40);
        return *this;
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HostileFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir_ = fs::path(::testing::TempDir()) /
               ("hostile_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        kwz::setMessageBoxHandler([](void*, HWND, const char*, const char*, unsigned) { return 1; },
                                  nullptr);
    }
    void TearDown() override
    {
        kwz::setMessageBoxHandler(nullptr, nullptr);
        fs::remove_all(dir_);
    }

    std::string save(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        const fs::path path = dir_ / name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path.string();
    }

    fs::path dir_;
};

// Bytes the process holds on its heap.
size_t heapInUse()
{
#if KWZ_ASAN_HEAP
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

int64_t statusKb(const char* field)
{
    FILE* status = std::fopen("/proc/self/status", "re");
    if (!status)
        return -1;
    char line[256];
    int64_t value = -1;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status))
    {
        if (std::strncmp(line, field, length) == 0)
            value = std::strtoll(line + length + 1, nullptr, 10);
    }
    std::fclose(status);
    return value;
}

// How far the resident memory of a child process running `work` grew at its peak, in MiB;
// -1 when the work failed. A child has a peak of its own, unlike this long-lived test process.
int64_t peakGrowthMiB(const std::function<bool()>& work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0)
    {
        close(channel[0]);
        // Resets the peak to what the process holds now.
        if (FILE* clear = std::fopen("/proc/self/clear_refs", "we"))
        {
            std::fputs("5", clear);
            std::fclose(clear);
        }
        const int64_t before = statusKb("VmRSS:");
        const bool ok = work();
        const int64_t growth = ok ? (statusKb("VmHWM:") - before) / 1024 : -1;
        const ssize_t written = write(channel[1], &growth, sizeof growth);
        _exit(written == sizeof growth ? 0 : 1);
    }
    close(channel[1]);
    int64_t growth = -1;
    if (read(channel[0], &growth, sizeof growth) != sizeof growth)
        growth = -1;
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

bool readsAndDraws(const std::string& path)
{
    void* object = nullptr;
    RASTInitialize(&object);
    const bool read = RASTReadMeasureFile(object, path.c_str()) == RAST_OK;
    const bool drawn = read && RASTDraw(object, nullptr, 0, 0, 64, 48) == RAST_OK;
    RASTUnInitialize(&object);
    return drawn;
}

TEST_F(HostileFiles, ACountTheFileCannotHoldIsRefusedBeforeAnythingIsBuilt)
{
    // 64 MiB of line records under a line count of 2^31 - 1: each would become a graphic
    // with a label, many times the bytes of its record, before the file failed at its end.
    MeaFile file;
    file.start({kMax, 0, 0, 0, 0, 0, 0});
    std::vector<uint8_t> bytes = file.bytes();
    MeaFile line;
    line.twoPoints(2, 1, 2, 30, 40);
    const size_t records = (size_t{64} << 20) / line.bytes().size();
    bytes.reserve(bytes.size() + records * line.bytes().size());
    for (size_t i = 0; i < records; ++i)
        bytes.insert(bytes.end(), line.bytes().begin(), line.bytes().end());
    const std::string path = save("counts.mea", bytes);
    bytes = {};

    const int64_t growth = peakGrowthMiB([&] {
        void* object = nullptr;
        RASTInitialize(&object);
        const bool refused = RASTReadMeasureFile(object, path.c_str()) == RAST_FAILED;
        int width = -1;
        RASTGetWidth(object, &width);
        RASTUnInitialize(&object);
        return refused && width == 0;
    });
    ASSERT_GE(growth, 0) << "the file was not refused";
    EXPECT_LT(growth, 16);
}

TEST_F(HostileFiles, ThousandsOfFaceNamesCostMemoryInProportionToTheFileAndReleaseIt)
{
    constexpr int kTexts = 20000;
    MeaFile file;
    file.start({0, 0, 0, 0, kTexts, 0, 0});
    for (int i = 0; i < kTexts; ++i)
        file.textRecord(10 + i % 50, 10 + i % 40, "Face" + std::to_string(i),
                        "T" + std::to_string(i));
    file.image(64, 48);
    const std::string path = save("faces.mea", file.bytes());
    const size_t fileSize = file.bytes().size();

    // Once, so what any first font sets up for the whole process is not counted.
    ASSERT_TRUE(readsAndDraws(save("one.mea", MeaFile()
                                                  .start({0, 0, 0, 0, 1, 0, 0})
                                                  .textRecord(1, 1, "Face", "T")
                                                  .image(64, 48)
                                                  .bytes())));
    const size_t before = heapInUse();
    void* object = nullptr;
    RASTInitialize(&object);
    ASSERT_EQ(RASTReadMeasureFile(object, path.c_str()), RAST_OK);
    const size_t loaded = heapInUse();
    RASTUnInitialize(&object);
    const size_t after = heapInUse();
    EXPECT_LT(loaded - before, 8 * fileSize);
    EXPECT_LT(after > before ? after - before : 0, size_t{1} << 20);

    // Matching faces is left to the texts that are drawn: the load's peak stays small too.
    const int64_t growth = peakGrowthMiB([&] {
        void* again = nullptr;
        RASTInitialize(&again);
        const bool read = RASTReadMeasureFile(again, path.c_str()) == RAST_OK;
        RASTUnInitialize(&again);
        return read;
    });
    ASSERT_GE(growth, 0);
    EXPECT_LT(growth, int64_t(8 * fileSize >> 20) + 8);
}

// Every kind at the ends of the int range, a circle of radius 2 x 10^9 and huge ellipses whose
// outlines cross the image, in thin, dashed and wide pens, with labels at the limits too.
MeaFile limitFigures(int width, int height)
{
    const POINT far[3] = {{kMin, kMin}, {kMax, 0}, {0, kMax}};
    const POINT farPair[3] = {{kMin, kMin}, {kMax, kMax}, {0, 0}};
    const POINT circle2e9[3] = {{-1999999960, 24}, {40, 24}, {0, 0}};
    const POINT centre2e9[3] = {{-1000000000, 20}, {1000000000, 20}, {0, 0}};
    const POINT atLimits[3] = {{kMax, kMax}, {kMax - 10, kMax}, {0, 0}};
    const POINT throughImage[3] = {{-300000000, 10}, {5, -200000000}, {30, 40}};
    MeaFile f;
    f.start({3, 8, 2, 5, 2, 2, 2});
    f.twoPoints(2, kMin, kMin, kMax, kMax).twoPoints(2, kMin, 30, kMax, 20, 7);
    f.twoPoints(2, -2000000000, 5, 2000000000, 9);
    f.threePoints(5, circle2e9).threePoints(4, centre2e9).threePoints(5, farPair);
    f.threePoints(4, farPair).threePoints(6, far).threePoints(5, atLimits);
    f.threePoints(6, throughImage).threePoints(5, circle2e9, 9);
    f.twoPoints(3, kMin, kMin, kMax, kMax).twoPoints(3, -5, -5, kMax, 30, 12);
    f.twoPoints(7, kMin, kMin, kMax, kMax).twoPoints(8, 0, 0, kMax, kMax);
    f.twoPoints(7, -440000000, -440000000, 40, 30).twoPoints(8, -220000000, 24, 40, 24, 5);
    f.twoPoints(8, kMax, kMin, kMin, kMax);
    f.threePoints(9, far).threePoints(9, circle2e9, 3);
    f.polygon({{kMin, kMin}, {kMax, kMin}, {kMax, kMax}, {kMin, kMax}});
    f.polygon({{kMin, 10}, {30, kMax}, {kMax, 20}, {10, 10}, {kMax, kMin}}, 4);
    f.textRecord(kMax, kMax, "Arial", "far").textRecord(kMin, 30, "", "Length", kMin);
    return f.image(width, height);
}

// The overlay of a file as RASTDraw puts it on a surface of the image's size.
std::unique_ptr<kwz::RasterContext> drawn(const std::string& path, int width, int height)
{
    void* object = nullptr;
    RASTInitialize(&object);
    auto surface = kwz::RasterContext::create(width, height, 24);
    EXPECT_EQ(RASTReadMeasureFile(object, path.c_str()), RAST_OK);
    EXPECT_EQ(RASTDraw(object, kwz::toHdc(surface.get()), 0, 0, width, height), RAST_OK);
    RASTUnInitialize(&object);
    return surface;
}

TEST_F(HostileFiles, FiguresAtTheIntLimitsOpenDrawSaveAndReopen)
{
    const std::string small = save("small.mea", limitFigures(64, 48).bytes());
    const std::string large = save("large.mea", limitFigures(300, 200).bytes());
    auto picture = drawn(small, 64, 48);
    auto wider = drawn(large, 300, 200);
    int differing = 0, drawnPixels = 0;
    for (int y = 0; y < 48; ++y)
    {
        for (int x = 0; x < 64; ++x)
        {
            differing += picture->pixel(x, y) != wider->pixel(x, y);
            drawnPixels += picture->pixel(x, y) != RGB(0x40, 0x40, 0x40);
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(drawnPixels, 200);

    // Saved and opened again, the figures are the same bytes and the same picture.
    void* object = nullptr;
    RASTInitialize(&object);
    ASSERT_EQ(RASTReadMeasureFile(object, small.c_str()), RAST_OK);
    const std::string saved = (dir_ / "saved.mea").string();
    ASSERT_EQ(RASTWriteMeasureFile(object, saved.c_str()), RAST_OK);
    RASTUnInitialize(&object);
    const std::vector<uint8_t> written = slurp(saved), original = slurp(small);
    ASSERT_EQ(written.size(), original.size());
    for (size_t i = 0; i < written.size(); ++i)
        ASSERT_EQ(written[i], original[i]) << "at byte " << i;
    auto reopened = drawn(saved, 64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(reopened->pixel(x, y), picture->pixel(x, y)) << x << "," << y;
}

} // namespace
