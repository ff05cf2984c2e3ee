// Image windows in the running program: every way a file arrives, what a window gets when it
// comes to the front, the image bars against the measurement settings, the view under real
// mouse and key events, and the question about unsaved changes when the program closes.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <functional>

#include "app/bars/magnifier_bar.h"
#include "app/bars/pen_bar.h"
#include "app/bars/ruler_bar.h"
#include "app/bars/ruler_measure_bar.h"
#include "app/bars/text_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/pen_style_combo.h"
#include "app/controls/sp_status_bar.h"
#include "app/documents/doc_template.h"
#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/image_view.h"
#include "app/image/image_workspace.h"
#include "app/image/ruler_file.h"
#include "app/live/video_frame.h"
#include "app/shell/command_ids.h"
#include "app/shell/status_panes.h"
#include "app_run.h"
#include "image_test_support.h"
#include "platform/clock.h"
#include "platform/testing/fake_clock.h"
#include "test_support.h"

using namespace cmd;

namespace {

CImageFrame* activeImage(Run& run)
{
    return dynamic_cast<CImageFrame*>(run.frame()->client()->activeSubWindow());
}

size_t imageCount(Run& run)
{
    return run.app.documents().imageTemplate()->documents().size();
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Answers the next file dialog with a path, as a user typing it would.
// A measurement file of a plain picture calibrated with the ruler given.
bool writeMeasureFile(const QString& path, POINT start, POINT end, ZQUNIT unit, float length)
{
    const std::vector<BYTE> rows = patternRows(200, 150);
    void* object = nullptr;
    RASTInitialize(&object);
    RASTReadPixels(object, rows.data(), 200, 150, 24);
    RASTSetRuler(object, start, end, unit, length);
    const bool written =
        RASTWriteMeasureFile(object, QFile::encodeName(path).constData()) == RAST_OK;
    RASTUnInitialize(&object);
    return written;
}

struct Ruler
{
    POINT start, end;
    ZQUNIT unit;
    float length;
};
Ruler rulerOf(CImageDoc& document)
{
    Ruler r{};
    RASTGetRuler(document.bitmap()->handle(), &r.start, &r.end, &r.unit, &r.length);
    return r;
}

int precisionOf(CImageDoc& document)
{
    short precision = -1;
    RASTGetPrecision(document.bitmap()->handle(), &precision);
    return precision;
}

// The user picks the entry below the current one with the keyboard.
void pickNext(QComboBox* combo)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    settle();
}

} // namespace

class ImageWorkspaceTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void everyWayAFileArrivesOpensItOrNamesItInAMessage()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writePatternBmp(home.path("first.BMP"), 64, 48));
        QVERIFY(writePatternBmp(home.path("second.kwz"), 64, 48));
        QVERIFY(writePatternBmp(home.path("third.bmp"), 64, 48));
        home.write("photo.jpg", "\xFF\xD8\xFF\xE0 not a bitmap");
        Run run({home.path("first.BMP")});
        QVERIFY(run.started);
        QCOMPARE(imageCount(run), size_t(1));
        MessageRecorder messages;

        // File Open, through its dialog (answered here, as the user would).
        QString answer;
        QString filterShown;
        run.app.setOpenFileChooser([&](QWidget*, const QString&, const QString& filter) {
            filterShown = filter;
            return answer;
        });
        answer = home.path("photo.jpg");
        run.frame()->action(ID_FILE_OPEN)->trigger();
        QVERIFY(filterShown.contains("*.bmp") && filterShown.contains("*.Mea") &&
                filterShown.contains("*.kwz"));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.first().startsWith(home.path("photo.jpg") + " is a JPEG picture."));
        QVERIFY(messages.texts.first().contains("Import Picture"));
        answer = home.path("second.kwz");
        run.frame()->action(ID_FILE_OPEN)->trigger();
        QCOMPARE(imageCount(run), size_t(2));
        QCOMPARE(activeImage(run)->windowTitle(), QStringLiteral("second.kwz"));

        // A dropped file that is no picture says so too.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(home.path("photo.jpg"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(run.frame(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(run.frame(), &drop);
        QCOMPARE(messages.texts.size(), 2);
        QCOMPARE(imageCount(run), size_t(2));

        // A second start hands its file to this one and ends, its work done.
        QProcess second;
        second.start(KWZVIEW_BINARY, {home.path("third.bmp")});
        QVERIFY(second.waitForStarted());
        QTRY_COMPARE(imageCount(run), size_t(3));
        QTRY_COMPARE(second.state(), QProcess::NotRunning);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(activeImage(run)->document().pathName(), home.path("third.bmp"));
    }

    void cascadedWindowsShowTheirPictureAsFarAsTheClientAreaAllows()
    {
        TempHome home;
        QVERIFY(writePatternBmp(home.path("small.bmp"), 300, 200));
        QVERIFY(writePatternBmp(home.path("large.bmp"), 3000, 2000));
        Run run({home.path("small.bmp")});
        QVERIFY(run.started);
        run.app.setOpenFileChooser(
            [&](QWidget*, const QString&, const QString&) { return home.path("large.bmp"); });
        run.frame()->action(ID_FILE_OPEN)->trigger();
        QCOMPARE(imageCount(run), size_t(2));
        run.frame()->resize(1200, 900);
        settle();
        run.frame()->client()->cascadeSubWindows();
        settle();
        const QSize room = run.frame()->client()->viewport()->size();
        for (QMdiSubWindow* window : run.frame()->client()->subWindowList())
        {
            auto* image = dynamic_cast<CImageFrame*>(window);
            QVERIFY(image != nullptr);
            if (image->document().pathName().endsWith(QLatin1String("small.bmp")))
            {
                // Once its scroll bars have gone, the picture shows whole.
                QTRY_COMPARE(image->view()->viewport()->size(), QSize(300, 200));
                continue;
            }
            const QSize shown = image->view()->viewport()->size();
            QVERIFY2(shown.width() >= room.width() / 2 && shown.height() >= room.height() / 2,
                     qPrintable(QStringLiteral("%1x%2 in %3x%4")
                                    .arg(shown.width())
                                    .arg(shown.height())
                                    .arg(room.width())
                                    .arg(room.height())));
        }
    }

    void aWindowBehindShowsItsFiguresAfterGivingItsWorkingPictureBack()
    {
        TempHome home;
        QVERIFY(writePatternBmp(home.path("first.bmp"), 400, 300));
        QVERIFY(writePatternBmp(home.path("second.bmp"), 400, 300));
        Run run({home.path("first.bmp")});
        QVERIFY(run.started);
        CImageFrame* first = activeImage(run);
        QVERIFY(first != nullptr);
        void* bitmap = first->document().bitmap()->handle();
        RASTStartGraphic(bitmap, POINT{40, 40}, GT_LINE);
        RASTAddPointToGraphic(bitmap, POINT{300, 200});
        RASTFinishGraphic(bitmap);
        first->view()->viewport()->update();
        settle();
        const QImage before = first->view()->viewport()->grab().toImage();
        const QString shown = home.path("shown.bmp");
        QVERIFY(first->document().bitmap()->writeFile(shown, true));

        run.app.setOpenFileChooser(
            [&](QWidget*, const QString&, const QString&) { return home.path("second.bmp"); });
        run.frame()->action(ID_FILE_OPEN)->trigger();
        settle();
        QVERIFY(activeImage(run) != first);
        // Behind, it is painted afresh and saved with its figures, the same pixels as before.
        const QImage after = first->view()->viewport()->grab().toImage();
        QCOMPARE(after.size(), before.size());
        QVERIFY(after == before);
        const QString behind = home.path("behind.bmp");
        QVERIFY(first->document().bitmap()->writeFile(behind, true));
        QFile a(shown), b(behind);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QVERIFY(a.readAll() == b.readAll());
    }

    void aWindowComingForwardTakesTheRulerBarsRulerAndPrecision()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n[User]\nnRulerIndex=2\nnPrecision=3\n");
        QDir().mkpath(home.path("Rulers"));
        QVERIFY(writeRulerFile(home.path("Rulers/Scale.ruler").toStdString(),
                               RulerRecord{{0, 0}, {200, 0}, ZQ_MM, 2.0f}));
        QVERIFY(writePatternBmp(home.path("plain.bmp"), 300, 200));
        QVERIFY(writeMeasureFile(home.path("kept.Mea"), {10, 10}, {110, 10}, ZQ_CM, 5.0f));
        Run run({home.path("plain.bmp")});
        QVERIFY(run.started);
        // The program's own rulers were written beside the user's.
        QVERIFY(QFile::exists(home.path("Rulers/RulerDefault.ruler")));
        QVERIFY(QFile::exists(home.path("Rulers/Ruler.ruler")));
        QCOMPARE(run.frame()->bars().ruler->rulers()->currentText(), QStringLiteral("Scale"));

        CImageFrame* plain = activeImage(run);
        QVERIFY(plain != nullptr);
        Ruler ruler = rulerOf(plain->document());
        QCOMPARE(ruler.end.x, 200);
        QCOMPARE(ruler.unit, ZQ_MM);
        QCOMPARE(ruler.length, 2.0f);
        QCOMPARE(precisionOf(plain->document()), 3);
        QVERIFY(!plain->document().isModified());
        QCOMPARE(run.frame()->settings().selectedRulerFileName, std::string("Scale"));

        // A measurement file keeps the ruler it was measured with, and the bars show it.
        QVERIFY(run.app.openDocumentFile(home.path("kept.Mea")) != nullptr);
        CImageFrame* kept = activeImage(run);
        QVERIFY(kept != plain);
        ruler = rulerOf(kept->document());
        QCOMPARE(ruler.end.x, 110);
        QCOMPARE(ruler.unit, ZQ_CM);
        QCOMPARE(ruler.length, 5.0f);
        QCOMPARE(precisionOf(kept->document()), 3);
        RulerMeasureBar* define = run.frame()->bars().rulerMeasure;
        QCOMPARE(define->length()->text(), QStringLiteral("5."));
        QCOMPARE(define->rulerUnit()->currentIndex(), int(ZQ_CM) - 1);

        // Back and forth: the bitmap takes the bar's ruler again, the file keeps its own.
        RASTSetRuler(plain->document().bitmap()->handle(), {1, 1}, {50, 1}, ZQ_MM, 9.0f);
        run.frame()->client()->setActiveSubWindow(plain);
        QCOMPARE(rulerOf(plain->document()).end.x, 200);
        run.frame()->client()->setActiveSubWindow(kept);
        QCOMPARE(rulerOf(kept->document()).end.x, 110);
    }

    void barControlsReachTheSettingsAndTheSettingsReachTheBars()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writePatternBmp(home.path("plain.bmp"), 300, 200));
        Run run({home.path("plain.bmp")});
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        CImageDoc& document = activeImage(run)->document();
        FrameSettings& settings = frame->settings();
        frame->action(ID_IMAGE_SETTINGS_RULER)->trigger();
        RulerMeasureBar* define = frame->bars().rulerMeasure;
        QVERIFY(define->isVisible());

        // Calibration: length, ruler unit, measure unit, apply.
        define->length()->clear();
        QTest::keyClicks(define->length(), "2.54");
        define->rulerUnit()->setCurrentIndex(-1);
        pickNext(define->rulerUnit()); // millimetre, the list's first entry
        pickNext(define->measureUnit());
        QCOMPARE(settings.measureUnitIndex, int(ZQ_MM));
        QCOMPARE(frame->bars().ruler->measureUnit()->currentIndex(), int(ZQ_MM));
        QTest::mouseClick(define->control<QPushButton>(IDC_MRULER_APPLY), Qt::LeftButton);
        ZQUNIT unit = ZQ_UM;
        float length = 0;
        RASTGetRulerUnitAndLength(document.bitmap()->handle(), &unit, &length);
        QCOMPARE(unit, ZQ_MM);
        QCOMPARE(length, 2.54f);
        QCOMPARE(settings.rulerLength, 2.54f);
        QVERIFY(document.isModified());

        // Precision in one list shows in the other.
        pickNext(define->precision());
        QCOMPARE(settings.precision, 3);
        QCOMPARE(precisionOf(document), 3);
        QCOMPARE(frame->bars().ruler->precision()->currentIndex(), 3);

        QTest::mouseClick(define->hideRuler(), Qt::LeftButton);
        QCOMPARE(document.hideRuler(), 1);

        // Pen and text pickers.
        PenBar* pen = frame->bars().pen;
        pickNext(pen->normalColour());
        QCOMPARE(settings.penNormalColorIndex, 6);
        int style = 0, width = 0;
        COLORREF normal = 0, hovered = 0, selected = 0;
        RASTGetMeasurePen(document.bitmap()->handle(), &style, &width, &normal, &hovered,
                          &selected);
        QCOMPARE(normal, CPenStyleCombo::colourAt(6));
        pickNext(frame->bars().text->size());
        QCOMPARE(settings.fontSizeIndex, 9);

        // The magnifier's radius.
        QSpinBox* radius = frame->bars().magnifier->radius();
        radius->setFocus();
        QTest::keyClick(radius, Qt::Key_Up);
        QCOMPARE(settings.zoomRate, 21);

        // A ruler saved under a name lists in both bars; deleting it goes back to the default.
        define->name()->clear();
        QTest::keyClicks(define->name(), "Mine");
        QTest::mouseClick(define->control<QPushButton>(IDC_MRULER_SAVE), Qt::LeftButton);
        QCOMPARE(QFileInfo(home.path("Rulers/Mine.ruler")).size(), qint64(kRulerFileSize));
        QVERIFY(define->rulers()->findText("Mine") >= 0);
        QVERIFY(frame->bars().ruler->rulers()->findText("Mine") >= 0);
        define->rulers()->setCurrentIndex(define->rulers()->findText("Mine"));
        QTest::mouseClick(define->control<QPushButton>(IDC_MRULER_DELETE), Qt::LeftButton);
        QVERIFY(!QFile::exists(home.path("Rulers/Mine.ruler")));
        QCOMPARE(define->rulers()->currentText(), QStringLiteral("RulerDefault"));
        QVERIFY(define->name()->text().isEmpty());

        MessageRecorder messages;
        QTest::mouseClick(define->control<QPushButton>(IDC_MRULER_DELETE), Qt::LeftButton);
        QCOMPARE(messages.texts,
                 QStringList{
                     QStringLiteral("You must not delete the Ruler that defined by the system !")});
        QVERIFY(QFile::exists(home.path("Rulers/RulerDefault.ruler")));
    }

    void theViewInTheProgramMeasuresAndReportsOnTheBars()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writePatternBmp(home.path("plain.bmp"), 400, 300));
        kwz::FakeClock clock(5000);
        Run run({home.path("plain.bmp")});
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        CImageFrame* image = activeImage(run);
        CImageView* view = image->view();
        QWidget* viewport = view->viewport();
        CSPStatusBar* status = frame->statusBarControl();
        QVERIFY(!status->isHidden());
        QCOMPARE(status->paneText(kPanePointer), QStringLiteral("X: 0  Y: 0"));
        for (int pane : {kPaneFrameRate, kPaneAoi, kPaneHighQuality})
            QCOMPARE(status->paneRect(pane).width(), 0);
        QVERIFY(!frame->imageToolBar()->isHidden());
        // Print setup chooses for every later print.
        QVERIFY(frame->action(ID_FILE_PRINT_SETUP)->isEnabled());
        QVERIFY(frame->images()->printer() == frame->images()->printer());

        view->setFocus();
        QTest::keyClick(view, Qt::Key_L);
        QTRY_VERIFY(frame->action(ID_IMAGE_MESURE_LINE)->isChecked());
        QCOMPARE(viewport->cursor().shape(), Qt::CrossCursor);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
        clock.advance(100);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(110, 10));
        QVERIFY(RASTIsHitGraphic(image->document().bitmap()->handle(), 60, 10) == RAST_OK);
        clock.advance(60);
        moveMouse(viewport, QPoint(110, 60));
        QCOMPARE(status->paneText(kPanePointer), QStringLiteral("  X: 110   Y: 60   "));
        QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(110, 60));
        QTRY_VERIFY(frame->action(ID_IMAGE_NORMAL)->isChecked());
        QVERIFY(!frame->action(ID_IMAGE_MESURE_LINE)->isChecked());

        // Back to the live window: a message without one, the window with one.
        MessageRecorder messages;
        QVERIFY(frame->action(ID_RETURN_VIDEO)->isEnabled());
        frame->action(ID_RETURN_VIDEO)->trigger();
        QCOMPARE(messages.texts, QStringList{QStringLiteral("It has no Video window and please "
                                                            "close this window and connect device "
                                                            "first.")});
        frame->action(ID_DEVICE_CONNECTDEVICE)->trigger();
        QVERIFY(dynamic_cast<CVideoFrame*>(frame->client()->activeSubWindow()) != nullptr);
        frame->client()->setActiveSubWindow(image);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_V);
        QTRY_VERIFY(dynamic_cast<CVideoFrame*>(frame->client()->activeSubWindow()) != nullptr);
        QCOMPARE(messages.texts.size(), 1);
    }

    void textsAreDrawnWithLettersOfTheChosenSize_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("size");
        QTest::newRow("20") << 8 << 20;
        QTest::newRow("72") << 15 << 72;
    }

    void textsAreDrawnWithLettersOfTheChosenSize()
    {
        QFETCH(int, index);
        QFETCH(int, size);
        TempHome home;
        home.write(
            "MeasureTool.ini",
            QString("[MAIN]\nLanguage=1\n[User]\nnFontSizeIndex=%1\n").arg(index).toLatin1());
        QVERIFY(writePatternBmp(home.path("plain.bmp"), 400, 300, 255));
        kwz::FakeClock clock(5000);
        Run run({home.path("plain.bmp")});
        QVERIFY(run.started);
        CImageFrame* image = activeImage(run);
        image->document().setHideRuler(1);
        CImageView* view = image->view();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_T);
        settle();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::keyClicks(view->textInput(), "HH");
        QTest::keyClick(view->textInput(), Qt::Key_Return);
        RASTIsPassGraphic(image->document().bitmap()->handle(), 399, 299); // nothing hovered
        image->document().notifyFiguresChanged();
        settle();
        // Capital letters of whatever face the text bar offers first are most of the size.
        const QImage shot =
            view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int top = shot.height();
        int bottom = -1;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) != qRgb(255, 255, 255))
                {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        const int letters = bottom - top + 1;
        QVERIFY2(letters >= size * 55 / 100 && letters <= size,
                 qPrintable(QString::number(letters)));
    }

    void closingTheProgramAsksAboutEveryChangedImageAndCancelKeepsItOpen()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        QVERIFY(writePatternBmp(home.path("plain.bmp"), 200, 150, 255));
        QVERIFY(writePatternBmp(home.path("untouched.bmp"), 20, 20));
        kwz::FakeClock clock(5000);
        Run run({home.path("plain.bmp")});
        QVERIFY(run.started);
        QVERIFY(run.app.openDocumentFile(home.path("untouched.bmp")) != nullptr);
        CMainFrame* frame = run.frame();
        CImageFrame* changed = dynamic_cast<CImageFrame*>(frame->client()->subWindowList().first());
        frame->client()->setActiveSubWindow(changed);
        changed->onCommand(ID_IMAGE_MESURE_LINE);
        QWidget* viewport = changed->view()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(20, 75));
        clock.advance(100);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(180, 75));
        QVERIFY(changed->document().isModified());
        const QByteArray before = home.read("plain.bmp");

        MessageRecorder messages;
        messages.answers = {kwz::IDCANCEL};
        QVERIFY(!frame->close());
        QCOMPARE(messages.texts,
                 QStringList{QStringLiteral(" Save changes to %1?").arg(home.path("plain.bmp"))});
        // Cancel cancels the whole close: no window went, not even the unchanged one.
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->client()->subWindowList().size(), 2);
        QCOMPARE(home.read("plain.bmp"), before);

        // Yes, then the default of how to save it: the picture stays, a ".Mea" holds the line.
        messages.answers = {kwz::IDYES};
        QVERIFY(frame->close());
        QCOMPARE(messages.texts.size(), 3);
        QVERIFY(frame->client()->subWindowList().isEmpty());
        QCOMPARE(home.read("plain.bmp"), before);
        QVERIFY(home.read("plain.Mea").startsWith("ZQGR"));
    }

    void aCaptureBecomesAnImageWindowWithTheCurrentSettings()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n[User]\nstrCaptureName=Image\n"
                                      "nCaptureIndex=7\nnPrecision=4\n");
        Run run;
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        auto* document = static_cast<CImageDoc*>(
            run.app.documents().imageTemplate()->openDocumentFile(QString(), true));
        QVERIFY(document != nullptr);
        const std::vector<BYTE> rows = patternRows(320, 240);
        QVERIFY(document->buildFromFrame(rows.data(), 320, 240));
        frame->ApplyCaptureBar();
        CImageFrame* image = activeImage(run);
        QCOMPARE(&image->document(), document);
        QCOMPARE(image->windowTitle(), QStringLiteral("Image7"));
        QCOMPARE(frame->settings().captureIndex, 8);
        QCOMPARE(frame->shownMenu(), CMainFrame::MenuKind::Image);
        QCOMPARE(precisionOf(*document), 4);
        // The ruler of the ruler bar's first file, as the program writes it.
        QCOMPARE(rulerOf(*document).end.x, 100);
        QVERIFY(document->isModified());
        // Scripted runs take a save dialog as cancelled: nothing is written, nothing forgotten.
        frame->action(ID_FILE_SAVE)->trigger();
        QVERIFY(document->isModified());
        QVERIFY(document->pathName().isEmpty());
    }

    void switchingLanguagesRelabelsTheUnitLists()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        Run run;
        QVERIFY(run.started);
        RulerBar* ruler = run.frame()->bars().ruler;
        RulerMeasureBar* define = run.frame()->bars().rulerMeasure;
        QCOMPARE(ruler->measureUnit()->itemText(4), QStringLiteral("INCH"));
        for (int language : {0, 2, 1})
        {
            run.app.switchLanguage(language);
            const QStringList words = MeasureSettings::unitWords(language);
            QCOMPARE(ruler->measureUnit()->count(), 5);
            for (int i = 0; i < 5; ++i)
            {
                QCOMPARE(ruler->measureUnit()->itemText(i), words[i]);
                QCOMPARE(define->measureUnit()->itemText(i), words[i]);
            }
            QCOMPARE(define->rulerUnit()->itemText(0), words[1]);
        }
        QCOMPARE(MeasureSettings::unitWords(0).first(), QStringLiteral("微米"));
    }
};

std::unique_ptr<QObject> makeImageWorkspaceTest()
{
    return std::make_unique<ImageWorkspaceTest>();
}

#include "image_workspace_test.moc"
