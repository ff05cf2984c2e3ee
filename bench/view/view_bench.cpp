// The image view on the offscreen platform with a 2048 x 1536 24-bit picture and 100 (and
// 1,000) labelled figures of every kind: one drag step of a figure and one hover step, each
// from the mouse event to the repainted pixels in the view's backing store, against one copy
// of the picture's bytes. The parts of a drag step are measured too: the library's rebuild of
// the picture with its figures, and the copy of the visible part into the window.

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/image_view.h"
#include "app/image/image_workspace.h"
#include "app/image/measure_settings.h"
#include "app/image/qpainter_context.h"
#include "app/shell/command_ids.h"
#include "platform/clock.h"
#include "platform/testing/fake_clock.h"
#include "rast.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;
constexpr size_t kStride = kWidth * 3;
// A maximised window on a common screen.
const QSize kWindow(1600, 1000);

std::vector<BYTE> imageRows()
{
    std::vector<BYTE> rows(kStride * kHeight);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = BYTE((i * 2654435761u) >> 24);
    return rows;
}

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
        s.lineMark = 0xF;
        s.rectMark = 0x7F;
        s.circleMark = 0x1F;
        s.ellipseMark = 0x3F;
        s.angleMark = 0x3;
        s.polyLineMark = 0xF;
        s.rulerStartX = 100;
        s.rulerStartY = 40;
        s.rulerEndX = 400;
        s.rulerEndY = 40;
        s.rulerUnitIndex = ZQ_MM;
        s.rulerLength = 3.0f;
        QObject::connect(this, &ImageWorkspace::paneTextChanged,
                         [this](int, const QString& text) { lastPane = text; });
    }

    QString lastPane;
};

// The kinds a user draws, with the points of each relative to its cell.
void addFigures(void* bitmap, int count)
{
    const int columns = count <= 100 ? 10 : 40;
    const int rows = (count + columns - 1) / columns;
    const int cellWidth = kWidth / columns;
    const int cellHeight = (kHeight - 80) / rows;
    const GRAPHICTYPE kinds[] = {
        GT_LINE,        GT_RECT,           GT_CIRCLE_DIAMETER, GT_CIRCLE_CENTRE, GT_CIRCLE_3POINTS,
        GT_ELLIPSE_BOX, GT_ELLIPSE_CENTRE, GT_ANGLE,           GT_POLYGON,       GT_TEXT};
    for (int i = 0; i < count; ++i)
    {
        const int x = (i % columns) * cellWidth + cellWidth / 6;
        const int y = 80 + (i / columns) * cellHeight + cellHeight / 6;
        const int w = cellWidth * 2 / 3;
        const int h = cellHeight * 2 / 3;
        const GRAPHICTYPE kind = kinds[i % 10];
        RASTStartGraphic(bitmap, POINT{x, y}, kind);
        switch (kind)
        {
        case GT_TEXT:
            RASTAddStringToGraphic(bitmap, "Particle 7");
            break;
        case GT_CIRCLE_CENTRE:
        case GT_ELLIPSE_CENTRE:
            RASTAddPointToGraphic(bitmap, POINT{x + w / 3, y + h / 3});
            break;
        case GT_CIRCLE_3POINTS:
            RASTAddPointToGraphic(bitmap, POINT{x + w, y});
            RASTAddPointToGraphic(bitmap, POINT{x + w / 2, y + h});
            break;
        case GT_ANGLE:
            RASTAddPointToGraphic(bitmap, POINT{x, y + h});
            RASTAddPointToGraphic(bitmap, POINT{x + w, y + h});
            break;
        case GT_POLYGON:
            RASTAddPointToGraphic(bitmap, POINT{x + w, y + h / 4});
            RASTAddPointToGraphic(bitmap, POINT{x + w / 2, y + h});
            RASTAddPointToGraphic(bitmap, POINT{x, y + h / 2});
            break;
        default:
            RASTAddPointToGraphic(bitmap, POINT{x + w, y + h});
            break;
        }
        RASTFinishGraphic(bitmap);
    }
}

// A picture with its figures in a shown frame; the first figure is picked for dragging.
struct Workspace
{
    explicit Workspace(int figures) : clock(100000)
    {
        document = std::make_unique<CImageDoc>(&host);
        const std::vector<BYTE> rows = imageRows();
        document->buildFromFrame(rows.data(), kWidth, kHeight);
        addFigures(document->bitmap()->handle(), figures);
        frame = std::make_unique<CImageFrame>(*document, &host);
        frame->resize(kWindow);
        frame->show();
        viewport = frame->view()->viewport();
        QApplication::processEvents();
        frame->onCommand(cmd::ID_IMAGE_NORMAL);
        // The first figure is a line from its cell's corner.
        const QPoint grip = figureGrip(figures);
        send(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
        QApplication::processEvents();
        position = grip;
    }
    ~Workspace()
    {
        send(QEvent::MouseButtonRelease, position, Qt::LeftButton, Qt::NoButton);
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        document->setModified(false);
        frame.reset();
    }
    static QPoint figureGrip(int figures)
    {
        const int columns = figures <= 100 ? 10 : 40;
        const int rows = (figures + columns - 1) / columns;
        const int cellWidth = kWidth / columns;
        const int cellHeight = (kHeight - 80) / rows;
        const int x = cellWidth / 6;
        const int y = 80 + cellHeight / 6;
        // Along the line, a third of the way.
        return QPoint(x + cellWidth * 2 / 9, y + cellHeight * 2 / 9);
    }
    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, pos, viewport->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    // One movement past the throttle, then the repaint it asked for.
    void step(Qt::MouseButtons buttons)
    {
        clock.advance(50);
        step_ = -step_;
        position += QPoint(step_, 0);
        send(QEvent::MouseMove, position, Qt::NoButton, buttons);
        QApplication::processEvents();
    }

    BenchHost host;
    kwz::FakeClock clock;
    std::unique_ptr<CImageDoc> document;
    std::unique_ptr<CImageFrame> frame;
    QWidget* viewport = nullptr;
    QPoint position;
    int step_ = 1;
};

void BM_CopyImageBytes(benchmark::State& state)
{
    const std::vector<BYTE> from = imageRows();
    std::vector<BYTE> to(from.size());
    for (auto _ : state)
    {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyImageBytes)->Unit(benchmark::kMillisecond);

void BM_DragStep(benchmark::State& state)
{
    Workspace w(int(state.range(0)));
    for (auto _ : state)
        w.step(Qt::LeftButton);
}
BENCHMARK(BM_DragStep)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_HoverStep(benchmark::State& state)
{
    Workspace w(int(state.range(0)));
    w.send(QEvent::MouseButtonRelease, w.position, Qt::LeftButton, Qt::NoButton);
    for (auto _ : state)
        w.step(Qt::NoButton);
}
BENCHMARK(BM_HoverStep)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The library's part of a drag step: a figure moves, the picture is rebuilt with every figure.
void BM_RebuildAfterMove(benchmark::State& state)
{
    BenchHost host;
    CImageDoc document(&host);
    const std::vector<BYTE> rows = imageRows();
    document.buildFromFrame(rows.data(), kWidth, kHeight);
    addFigures(document.bitmap()->handle(), int(state.range(0)));
    const QPoint grip = Workspace::figureGrip(int(state.range(0)));
    RASTIsHitGraphic(document.bitmap()->handle(), grip.x(), grip.y());
    int step = 1;
    for (auto _ : state)
    {
        RASTMoveGraphic(document.bitmap()->handle(), step, 0);
        step = -step;
        RASTDraw(document.bitmap()->handle(), nullptr, 0, 0, kWidth, kHeight);
    }
}
BENCHMARK(BM_RebuildAfterMove)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The view's part: the visible rectangle of the 24-bit picture into a window-sized image of
// the backing store's format.
void BM_CopyVisiblePart(benchmark::State& state)
{
    const std::vector<BYTE> rows = imageRows();
    BITMAPINFO info{};
    info.bmiHeader.biSize = BMP_INFO_HEADER_SIZE;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    QImage window(kWindow, QImage::Format_ARGB32_Premultiplied);
    QImage scratch;
    for (auto _ : state)
    {
        QPainter painter(&window);
        QPainterContext context(painter, &scratch);
        context.setDIBitsToDevice(0, 0, kWindow.width(), kWindow.height(), 0, 0, rows.data(),
                                  &info);
        painter.end();
        benchmark::DoNotOptimize(window.constBits());
    }
}
BENCHMARK(BM_CopyVisiblePart)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times_[run.benchmark_name()] = {run.GetAdjustedRealTime(),
                                                run.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio(const char* subject, const char* baseline, double targetMs) const
    {
        const auto s = times_.find(subject);
        const auto b = times_.find(baseline);
        if (s == times_.end() || b == times_.end() || b->second.cpu <= 0 || b->second.real <= 0)
            return;
        // On a shared machine the processor time is the figure for one core; the wall time
        // also holds the waits for it.
        std::printf("%-26s cpu %6.2f ms = %6.2f x  wall %6.2f ms = %6.2f x %s", subject,
                    s->second.cpu, s->second.cpu / b->second.cpu, s->second.real,
                    s->second.real / b->second.real, baseline);
        if (targetMs > 0)
            std::printf(" (target < %.0f ms)", targetMs);
        std::printf("\n");
    }

  private:
    struct Times
    {
        double real;
        double cpu;
    };
    std::map<std::string, Times> times_;
};

void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    // The offscreen platform says at every window that it cannot pass size hints on.
    if (type != QtWarningMsg || !text.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietOffscreenWarnings);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("BM_DragStep/100", "BM_CopyImageBytes", 16);
    reporter.printRatio("BM_DragStep/1000", "BM_CopyImageBytes", 0);
    reporter.printRatio("BM_HoverStep/100", "BM_CopyImageBytes", 0);
    reporter.printRatio("BM_HoverStep/1000", "BM_CopyImageBytes", 0);
    reporter.printRatio("BM_RebuildAfterMove/100", "BM_CopyImageBytes", 0);
    reporter.printRatio("BM_RebuildAfterMove/1000", "BM_CopyImageBytes", 0);
    reporter.printRatio("BM_CopyVisiblePart", "BM_CopyImageBytes", 0);
    benchmark::Shutdown();
    return 0;
}
