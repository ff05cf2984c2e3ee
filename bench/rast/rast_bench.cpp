// RASTDraw of a whole 2048 x 1536 24-bit image against one copy of the image's bytes: bare,
// with 100 labelled figures whose overlay changes before every call (a hover moves, so the
// rows the hovered figure reaches are restored and drawn again), and with the overlay unchanged
// (a copy alone). RASTReadFile of that image as a BMP file against reading the file's bytes
// into memory. Subject and baseline are timed in turns in the same run.

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bench/common/ratio.h"
#include "platform/clock.h"
#include "platform/draw/raster_context.h"
#include "platform/testing/fake_clock.h"
#include "rast.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;
constexpr size_t kStride = kWidth * 3;

std::vector<uint8_t> imageRows()
{
    std::vector<uint8_t> rows(kStride * kHeight);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = uint8_t((i * 2654435761u) >> 24);
    return rows;
}

struct Fixture
{
    Fixture()
    {
        path = (std::filesystem::temp_directory_path() /
                ("kwz_rast_bench." + std::to_string(getpid()) + ".bmp"))
                   .string();
        const std::vector<uint8_t> rows = imageRows();
        RASTInitialize(&bare);
        RASTReadPixels(bare, rows.data(), kWidth, kHeight, 24);
        RASTWriteFile(bare, path.c_str(), 0);
        RASTInitialize(&figures);
        RASTReadPixels(figures, rows.data(), kWidth, kHeight, 24);
        addFigures(figures);
        target = kwz::RasterContext::create(kWidth, kHeight, 24);
    }
    ~Fixture()
    {
        RASTUnInitialize(&bare);
        RASTUnInitialize(&figures);
        std::filesystem::remove(path);
    }

    // 100 figures of every measuring kind spread over the image, each with its label.
    static void addFigures(void* object)
    {
        RASTSetLanguage(object, ZQ_ENGLISH);
        RASTSetRuler(object, POINT{100, 100}, POINT{400, 100}, ZQ_MM, 3.0f);
        const GRAPHICTYPE kinds[] = {GT_LINE,        GT_RECT,  GT_CIRCLE_DIAMETER,
                                     GT_ELLIPSE_BOX, GT_ANGLE, GT_POLYGON};
        for (int i = 0; i < 100; ++i)
        {
            const int x = 60 + (i % 10) * 195;
            const int y = 60 + (i / 10) * 145;
            const GRAPHICTYPE kind = kinds[i % 6];
            RASTStartGraphic(object, POINT{x, y}, kind);
            RASTAddPointToGraphic(object, POINT{x + 90, y + 60});
            if (kind == GT_ANGLE || kind == GT_POLYGON)
                RASTAddPointToGraphic(object, POINT{x + 20, y + 80});
            RASTFinishGraphic(object);
        }
    }

    std::string path;
    void* bare = nullptr;
    void* figures = nullptr;
    std::unique_ptr<kwz::RasterContext> target;
};

// On the body of figure 96, the last line, from (1230, 1365) to (1320, 1425); and on no figure.
constexpr POINT kOnFigure{1275, 1395};
constexpr POINT kOnNothing{1000, 1500};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// One copy of the image's bytes into the drawing target: what every subject must at least do.
class ImageCopy
{
  public:
    explicit ImageCopy(kwz::RasterContext& target)
        : from_(imageRows()), to_(static_cast<uint8_t*>(target.bits()))
    {
    }
    void operator()() const
    {
        std::memcpy(to_, from_.data(), from_.size());
        benchmark::DoNotOptimize(to_);
        benchmark::ClobberMemory();
    }

  private:
    std::vector<uint8_t> from_;
    uint8_t* to_;
};

uint64_t hashOf(const kwz::RasterContext& surface)
{
    const auto* bytes = static_cast<const uint8_t*>(surface.bits());
    uint64_t hash = 1469598103934665603u;
    for (size_t i = 0; i < size_t(surface.stride()) * kHeight; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211u;
    return hash;
}

void draw(void* object, kwz::RasterContext& target)
{
    RASTDraw(object, kwz::toHdc(&target), 0, 0, kWidth, kHeight);
}

void drawNoFigures(benchmark::State& state)
{
    Fixture& f = fixture();
    const ImageCopy copy(*f.target);
    draw(f.bare, *f.target);
    kwzbench::compare(
        state, [&] { draw(f.bare, *f.target); }, copy, kwzbench::kNoTarget);
}

// Alternately one figure hovered and none: every call finds the overlay changed and repaints
// the rows that figure reaches. The hover search itself takes microseconds.
void drawFiguresHoverChanging(benchmark::State& state)
{
    Fixture& f = fixture();
    const ImageCopy copy(*f.target);
    kwz::FakeClock clock(1000); // past the engine's hover throttle at every call
    bool hovered = false;
    auto hoverAndDraw = [&] {
        clock.advance(50);
        hovered = !hovered;
        const POINT at = hovered ? kOnFigure : kOnNothing;
        const int found = RASTIsPassGraphic(f.figures, at.x, at.y);
        draw(f.figures, *f.target);
        return found;
    };
    // The hover must land and show, and the figures must show at all.
    draw(f.bare, *f.target);
    const uint64_t bare = hashOf(*f.target);
    const int onFigure = hoverAndDraw();
    const uint64_t withHover = hashOf(*f.target);
    const int onNothing = hoverAndDraw();
    const uint64_t withoutHover = hashOf(*f.target);
    if (onFigure != 0 || onNothing == 0 || withHover == withoutHover || withoutHover == bare)
    {
        state.SkipWithError("the hover does not change what is drawn");
        return;
    }
    kwzbench::compare(state, hoverAndDraw, copy, 1.5);
}

void drawFiguresUnchanged(benchmark::State& state)
{
    Fixture& f = fixture();
    const ImageCopy copy(*f.target);
    draw(f.figures, *f.target);
    kwzbench::compare(
        state, [&] { draw(f.figures, *f.target); }, copy, kwzbench::kNoTarget);
}

// The fastest honest read of the file's bytes into memory: open, size, read, close, into a
// buffer that is already there. RASTReadFile must also make its pixel buffer, and the first
// touch of those fresh pages is part of its cost.
void readInto(const std::string& path, std::vector<uint8_t>& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info
    {
    };
    if (fd < 0 || fstat(fd, &info) != 0)
        std::abort();
    const size_t size = size_t(info.st_size);
    if (size > bytes.size())
        std::abort();
    size_t done = 0;
    while (done < size)
    {
        const ssize_t n = ::read(fd, bytes.data() + done, size - done);
        if (n <= 0)
            std::abort();
        done += size_t(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(bytes.data());
    benchmark::ClobberMemory();
}

void readFile(benchmark::State& state)
{
    Fixture& f = fixture();
    void* object = nullptr;
    RASTInitialize(&object);
    if (RASTReadFile(object, f.path.c_str()) != 0)
    {
        state.SkipWithError("the file did not read");
        RASTUnInitialize(&object);
        return;
    }
    std::vector<uint8_t> buffer(std::filesystem::file_size(f.path), 1);
    kwzbench::compare(
        state, [&] { RASTReadFile(object, f.path.c_str()); }, [&] { readInto(f.path, buffer); },
        1.3);
    RASTUnInitialize(&object);
}

} // namespace

BENCHMARK(drawNoFigures)
    ->Name("RASTDraw/NoFigures")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(drawFiguresHoverChanging)
    ->Name("RASTDraw/100LabelledFigures/HoverChangedEachCall")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(drawFiguresUnchanged)
    ->Name("RASTDraw/100LabelledFigures/OverlayUnchanged")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(readFile)
    ->Name("RASTReadFile/2048x1536x24")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
