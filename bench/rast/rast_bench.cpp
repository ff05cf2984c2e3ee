// RASTDraw of a whole 2048 x 1536 24-bit image, bare and with 100 labelled figures, against
// one copy of the image's bytes; RASTReadFile of that image against reading the file's
// bytes. Prints each subject as a ratio to its baseline from the same run.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/draw/raster_context.h"
#include "platform/files.h"
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
        path = (std::filesystem::temp_directory_path() / "kwz_rast_bench.bmp").string();
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

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_CopyImageBytes(benchmark::State& state)
{
    const std::vector<uint8_t> from = imageRows();
    std::vector<uint8_t> to(from.size());
    for (auto _ : state)
    {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyImageBytes)->Unit(benchmark::kMillisecond);

void BM_DrawNoFigures(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state)
        RASTDraw(f.bare, kwz::toHdc(f.target.get()), 0, 0, kWidth, kHeight);
}
BENCHMARK(BM_DrawNoFigures)->Unit(benchmark::kMillisecond);

void BM_Draw100Figures(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state)
        RASTDraw(f.figures, kwz::toHdc(f.target.get()), 0, 0, kWidth, kHeight);
}
BENCHMARK(BM_Draw100Figures)->Unit(benchmark::kMillisecond);

// Every call finds the overlay changed (a selected figure moving back and forth): the
// working surface is restored and repainted each time.
void BM_Draw100FiguresChanging(benchmark::State& state)
{
    Fixture& f = fixture();
    RASTIsHitGraphic(f.figures, 60 + 45, 60 + 30);
    int step = 1;
    for (auto _ : state)
    {
        RASTMoveGraphic(f.figures, step, 0);
        step = -step;
        RASTDraw(f.figures, kwz::toHdc(f.target.get()), 0, 0, kWidth, kHeight);
    }
}
BENCHMARK(BM_Draw100FiguresChanging)->Unit(benchmark::kMillisecond);

void BM_ReadFileBytes(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state)
    {
        HANDLE file =
            kwz::createFile(f.path, kwz::FileAccess::Read, kwz::FileDisposition::OpenExisting);
        std::vector<uint8_t> bytes(size_t(kwz::fileSize(file)));
        uint32_t done = 0;
        kwz::readFile(file, bytes.data(), uint32_t(bytes.size()), &done);
        kwz::closeHandle(file);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

void BM_ReadFile(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state)
    {
        void* object = nullptr;
        RASTInitialize(&object);
        RASTReadFile(object, f.path.c_str());
        RASTUnInitialize(&object);
    }
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond);

// Keeps every run's time so the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio(const char* subject, const char* baseline, double target) const
    {
        const auto s = times_.find(subject);
        const auto b = times_.find(baseline);
        if (s == times_.end() || b == times_.end() || b->second <= 0)
            return;
        const double ratio = s->second / b->second;
        if (target > 0)
            std::printf("%-26s / %-18s = %6.2f (target <= %.1f)\n", subject, baseline, ratio,
                        target);
        else
            std::printf("%-26s / %-18s = %6.2f\n", subject, baseline, ratio);
    }

  private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("BM_DrawNoFigures", "BM_CopyImageBytes", 2.0);
    reporter.printRatio("BM_Draw100Figures", "BM_CopyImageBytes", 2.0);
    reporter.printRatio("BM_Draw100FiguresChanging", "BM_CopyImageBytes", 0);
    reporter.printRatio("BM_ReadFile", "BM_ReadFileBytes", 1.3);
    benchmark::Shutdown();
    return 0;
}
