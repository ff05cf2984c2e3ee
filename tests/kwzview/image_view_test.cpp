// The image view driven as a user drives it: presses, drags, hovers and keys on the widget,
// with a fake clock for the movement throttle.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <limits>
#include <memory>

#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/image_print.h"
#include "app/image/image_view.h"
#include "app/image/magnifier_window.h"
#include "app/image/tools/figure_tool.h"
#include "app/image/tools/polygon_tool.h"
#include "app/image/tools/select_tool.h"
#include "app/image/tools/text_tool.h"
#include "app/image/tools/tool_context.h"
#include "app/shell/command_ids.h"
#include "image_test_support.h"
#include "platform/clock.h"
#include "platform/testing/fake_clock.h"
#include "test_support.h"
#include "window_keys.h"

using namespace cmd;

namespace {

// A captured picture in a shown frame; the clock is fake so movements pass when a test says.
struct Workspace
{
    Workspace(int width, int height, QSize window) : clock(1000)
    {
        host.settings.capturePath = "/nonexistent";
        document = std::make_unique<CImageDoc>(&host);
        const std::vector<BYTE> rows = patternRows(width, height);
        document->buildFromFrame(rows.data(), width, height);
        frame = std::make_unique<CImageFrame>(*document, &host);
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        frame->resize(window);
        WindowKeys::add(frame.get(), *frame, KeyWindow::Image,
                        [this](int id) { host.executeCommand(id); });
        frame->show();
        view = frame->view();
        viewport = view->viewport();
        view->setFocus();
        QCoreApplication::processEvents();
    }
    ~Workspace() { frame.reset(); }

    void press(QPoint client)
    {
        QTest::mousePress(viewport, Qt::LeftButton, {}, client);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, client);
        clock.advance(100);
    }
    void rightClick(QPoint client)
    {
        QTest::mouseClick(viewport, Qt::RightButton, {}, client);
        settle();
    }
    void hover(QPoint client)
    {
        clock.advance(60);
        moveMouse(viewport, client);
    }
    void key(int key)
    {
        QTest::keyClick(view, Qt::Key(key));
        settle();
    }
    void command(int id)
    {
        QVERIFY(frame->onCommand(id));
        settle();
    }
    // Posted commands arrive.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    bool hit(int x, int y)
    {
        return RASTIsHitGraphic(document->bitmap()->handle(), x, y) == RAST_OK;
    }
    // Points placed of the figure the engine is building; 0 when none.
    int points() const
    {
        int placed = 0;
        RASTGetConstruction(document->bitmap()->handle(), nullptr, &placed);
        return placed;
    }
    void scrollTo(int x, int y)
    {
        view->horizontalScrollBar()->setValue(x);
        view->verticalScrollBar()->setValue(y);
    }

    FakeImageWorkspace host;
    kwz::FakeClock clock;
    std::unique_ptr<CImageDoc> document;
    std::unique_ptr<CImageFrame> frame;
    CImageView* view = nullptr;
    QWidget* viewport = nullptr;
};

// A tool on its own, on a captured picture, with a context that records what it asks for.
struct ToolBench : ToolContext
{
    ToolBench() : clock(1000)
    {
        host.settings.capturePath = "/nonexistent";
        document = std::make_unique<CImageDoc>(&host);
        const std::vector<BYTE> rows = patternRows(400, 300);
        document->buildFromFrame(rows.data(), 400, 300);
    }
    void* bitmap() const override { return document->bitmap()->handle(); }
    void touch() override { ++touches; }
    bool selectAt(int x, int y) override { return document->selectAt(QPoint(x, y)); }
    void postCommand(int commandId) override { posted.push_back(commandId); }
    void repaintView() override {}
    QLineEdit* textInput() override { return &input; }
    void focusView() override { ++focusReturns; }

    GRAPHICTYPE construction(int* points = nullptr) const
    {
        GRAPHICTYPE type = GT_RULER;
        RASTGetConstruction(bitmap(), &type, points);
        return type;
    }
    void click(MeasureTool& tool, int x, int y)
    {
        tool.pressAt(POINT{x, y});
        tool.release(Qt::LeftButton, POINT{x, y});
        clock.advance(100);
    }
    bool hit(int x, int y) { return RASTIsHitGraphic(bitmap(), x, y) == RAST_OK; }

    FakeImageWorkspace host;
    kwz::FakeClock clock;
    std::unique_ptr<CImageDoc> document;
    QLineEdit input;
    int touches = 0;
    int focusReturns = 0;
    std::vector<int> posted;
};

} // namespace

class ImageViewTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void aPressInAScrolledViewStartsAtTheImagePoint()
    {
        Workspace w(800, 600, QSize(320, 260));
        w.scrollTo(100, 50);
        QCOMPARE(w.view->scrollPosition(), QPoint(100, 50));
        w.command(ID_IMAGE_MESURE_LINE);
        w.press(QPoint(10, 10));
        QCOMPARE(w.view->tool().lastPress().x, 110);
        QCOMPARE(w.view->tool().lastPress().y, 60);
        w.press(QPoint(110, 10));
        QVERIFY(w.hit(160, 60));
    }

    void clientPointsBeyondTheTopLeftEdgeCountFromIt_data()
    {
        QTest::addColumn<int>("client");
        QTest::addColumn<int>("image");
        QTest::newRow("inside") << 25 << 25;
        QTest::newRow("left of the window") << -1 << 0;
        QTest::newRow("far left") << -70000 << 0;
        QTest::newRow("right of the window") << 300 << 300;
    }
    void clientPointsBeyondTheTopLeftEdgeCountFromIt()
    {
        QFETCH(int, client);
        QFETCH(int, image);
        Workspace w(100, 80, QSize(200, 160));
        QCOMPARE(w.view->toImage(QPoint(client, 7)), QPoint(image, 7));
        QCOMPARE(w.view->toImage(QPoint(7, client)), QPoint(7, image));
    }

    void aLineTakesTwoPressesAndAThirdStartsTheNext()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.command(ID_IMAGE_MESURE_LINE);
        QCOMPARE(w.view->viewport()->cursor().shape(), Qt::CrossCursor);
        w.press(QPoint(100, 100));
        QCOMPARE(w.points(), 1);
        w.press(QPoint(200, 100));
        QCOMPARE(w.points(), 0);
        w.press(QPoint(100, 200));
        QCOMPARE(w.points(), 1);
        w.press(QPoint(200, 200));
        QVERIFY(w.hit(150, 100));
        QVERIFY(w.hit(150, 200));
        QVERIFY(w.document->isModified());
    }

    void theSecondPressOfADoubleClickIsNoPress()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.command(ID_IMAGE_MEASURE_RECT);
        w.press(QPoint(100, 100));
        QTest::mouseDClick(w.viewport, Qt::LeftButton, {}, QPoint(102, 101));
        QCOMPARE(w.points(), 1);
    }

    void theRightButtonDropsATwoPointPolygonAndKeepsAThreePointOne()
    {
        Workspace w(400, 340, QSize(450, 400));
        w.command(ID_IMAGE_MEASURE_POLYLINE);
        w.press(QPoint(120, 200));
        w.press(QPoint(220, 200));
        QCOMPARE(w.points(), 2);
        w.rightClick(QPoint(220, 200));
        QCOMPARE(w.frame->tool(), 0);
        QCOMPARE(w.view->tool().id(), 0);
        QVERIFY(!w.hit(170, 200));

        w.command(ID_IMAGE_MEASURE_POLYLINE);
        w.press(QPoint(120, 250));
        w.press(QPoint(220, 250));
        w.press(QPoint(170, 300));
        w.rightClick(QPoint(170, 300));
        QVERIFY(w.hit(170, 250));
        // Nothing under construction: the right button drops nothing.
        w.command(ID_IMAGE_MEASURE_POLYLINE);
        w.rightClick(QPoint(10, 300));
        QVERIFY(w.hit(170, 250));
    }

    void theRightButtonDropsOnlyTheHalfBuiltFigure()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.command(ID_IMAGE_MESURE_LINE);
        w.press(QPoint(150, 100));
        w.press(QPoint(250, 100));
        // The next line starts on the end point of the first, then is dropped.
        w.press(QPoint(250, 100));
        QCOMPARE(w.points(), 1);
        w.rightClick(QPoint(300, 200));
        QCOMPARE(w.points(), 0);
        QVERIFY(w.hit(200, 100));
    }

    void escapeDropsTheHalfBuiltFigureAndSelects()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.command(ID_IMAGE_MEASURE_CIRCLE2);
        w.press(QPoint(200, 100));
        w.press(QPoint(250, 150));
        QCOMPARE(w.points(), 2);
        w.key(Qt::Key_Escape);
        QCOMPARE(w.points(), 0);
        QCOMPARE(w.frame->tool(), 0);
        QVERIFY(!w.hit(200, 100));
        QVERIFY(!w.hit(250, 150));
    }

    void arrowsMoveTheSelectionOnlyWithTheSelectTool()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.command(ID_IMAGE_MESURE_LINE);
        w.press(QPoint(100, 150));
        w.press(QPoint(200, 150));
        const int scrollBefore = w.view->horizontalScrollBar()->value();
        for (int i = 0; i < 10; ++i)
            w.key(Qt::Key_Right);
        QVERIFY(w.hit(103, 150));
        QCOMPARE(w.view->horizontalScrollBar()->value(), scrollBefore);

        w.command(ID_IMAGE_NORMAL);
        w.press(QPoint(150, 150));
        for (int i = 0; i < 10; ++i)
            w.key(Qt::Key_Right);
        QVERIFY(!w.hit(103, 150));
        QVERIFY(w.hit(205, 150));
    }

    void switchingToolsDropsTheHalfBuiltFigureAndKeepsFinishedOnes()
    {
        Workspace w(400, 300, QSize(450, 350));
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath("switch.mea");
        // Lines, circles, rectangles, ellipses, texts, angles, polygons, after the header.
        auto counts = [&] {
            RASTWriteMeasureFile(w.document->bitmap()->handle(), path.toLocal8Bit().constData());
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            const QByteArray bytes = file.readAll();
            std::vector<int> result;
            for (int i = 0; i < 7; ++i)
                result.push_back(qFromLittleEndian<qint32>(bytes.constData() + 156 + 4 * i));
            return result;
        };
        w.command(ID_IMAGE_MESURE_LINE);
        w.press(QPoint(100, 150));
        w.key(Qt::Key_R);
        QCOMPARE(w.points(), 0);
        QCOMPARE(counts(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0}));

        w.press(QPoint(50, 50));
        w.press(QPoint(80, 80));
        w.command(ID_IMAGE_MEASURE_POLYLINE);
        w.press(QPoint(200, 50));
        w.press(QPoint(250, 50));
        w.command(ID_IMAGE_MEASURE_ANGLE);
        QCOMPARE(counts(), (std::vector<int>{0, 0, 1, 0, 0, 0, 0}));

        // A polygon of three points is whole already; switching finishes it.
        w.command(ID_IMAGE_MEASURE_POLYLINE);
        w.press(QPoint(200, 50));
        w.press(QPoint(250, 50));
        w.press(QPoint(250, 100));
        w.command(ID_IMAGE_MESURE_LINE);
        QCOMPARE(counts(), (std::vector<int>{0, 0, 1, 0, 0, 0, 1}));
        QVERIFY(w.hit(50, 65));
    }

    void aDragWithTheSelectToolMovesWhatWasPressed()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.command(ID_IMAGE_MESURE_LINE);
        w.press(QPoint(100, 150));
        w.press(QPoint(200, 150));
        w.command(ID_IMAGE_NORMAL);
        w.document->setModified(false);
        // Picking a figure is announced, so a results list can follow the selection.
        QSignalSpy selections(w.document.get(), &CImageDoc::selectionChanged);
        QTest::mouseClick(w.viewport, Qt::LeftButton, {}, QPoint(300, 250));
        w.clock.advance(60);
        QCOMPARE(selections.count(), 1); // the new line was selected; the empty spot drops it
        QTest::mousePress(w.viewport, Qt::LeftButton, {}, QPoint(150, 150));
        QCOMPARE(selections.count(), 2);
        w.clock.advance(60);
        moveMouse(w.viewport, QPoint(150, 190), Qt::LeftButton);
        QTest::mouseRelease(w.viewport, Qt::LeftButton, {}, QPoint(150, 190));
        w.clock.advance(60);
        QVERIFY(w.hit(150, 190));
        QVERIFY(!w.hit(150, 150));
        QVERIFY(w.document->isModified());
    }

    void hoveringWritesThePointerPositionIntoPaneTwo()
    {
        Workspace w(800, 600, QSize(320, 260));
        w.scrollTo(100, 50);
        w.hover(QPoint(10, 10));
        QCOMPARE(w.host.paneText[2], QStringLiteral("  X: 110   Y: 60   "));
    }

    void movementsComeThroughAtMostOncePerFiftyMilliseconds()
    {
        Workspace w(400, 300, QSize(450, 350));
        moveMouse(w.viewport, QPoint(10, 20));
        QCOMPARE(w.host.paneText[2], QStringLiteral("  X: 10   Y: 20   "));
        w.clock.advance(30);
        moveMouse(w.viewport, QPoint(30, 40));
        QCOMPARE(w.host.paneText[2], QStringLiteral("  X: 10   Y: 20   "));
        w.clock.advance(30);
        moveMouse(w.viewport, QPoint(50, 60));
        QCOMPARE(w.host.paneText[2], QStringLiteral("  X: 50   Y: 60   "));
    }

    void theMagnifierShowsTheSquareAroundThePointer()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.document->setHideRuler(1);
        w.document->notifyFiguresChanged();
        MagnifierWindow magnifier;
        magnifier.resize(120, 120);
        magnifier.show();
        w.host.setMagnifierWindow(&magnifier);
        w.host.settings.zoomRate = 60;
        w.hover(QPoint(200, 150));
        const QImage picture = magnifier.picture();
        QCOMPARE(picture.size(), QSize(120, 120));
        QCOMPARE(picture.pixel(0, 0) & 0xFFFFFF, patternColour(140, 90));
        QCOMPARE(picture.pixel(119, 119) & 0xFFFFFF, patternColour(259, 209));
        // Near the corner the square stays inside the image.
        w.hover(QPoint(3, 3));
        QCOMPARE(magnifier.picture().pixel(0, 0) & 0xFFFFFF, patternColour(0, 0));
    }

    void theViewShowsTheImageOneToOneAndClearsBesideIt()
    {
        Workspace w(60, 40, QSize(200, 150));
        w.document->setHideRuler(1);
        w.document->notifyFiguresChanged();
        QImage shot = w.viewport->grab().toImage();
        QCOMPARE(shot.pixel(0, 0) & 0xFFFFFF, patternColour(0, 0));
        QCOMPARE(shot.pixel(59, 39) & 0xFFFFFF, patternColour(59, 39));
        QCOMPARE(shot.pixel(33, 17) & 0xFFFFFF, patternColour(33, 17));
        const QRgb base = w.view->palette().color(QPalette::Base).rgb();
        QCOMPARE(shot.pixel(60, 10), base);
        QCOMPARE(shot.pixel(10, 40), base);

        Workspace big(400, 300, QSize(200, 150));
        big.document->setHideRuler(1);
        big.document->notifyFiguresChanged();
        big.scrollTo(100, 50);
        shot = big.viewport->grab().toImage();
        QCOMPARE(shot.pixel(0, 0) & 0xFFFFFF, patternColour(100, 50));
        QCOMPARE(shot.pixel(20, 30) & 0xFFFFFF, patternColour(120, 80));
    }

    void whatARepaintOfTheChangedPartsShowsEqualsAWholeRepaint()
    {
        // 1:1 and zoomed, scrolled: the window shows after each hover, drag and new figure
        // exactly what repainting all of it shows.
        for (const double zoom : {1.0, 2.0, 0.5})
        {
            Workspace w(600, 450, QSize(420, 330));
            w.view->setZoom(zoom, QPoint(0, 0));
            w.scrollTo(zoom > 1 ? 150 : 0, zoom > 1 ? 100 : 0);
            w.settle();
            const int commands[] = {ID_IMAGE_MESURE_LINE, ID_IMAGE_MEASURE_RECT,
                                    ID_IMAGE_MESURE_LINE};
            const QPoint corners[][2] = {
                {{30, 40}, {200, 60}}, {{60, 150}, {250, 260}}, {{220, 30}, {300, 280}}};
            for (int i = 0; i < 3; ++i)
            {
                w.command(commands[i]);
                w.press(corners[i][0]);
                w.press(corners[i][1]);
            }
            w.command(ID_IMAGE_NORMAL);
            auto shown = [&] {
                w.settle();
                QScreen* screen = w.frame->screen();
                const QPoint at = w.viewport->mapToGlobal(QPoint(0, 0));
                return screen
                    ->grabWindow(0, at.x(), at.y(), w.viewport->width(), w.viewport->height())
                    .toImage()
                    .convertToFormat(QImage::Format_RGB32);
            };
            auto wholeRepaint = [&] {
                w.view->repaintWhole();
                return shown();
            };
            const QPoint steps[] = {{120, 50}, {150, 150}, {250, 260}, {260, 150},
                                    {10, 300}, {120, 50},  {200, 60}};
            int step = 0;
            for (const QPoint p : steps)
            {
                w.hover(p);
                const QImage partial = shown();
                QVERIFY(!partial.isNull());
                QVERIFY2(partial == wholeRepaint(),
                         qPrintable(QStringLiteral("zoom %1, hover %2").arg(zoom).arg(step)));
                ++step;
            }
            // A drag of the rectangle's edge, step by step.
            QTest::mousePress(w.viewport, Qt::LeftButton, {}, QPoint(150, 150));
            for (int k = 1; k <= 4; ++k)
            {
                w.clock.advance(60);
                moveMouse(w.viewport, QPoint(150 + 7 * k, 150 + 5 * k), Qt::LeftButton);
                const QImage partial = shown();
                QVERIFY2(partial == wholeRepaint(),
                         qPrintable(QStringLiteral("zoom %1, drag %2").arg(zoom).arg(k)));
            }
            QTest::mouseRelease(w.viewport, Qt::LeftButton, {}, QPoint(178, 170));
            QVERIFY(shown() == wholeRepaint());
        }
    }

    void textIsTypedIntoTheBitmapUntilEnter()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.command(ID_IMAGE_MEASURE_TEXT);
        w.press(QPoint(150, 150));
        QVERIFY(w.view->tool().holdsKeyboard());
        QTest::keyClicks(w.view->textInput(), "Hello");
        QTest::keyClick(w.view->textInput(), Qt::Key_Return);
        QCOMPARE(w.points(), 0);
        QVERIFY(!w.view->tool().holdsKeyboard());
        QVERIFY(w.hit(156, 158));
        // Typing now goes nowhere.
        QTest::keyClicks(w.view->textInput(), "x");
        QCOMPARE(w.points(), 0);
    }

    void lettersPostTheirCommandsToTheFrame()
    {
        Workspace w(200, 150, QSize(250, 200));
        MessageRecorder messages;
        w.key(Qt::Key_L);
        QCOMPARE(w.frame->tool(), int(GT_LINE));
        w.key(Qt::Key_C);
        QCOMPARE(w.frame->tool(), int(GT_CIRCLE_CENTRE));
        w.key(Qt::Key_E);
        QCOMPARE(w.frame->tool(), int(GT_ELLIPSE_BOX));
        w.key(Qt::Key_O);
        w.key(Qt::Key_Z);
        QCOMPARE(w.host.commands, (std::vector<int>{ID_FILE_OPEN, ID_IMAGE_ZOOM}));
        w.key(Qt::Key_V);
        QCOMPARE(w.host.videoRequests, 1);
        QCOMPARE(messages.texts.size(), 1);
        QCOMPARE(messages.texts.first(), QStringLiteral("It has no Video window and please close "
                                                        "this window and connect device first."));
        w.host.hasVideoWindow = true;
        w.key(Qt::Key_V);
        QCOMPARE(messages.texts.size(), 1);
        w.key(Qt::Key_S);
        QCOMPARE(w.host.dialogFilters.size(), 1);
    }

    void chordsOfAShortcutLetterDoNothing()
    {
        Workspace w(200, 150, QSize(250, 200));
        const int before = w.frame->tool();
        QTest::keyClick(w.view, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(w.view, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(w.view, Qt::Key_C, Qt::AltModifier);
        QTest::keyClick(w.view, Qt::Key_E, Qt::MetaModifier);
        w.settle();
        QCOMPARE(w.frame->tool(), before);
        QVERIFY(w.host.commands.empty());
        QVERIFY(w.host.dialogFilters.empty());
        // The bare key, or its upper case, still works after a chord.
        QTest::keyClick(w.view, Qt::Key_L, Qt::ShiftModifier);
        w.settle();
        QCOMPARE(w.frame->tool(), int(GT_LINE));
    }

    void toolsShowTheirNameInPaneSevenAndCheckTheirItem()
    {
        Workspace w(200, 150, QSize(250, 200));
        w.command(ID_IMAGE_MEASURE_ELLIPSE1);
        QCOMPARE(w.view->tool().id(), int(GT_ELLIPSE_CENTRE));
        QCOMPARE(w.host.paneText[7], QStringLiteral("tip 32810"));
        QCOMPARE(w.host.paneColours[7], (std::pair<COLORREF, COLORREF>{13158600, 200}));
        CommandState state;
        QVERIFY(w.frame->updateCommand(ID_IMAGE_MEASURE_ELLIPSE1, state));
        QVERIFY(state.enabled && state.checked);
        QVERIFY(w.frame->updateCommand(ID_IMAGE_NORMAL, state));
        QVERIFY(!state.checked);
        // The ellipse command itself chooses nothing.
        QVERIFY(w.frame->onCommand(ID_IMAGE_MEASURE_ELLIPSE));
        QCOMPARE(w.view->tool().id(), int(GT_ELLIPSE_CENTRE));
        w.command(ID_IMAGE_NORMAL);
        QVERIFY(w.host.paneText[7].isEmpty());
        QCOMPARE(w.view->viewport()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!w.frame->onCommand(ID_IMAGE_SETTINGS_PEN));
        QVERIFY(!w.frame->updateCommand(ID_IMAGE_SETTINGS_PEN, state));
    }

    void deleteRemovesTheSelectionAndDeleteAllEverything()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.command(ID_IMAGE_MESURE_LINE);
        w.press(QPoint(100, 100));
        w.press(QPoint(200, 100));
        w.press(QPoint(100, 200));
        w.press(QPoint(200, 200));
        w.command(ID_IMAGE_NORMAL);
        w.press(QPoint(150, 100));
        QTest::keyClick(w.view, Qt::Key_Delete);
        QCoreApplication::processEvents();
        QCOMPARE(w.frame->tool(), CImageFrame::kToolDeleted);
        CommandState state;
        QVERIFY(w.frame->updateCommand(ID_IMAGE_MEASURE_DELETE, state));
        QVERIFY(state.checked);
        w.settle();
        QCOMPARE(w.frame->tool(), 0);
        QVERIFY(!w.hit(150, 100));
        QVERIFY(w.hit(150, 200));
        // Clear All asks nothing: undo brings the figures back.
        MessageRecorder messages;
        w.command(ID_IMAGE_MEASURE_DELETEALL);
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(!w.hit(150, 200));
        QCOMPARE(w.document->figureCount(), 0);
        w.command(ID_EDIT_UNDO_STEP);
        QVERIFY(w.hit(150, 200));
        QCOMPARE(w.document->figureCount(), 1);
    }

    void anActivatedFrameLaysOutTheStatusBarForImages()
    {
        Workspace w(200, 150, QSize(250, 200));
        w.frame->applyImageStatusBar();
        const int widths[] = {0, 200, 100, 0, 0, 0, 100, 280};
        for (int pane = 0; pane < 8; ++pane)
            QCOMPARE(w.host.paneWidth[pane], (std::pair<int, bool>{widths[pane], pane == 0}));
        QCOMPARE(w.host.paneText[2], QStringLiteral("X: 0  Y: 0"));
        QCOMPARE(w.host.paneText[6], QStringLiteral("tip 32889"));
        for (int pane = 3; pane <= 7; ++pane)
            QCOMPARE(w.host.paneColours[pane], (std::pair<COLORREF, COLORREF>{13158600, 6579300}));
    }

    void closingAsksAndCancelKeepsTheFrame()
    {
        Workspace w(200, 150, QSize(250, 200));
        MessageRecorder messages;
        messages.answers = {kwz::IDCANCEL, kwz::IDNO};
        QVERIFY(!w.frame->close());
        QVERIFY(w.frame->isVisible());
        QVERIFY(w.frame->close());
        QCOMPARE(messages.texts.size(), 2);
    }

    void aFigureToolAsksTheEngineWhatIsBeingBuilt()
    {
        ToolBench b;
        FigureTool angle(b, GT_ANGLE);
        b.click(angle, 100, 100);
        b.click(angle, 150, 150);
        int points = 0;
        QCOMPARE(b.construction(&points), GT_ANGLE);
        QCOMPARE(points, 2);
        b.click(angle, 200, 100);
        QCOMPARE(b.construction(), GT_NULL);
        QCOMPARE(b.touches, 3);
        // A figure ended behind the tool's back is not added to: the next press starts anew.
        b.click(angle, 100, 200);
        RASTFinishGraphic(b.bitmap());
        b.click(angle, 120, 220);
        QCOMPARE(b.construction(&points), GT_ANGLE);
        QCOMPARE(points, 1);
        // A half-built figure of another kind is finished, not continued.
        FigureTool line(b, GT_LINE);
        b.click(line, 10, 250);
        QCOMPARE(b.construction(&points), GT_LINE);
        QCOMPARE(points, 1);
    }

    void escapeAndTheRightButtonCancelAndReturnToSelecting()
    {
        ToolBench b;
        FigureTool rect(b, GT_RECT);
        b.click(rect, 100, 100);
        QVERIFY(rect.key(Qt::Key_Escape));
        QCOMPARE(b.construction(), GT_NULL);
        QVERIFY(!b.hit(100, 100));
        b.click(rect, 100, 100);
        rect.release(Qt::RightButton, POINT{300, 300});
        QCOMPARE(b.construction(), GT_NULL);
        QCOMPARE(b.posted, (std::vector<int>{ID_IMAGE_NORMAL, ID_IMAGE_NORMAL}));
        // A whole figure stays whatever ends the tool.
        b.click(rect, 100, 100);
        b.click(rect, 200, 200);
        rect.cancel();
        QVERIFY(rect.key(Qt::Key_Escape));
        QVERIFY(b.hit(100, 150));
        // Keys that are no tool's go on to the view.
        QVERIFY(!rect.key(Qt::Key_L));
        QVERIFY(rect.key(Qt::Key_Left));
    }

    void aPolygonNeedsThreeVerticesWhateverEndsIt()
    {
        ToolBench b;
        PolygonTool polygon(b);
        // Escape, the right button and a tool switch drop two vertices alike.
        for (int way = 0; way < 3; ++way)
        {
            b.click(polygon, 100, 100 + 40 * way);
            b.click(polygon, 200, 100 + 40 * way);
            if (way == 0)
                polygon.key(Qt::Key_Escape);
            else if (way == 1)
                polygon.release(Qt::RightButton, POINT{0, 0});
            else
                polygon.cancel();
            QCOMPARE(b.construction(), GT_NULL);
            QVERIFY2(!b.hit(150, 100 + 40 * way), qPrintable(QString::number(way)));
        }
        b.click(polygon, 100, 250);
        b.click(polygon, 200, 250);
        b.click(polygon, 150, 290);
        polygon.key(Qt::Key_Escape);
        QVERIFY(b.hit(150, 250));
    }

    void aPolygonFullAtItsLastVertexLetsTheNextPressStartAnother()
    {
        ToolBench b;
        PolygonTool polygon(b);
        for (int v = 0; v < 31; ++v)
            b.click(polygon, 10 + 10 * v, 50 + (v % 2) * 40);
        QCOMPARE(b.construction(), GT_NULL);
        b.click(polygon, 50, 200);
        int points = 0;
        QCOMPARE(b.construction(&points), GT_POLYGON);
        QCOMPARE(points, 1);
    }

    void aTextToolLetsGoOfTheInputWhenItEnds()
    {
        ToolBench b;
        {
            TextTool text(b);
            b.click(text, 150, 150);
            QVERIFY(text.holdsKeyboard());
            b.input.setText("Hi");
            QVERIFY(b.touches >= 2);
            text.cancel();
            QVERIFY(!text.holdsKeyboard());
            QVERIFY(b.hit(152, 156));
            // Typing after the end changes nothing.
            const int touches = b.touches;
            b.input.setText("changed");
            QCOMPARE(b.touches, touches);
            // A new text starts empty: clearing the input reaches no figure.
            b.click(text, 50, 50);
            QVERIFY(b.input.text().isEmpty());
            QCOMPARE(b.construction(), GT_TEXT);
        }
        // A tool that goes away while bound leaves no connection to the input behind.
        b.input.setText("after");
    }

    void aToolSwitchLeavesNoToolStateInTheView()
    {
        Workspace w(400, 300, QSize(450, 350));
        w.command(ID_IMAGE_MEASURE_TEXT);
        w.press(QPoint(150, 150));
        QTest::keyClicks(w.view->textInput(), "Hi");
        w.command(ID_IMAGE_MEASURE_CIRCLE2);
        QVERIFY(!w.view->tool().holdsKeyboard());
        QVERIFY(w.hit(152, 156));
        w.document->setModified(false);
        QTest::keyClicks(w.view->textInput(), "x");
        QVERIFY(!w.document->isModified());
        // The new tool starts from nothing, whatever the one before had placed.
        w.press(QPoint(100, 50));
        QCOMPARE(w.points(), 1);
        QCOMPARE(w.view->tool().id(), int(GT_CIRCLE_3POINTS));
        QCOMPARE(w.view->viewport()->cursor().shape(), Qt::CrossCursor);
    }

    void aPageFitKeepsTheAspectFromTheTopLeft_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("page");
        QTest::addColumn<QSize>("printed");
        QTest::newRow("wide image") << QSize(100, 50) << QSize(1000, 1000) << QSize(1000, 500);
        QTest::newRow("tall image") << QSize(50, 100) << QSize(1000, 1000) << QSize(500, 1000);
        QTest::newRow("same shape") << QSize(100, 100) << QSize(500, 500) << QSize(500, 500);
        QTest::newRow("truncated") << QSize(3, 7) << QSize(100, 100) << QSize(42, 100);
        QTest::newRow("a4") << QSize(2048, 1536) << QSize(4760, 6814) << QSize(4760, 3570);
    }
    void aPageFitKeepsTheAspectFromTheTopLeft()
    {
        QFETCH(QSize, image);
        QFETCH(QSize, page);
        QFETCH(QSize, printed);
        QCOMPARE(printFit(image, page), printed);
    }

    void thePrintTitleNamesFileDateAndScale()
    {
        const QDateTime when(QDate(2026, 3, 5), QTime(14, 2));
        RulerRecord ruler;
        ruler.start = {10, 10};
        ruler.end = {110, 10};
        ruler.unit = ZQ_MM;
        ruler.length = 2.5f;
        QCOMPARE(printTitle("scan.Mea", when, ruler, kLanguageEnglish),
                 QStringLiteral("scan.Mea    2026-03-05 14:02    Scale: 1 px = 0.025 mm"));
        // A slanted ruler counts its length along the line.
        ruler.end = {40, 50};
        ruler.unit = ZQ_UM;
        ruler.length = 100.0f;
        QCOMPARE(printTitle("a%1.bmp", when, ruler, kLanguageChinese),
                 QStringLiteral("a%1.bmp    2026-03-05 14:02    比例：1 像素 = 2 µm"));
        ruler.end = ruler.start;
        QVERIFY(
            printTitle("a.bmp", when, ruler, kLanguageEnglish).endsWith("Scale: not calibrated"));
        ruler.end = {20, 10};
        ruler.length = std::numeric_limits<float>::quiet_NaN();
        QVERIFY(printTitle("a.bmp", when, ruler, kLanguageChineseTraditional).endsWith("未標定"));
        QVERIFY(
            printTitle("a.bmp", when, std::nullopt, kLanguageEnglish).endsWith("not calibrated"));

        // The preview opens at most of the screen, and within it.
        QCOMPARE(printPreviewSize(QSize(1920, 1080)), QSize(1536, 918));
        QCOMPARE(printPreviewSize(QSize(800, 600)), QSize(800, 600));
    }

    void thePageTurnsThePicturesWayAndCarriesTheTitle()
    {
        TempHome home;
        for (const QSize size : {QSize(64, 48), QSize(48, 64)})
        {
            Workspace w(size.width(), size.height(), QSize(100, 100));
            PrintJob job(*w.document, kLanguageEnglish);
            QVERIFY(job.ready());
            QVERIFY(job.title().contains("Scale: "));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(home.path("turned.pdf"));
            job.orientPage(printer);
            QVERIFY(job.print(printer));
            const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Point).size();
            QCOMPARE(paper.width() > paper.height(), size.width() > size.height());
            const QByteArray pdf = home.read("turned.pdf");
            const QRegularExpression box(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
            const QRegularExpressionMatch m = box.match(QString::fromLatin1(pdf));
            QVERIFY(m.hasMatch());
            QCOMPARE(m.captured(1).toDouble() > m.captured(2).toDouble(),
                     size.width() > size.height());
            // The title is text on the page, above the picture.
            QVERIFY(pdf.contains("/Font"));
        }
    }

    void printingToAPdfFileUsesAPrivateTemporaryFileAndRemovesIt()
    {
        TempHome home;
        Workspace w(64, 48, QSize(100, 100));
        QString temporary;
        {
            PrintJob job(*w.document);
            QVERIFY(job.ready());
            temporary = job.temporaryFile();
            QCOMPARE(QFileInfo(temporary).fileName(), QStringLiteral("TMPPrint.bmp"));
            QVERIFY(QFile::exists(temporary));
            const QFileDevice::Permissions folder =
                QFileInfo(QFileInfo(temporary).absolutePath()).permissions();
            QVERIFY(!(folder & (QFileDevice::ReadOther | QFileDevice::WriteOther |
                                QFileDevice::ReadGroup | QFileDevice::WriteGroup)));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(home.path("page.pdf"));
            QVERIFY(job.print(printer));
        }
        QVERIFY(!QFile::exists(temporary));
        const QByteArray pdf = home.read("page.pdf");
        QVERIFY(pdf.startsWith("%PDF"));
        // The picture goes onto the page at its own resolution.
        QVERIFY(pdf.contains("/Width 64"));
        QVERIFY(pdf.contains("/Height 48"));
    }
};

std::unique_ptr<QObject> makeImageViewTest()
{
    return std::make_unique<ImageViewTest>();
}

#include "image_view_test.moc"
