// The results table in the running program: it lists what the picture shows, follows every
// change and the selection both ways, and copies and exports what it lists.

#include <QAbstractItemModel>
#include <QClipboard>
#include <QFile>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "app/controls/client_wnd.h"
#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/results_model.h"
#include "app/image/results_panel.h"
#include "app/shell/command_ids.h"
#include "app_run.h"
#include "image_test_support.h"
#include "rast.h"
#include "support/values/figure_table.h"
#include "test_support.h"

using namespace cmd;

namespace {

// A calibrated picture with a line, a circle and a rectangle (100 pixels are 10 mm).
bool writeMeasureFile(const QString& path)
{
    const std::vector<BYTE> rows = patternRows(200, 150);
    void* object = nullptr;
    RASTInitialize(&object);
    RASTReadPixels(object, rows.data(), 200, 150, 24);
    RASTSetRuler(object, POINT{0, 140}, POINT{100, 140}, ZQ_MM, 10.0f);
    RASTSetMeasureUnit(object, ZQ_MM);
    auto figure = [&](GRAPHICTYPE type, POINT a, POINT b) {
        RASTStartGraphic(object, a, type);
        RASTAddPointToGraphic(object, b);
        RASTFinishGraphic(object);
    };
    figure(GT_LINE, POINT{10, 10}, POINT{90, 10});
    figure(GT_CIRCLE_CENTRE, POINT{60, 60}, POINT{80, 60});
    figure(GT_RECT, POINT{120, 20}, POINT{180, 80});
    const bool written =
        RASTWriteMeasureFile(object, QFile::encodeName(path).constData()) == RAST_OK;
    RASTUnInitialize(&object);
    return written;
}

CImageDoc* activeDocument(Run& run)
{
    auto* frame = dynamic_cast<CImageFrame*>(run.frame()->client()->activeSubWindow());
    return frame ? &frame->document() : nullptr;
}

QString text(const QAbstractItemModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

int column(const QAbstractItemModel& model, const QString& title)
{
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.headerData(c, Qt::Horizontal).toString() == title)
            return c;
    return -1;
}

int selectedRow(QTableView* table)
{
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
}

} // namespace

class ResultsTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void listsFollowsAndSelectsTheFiguresOfTheActiveImage()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writeMeasureFile(home.path("three.Mea")));
        Run run({home.path("three.Mea")});
        QVERIFY(run.started);
        CImageDoc* document = activeDocument(run);
        QVERIFY(document != nullptr);
        ResultsPanel* panel = run.frame()->results();
        QVERIFY(panel->isHidden());
        QVERIFY(run.frame()->routeCommand(ID_VIEW_RESULTS));
        QVERIFY(panel->isVisible());
        const QAbstractItemModel& model = *panel->model();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(text(model, 0, ResultsModel::kKindColumn), QStringLiteral("Line"));
        QCOMPARE(text(model, 1, ResultsModel::kKindColumn), QStringLiteral("Circle"));
        QCOMPARE(text(model, 2, ResultsModel::kKindColumn), QStringLiteral("Rectangle"));
        const int length = column(model, QStringLiteral("Length"));
        const int radius = column(model, QStringLiteral("Radius"));
        const int width = column(model, QStringLiteral("Width"));
        QVERIFY(length > 0 && radius > 0 && width > 0);
        QCOMPARE(text(model, 0, length), QStringLiteral("8.00"));
        QCOMPARE(text(model, 1, radius), QStringLiteral("2.00"));
        QCOMPARE(text(model, 2, width), QStringLiteral("6.00"));
        QCOMPARE(text(model, 0, radius), QString());
        QCOMPARE(text(model, 0, ResultsModel::unitColumn()), QStringLiteral("mm"));

        // Unit and precision as the document has them.
        void* handle = document->bitmap()->handle();
        document->bitmap()->setPrecision(3);
        document->bitmap()->setMeasureUnit(ZQ_UM);
        document->calibrationTouched();
        QCOMPARE(text(model, 0, length), QStringLiteral("8000.000"));
        QCOMPARE(text(model, 0, ResultsModel::unitColumn()), QStringLiteral("µm"));

        // A row selects its figure, a click on a figure selects its row.
        QTableView* table = panel->table();
        QSignalSpy selection(document, &CImageDoc::selectionChanged);
        table->selectRow(2);
        QCOMPARE(document->bitmap()->selectedFigure(), 2);
        QVERIFY(selection.count() >= 1);
        QVERIFY(document->selectAt(QPoint(50, 10)));
        QCOMPARE(selectedRow(table), 0);

        // Moving the selected line changes its row only.
        QSignalSpy changed(panel->model(), &QAbstractItemModel::dataChanged);
        RASTMoveGraphic(handle, 0, 20);
        document->notifyFiguresChanged();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.front().at(0).toModelIndex().row(), 0);
        QCOMPARE(changed.front().at(1).toModelIndex().row(), 0);
        const int y = column(model, QStringLiteral("Y"));
        QCOMPARE(text(model, 0, y), QStringLiteral("3000.000"));

        // Deleting it leaves two rows, numbered as their labels are.
        QVERIFY(document->deleteSelected());
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(text(model, 0, ResultsModel::kKindColumn), QStringLiteral("Circle"));
        QCOMPARE(selectedRow(table), -1);

        // Another window's figures replace them; closing every image empties the table.
        QVERIFY(writeMeasureFile(home.path("other.Mea")));
        QVERIFY(run.app.openDocumentFile(home.path("other.Mea")) != nullptr);
        QCOMPARE(model.rowCount(), 3);
        run.frame()->client()->closeAllSubWindows();
        QCoreApplication::processEvents();
    }

    void copiesTabSeparatedRowsAndExportsCsv()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writeMeasureFile(home.path("three.Mea")));
        Run run({home.path("three.Mea")});
        QVERIFY(run.started);
        ResultsPanel* panel = run.frame()->results();
        run.frame()->routeCommand(ID_VIEW_RESULTS);

        panel->copyRows();
        QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith(QStringLiteral("Kind\tNumber\tX\tY\tLength")));
        QCOMPARE(lines[1].split('\t').size(), panel->model()->columnCount());
        panel->table()->selectRow(1);
        panel->copyRows();
        lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith(QStringLiteral("Circle\t0\t")));

        QString offered;
        const QString target = home.path("out/results");
        QDir().mkpath(home.path("out"));
        run.frame()->images()->setSaveNameChooser([&](const QString&, const QString& initial) {
            offered = initial;
            return target;
        });
        QVERIFY(panel->exportCsv());
        QVERIFY(offered.endsWith(QStringLiteral("three.csv")));
        QFile file(target + ".csv");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray csv = file.readAll();
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QList<QByteArray> rows = csv.mid(3).split('\n');
        QCOMPARE(rows.size(), 5); // four lines and the empty rest after the last CRLF
        QCOMPARE(rows[0], QByteArray("File,Kind,Number,X,Y,Length,Width,Height,Radius,LongRadius,"
                                     "ShortRadius,Perimeter,Area,Angle,Vertices,Unit\r"));
        QVERIFY(rows[1].startsWith(QFile::encodeName(home.path("three.Mea")) + ",Line,0,1.00,"));
        QVERIFY(rows[1].endsWith(",mm\r"));

        // A file that cannot be written is said, not reported as done.
        run.frame()->images()->setSaveNameChooser(
            [&](const QString&, const QString&) { return home.path("missing/folder/x.csv"); });
        QVERIFY(!panel->exportCsv());
    }
};

std::unique_ptr<QObject> makeResultsTest()
{
    return std::make_unique<ResultsTest>();
}

#include "results_test.moc"
