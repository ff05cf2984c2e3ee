// The live picture from the camera to the screen, at each of the five sizes, on the offscreen
// platform: frames shown against frames the camera delivered, the time from a frame's
// delivery to the end of the widget's paint that shows it (median and 99th percentile)
// against the camera's nominal frame interval, and the interface thread's processor time per
// shown frame.

#include <QApplication>
#include <QEventLoop>
#include <QMdiArea>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/live/camera_session.h"
#include "app/live/live_bars.h"
#include "app/live/live_services.h"
#include "app/live/video_doc.h"
#include "app/live/video_frame.h"
#include "app/live/video_view.h"
#include "app/shell/language.h"
#include "app/shell/settings.h"
#include "app/shell/status_panes.h"
#include "camera/simulated_camera.h"

namespace {

using Clock = std::chrono::steady_clock;

// What a live window works with, without a main frame round it.
struct BenchHost
{
    BenchHost() { area.resize(2200, 1700); }

    FrameSettings frameSettings;
    LanguageSession languages;
    StatusPanes panes;
    LiveBars bars;
    LiveServices services{frameSettings, languages, panes, bars, {}};
    QMdiArea area; // last, so that its frames go before what they use
};

// The bound of the latency: one interval at the simulated camera's nominal rate, fixed, so a
// camera that slows down cannot loosen it.
const double kNominalIntervalMs = 1000.0 / zcap::SimulatedOptions{}.framesPerSecond;

// Stamps each frame as the camera hands it over, notes the stamp under the frame's number when
// its paint into the view's buffer ends (both on the capture thread, one after the other),
// and measures from it to the end of the widget's paint that shows it (interface thread).
struct Probe
{
    std::mutex mutex; // guards everything below between the two threads
    bool measuring = false;
    Clock::time_point delivered;
    int deliveredFrames = 0;
    std::map<uint64_t, Clock::time_point> deliveredByFrame;
    uint64_t lastShown = 0;
    std::vector<double> toPaintedMs;
};

void stampDelivery(BYTE*, DWORD, void* context)
{
    auto* probe = static_cast<Probe*>(context);
    std::lock_guard lock(probe->mutex);
    probe->delivered = Clock::now();
    if (probe->measuring)
        ++probe->deliveredFrames;
}

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[i];
}

// A short run, as the tests make with a tiny minimum time: every size still starts and shows
// frames, but the figures mean little.
bool shortRun = false;

void runFor(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Row
{
    std::string size;
    double deliveredFps, shownFps, ratio, medianMs, p99Ms, intervalMs, uiCpuMs;
    uint64_t skipped;
};
std::vector<Row> rows;

void liveToScreen(benchmark::State& state)
{
    const int index = int(state.range(0));
    int width = 0, height = 0;
    CVideoFrame::pictureSize(index, width, height);
    for (auto _ : state)
    {
        CameraSession session;
        ZCAPINFO& info = session.captureInfo();
        info.dwWidth = width;
        info.dwHeight = height;
        info.dwExposure = 150;
        info.byRedGain = info.byGreenGain = info.byBlueGain = 32;
        if (!session.open())
        {
            state.SkipWithError("no camera");
            return;
        }
        const ZCAPHANDLE device = session.device();
        {
            BenchHost host;
            host.area.show();
            CVideoDoc document("Live");
            auto* frame = new CVideoFrame(document, host.services, session);
            host.area.addSubWindow(frame);
            frame->show();
            frame->SetPictureSize(index);
            frame->StartPreview();
            if (!frame->started())
            {
                state.SkipWithError("the view did not start");
                return;
            }
            Probe probe;
            ZcapSetFrameCallback(device, &stampDelivery, &probe);
            LiveSurface& surface = frame->view()->surface();
            surface.setPaintedHook([&probe, &surface] {
                std::lock_guard lock(probe.mutex);
                if (probe.measuring)
                    probe.deliveredByFrame[surface.paintedFrames()] = probe.delivered;
            });
            frame->view()->setShownHook([&probe](uint64_t shown) {
                const auto now = Clock::now();
                std::lock_guard lock(probe.mutex);
                // A frame counts once, at the first paint that shows it.
                if (shown <= probe.lastShown)
                    return;
                probe.lastShown = shown;
                const auto stamp = probe.deliveredByFrame.find(shown);
                if (stamp == probe.deliveredByFrame.end())
                    return;
                probe.toPaintedMs.push_back(
                    std::chrono::duration<double, std::milli>(now - stamp->second).count());
                probe.deliveredByFrame.erase(probe.deliveredByFrame.begin(), std::next(stamp));
            });
            runFor(std::chrono::milliseconds(shortRun ? 200 : 700)); // the stream settles

            const uint64_t shownBefore = surface.takenFrames();
            const uint64_t paintedBefore = surface.paintedFrames();
            const uint64_t skippedBefore = surface.skippedFrames();
            {
                std::lock_guard lock(probe.mutex);
                probe.measuring = true;
            }
            const double cpuBefore = threadCpuSeconds();
            const auto start = Clock::now();
            runFor(std::chrono::milliseconds(shortRun ? 400 : 4000));
            const double wall = std::chrono::duration<double>(Clock::now() - start).count();
            const double cpu = threadCpuSeconds() - cpuBefore;
            const uint64_t shown = surface.takenFrames() - shownBefore;
            const uint64_t painted = surface.paintedFrames() - paintedBefore;
            const uint64_t skipped = surface.skippedFrames() - skippedBefore;
            std::vector<double> toPainted;
            int delivered = 0;
            {
                std::lock_guard lock(probe.mutex);
                probe.measuring = false;
                toPainted = probe.toPaintedMs;
                delivered = probe.deliveredFrames;
            }
            ZcapSetFrameCallback(device, nullptr, nullptr);
            surface.setPaintedHook({});
            frame->view()->setShownHook({});
            delete frame;

            Row row{std::to_string(width) + "x" + std::to_string(height), delivered / wall,
                    double(shown) / wall,
                    // Frames that reached the buffer and were not replaced before the screen
                    // took them, of the frames delivered.
                    delivered > 0 ? double(painted - skipped) / delivered : 0,
                    percentile(toPainted, 0.5), percentile(toPainted, 0.99), kNominalIntervalMs,
                    shown > 0 ? 1000.0 * cpu / double(shown) : 0, skipped};
            state.counters["delivered_fps"] = row.deliveredFps;
            state.counters["shown_fps"] = row.shownFps;
            state.counters["shown/delivered"] = row.ratio;
            state.counters["skipped"] = double(skipped);
            state.counters["painted_ms_median"] = row.medianMs;
            state.counters["painted_ms_p99"] = row.p99Ms;
            state.counters["target_p99_ms"] = row.intervalMs;
            state.counters["ui_cpu_ms/shown"] = row.uiCpuMs;
            rows.push_back(row);
        }
    }
}

BENCHMARK(liveToScreen)
    ->ArgName("size")
    ->DenseRange(0, 4)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        const std::string flag = "--benchmark_min_time=";
        if (argument.rfind(flag, 0) == 0 && std::atof(argument.c_str() + flag.size()) < 0.1)
            shortRun = true;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nlatency: from a frame's delivery to the end of the widget's paint that shows "
                "it\n");
    std::printf("%-10s %9s %9s %7s %7s %11s %11s %11s %11s\n", "size", "delivered", "shown",
                "skipped", "ratio", "median ms", "p99 ms", "target ms", "ui cpu ms");
    for (const Row& r : rows)
        std::printf("%-10s %9.2f %9.2f %7llu %7.3f %11.2f %11.2f %11.2f %11.3f\n", r.size.c_str(),
                    r.deliveredFps, r.shownFps, static_cast<unsigned long long>(r.skipped), r.ratio,
                    r.medianMs, r.p99Ms, r.intervalMs, r.uiCpuMs);
    std::printf("target: ratio 1.000 (every delivered frame shown) and p99 under the camera's "
                "nominal frame interval (target ms) at 2048x1536\n");
    return 0;
}
