// The image view on the offscreen platform with a 2048 x 1536 24-bit picture and 100 (and
// 1,000) labelled figures of every kind: one drag step of a figure and one hover step that
// highlights another figure each time, each from the mouse event to the repainted pixels in
// the view's backing store, at 100 %, 400 % and 1/4 zoom, against one copy of the picture's
// bytes timed in turns with it. The parts of a drag step are measured too: the library's
// rebuild of the picture with its figures, and the copy of the visible part into the window.

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>
#include <cstdio>
#include <cstring>
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
#include "bench/common/ratio.h"
#include "platform/clock.h"
#include "platform/testing/fake_clock.h"
#include "rast.h"

namespace {

void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    // The offscreen platform says at every window that it cannot pass size hints on.
    if (type != QtWarningMsg || !text.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

QApplication& application()
{
    static int argc = 1;
    static char name[] = "bench_view";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreenWarnings);
    // Never destroyed: at exit the statics of Qt it needs may already be gone.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

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

// Where each figure of addFigures() lies: its cell's corner and size.
struct Cell
{
    int x, y, w, h;
};
Cell cellOf(int figures, int index)
{
    const int columns = figures <= 100 ? 10 : 40;
    const int rows = (figures + columns - 1) / columns;
    const int cellWidth = kWidth / columns;
    const int cellHeight = (kHeight - 80) / rows;
    return Cell{(index % columns) * cellWidth + cellWidth / 6,
                80 + (index / columns) * cellHeight + cellHeight / 6, cellWidth * 2 / 3,
                cellHeight * 2 / 3};
}

// A point on the first figure, a line from its cell's corner: a third of the way along.
QPoint lineGrip(int figures)
{
    const Cell c = cellOf(figures, 0);
    return QPoint(c.x + c.w / 3, c.y + c.h / 3);
}

// A point on the top edge of the second figure, a rectangle.
QPoint rectangleEdge(int figures)
{
    const Cell c = cellOf(figures, 1);
    return QPoint(c.x + c.w / 2, c.y);
}

// A picture with its figures in a shown frame at a zoom, scrolled to its top left.
struct Workspace
{
    Workspace(int figures, double zoom) : clock(100000)
    {
        application();
        document = std::make_unique<CImageDoc>(&host);
        const std::vector<BYTE> rows = imageRows();
        document->buildFromFrame(rows.data(), kWidth, kHeight);
        addFigures(document->bitmap()->handle(), figures);
        frame = std::make_unique<CImageFrame>(*document, &host);
        frame->resize(kWindow);
        frame->show();
        view = frame->view();
        viewport = view->viewport();
        QApplication::processEvents();
        frame->onCommand(cmd::ID_IMAGE_NORMAL);
        view->setZoom(zoom, QPoint(0, 0));
        view->horizontalScrollBar()->setValue(0);
        view->verticalScrollBar()->setValue(0);
        // A movement of one image pixel at least, so every drag step moves the figure.
        stepPixels = std::max(1, int(std::lround(zoom)));
        QApplication::processEvents();
    }
    ~Workspace()
    {
        if (pressed)
            send(QEvent::MouseButtonRelease, position, Qt::LeftButton, Qt::NoButton);
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        document->setModified(false);
        frame.reset();
    }
    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, pos, viewport->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    void pressAt(QPoint imagePoint)
    {
        position = view->toClient(imagePoint);
        send(QEvent::MouseButtonPress, position, Qt::LeftButton, Qt::LeftButton);
        pressed = true;
        QApplication::processEvents();
    }
    // One movement past the throttle, then the repaint it asked for.
    void moveTo(QPoint client, Qt::MouseButtons buttons)
    {
        clock.advance(50);
        position = client;
        send(QEvent::MouseMove, position, Qt::NoButton, buttons);
        QApplication::processEvents();
    }
    void dragStep()
    {
        direction = -direction;
        moveTo(position + QPoint(direction * stepPixels, 0), Qt::LeftButton);
    }

    BenchHost host;
    kwz::FakeClock clock;
    std::unique_ptr<CImageDoc> document;
    std::unique_ptr<CImageFrame> frame;
    CImageView* view = nullptr;
    QWidget* viewport = nullptr;
    QPoint position;
    bool pressed = false;
    int direction = 1;
    int stepPixels = 1;
};

// The least any repaint of the picture could cost: one copy of its bytes.
struct ImageCopy
{
    ImageCopy() : from(imageRows()), to(from.size()) {}
    void operator()()
    {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    std::vector<BYTE> from;
    std::vector<BYTE> to;
};

// Subject wall milliseconds per call, from what compare() left in the counters.
void stepMilliseconds(benchmark::State& state)
{
    state.counters["step_ms"] = state.counters["ratio"] * state.counters["baseline_s"] * 1e3;
}

double zoomOf(const benchmark::State& state)
{
    return double(state.range(1)) / 100;
}

void BM_DragStep(benchmark::State& state)
{
    const int figures = int(state.range(0));
    Workspace w(figures, zoomOf(state));
    w.pressAt(lineGrip(figures));
    ImageCopy copy;
    kwzbench::compare(
        state, [&] { w.dragStep(); }, copy, kwzbench::kNoTarget);
    // The drag really moved the line: it is selected and no longer where it was pressed.
    int selected = -1;
    RASTGetSelectedFigure(w.document->bitmap()->handle(), &selected);
    if (selected != 0)
        state.SkipWithError("the drag did not pick the line");
    stepMilliseconds(state);
    if (figures <= 100)
        kwzbench::atMost(state, "step_ms", 16);
}
BENCHMARK(BM_DragStep)
    ->ArgNames({"figures", "zoom%"})
    ->Args({100, 100})
    ->Args({100, 400})
    ->Args({100, 25})
    ->Args({1000, 100})
    ->Args({1000, 400})
    ->Args({1000, 25})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The pointer goes from the line to the rectangle and back: each step highlights the other.
void BM_HoverStep(benchmark::State& state)
{
    const int figures = int(state.range(0));
    Workspace w(figures, zoomOf(state));
    const QPoint targets[] = {w.view->toClient(lineGrip(figures)),
                              w.view->toClient(rectangleEdge(figures))};
    void* bitmap = w.document->bitmap()->handle();
    for (QPoint p : {lineGrip(figures), rectangleEdge(figures)})
    {
        // The engine searches at most once per 40 ms.
        w.clock.advance(50);
        if (RASTIsPassGraphic(bitmap, p.x(), p.y()) != RAST_OK)
            state.SkipWithError("a hover target is on no figure");
    }
    int next = 0;
    ImageCopy copy;
    kwzbench::compare(
        state,
        [&] {
            w.moveTo(targets[next], Qt::NoButton);
            next = 1 - next;
        },
        copy, kwzbench::kNoTarget);
    stepMilliseconds(state);
}
BENCHMARK(BM_HoverStep)
    ->ArgNames({"figures", "zoom%"})
    ->Args({100, 100})
    ->Args({1000, 100})
    ->Args({100, 400})
    ->Args({100, 25})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The library's part of a drag step: a figure moves, the picture is rebuilt with every figure.
void BM_RebuildAfterMove(benchmark::State& state)
{
    application();
    BenchHost host;
    CImageDoc document(&host);
    const std::vector<BYTE> rows = imageRows();
    document.buildFromFrame(rows.data(), kWidth, kHeight);
    addFigures(document.bitmap()->handle(), int(state.range(0)));
    const QPoint grip = lineGrip(int(state.range(0)));
    RASTIsHitGraphic(document.bitmap()->handle(), grip.x(), grip.y());
    int step = 1;
    ImageCopy copy;
    kwzbench::compare(
        state,
        [&] {
            RASTMoveGraphic(document.bitmap()->handle(), step, 0);
            step = -step;
            RASTDraw(document.bitmap()->handle(), nullptr, 0, 0, kWidth, kHeight);
        },
        copy, kwzbench::kNoTarget);
    stepMilliseconds(state);
}
BENCHMARK(BM_RebuildAfterMove)->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The view's part: the visible rectangle of the 24-bit picture into a window-sized image of
// the backing store's format, one to one or stretched as at a zoom.
void BM_CopyVisiblePart(benchmark::State& state)
{
    const double zoom = double(state.range(0)) / 100;
    const std::vector<BYTE> rows = imageRows();
    BITMAPINFO info{};
    info.bmiHeader.biSize = BMP_INFO_HEADER_SIZE;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    QImage window(kWindow, QImage::Format_ARGB32_Premultiplied);
    QImage scratch;
    const int shownWidth = int(std::lround(kWidth * zoom));
    const int shownHeight = int(std::lround(kHeight * zoom));
    ImageCopy copy;
    kwzbench::compare(
        state,
        [&] {
            QPainter painter(&window);
            QPainterContext context(painter, &scratch);
            context.stretchDIBits(0, 0, shownWidth, shownHeight, 0, 0, kWidth, kHeight, rows.data(),
                                  &info);
            painter.end();
            benchmark::DoNotOptimize(window.constBits());
        },
        copy, kwzbench::kNoTarget);
    stepMilliseconds(state);
}
BENCHMARK(BM_CopyVisiblePart)
    ->ArgName("zoom%")
    ->Arg(100)
    ->Arg(400)
    ->Arg(25)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
