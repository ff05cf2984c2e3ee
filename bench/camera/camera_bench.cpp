// Camera throughput: frames painted per second at 2048 x 1536 into a window in memory (the
// program's 32-bit live surface and its drawing context) and the share of one core it costs;
// the parts of one frame's cost; and JPEG encoding of one frame
// against a bare tjCompress2 of the same picture with the same settings, timed in turns.

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include "app/live/rgb32_context.h"
#include "bench/common/ratio.h"
#include "camera/camera.h"
#include "camera/image_files.h"
#include "camera/simulated_camera.h"
#include "platform/draw/raster_context.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;

using Clock = std::chrono::steady_clock;

// A window whose surface is memory laid out as the program's live surface holds it (32-bit
// 0xffRRGGBB, top row first) and drawn through the same context; it notes when each paint
// ends.
class MemoryWindow : public kwz::Window
{
  public:
    MemoryWindow(int w, int h)
        : pixels_(static_cast<size_t>(w) * static_cast<size_t>(h), 0xff000000u),
          context_(std::make_unique<Rgb32Context>(pixels_.data(), w, h))
    {
    }
    RECT clientRect() const override { return {0, 0, context_->width(), context_->height()}; }
    kwz::DrawContext* getDC() override { return context_.get(); }
    void releaseDC(kwz::DrawContext*) override
    {
        std::lock_guard lock(mutex_);
        paints_.push_back(Clock::now());
    }
    void invalidate(const RECT*) override {}

    // Paints ended within [from, to].
    std::vector<Clock::time_point> paintsBetween(Clock::time_point from, Clock::time_point to)
    {
        std::lock_guard lock(mutex_);
        std::vector<Clock::time_point> within;
        std::copy_if(paints_.begin(), paints_.end(), std::back_inserter(within),
                     [&](Clock::time_point t) { return t >= from && t <= to; });
        return within;
    }

  private:
    std::vector<uint32_t> pixels_;
    std::unique_ptr<Rgb32Context> context_;
    std::mutex mutex_; // paints_: written on the capture thread, read by the benchmark
    std::vector<Clock::time_point> paints_;
};

double processSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The live view as the program runs it: the capture thread renders each frame and paints it.
// fps comes from the spacing of the painted frames, cores from the whole process's processor
// time over the same seconds (the benchmark's own thread sleeps).
void paintedFrames(benchmark::State& state, double rate, bool scaled, bool withTargets)
{
    for (auto _ : state)
    {
        zcap::SimulatedOptions options;
        options.framesPerSecond = rate;
        zcap::CaptureRequest request{kWidth, kHeight, 150, {32, 32, 32}};
        zcap::Camera camera(std::make_unique<zcap::SimulatedCamera>(options), request);
        MemoryWindow window(kWidth, kHeight);
        if (scaled)
            camera.setPlacement({0, 0, kWidth / 2, kHeight / 2});
        if (camera.startView(&window, kWidth, kHeight) != zcap::Status::Ok)
        {
            state.SkipWithError("view did not start");
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // first frames settle
        const double startCpu = processSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const auto end = Clock::now();
        const double cpu = processSeconds() - startCpu;
        camera.stopView();
        const double wall = std::chrono::duration<double>(end - start).count();
        const auto paints = window.paintsBetween(start, end);
        const double span =
            paints.size() > 1
                ? std::chrono::duration<double>(paints.back() - paints.front()).count()
                : 0;
        state.SetIterationTime(wall);
        state.counters["fps"] = span > 0 ? double(paints.size() - 1) / span : 0;
        state.counters["cores"] = cpu / wall;
        state.counters["cpu_ms_per_frame"] =
            paints.empty() ? 0 : cpu * 1000 / double(paints.size());
    }
    if (withTargets)
    {
        kwzbench::atLeast(state, "fps", 30);
        kwzbench::atMost(state, "cores", 1);
    }
}

// The camera's own pace, the view at full size: the case with targets.
void paintedAt30(benchmark::State& state)
{
    paintedFrames(state, 30, false, true);
}
// As fast as the pipeline goes: shows the headroom.
void paintedUnpaced(benchmark::State& state)
{
    paintedFrames(state, 1000, false, false);
}
void paintedScaledAt30(benchmark::State& state)
{
    paintedFrames(state, 30, true, false);
}

zcap::Frame sceneFrame()
{
    zcap::SimulatedCamera camera({false, 30});
    camera.startStream(kWidth, kHeight);
    zcap::Frame frame;
    camera.render(frame, 0);
    return frame;
}

// The parts of one frame's cost: rendering the scene, and painting it into the window.
void renderSceneFrame(benchmark::State& state)
{
    zcap::SimulatedCamera camera({false, 30});
    camera.startStream(kWidth, kHeight);
    zcap::Frame frame;
    double t = 0;
    for (auto _ : state)
    {
        camera.render(frame, t);
        t += 1.0 / 30;
        benchmark::DoNotOptimize(frame.bgr.data());
    }
}

// A frame painted at its own size is one pass over its pixels: against one copy of the frame's
// bytes.
void paintFrameVersusCopy(benchmark::State& state)
{
    const zcap::Frame frame = sceneFrame();
    MemoryWindow window(kWidth, kHeight);
    zcap::LiveView view;
    std::vector<uint8_t> copy(frame.bgr.size(), 1);
    kwzbench::compare(
        state,
        [&] {
            view.paint(window, frame, {0, 0, kWidth, kHeight});
        },
        [&] {
            std::memcpy(copy.data(), frame.bgr.data(), copy.size());
            benchmark::DoNotOptimize(copy.data());
            benchmark::ClobberMemory();
        },
        kwzbench::kNoTarget);
}

void paintFrameScaled(benchmark::State& state)
{
    const zcap::Frame frame = sceneFrame();
    MemoryWindow window(kWidth, kHeight);
    zcap::LiveView view;
    for (auto _ : state)
        view.paint(window, frame, {0, 0, kWidth / 2, kHeight / 2});
}

struct TjHandle
{
    tjhandle handle = tjInitCompress();
    ~TjHandle() { tjDestroy(handle); }
};

// The fastest honest in-process encode of the same picture: one handle made once, the output
// into a buffer of the largest size, never reallocated; same pixel format, row order,
// subsampling and quality as ours, so the bytes must come out the same.
void jpegEncodeVersusBareTurbo(benchmark::State& state)
{
    const zcap::Frame frame = sceneFrame();
    const TjHandle tj;
    std::vector<unsigned char> out(tjBufSize(kWidth, kHeight, TJSAMP_420));
    auto bare = [&] {
        unsigned char* buffer = out.data();
        unsigned long size = 0;
        if (tjCompress2(tj.handle, frame.bgr.data(), kWidth, kWidth * 3, kHeight, TJPF_BGR, &buffer,
                        &size, TJSAMP_420, 75, TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC) != 0)
            return 0ul;
        return size;
    };
    const std::vector<uint8_t> ours = zcap::encodeJpeg(frame, 75);
    const unsigned long size = bare();
    if (ours.empty() || size != ours.size() || std::memcmp(out.data(), ours.data(), size) != 0)
    {
        state.SkipWithError("the two encodes differ: they would not do the same work");
        return;
    }
    kwzbench::compare(
        state, [&] { benchmark::DoNotOptimize(zcap::encodeJpeg(frame, 75).size()); },
        [&] { benchmark::DoNotOptimize(bare()); }, 1.1);
    state.counters["jpeg_bytes"] = double(size);
}

} // namespace

BENCHMARK(paintedAt30)
    ->Name("LiveView/2048x1536/PacedAt30")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(paintedUnpaced)
    ->Name("LiveView/2048x1536/Unpaced")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(paintedScaledAt30)
    ->Name("LiveView/2048x1536/ScaledToHalf/PacedAt30")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(renderSceneFrame)
    ->Name("SimulatedCamera/RenderFrame/2048x1536")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(paintFrameVersusCopy)
    ->Name("LiveView/PaintFrame/2048x1536/FullSize")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(paintFrameScaled)
    ->Name("LiveView/PaintFrame/2048x1536/ScaledToHalf")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(jpegEncodeVersusBareTurbo)
    ->Name("JpegEncode/2048x1536/Quality75")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
