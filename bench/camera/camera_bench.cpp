// Camera throughput: frames delivered per second at 2048 x 1536 with the view painted into a
// window in memory (and the share of one core it costs), and JPEG encoding of one frame
// against the cjpeg tool on the same picture, measured in the same run.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "camera/camera.h"
#include "camera/image_files.h"
#include "camera/simulated_camera.h"
#include "platform/draw/raster_context.h"

namespace {

class MemoryWindow : public kwz::Window
{
  public:
    MemoryWindow(int w, int h) : context_(kwz::RasterContext::create(w, h, 24)) {}
    RECT clientRect() const override { return {0, 0, context_->width(), context_->height()}; }
    kwz::DrawContext* getDC() override { return context_.get(); }
    void releaseDC(kwz::DrawContext*) override {}
    void invalidate(const RECT*) override {}

  private:
    std::unique_ptr<kwz::RasterContext> context_;
};

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

struct Counter
{
    std::atomic<int> frames{0};
};

void countFrame(BYTE*, DWORD, void* context)
{
    ++static_cast<Counter*>(context)->frames;
}

// rate 30: the camera's own pace; a high rate shows how fast the pipeline could go.
void deliveredFrames(benchmark::State& state, double rate, bool scaled)
{
    constexpr int kWidth = 2048, kHeight = 1536;
    for (auto _ : state)
    {
        zcap::SimulatedOptions options;
        options.framesPerSecond = rate;
        zcap::CaptureRequest request{kWidth, kHeight, 150, {32, 32, 32}};
        zcap::Camera camera(std::make_unique<zcap::SimulatedCamera>(options), request);
        Counter counter;
        camera.setFrameRoutine(countFrame, &counter);
        MemoryWindow window(kWidth, kHeight);
        if (scaled)
            camera.setPlacement({0, 0, 1024, 768});
        if (camera.startView(&window, kWidth, kHeight) != zcap::Status::Ok)
        {
            state.SkipWithError("view did not start");
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // first frames settle
        const int startFrames = counter.frames;
        const double startCpu = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = cpuSeconds() - startCpu;
        const int frames = counter.frames - startFrames;
        camera.stopView();
        state.SetIterationTime(wall);
        state.counters["fps"] = frames / wall;
        state.counters["cores"] = cpu / wall;
        state.counters["ms_per_frame_cpu"] = frames ? cpu * 1000 / frames : 0;
    }
}

void BM_DeliveredFramesAt30(benchmark::State& state)
{
    deliveredFrames(state, 30, false);
}
void BM_DeliveredFramesUnpaced(benchmark::State& state)
{
    deliveredFrames(state, 1000, false);
}
void BM_DeliveredFramesScaledView(benchmark::State& state)
{
    deliveredFrames(state, 30, true);
}
BENCHMARK(BM_DeliveredFramesAt30)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeliveredFramesUnpaced)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeliveredFramesScaledView)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

zcap::Frame sceneFrame()
{
    zcap::SimulatedCamera camera({false, 30});
    camera.startStream(2048, 1536);
    zcap::Frame frame;
    camera.render(frame, 0);
    return frame;
}

// The parts of one frame's cost: rendering the scene, and painting it into the window.
void BM_RenderSceneFrame(benchmark::State& state)
{
    zcap::SimulatedCamera camera({false, 30});
    camera.startStream(2048, 1536);
    zcap::Frame frame;
    double t = 0;
    for (auto _ : state)
    {
        camera.render(frame, t);
        t += 1.0 / 30;
        benchmark::DoNotOptimize(frame.bgr.data());
    }
}
BENCHMARK(BM_RenderSceneFrame)->Unit(benchmark::kMillisecond);

void BM_PaintFrameIntoWindow(benchmark::State& state)
{
    const zcap::Frame frame = sceneFrame();
    MemoryWindow window(2048, 1536);
    zcap::LiveView view;
    const bool scaled = state.range(0) != 0;
    const zcap::Placement placement{0, 0, scaled ? 1024 : 2048, scaled ? 768 : 1536};
    for (auto _ : state)
        view.paint(window, frame, placement);
}
BENCHMARK(BM_PaintFrameIntoWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Our encoder against `cjpeg -quality 75` on the same picture; the ratio is ours / cjpeg's.
void BM_JpegEncodeVersusCjpeg(benchmark::State& state)
{
    const zcap::Frame frame = sceneFrame();
    const std::string ppm = "/tmp/zcap_bench_" + std::to_string(getpid()) + ".ppm";
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << frame.width << " " << frame.height << "\n255\n";
        for (int y = 0; y < frame.height; ++y)
        {
            const uint8_t* row = frame.topRow(y);
            for (int x = 0; x < frame.width; ++x)
            {
                const char rgb[3] = {static_cast<char>(row[x * 3 + 2]),
                                     static_cast<char>(row[x * 3 + 1]),
                                     static_cast<char>(row[x * 3])};
                out.write(rgb, 3);
            }
        }
    }
    const std::string command = "cjpeg -quality 75 " + ppm + " > " + ppm + ".jpg";
    constexpr int kRounds = 10;
    double ours = 0, theirs = 0;
    size_t ourBytes = 0;
    for (auto _ : state)
    {
        auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kRounds; ++i)
            ourBytes = zcap::encodeJpeg(frame, 75).size();
        auto t1 = std::chrono::steady_clock::now();
        for (int i = 0; i < kRounds; ++i)
            if (std::system(command.c_str()) != 0)
                state.SkipWithError("cjpeg failed");
        auto t2 = std::chrono::steady_clock::now();
        ours += std::chrono::duration<double>(t1 - t0).count();
        theirs += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count() / kRounds);
    }
    std::ifstream theirFile(ppm + ".jpg", std::ios::binary | std::ios::ate);
    state.counters["ours_ms"] = ours * 1000 / (kRounds * state.iterations());
    state.counters["cjpeg_ms"] = theirs * 1000 / (kRounds * state.iterations());
    state.counters["ratio"] = ours / theirs;
    state.counters["ours_bytes"] = static_cast<double>(ourBytes);
    state.counters["cjpeg_bytes"] = static_cast<double>(theirFile.tellg());
    std::remove(ppm.c_str());
    std::remove((ppm + ".jpg").c_str());
}
BENCHMARK(BM_JpegEncodeVersusCjpeg)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
