// Zoom of the image view: the ladder, its keys and the wheel, the point under the pointer, and
// measuring, hitting and dragging in image pixels at every factor.

#include <QCoreApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <memory>

#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/image_view.h"
#include "app/image/magnifier_window.h"
#include "app/image/zoom_ladder.h"
#include "app/shell/command_ids.h"
#include "image_test_support.h"
#include "platform/testing/fake_clock.h"
#include "test_support.h"
#include "window_keys.h"

using namespace cmd;

namespace {

struct ZoomWorkspace
{
    ZoomWorkspace(int width, int height, QSize window) : clock(1000)
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
        settle();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    void hidePictureFigures()
    {
        document->setHideRuler(1);
        document->notifyFiguresChanged();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(view, key, modifiers);
        settle();
    }
    void wheel(QPoint client, int delta, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QWheelEvent event(QPointF(client), QPointF(viewport->mapToGlobal(client)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewport, &event);
    }
    void scrollTo(int x, int y)
    {
        view->horizontalScrollBar()->setValue(x);
        view->verticalScrollBar()->setValue(y);
    }
    // A click on an image point, scrolled into sight first.
    void clickImage(QPoint imagePoint)
    {
        const QPoint shown = view->toClient(imagePoint) + view->scrollPosition();
        scrollTo(shown.x() - 40, shown.y() - 40);
        const QPoint client = view->toClient(imagePoint);
        QTest::mousePress(viewport, Qt::LeftButton, {}, client);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, client);
        clock.advance(100);
    }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        clock.advance(60);
        moveMouse(viewport, to, Qt::LeftButton);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        clock.advance(60);
    }
    void command(int id)
    {
        QVERIFY(frame->onCommand(id));
        settle();
    }
    void* bitmap() const { return document->bitmap()->handle(); }
    bool hit(QPoint p) { return RASTIsHitGraphic(bitmap(), p.x(), p.y()) == RAST_OK; }
    GTFIGUREVALUES values(int index)
    {
        GTFIGUREVALUES v{};
        RASTGetFigureValues(bitmap(), index, &v);
        return v;
    }

    FakeImageWorkspace host;
    kwz::FakeClock clock;
    std::unique_ptr<CImageDoc> document;
    std::unique_ptr<CImageFrame> frame;
    CImageView* view = nullptr;
    QWidget* viewport = nullptr;
};

// Every image point where the engine finds something to pick; the selection is let go again.
std::vector<bool> hitMap(ZoomWorkspace& w, QSize image)
{
    std::vector<bool> map(size_t(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            map[size_t(y) * image.width() + x] = w.hit(QPoint(x, y));
    RASTSelectFigure(w.bitmap(), -1);
    return map;
}

// The box of a line's label: points hit now, not hit in `before` (the ruler and its label),
// and away from the line at row `lineY`.
QRect labelBox(ZoomWorkspace& w, QSize image, const std::vector<bool>& before, int lineY)
{
    const std::vector<bool> now = hitMap(w, image);
    QRect box;
    for (int y = 0; y < image.height(); ++y)
    {
        if (std::abs(y - lineY) < 10)
            continue;
        for (int x = 0; x < image.width(); ++x)
        {
            const size_t i = size_t(y) * image.width() + x;
            if (now[i] && !before[i])
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

class ZoomTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void theLadderRunsFromASixteenthToThirtyTwoAndStopsAtItsEnds()
    {
        const auto steps = ZoomLadder::steps();
        QCOMPARE(steps.front(), 1.0 / 16);
        QCOMPARE(steps.back(), 32.0);
        double factor = 1.0;
        int up = 0;
        while (factor < 32.0 && up < 100)
        {
            const double next = ZoomLadder::stepIn(factor);
            QVERIFY(next > factor);
            factor = next;
            ++up;
        }
        QCOMPARE(up, 10);
        QCOMPARE(ZoomLadder::stepIn(32.0), 32.0);
        int down = 0;
        while (factor > 1.0 / 16 && down < 100)
        {
            factor = ZoomLadder::stepOut(factor);
            ++down;
        }
        QCOMPARE(down, int(steps.size()) - 1);
        QCOMPARE(ZoomLadder::stepOut(1.0 / 16), 1.0 / 16);
        // A fitted factor between steps goes to its neighbours.
        QCOMPARE(ZoomLadder::stepIn(0.47), 0.5);
        QCOMPARE(ZoomLadder::stepOut(0.47), 1.0 / 3);
        // A factor a rounding away from a step counts as on it.
        QCOMPARE(ZoomLadder::stepIn(2.0 / 3 * (1 + 1e-12)), 1.0);
        QCOMPARE(ZoomLadder::bounded(1000.0), 32.0);
        QCOMPARE(ZoomLadder::bounded(0.0), 1.0 / 16);
        QCOMPARE(ZoomLadder::bounded(std::nan("")), 1.0);
    }

    void thePercentTextKeepsThreeDigitsBelowOneHundred_data()
    {
        QTest::addColumn<double>("factor");
        QTest::addColumn<QString>("text");
        QTest::newRow("1/16") << 1.0 / 16 << "6.25%";
        QTest::newRow("1/12") << 1.0 / 12 << "8.33%";
        QTest::newRow("2/3") << 2.0 / 3 << "66.7%";
        QTest::newRow("1") << 1.0 << "100%";
        QTest::newRow("1.5") << 1.5 << "150%";
        QTest::newRow("32") << 32.0 << "3200%";
    }
    void thePercentTextKeepsThreeDigitsBelowOneHundred()
    {
        QFETCH(double, factor);
        QFETCH(QString, text);
        QCOMPARE(ZoomLadder::percentText(factor), text);
    }

    void keysZoomInOutToActualSizeAndToTheWindow()
    {
        ZoomWorkspace w(400, 300, QSize(300, 250));
        QCOMPARE(w.view->zoom(), 1.0);
        w.key(Qt::Key_Plus);
        QCOMPARE(w.view->zoom(), 1.5);
        w.key(Qt::Key_Equal);
        QCOMPARE(w.view->zoom(), 2.0);
        QCOMPARE(w.view->shownSize(), QSize(800, 600));
        QCOMPARE(w.view->horizontalScrollBar()->maximum(), 800 - w.viewport->width());
        w.key(Qt::Key_Minus);
        w.key(Qt::Key_Minus);
        w.key(Qt::Key_Minus);
        QCOMPARE(w.view->zoom(), 2.0 / 3);
        w.key(Qt::Key_0);
        QCOMPARE(w.view->zoom(), 1.0);
        // Letters without Ctrl stay tools; a digit without Ctrl zooms nothing.
        w.key(Qt::Key_0, Qt::NoModifier);
        QCOMPARE(w.view->zoom(), 1.0);
        w.key(Qt::Key_9);
        const QSize shown = w.view->shownSize();
        QVERIFY(w.view->zoom() < 1.0);
        QVERIFY(shown.width() <= w.viewport->width() && shown.height() <= w.viewport->height());
        // One side fills the window.
        QVERIFY(shown.width() >= w.viewport->width() - 1 ||
                shown.height() >= w.viewport->height() - 1);
        QVERIFY(!w.view->horizontalScrollBar()->isVisible());
        QVERIFY(!w.view->verticalScrollBar()->isVisible());
    }

    void theZoomShowsInPaneOneBesideTheSize()
    {
        ZoomWorkspace w(400, 300, QSize(300, 250));
        w.frame->applyImageStatusBar();
        // At 100 % the pane keeps its usual text.
        QCOMPARE(w.host.paneText[1], QStringLiteral("width:400 height:300"));
        w.command(ID_VIEW_ZOOM_IN);
        w.command(ID_VIEW_ZOOM_IN);
        w.command(ID_VIEW_ZOOM_IN);
        QCOMPARE(w.host.paneText[1], QStringLiteral("width:400 height:300  300%"));
        w.command(ID_VIEW_ACTUAL_SIZE);
        QCOMPARE(w.host.paneText[1], QStringLiteral("width:400 height:300"));
        w.host.language = 0;
        w.command(ID_VIEW_ZOOM_OUT);
        QCOMPARE(w.host.paneText[1], QStringLiteral("宽:400 高:300  66.7%"));
    }

    void theEndsOfTheLadderDisableTheirCommand()
    {
        ZoomWorkspace w(400, 300, QSize(300, 250));
        CommandState state;
        for (int i = 0; i < 30; ++i)
            w.view->zoomIn();
        QCOMPARE(w.view->zoom(), 32.0);
        QVERIFY(w.frame->updateCommand(ID_VIEW_ZOOM_IN, state));
        QVERIFY(!state.enabled);
        QVERIFY(w.frame->updateCommand(ID_VIEW_ZOOM_OUT, state));
        QVERIFY(state.enabled);
        for (int i = 0; i < 30; ++i)
            w.view->zoomOut();
        QCOMPARE(w.view->zoom(), 1.0 / 16);
        QVERIFY(w.frame->updateCommand(ID_VIEW_ZOOM_OUT, state));
        QVERIFY(!state.enabled);
    }

    void aCtrlWheelZoomsInWholeNotchesAPlainWheelScrolls()
    {
        ZoomWorkspace w(800, 600, QSize(300, 250));
        w.wheel(QPoint(50, 50), 120);
        QCOMPARE(w.view->zoom(), 1.5);
        // Half notches add up to one step.
        w.wheel(QPoint(50, 50), 60);
        QCOMPARE(w.view->zoom(), 1.5);
        w.wheel(QPoint(50, 50), 60);
        QCOMPARE(w.view->zoom(), 2.0);
        w.wheel(QPoint(50, 50), -240);
        QCOMPARE(w.view->zoom(), 1.0);
        const int before = w.view->verticalScrollBar()->value();
        w.wheel(QPoint(50, 50), -120, Qt::NoModifier);
        QCOMPARE(w.view->zoom(), 1.0);
        QVERIFY(w.view->verticalScrollBar()->value() > before);
    }

    void thePictureUnderThePointerStaysUnderIt()
    {
        ZoomWorkspace w(3000, 2000, QSize(400, 320));
        w.scrollTo(1200, 800);
        const QPoint pointer(123, 77);
        const QPoint before = w.view->toImage(pointer);
        QCOMPARE(before, QPoint(1323, 877));
        // Up the ladder to 32 and down to a sixteenth, one notch at a time; at each factor the
        // point under the pointer is the one it was, to within one window pixel.
        for (int notch : {120,  120,  120,  120,  120,  120,  120,  120,  120,  120,
                          -120, -120, -120, -120, -120, -120, -120, -120, -120, -120,
                          -120, -120, -120, -120, -120, -120, -120, -120, -120})
        {
            w.wheel(pointer, notch);
            const double tolerance = std::max(1.0, 1.0 / w.view->zoom());
            const QPoint now = w.view->toImage(pointer);
            // At the end of its scroll range a side cannot scroll on to keep the point.
            auto free = [](const QScrollBar* bar) {
                return bar->value() > bar->minimum() && bar->value() < bar->maximum();
            };
            const bool pinnedX = free(w.view->horizontalScrollBar());
            const bool pinnedY = free(w.view->verticalScrollBar());
            QVERIFY2(
                (!pinnedX || std::abs(now.x() - before.x()) <= tolerance) &&
                    (!pinnedY || std::abs(now.y() - before.y()) <= tolerance),
                qPrintable(
                    QStringLiteral("%1: %2,%3").arg(w.view->zoom()).arg(now.x()).arg(now.y())));
        }
        QCOMPARE(w.view->zoom(), 1.0 / 16);
    }

    void theWindowShowsTheImagePixelThatAPointMapsTo_data()
    {
        QTest::addColumn<double>("factor");
        QTest::newRow("1/4") << 0.25;
        QTest::newRow("2/3") << 2.0 / 3;
        QTest::newRow("1.5") << 1.5;
        QTest::newRow("4") << 4.0;
        QTest::newRow("32") << 32.0;
    }
    void theWindowShowsTheImagePixelThatAPointMapsTo()
    {
        QFETCH(double, factor);
        ZoomWorkspace w(400, 300, QSize(360, 280));
        w.hidePictureFigures();
        w.view->setZoom(factor, QPoint(0, 0));
        w.scrollTo(37, 21);
        const QImage shot = w.viewport->grab().toImage();
        const QSize shown = w.view->shownSize();
        const QPoint scroll = w.view->scrollPosition();
        const QRgb base = w.view->palette().color(QPalette::Base).rgb();
        for (int y = 0; y < shot.height(); y += 7)
            for (int x = 0; x < shot.width(); x += 5)
            {
                const bool onImage =
                    x + scroll.x() < shown.width() && y + scroll.y() < shown.height();
                const QPoint p = w.view->toImage(QPoint(x, y));
                const unsigned expected = onImage ? patternColour(p.x(), p.y()) : base & 0xFFFFFF;
                if ((shot.pixel(x, y) & 0xFFFFFF) != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
    }

    void aLineDrawnAtAnyZoomMeasuresTheSame()
    {
        std::vector<float> lengths;
        for (double factor : {1.0, 4.0, 0.25, 2.0 / 3})
        {
            ZoomWorkspace w(400, 300, QSize(360, 280));
            w.view->setZoom(factor, QPoint(0, 0));
            w.command(ID_IMAGE_MESURE_LINE);
            w.clickImage(QPoint(40, 60));
            w.clickImage(QPoint(280, 160));
            w.command(ID_IMAGE_NORMAL);
            const GTFIGUREVALUES v = w.values(0);
            QCOMPARE(v.kind, GT_LINE);
            lengths.push_back(v.values[GT_VALUE_LENGTH]);
        }
        QVERIFY(lengths[0] > 0);
        for (float length : lengths)
            QCOMPARE(length, lengths[0]);
    }

    void aPressAtZoomHitsAndDragsInImagePixels()
    {
        ZoomWorkspace w(400, 300, QSize(360, 280));
        w.command(ID_IMAGE_MESURE_LINE);
        w.clickImage(QPoint(40, 100));
        w.clickImage(QPoint(240, 100));
        w.command(ID_IMAGE_NORMAL);
        const GTFIGUREVALUES before = w.values(0);
        w.view->setZoom(4.0, QPoint(0, 0));
        w.scrollTo(400, 300);
        // A point on the line, in the window at 400 %.
        // A click on an empty spot lets go of the new line.
        QTest::mouseClick(w.viewport, Qt::LeftButton, {}, w.view->toClient(QPoint(140, 125)));
        w.clock.advance(100);
        const QPoint grip = w.view->toClient(QPoint(140, 100)) + QPoint(2, 2);
        QVERIFY(w.viewport->rect().contains(grip + QPoint(20, 48)));
        int selected = 0;
        RASTGetSelectedFigure(w.bitmap(), &selected);
        QCOMPARE(selected, -1);
        // A click eight window pixels off the line, two image pixels, still takes it.
        QSignalSpy selections(w.document.get(), &CImageDoc::selectionChanged);
        QTest::mouseClick(w.viewport, Qt::LeftButton, {}, grip + QPoint(0, 8));
        w.clock.advance(100);
        QCOMPARE(selections.count(), 1);
        // Twenty window pixels right and forty down are five and ten image pixels.
        w.drag(grip, grip + QPoint(20, 40));
        RASTGetSelectedFigure(w.bitmap(), &selected);
        QCOMPARE(selected, 0);
        const GTFIGUREVALUES after = w.values(0);
        QCOMPARE(after.values[GT_VALUE_X] - before.values[GT_VALUE_X],
                 after.values[GT_VALUE_X2] - before.values[GT_VALUE_X2]);
        QCOMPARE(after.values[GT_VALUE_LENGTH], before.values[GT_VALUE_LENGTH]);
        QVERIFY(w.hit(QPoint(145, 110)));
        QVERIFY(!w.hit(QPoint(145, 100)));
        // A miss by more than the engine's reach in image pixels, though only a few window
        // pixels at 400 %, selects nothing.
        w.view->setZoom(0.25, QPoint(0, 0));
        const QPoint off = w.view->toClient(QPoint(145, 140));
        QTest::mouseClick(w.viewport, Qt::LeftButton, {}, off);
        RASTGetSelectedFigure(w.bitmap(), &selected);
        QCOMPARE(selected, -1);
    }

    void aLabelDraggedAtZoomMovesByImagePixels()
    {
        const QSize image(400, 300);
        ZoomWorkspace w(image.width(), image.height(), QSize(360, 280));
        const std::vector<bool> ruler = hitMap(w, image);
        w.command(ID_IMAGE_MESURE_LINE);
        w.clickImage(QPoint(60, 150));
        w.clickImage(QPoint(260, 150));
        w.command(ID_IMAGE_NORMAL);
        const GTFIGUREVALUES line = w.values(0);
        const QRect label = labelBox(w, image, ruler, 150);
        QVERIFY(!label.isEmpty());
        // A point of the label: the bottom row's first.
        QPoint point;
        for (int x = label.left(); x <= label.right() && point.isNull(); ++x)
            if (w.hit(QPoint(x, label.bottom())))
                point = QPoint(x, label.bottom());
        RASTSelectFigure(w.bitmap(), -1);
        w.view->setZoom(4.0, QPoint(0, 0));
        w.scrollTo(point.x() * 4 - 100, point.y() * 4 - 100);
        const QPoint grip = w.view->toClient(point) + QPoint(1, 1);
        w.drag(grip, grip + QPoint(-24, 40));
        const QRect moved = labelBox(w, image, ruler, 150);
        QCOMPARE(moved.left(), label.left() - 6);
        QCOMPARE(moved.bottom(), label.bottom() + 10);
        // The line stays where it was.
        const GTFIGUREVALUES now = w.values(0);
        QCOMPARE(now.values[GT_VALUE_X], line.values[GT_VALUE_X]);
        QCOMPARE(now.values[GT_VALUE_Y], line.values[GT_VALUE_Y]);
        QCOMPARE(now.values[GT_VALUE_X2], line.values[GT_VALUE_X2]);
    }

    void theMagnifierFollowsTheImagePointAtZoom()
    {
        ZoomWorkspace w(400, 300, QSize(450, 350));
        w.hidePictureFigures();
        MagnifierWindow magnifier;
        magnifier.resize(120, 120);
        magnifier.show();
        w.host.setMagnifierWindow(&magnifier);
        w.host.settings.zoomRate = 60;
        w.view->setZoom(2.0, QPoint(0, 0));
        w.clock.advance(60);
        moveMouse(w.viewport, QPoint(300, 200));
        QCOMPARE(w.host.paneText[2], QStringLiteral("  X: 150   Y: 100   "));
        const QImage picture = magnifier.picture();
        QCOMPARE(picture.pixel(0, 0) & 0xFFFFFF, patternColour(90, 40));
        QCOMPARE(picture.pixel(119, 119) & 0xFFFFFF, patternColour(209, 159));
    }
};

std::unique_ptr<QObject> makeZoomTest()
{
    return std::make_unique<ZoomTest>();
}

#include "zoom_test.moc"
