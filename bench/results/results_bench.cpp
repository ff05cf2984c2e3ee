// The results table while a figure is dragged among 1,000: one drag step moves the selected
// figure, the document says so, the table reads the figures again and repaints its rows,
// against the least any table must do: the same move and one read of every figure's values.
// The step stays within the 16 ms of a repaint.

#include <QApplication>
#include <QTableView>
#include <cstring>
#include <memory>
#include <vector>

#include "app/image/image_doc.h"
#include "app/image/image_workspace.h"
#include "app/image/results_model.h"
#include "app/image/results_panel.h"
#include "app/shell/settings.h"
#include "bench/common/ratio.h"
#include "rast.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;
constexpr int kFigures = 1000;

QApplication& application()
{
    static int argc = 1;
    static char name[] = "bench_results";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: at exit the statics of Qt it needs may already be gone.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct Settings
{
    FrameSettings settings;
};

// Lines, rectangles, circles and polygons on a grid, the first one selected.
class Scene : private Settings
{
  public:
    Scene() : workspace(Settings::settings, "/nonexistent", [] { return 1; }), document(&workspace)
    {
        const std::vector<BYTE> rows(size_t(kWidth) * 3 * kHeight, 0x80);
        document.buildFromFrame(rows.data(), kWidth, kHeight);
        void* h = document.bitmap()->handle();
        RASTSetRuler(h, POINT{100, 20}, POINT{400, 20}, ZQ_MM, 3.0f);
        for (int i = 0; i < kFigures; ++i)
        {
            const int x = 10 + (i % 40) * 50;
            const int y = 40 + (i / 40) * 58;
            const GRAPHICTYPE kinds[] = {GT_LINE, GT_RECT, GT_CIRCLE_CENTRE, GT_POLYGON};
            const GRAPHICTYPE kind = kinds[i % 4];
            RASTStartGraphic(h, POINT{x, y}, kind);
            RASTAddPointToGraphic(h, POINT{x + 30, y + 20});
            if (kind == GT_POLYGON)
                RASTAddPointToGraphic(h, POINT{x + 5, y + 40});
            RASTFinishGraphic(h);
        }
        RASTSelectFigure(h, 0);
    }

    void move()
    {
        step_ = -step_;
        RASTMoveGraphic(document.bitmap()->handle(), step_, 0);
    }

    ImageWorkspace workspace;
    CImageDoc document;

  private:
    int step_ = 1;
};

void BM_ResultsTableDragStep(benchmark::State& state)
{
    application();
    Scene scene;
    ResultsPanel panel(scene.workspace);
    panel.setDocument(&scene.document);
    panel.resize(1200, 300);
    panel.show();
    QApplication::processEvents();
    if (panel.model()->rowCount() != kFigures)
        state.SkipWithError("the table does not list every figure");
    QTableView* table = panel.table();
    std::vector<GTFIGUREVALUES> read(kFigures);
    auto dragStep = [&] {
        scene.move();
        scene.document.notifyFiguresChanged();
        table->viewport()->repaint();
    };
    double subjectSeconds = 0;
    long subjectCalls = 0;
    kwzbench::compare(
        state,
        [&] {
            const double start = kwzbench::threadSeconds();
            dragStep();
            subjectSeconds += kwzbench::threadSeconds() - start;
            ++subjectCalls;
        },
        [&] {
            scene.move();
            void* h = scene.document.bitmap()->handle();
            for (int i = 0; i < kFigures; ++i)
                RASTGetFigureValues(h, i, &read[size_t(i)]);
            benchmark::DoNotOptimize(read.data());
        },
        kwzbench::kNoTarget);
    // The table followed the moves: the dragged figure's row holds what the library says.
    dragStep();
    GTFIGUREVALUES now{};
    RASTGetFigureValues(scene.document.bitmap()->handle(), 0, &now);
    if (std::memcmp(&now, &panel.model()->figures().front(), sizeof now) != 0)
        state.SkipWithError("the table did not follow the drag");
    // Processor time of one step, the figure for a core of its own.
    state.counters["step_ms"] = subjectCalls > 0 ? subjectSeconds / double(subjectCalls) * 1e3 : 0;
    kwzbench::atMost(state, "step_ms", 16);
}

} // namespace

BENCHMARK(BM_ResultsTableDragStep)->UseManualTime()->Unit(benchmark::kMillisecond);
