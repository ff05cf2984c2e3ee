// Image documents: which files open, where and in which format they are saved, and what
// closing asks.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/open_failure.h"
#include "app/shell/command_ids.h"
#include "image_test_support.h"
#include "platform/files.h"
#include "platform/testing/write_faults.h"
#include "test_support.h"

namespace {

// A horizontal line from (x0, y) to (x1, y), built as the view builds it.
void drawLine(void* bitmap, int x0, int x1, int y)
{
    RASTStartGraphic(bitmap, POINT{x0, y}, GT_LINE);
    RASTAddPointToGraphic(bitmap, POINT{x1, y});
    RASTFinishGraphic(bitmap);
}

int nonWhiteOnRow(const QImage& image, int y)
{
    int count = 0;
    for (int x = 0; x < image.width(); ++x)
        if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
            ++count;
    return count;
}

std::unique_ptr<CImageDoc> capture(FakeImageWorkspace& host, int width = 64, int height = 48)
{
    auto document = std::make_unique<CImageDoc>(&host);
    const std::vector<BYTE> rows = patternRows(width, height);
    if (!document->buildFromFrame(rows.data(), width, height))
        return nullptr;
    return document;
}

} // namespace

class ImageDocTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void fileKindGoesByTheLastThreeCharacters_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");
        QTest::newRow("bmp") << "/a/picture.bmp" << 3;
        QTest::newRow("capitals") << "/a/PICTURE.BMP" << 3;
        QTest::newRow("kwz") << "/a/scan.Kwz" << 3;
        QTest::newRow("mea") << "/a/m.MEA" << 2;
        QTest::newRow("jpeg") << "/a/photo.jpg" << 0;
        QTest::newRow("no dot") << "/a/xbmp" << 3;
        QTest::newRow("short") << "ea" << 0;
    }
    void fileKindGoesByTheLastThreeCharacters()
    {
        QFETCH(QString, path);
        QFETCH(int, kind);
        QCOMPARE(CImageDoc::fileKind(path), kind);
    }

    void aBitmapInCapitalsOpensAndAJpegDoesNot()
    {
        TempHome home;
        FakeImageWorkspace host;
        QVERIFY(writePatternBmp(home.path("PICTURE.BMP"), 20, 10));
        CImageDoc picture(&host);
        QVERIFY(picture.open(home.path("PICTURE.BMP")));
        QCOMPARE(picture.origin(), int(CImageDoc::OriginOpened));
        QCOMPARE(picture.kind(), int(CImageDoc::KindBitmap));
        QCOMPARE(picture.imageSize(), QSize(20, 10));
        QCOMPARE(picture.title(), QStringLiteral("PICTURE.BMP"));
        QCOMPARE(picture.pathName(), home.path("PICTURE.BMP"));
        QVERIFY(!picture.isModified());

        QFile::copy(home.path("PICTURE.BMP"), home.path("photo.jpg"));
        CImageDoc jpeg(&host);
        QVERIFY(!jpeg.open(home.path("photo.jpg")));
        QCOMPARE(jpeg.kind(), int(CImageDoc::KindNone));

        home.write("broken.bmp", "BM not really");
        CImageDoc broken(&host);
        QVERIFY(!broken.open(home.path("broken.bmp")));
        QCOMPARE(broken.origin(), int(CImageDoc::OriginFailed));
        QVERIFY(!broken.save());
    }

    void anOpenedBitmapTakesTheCurrentRulerAndPen()
    {
        TempHome home;
        FakeImageWorkspace host;
        host.settings.rulerStartX = 5;
        host.settings.rulerStartY = 6;
        host.settings.rulerEndX = 55;
        host.settings.rulerEndY = 6;
        host.settings.rulerUnitIndex = ZQ_CM;
        host.settings.rulerLength = 2.5f;
        host.settings.penWidthIndex = 2;
        host.settings.penNormalColorIndex = 13;
        QVERIFY(writePatternBmp(home.path("a.bmp"), 80, 40));
        CImageDoc document(&host);
        QVERIFY(document.open(home.path("a.bmp")));
        POINT start{}, end{};
        ZQUNIT unit = ZQ_UM;
        float length = 0;
        QCOMPARE(RASTGetRuler(document.bitmap()->handle(), &start, &end, &unit, &length), 0);
        QCOMPARE(start.x, 5);
        QCOMPARE(end.x, 55);
        QCOMPARE(int(unit), int(ZQ_CM));
        QCOMPARE(length, 2.5f);
        int style = -1, width = 0;
        COLORREF normal = 0, hovered = 0, selected = 0;
        RASTGetMeasurePen(document.bitmap()->handle(), &style, &width, &normal, &hovered,
                          &selected);
        QCOMPARE(width, 3);
        QCOMPARE(normal, COLORREF(RGB(0, 0, 255)));
        QCOMPARE(hovered, COLORREF(RGB(255, 0, 0)));
        QCOMPARE(selected, hovered);
    }

    void aMeasurementFileHandsItsUnitsAndPenToTheSettings()
    {
        TempHome home;
        FakeImageWorkspace first;
        std::unique_ptr<CImageDoc> made = capture(first);
        void* bitmap = made->bitmap()->handle();
        RASTSetRulerUnitAndLength(bitmap, ZQ_MM, 3.25f);
        RASTSetMeasureUnit(bitmap, ZQ_INCH);
        RASTSetMeasurePen(bitmap, 0, 4, RGB(0, 128, 0), RGB(255, 255, 0), RGB(255, 255, 0));
        drawLine(bitmap, 10, 40, 20);
        QCOMPARE(RASTWriteMeasureFile(bitmap, home.path("m.Mea").toLocal8Bit().constData()), 0);

        FakeImageWorkspace host;
        QSignalSpy units(&host.measure, &MeasureSettings::measureUnitShown);
        QSignalSpy pens(&host.measure, &MeasureSettings::penShown);
        CImageDoc document(&host);
        QVERIFY(document.open(home.path("m.Mea")));
        QCOMPARE(document.kind(), int(CImageDoc::KindMeasureFile));
        QCOMPARE(host.settings.rulerUnitIndex, int(ZQ_MM));
        QCOMPARE(host.settings.rulerLength, 3.25f);
        QCOMPARE(host.settings.measureUnitIndex, int(ZQ_INCH));
        QCOMPARE(host.settings.penWidthIndex, 3);
        QCOMPARE(host.settings.penNormalColorIndex, 3);
        QCOMPARE(host.settings.penTempColorIndex, 12);
        QCOMPARE(units.count(), 1);
        QCOMPARE(units.first().first().toInt(), int(ZQ_INCH));
        QCOMPARE(pens.count(), 1);
        // The figure came with the file.
        QCOMPARE(RASTIsHitGraphic(document.bitmap()->handle(), 25, 20), 0);
    }

    void savingAnOpenedPictureKeepsItsPixelsAndWritesAMeasurementFileBesideIt()
    {
        TempHome home;
        FakeImageWorkspace host;
        MessageRecorder messages;
        QVERIFY(writePatternBmp(home.path("scan.kwz"), 100, 60, 255));
        home.write("scan.Mea", "an older measurement");
        const QByteArray plain = home.read("scan.kwz");
        CImageDoc document(&host);
        QVERIFY(document.open(home.path("scan.kwz")));
        drawLine(document.bitmap()->handle(), 10, 90, 30);
        document.setModified(true);

        // Nobody answers: the default keeps the picture and takes a name no file has.
        QVERIFY(document.save());
        QCOMPARE(messages.texts.size(), 1);
        QCOMPARE(messages.types.back() & 0xF, unsigned(kwz::MB_YESNOCANCEL));
        QVERIFY(messages.texts.first().contains("scan.kwz"));
        QVERIFY(messages.texts.first().contains("scan-1.Mea"));
        QCOMPARE(home.read("scan.kwz"), plain);
        QCOMPARE(home.read("scan.Mea"), QByteArray("an older measurement"));
        QCOMPARE(document.pathName(), home.path("scan-1.Mea"));
        QCOMPARE(document.kind(), int(CImageDoc::KindMeasureFile));
        QVERIFY(!document.isModified());
        CImageDoc reopened(&host);
        QVERIFY(reopened.open(home.path("scan-1.Mea")));
        QCOMPARE(reopened.figureCount(), 1);

        // Further saves go to the measurement file without asking again.
        drawLine(document.bitmap()->handle(), 10, 90, 40);
        document.setModified(true);
        QVERIFY(document.save());
        QCOMPARE(messages.texts.size(), 1);
        QCOMPARE(home.read("scan.kwz"), plain);
        CImageDoc again(&host);
        QVERIFY(again.open(home.path("scan-1.Mea")));
        QCOMPARE(again.figureCount(), 2);

        // Cancel writes nothing, and the next save asks again.
        QVERIFY(writePatternBmp(home.path("other.bmp"), 40, 30, 255));
        CImageDoc other(&host);
        QVERIFY(other.open(home.path("other.bmp")));
        drawLine(other.bitmap()->handle(), 5, 35, 15);
        other.setModified(true);
        messages.answers = {kwz::IDCANCEL};
        QVERIFY(!other.save());
        QVERIFY(other.isModified());
        QVERIFY(!QFile::exists(home.path("other.Mea")));
        QVERIFY(other.save());
        QCOMPARE(messages.texts.size(), 3);
        QVERIFY(QFile::exists(home.path("other.Mea")));
    }

    void figuresBurntIntoAPictureShowAsFinishedWithoutAHiddenRuler()
    {
        TempHome home;
        FakeImageWorkspace host;
        MessageRecorder messages;
        QVERIFY(writePatternBmp(home.path("scan.kwz"), 100, 60, 255));
        const QByteArray plain = home.read("scan.kwz");
        CImageDoc document(&host);
        QVERIFY(document.open(home.path("scan.kwz")));
        void* bitmap = document.bitmap()->handle();
        RASTSetMeasurePen(bitmap, 0, 1, 0x0000FF, 0x00FF00, 0xFF0000);
        RASTHideDescriptor(bitmap, 1);
        document.setHideRuler(1);
        drawLine(bitmap, 10, 90, 30);
        // The line is selected, as a click on it leaves it.
        QCOMPARE(RASTIsHitGraphic(bitmap, 50, 30), RAST_OK);
        document.setModified(true);
        messages.answers = {kwz::IDYES};
        QVERIFY(document.save());
        QCOMPARE(document.pathName(), home.path("scan.kwz"));
        const QByteArray bytes = home.read("scan.kwz");
        QCOMPARE(bytes.size(), plain.size());
        QImage saved;
        QVERIFY(saved.loadFromData(bytes, "BMP"));
        QCOMPARE(saved.size(), QSize(100, 60));
        QVERIFY(nonWhiteOnRow(saved, 30) >= 70);
        // The line in its normal colour, no handles around its ends, nothing else.
        QCOMPARE(saved.pixel(50, 30) & 0xFFFFFF, 0xFF0000u);
        int marked = 0;
        for (int y = 0; y < saved.height(); ++y)
            marked += nonWhiteOnRow(saved, y);
        QCOMPARE(marked, nonWhiteOnRow(saved, 30));
        QCOMPARE(document.figureCount(), 1);
    }

    void aNewCaptureIsNamedOnceThenSavedIntoTheCaptureFolder()
    {
        TempHome home;
        FakeImageWorkspace host;
        QDir().mkpath(home.path("Pic"));
        QDir().mkpath(home.path("elsewhere"));
        host.settings.capturePath = home.path("Pic").toStdString();
        host.settings.captureName = "Image";
        host.settings.captureIndex = 7;
        host.settings.captureAutoInc = 1;
        std::unique_ptr<CImageDoc> document = capture(host);
        QCOMPARE(document->title(), QStringLiteral("Image7"));
        QCOMPARE(host.settings.captureIndex, 8);
        QCOMPARE(document->origin(), int(CImageDoc::OriginCaptured));
        QCOMPARE(document->kind(), int(CImageDoc::KindBitmap));
        QVERIFY(document->isModified());
        QCOMPARE(document->automaticTarget(), home.path("Pic/Image7.bmp"));

        host.saveAnswers.push_back(home.path("elsewhere/Image7.bmp"));
        QVERIFY(document->save());
        QCOMPARE(host.dialogFilters.size(), 1);
        QVERIFY(host.dialogFilters.first().contains("*.BMP"));
        // The title, offered in the capture folder.
        QCOMPARE(host.dialogNames.first(), home.path("Pic/Image7"));
        QVERIFY(QFile::exists(home.path("elsewhere/Image7.bmp")));
        QCOMPARE(document->title(), QStringLiteral("Image7.bmp"));

        document->setModified(true);
        QVERIFY(document->save());
        QCOMPARE(host.dialogFilters.size(), 1);
        QVERIFY(QFile::exists(home.path("Pic/Image7.bmp")));
        QCOMPARE(document->pathName(), home.path("Pic/Image7.bmp"));
        QCOMPARE(document->origin(), int(CImageDoc::OriginCaptured));
    }

    void aCaptureWithoutAutomaticNumberingKeepsTheIndex()
    {
        FakeImageWorkspace host;
        host.settings.captureName = "Plate";
        host.settings.captureIndex = 3;
        host.settings.captureAutoInc = 0;
        std::unique_ptr<CImageDoc> document = capture(host);
        QCOMPARE(document->title(), QStringLiteral("Plate3"));
        QCOMPARE(host.settings.captureIndex, 3);
    }

    void captureTitlesAndTheirFilesNeverRepeat()
    {
        TempHome home;
        FakeImageWorkspace host;
        host.settings.capturePath = home.home().toStdString();
        host.settings.captureName = "Capture";
        host.settings.captureIndex = 0;
        host.settings.captureAutoInc = 1;
        home.write("Capture1.Mea", "kept");
        std::unique_ptr<CImageDoc> first = capture(host);
        // The capture bar sets the counter back from its name box before every capture.
        host.settings.captureIndex = 0;
        std::unique_ptr<CImageDoc> second = capture(host);
        host.settings.captureIndex = 0;
        std::unique_ptr<CImageDoc> third = capture(host);
        QCOMPARE(first->title(), QStringLiteral("Capture0"));
        QCOMPARE(second->title(), QStringLiteral("Capture2"));
        QCOMPARE(third->title(), QStringLiteral("Capture3"));
        QCOMPARE(host.settings.captureIndex, 4);
        // A closed window's title is free again.
        first.reset();
        host.settings.captureIndex = 0;
        host.settings.captureAutoInc = 0;
        QCOMPARE(capture(host)->title(), QStringLiteral("Capture0"));
        QCOMPARE(host.settings.captureIndex, 0);
    }

    void endingTheProgramWritesUnsavedPicturesToFreeNames()
    {
        TempHome home;
        FakeImageWorkspace host;
        MessageRecorder messages;
        host.settings.capturePath = home.home().toStdString();
        std::unique_ptr<CImageDoc> fresh = capture(host);
        fresh->setDocumentTitle("Shot");
        home.write("Shot.bmp", "someone else's");
        QCOMPARE(fresh->saveForTermination(), std::optional<QString>(home.path("Shot-1.bmp")));
        QVERIFY(!fresh->isModified());
        QCOMPARE(home.read("Shot.bmp"), QByteArray("someone else's"));
        QVERIFY(home.read("Shot-1.bmp").startsWith("BM"));
        QCOMPARE(fresh->saveForTermination(), std::nullopt);

        // An opened file is never written over, whatever its kind.
        QVERIFY(writePatternBmp(home.path("m.bmp"), 30, 20));
        CImageDoc measured(&host);
        QVERIFY(measured.open(home.path("m.bmp")));
        drawLine(measured.bitmap()->handle(), 2, 20, 5);
        measured.setModified(true);
        QVERIFY(measured.save());
        const QByteArray saved = home.read("m.Mea");
        drawLine(measured.bitmap()->handle(), 2, 20, 9);
        measured.setModified(true);
        QCOMPARE(measured.saveForTermination(), std::optional<QString>(home.path("m-1.Mea")));
        QCOMPARE(home.read("m.Mea"), saved);
        CImageDoc check(&host);
        QVERIFY(check.open(home.path("m-1.Mea")));
        QCOMPARE(check.figureCount(), 2);
        QCOMPARE(messages.texts.size(), 1); // the one question of the save, none at the end
    }

    void aFileThatDoesNotOpenSaysWhy_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("expected");
        QByteArray bmp;
        {
            TempHome home;
            writePatternBmp(home.path("t.bmp"), 4, 3);
            bmp = home.read("t.bmp");
        }
        QByteArray badDepth = bmp;
        badDepth[28] = 7;
        QByteArray huge = bmp;
        huge[19] = char(0x80); // width 32768 + 4, height 3 ... then the height
        huge[22] = 0;
        huge[23] = char(0x80);
        QTest::newRow("jpeg") << "p.bmp" << QByteArray("\xFF\xD8\xFF\xE0JFIF") << 1
                              << "is a JPEG picture";
        QTest::newRow("text as bmp")
            << "t.bmp" << QByteArray("hello") << 1 << "is not a BMP or .Mea file";
        QTest::newRow("other name") << "t.png" << bmp << 0 << "不是 BMP 或 .Mea 文件";
        QTest::newRow("truncated") << "t.kwz" << bmp.left(60) << 1 << "damaged at byte 60";
        QTest::newRow("bit depth") << "t.bmp" << badDepth << 2 << "在第 28 位元組處損壞";
        QTest::newRow("too large") << "t.bmp" << huge << 1 << "too large for memory";
        QTest::newRow("measure magic") << "t.Mea" << bmp << 1 << "is not a BMP or .Mea file";
    }

    void aFileThatDoesNotOpenSaysWhy()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, language);
        QFETCH(QString, expected);
        TempHome home;
        home.write(name, content);
        CImageDoc document;
        QVERIFY(!document.open(home.path(name)));
        const QString text = openFailureText(home.path(name), language);
        QVERIFY2(text.contains(expected), qPrintable(text));
        QVERIFY(text.contains(home.path(name)));
    }

    void aMeasurementFileCutShortAndFoldersAndLockedFilesAreNamed()
    {
        TempHome home;
        FakeImageWorkspace host;
        QVERIFY(writePatternBmp(home.path("a.bmp"), 20, 10));
        CImageDoc document(&host);
        QVERIFY(document.open(home.path("a.bmp")));
        drawLine(document.bitmap()->handle(), 1, 15, 4);
        QCOMPARE(RASTWriteMeasureFile(document.bitmap()->handle(),
                                      home.path("a.Mea").toLocal8Bit().constData()),
                 RAST_OK);
        const QByteArray whole = home.read("a.Mea");
        QCOMPARE(openFailureText(home.path("a.Mea"), 1),
                 QStringLiteral("The file %1 cannot be opened.").arg(home.path("a.Mea")));
        // The line record ends at 156 + 28 + 60 + 52; the picture follows.
        home.write("cut.Mea", whole.left(280));
        QVERIFY(openFailureText(home.path("cut.Mea"), 1).endsWith("damaged at byte 280."));
        QByteArray wrongTag = whole;
        wrongTag[244] = 9;
        home.write("tag.Mea", wrongTag);
        QVERIFY(openFailureText(home.path("tag.Mea"), 1).endsWith("damaged at byte 244."));

        QDir().mkpath(home.path("folder.bmp"));
        QVERIFY(openFailureText(home.path("folder.bmp"), 0).contains("是文件夹"));
        QVERIFY(openFailureText(home.path("missing.bmp"), 1).contains("does not exist"));
        home.write("locked.bmp", whole);
        QFile::setPermissions(home.path("locked.bmp"), QFileDevice::Permissions());
        if (!QFile(home.path("locked.bmp")).open(QIODevice::ReadOnly))
            QVERIFY(openFailureText(home.path("locked.bmp"), 1).contains("no permission"));
    }

    void aCancelledSaveDialogKeepsThePathAndTheModifiedFlag()
    {
        TempHome home;
        FakeImageWorkspace host;
        host.settings.capturePath = home.home().toStdString();
        std::unique_ptr<CImageDoc> document = capture(host);
        QVERIFY(!document->save());
        QCOMPARE(host.dialogFilters.size(), 1);
        QVERIFY(document->isModified());
        QVERIFY(document->pathName().isEmpty());
        QCOMPARE(document->title(), QStringLiteral("Capture0"));
        QVERIFY(QDir(home.home()).entryList(QDir::Files).isEmpty());
    }

    void choosingAToolMakesANewCaptureSaveAMeasurementFile()
    {
        TempHome home;
        FakeImageWorkspace host;
        host.settings.capturePath = home.home().toStdString();
        std::unique_ptr<CImageDoc> document = capture(host);
        document->setModified(false);
        CImageFrame frame(*document, &host);
        QVERIFY(frame.onCommand(cmd::ID_IMAGE_MEASURE_ANGLE));
        QCOMPARE(document->kind(), int(CImageDoc::KindMeasureFile));
        QVERIFY(document->isModified());
        QCOMPARE(document->automaticTarget(), home.path("Capture0.Mea"));
        host.saveAnswers.push_back(home.path("Capture0.Mea"));
        QVERIFY(document->save());
        QVERIFY(host.dialogFilters.first().contains("*.Mea"));
        void* check = nullptr;
        RASTInitialize(&check);
        QCOMPARE(RASTReadMeasureFile(check, home.path("Capture0.Mea").toLocal8Bit().constData()),
                 0);
        RASTUnInitialize(&check);
        // A bitmap opened from a file keeps the format of its name.
        QVERIFY(writePatternBmp(home.path("b.bmp"), 30, 20));
        CImageDoc opened(&host);
        QVERIFY(opened.open(home.path("b.bmp")));
        CImageFrame openedFrame(opened, &host);
        openedFrame.onCommand(cmd::ID_IMAGE_MESURE_LINE);
        QVERIFY(opened.save());
        QVERIFY(home.read("b.bmp").startsWith("BM"));
    }

    void aFailedWriteIsReportedAndClosingStillAsks()
    {
        TempHome home;
        FakeImageWorkspace host;
        MessageRecorder messages;
        QVERIFY(writePatternBmp(home.path("keep.bmp"), 40, 30, 255));
        const QByteArray before = home.read("keep.bmp");
        CImageDoc document(&host);
        QVERIFY(document.open(home.path("keep.bmp")));
        drawLine(document.bitmap()->handle(), 5, 35, 15);
        document.setModified(true);

        messages.answers = {kwz::IDYES};
        kwz::testing::failWritesAfter(100);
        const bool saved = document.save();
        kwz::testing::failWritesAfter(-1);
        QVERIFY(!saved);
        QVERIFY(document.isModified());
        QCOMPARE(messages.texts.size(), 2);
        QVERIFY(messages.texts.last().contains(home.path("keep.bmp")));
        QCOMPARE(home.read("keep.bmp"), before);

        messages.answers.push_back(kwz::IDNO);
        QVERIFY(document.askToSave());
        QCOMPARE(messages.texts.size(), 3);
        QCOMPARE(messages.texts.last(), " Save changes to " + home.path("keep.bmp") + "?");
    }

    void askToSaveAsksOnlyAboutChangesAndFollowsTheAnswer()
    {
        TempHome home;
        FakeImageWorkspace host;
        MessageRecorder messages;
        QVERIFY(writePatternBmp(home.path("q.bmp"), 40, 30, 255));
        CImageDoc document(&host);
        QVERIFY(document.open(home.path("q.bmp")));
        QVERIFY(document.askToSave());
        QVERIFY(messages.texts.isEmpty());

        drawLine(document.bitmap()->handle(), 5, 35, 15);
        document.setModified(true);
        messages.answers = {kwz::IDCANCEL};
        QVERIFY(!document.askToSave());
        QCOMPARE(messages.types.back() & 0xF, unsigned(kwz::MB_YESNOCANCEL));
        host.language = 0;
        // Yes to saving, then to drawing the figures into the picture.
        messages.answers = {kwz::IDYES, kwz::IDYES};
        QVERIFY(document.askToSave());
        QCOMPARE(messages.texts[messages.texts.size() - 2],
                 QStringLiteral("将改动保存到 %1？").arg(home.path("q.bmp")));
        QImage saved(home.path("q.bmp"));
        QVERIFY(nonWhiteOnRow(saved, 15) >= 25);

        // A new capture names its automatic target, or its title when it has none.
        host.settings.capturePath = home.home().toStdString();
        std::unique_ptr<CImageDoc> fresh = capture(host);
        messages.answers = {kwz::IDNO};
        QVERIFY(fresh->askToSave());
        QVERIFY(messages.texts.last().contains(home.path("Capture0.bmp")));
    }

    void saveAsWritesByTheChosenExtensionAndKeepsThePath()
    {
        TempHome home;
        FakeImageWorkspace host;
        MessageRecorder messages;
        QVERIFY(writePatternBmp(home.path("s.bmp"), 40, 30));
        CImageDoc document(&host);
        QVERIFY(document.open(home.path("s.bmp")));
        document.setModified(true);

        host.saveAnswers = {home.path("copy.mea")};
        QVERIFY(document.saveAs());
        QCOMPARE(document.kind(), int(CImageDoc::KindMeasureFile));
        QVERIFY(!document.isModified());
        QCOMPARE(document.pathName(), home.path("s.bmp"));
        QVERIFY(QFile::exists(home.path("copy.mea")));
        QVERIFY(host.dialogFilters.first().contains("*.Mea"));

        document.setModified(true);
        host.saveAnswers = {home.path("copy.BMP")};
        QVERIFY(document.saveAs());
        QCOMPARE(document.kind(), int(CImageDoc::KindSavedBitmap));
        QVERIFY(home.read("copy.BMP").startsWith("BM"));

        document.setModified(true);
        host.saveAnswers = {home.path("copy.png")};
        QVERIFY(!document.saveAs());
        QVERIFY(document.isModified());
        QVERIFY(!QFile::exists(home.path("copy.png")));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(messages.texts.first().contains("copy.png"));
    }

    void deletingAnnouncesTheAreaOfTheFigureAndNothingWhenNoneIsSelected()
    {
        FakeImageWorkspace host;
        std::unique_ptr<CImageDoc> document = capture(host, 200, 150);
        QVERIFY(document);
        drawLine(document->bitmap()->handle(), 20, 60, 40);
        document->selectAt(QPoint(150, 120));
        QSignalSpy figures(document.get(), &CImageDoc::figuresChanged);
        QSignalSpy selection(document.get(), &CImageDoc::selectionChanged);

        QVERIFY(!document->deleteSelected());
        QCOMPARE(figures.count(), 0);
        QCOMPARE(selection.count(), 0);

        QVERIFY(document->selectAt(QPoint(40, 40)));
        QCOMPARE(selection.count(), 1);
        // Picking the selected figure again changes nothing.
        QVERIFY(document->selectAt(QPoint(40, 40)));
        QCOMPARE(selection.count(), 1);

        figures.clear();
        QVERIFY(document->deleteSelected());
        QCOMPARE(document->figureCount(), 0);
        QCOMPARE(selection.count(), 2);
        QCOMPARE(figures.count(), 1);
        const QRect area = figures.first().first().toRect();
        QVERIFY2(area.contains(QPoint(20, 40)) && area.contains(QPoint(60, 40)),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(area.x())
                                .arg(area.y())
                                .arg(area.width())
                                .arg(area.height())));
        QVERIFY(QRect(0, 0, 200, 150).contains(area));
        QVERIFY(area != QRect(0, 0, 200, 150));

        // Nothing left: deleting all announces nothing either.
        figures.clear();
        QVERIFY(!document->deleteAll());
        QCOMPARE(figures.count(), 0);
        drawLine(document->bitmap()->handle(), 5, 35, 15);
        QVERIFY(document->deleteAll());
        QCOMPARE(figures.count(), 1);
        QCOMPARE(figures.first().first().toRect(), QRect(0, 0, 200, 150));
    }

    void calibrationIsAnnouncedWhenItChangesOnly()
    {
        FakeImageWorkspace host;
        std::unique_ptr<CImageDoc> document = capture(host, 200, 150);
        QVERIFY(document);
        QSignalSpy calibration(document.get(), &CImageDoc::calibrationChanged);
        QSignalSpy figures(document.get(), &CImageDoc::figuresChanged);

        // What the picture has already.
        host.measure.applyUnits(document.get());
        host.measure.setPrecision(host.settings.precision, document.get());
        QCOMPARE(calibration.count(), 0);
        QCOMPARE(figures.count(), 0);

        const int other = (host.settings.measureUnitIndex + 1) % MeasureSettings::kUnitCount;
        host.measure.setMeasureUnit(other, document.get());
        QCOMPARE(calibration.count(), 1);
        QCOMPARE(figures.count(), 1);
        QCOMPARE(figures.first().first().toRect(), QRect(0, 0, 200, 150));
        host.measure.setMeasureUnit(other, document.get());
        QCOMPARE(calibration.count(), 1);

        host.measure.setPrecision((host.settings.precision + 1) % 5, document.get());
        QCOMPARE(calibration.count(), 2);
        host.measure.applyCalibration(QStringLiteral("7.25"), ZQ_CM - 1, -1, document.get());
        QCOMPARE(calibration.count(), 3);
        QCOMPARE(document->bitmap()->rulerUnitAndLength(), std::make_pair(int(ZQ_CM), 7.25f));
    }

    void savingAnnouncesThePathOnceTheDocumentIsClean()
    {
        TempHome home;
        MessageRecorder messages;
        FakeImageWorkspace host;
        host.settings.capturePath = home.home().toStdString();
        std::unique_ptr<CImageDoc> document = capture(host);
        QVERIFY(document);
        QSignalSpy saved(document.get(), &CImageDoc::saved);
        QSignalSpy modified(document.get(), &CImageDoc::modifiedChanged);
        bool cleanWhenSaved = false;
        connect(document.get(), &CImageDoc::saved, this,
                [&] { cleanWhenSaved = !document->isModified(); });

        // Cancelled, then failed: nothing is announced.
        QVERIFY(!document->save());
        host.saveAnswers.push_back(home.path("missing/Shot.bmp"));
        QVERIFY(!document->save());
        QCOMPARE(messages.texts.size(), 1);
        QCOMPARE(saved.count(), 0);
        QCOMPARE(modified.count(), 0);

        host.saveAnswers.push_back(home.path("Shot.bmp"));
        QVERIFY(document->save());
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.first().first().toString(), home.path("Shot.bmp"));
        QVERIFY(cleanWhenSaved);
        QCOMPARE(modified.count(), 1);
        QCOMPARE(modified.first().first().toBool(), false);
        document->setModified(false);
        QCOMPARE(modified.count(), 1);
        document->setModified(true);
        QCOMPARE(modified.count(), 2);
    }

    void aPictureIsAnnouncedWhenItArrivesAndTheRulerFlagWhenItChanges()
    {
        TempHome home;
        QVERIFY(writePatternBmp(home.path("a.bmp"), 30, 20));
        FakeImageWorkspace host;
        CImageDoc document(&host);
        QSignalSpy loaded(&document, &CImageDoc::loaded);
        QVERIFY(!document.open(home.path("missing.bmp")));
        QCOMPARE(loaded.count(), 0);
        QVERIFY(document.open(home.path("a.bmp")));
        QCOMPARE(loaded.count(), 1);

        QSignalSpy figures(&document, &CImageDoc::figuresChanged);
        document.setHideRuler(true);
        document.setHideRuler(true);
        QCOMPARE(figures.count(), 1);
        QCOMPARE(figures.first().first().toRect(), QRect(0, 0, 30, 20));
        document.setHideRuler(false);
        QCOMPARE(figures.count(), 2);
    }

    void aDocumentWithoutHostOpensAndShowsButTakesNoSettings()
    {
        TempHome home;
        QVERIFY(writePatternBmp(home.path("plain.bmp"), 12, 8));
        CImageDoc document;
        QVERIFY(document.open(home.path("plain.bmp")));
        QCOMPARE(document.imageSize(), QSize(12, 8));
        QCOMPARE(RASTStartGraphic(document.bitmap()->handle(), POINT{1, 1}, GT_LINE),
                 RAST_NO_RULER);
        QVERIFY(!document.saveAs());
    }
};

std::unique_ptr<QObject> makeImageDocTest()
{
    return std::make_unique<ImageDocTest>();
}

#include "image_doc_test.moc"
