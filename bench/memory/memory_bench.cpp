// What an open image window holds: 2048 x 1536 24-bit pictures with 100 labelled figures each,
// opened one after the other in one workspace of maximised windows (1600 x 1000) on the
// offscreen platform, each shown and painted. The heap bytes that each window adds, over the
// bytes of its picture; the first window also pays for what all of them share.

#include <QApplication>
#include <QMdiArea>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/image_view.h"
#include "app/image/image_workspace.h"
#include "app/image/measure_settings.h"
#include "app/shell/command_ids.h"
#include "bench/common/ratio.h"
#include "rast.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;
constexpr size_t kPixelBytes = size_t{kWidth} * 3 * kHeight;
constexpr int kWindows = 10;

struct BenchSettings
{
    FrameSettings settings;
};

class BenchHost : private BenchSettings, public ImageWorkspace
{
  public:
    BenchHost() : ImageWorkspace(BenchSettings::settings, "/nonexistent", [] { return 1; })
    {
        FrameSettings& s = BenchSettings::settings;
        s.rulerStartX = 100;
        s.rulerStartY = 40;
        s.rulerEndX = 400;
        s.rulerEndY = 40;
        s.rulerUnitIndex = ZQ_MM;
        s.rulerLength = 3.0f;
    }
};

// Heap bytes in use, the large blocks that malloc maps by themselves included.
double heapBytes()
{
    malloc_trim(0);
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

void addFigures(void* bitmap)
{
    for (int i = 0; i < 100; ++i)
    {
        const int x = 60 + (i % 10) * 190;
        const int y = 100 + (i / 10) * 140;
        RASTStartGraphic(bitmap, POINT{x, y}, i % 2 ? GT_RECT : GT_LINE);
        RASTAddPointToGraphic(bitmap, POINT{x + 120, y + 90});
        RASTFinishGraphic(bitmap);
    }
}

struct Window
{
    std::unique_ptr<CImageDoc> document;
    CImageFrame* frame = nullptr; // the workspace's
};

void openWindows(benchmark::State& state)
{
    for (auto _ : state)
    {
        BenchHost host;
        QMdiArea area;
        area.resize(1600, 1000);
        area.show();
        QApplication::processEvents();
        std::vector<BYTE> rows(kPixelBytes);
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = BYTE((i * 2654435761u) >> 24);
        std::vector<Window> windows;
        std::vector<double> added;
        double before = heapBytes();
        for (int i = 0; i < kWindows; ++i)
        {
            Window w;
            w.document = std::make_unique<CImageDoc>(&host);
            w.document->buildFromFrame(rows.data(), kWidth, kHeight);
            addFigures(w.document->bitmap()->handle());
            w.frame = new CImageFrame(*w.document, &host);
            area.addSubWindow(w.frame);
            w.frame->showMaximized();
            w.frame->onCommand(cmd::ID_IMAGE_NORMAL);
            w.frame->view()->viewport()->repaint();
            QApplication::processEvents();
            const double now = heapBytes();
            added.push_back(now - before);
            before = now;
            windows.push_back(std::move(w));
        }
        for (Window& w : windows)
        {
            w.frame->setAttribute(Qt::WA_DeleteOnClose, false);
            w.document->setModified(false);
            delete w.frame;
        }
        double later = 0;
        for (size_t i = 1; i < added.size(); ++i)
            later += added[i];
        later /= double(added.size() - 1);
        state.counters["first/pixels"] = added[0] / double(kPixelBytes);
        state.counters["each_later/pixels"] = later / double(kPixelBytes);
        state.counters["ten_windows_MB"] =
            (added[0] + later * double(kWindows - 1)) / (1024.0 * 1024.0);
        kwzbench::atMost(state, "each_later/pixels", 1.6);
        std::printf("heap bytes added per window over its picture's %zu bytes:", kPixelBytes);
        for (double a : added)
            std::printf(" %.2f", a / double(kPixelBytes));
        std::printf("\n");
    }
}

BENCHMARK(openWindows)
    ->Name("ImageWindow/2048x1536x24/Open10")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
