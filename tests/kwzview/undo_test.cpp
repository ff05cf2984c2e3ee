// Undo and redo of the measurements, and pictures imported from JPEG, PNG and TIFF files.

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <memory>

#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/image/image_view.h"
#include "app/image/measure_step.h"
#include "app/shell/command_ids.h"
#include "image_test_support.h"
#include "platform/testing/fake_clock.h"
#include "support/values/figure_table.h"
#include "window_keys.h"

using namespace cmd;

namespace {

// A captured picture in a shown frame, worked on with the mouse and keys.
struct Bench
{
    Bench() : clock(1000)
    {
        host.settings.capturePath = "/nonexistent";
        document = std::make_unique<CImageDoc>(&host);
        const std::vector<BYTE> rows = patternRows(400, 300);
        document->buildFromFrame(rows.data(), 400, 300);
        frame = std::make_unique<CImageFrame>(*document, &host);
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        frame->resize(450, 350);
        frame->show();
        view = frame->view();
        viewport = view->viewport();
        view->setFocus();
        QCoreApplication::processEvents();
    }
    ~Bench() { frame.reset(); }

    void click(QPoint p)
    {
        QTest::mousePress(viewport, Qt::LeftButton, {}, p);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, p);
        clock.advance(100);
    }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        clock.advance(100);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), viewport->mapToGlobal(QPointF(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        clock.advance(100);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        clock.advance(100);
    }
    void command(int id)
    {
        QVERIFY(frame->onCommand(id));
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    QByteArray data() const { return document->bitmap()->graphicData().value_or(QByteArray()); }
    QUndoStack& stack() const { return *document->undoStack(); }
    QString undoText() const { return document->undoText(1); }

    FakeImageWorkspace host;
    kwz::FakeClock clock;
    std::unique_ptr<CImageDoc> document;
    std::unique_ptr<CImageFrame> frame;
    CImageView* view = nullptr;
    QWidget* viewport = nullptr;
};

GTFIGUREVALUES figure(GRAPHICTYPE kind, int number, std::initializer_list<float> values)
{
    GTFIGUREVALUES f{};
    f.kind = kind;
    f.number = number;
    int slot = 0;
    for (float v : values)
        f.values[slot++] = v;
    return f;
}

// The colour of pixel (x, y) from the top, after the document wrote its pixels as loaded.
QRgb pixelOf(CImageDoc& document, const QString& scratch, int x, int y)
{
    if (!document.bitmap()->writeFile(scratch, false))
        return 0;
    return QImage(scratch).pixel(x, y);
}

bool haveConvert()
{
    return QFile::exists(QStringLiteral("/usr/bin/convert"));
}

} // namespace

class UndoTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void everyKindOfStepGoesBackAndForthByteForByte()
    {
        Bench b;
        MessageRecorder messages;
        std::vector<QByteArray> states{b.data()};
        QStringList names;
        auto step = [&] {
            QByteArray now = b.data();
            QVERIFY2(now != states.back(), qPrintable(QString::number(states.size())));
            states.push_back(now);
            names << b.undoText();
        };
        b.command(ID_IMAGE_MESURE_LINE);
        b.click(QPoint(100, 100));
        b.click(QPoint(200, 100));
        step();
        b.click(QPoint(100, 200));
        b.click(QPoint(250, 200));
        step();
        b.command(ID_IMAGE_NORMAL);
        b.drag(QPoint(150, 100), QPoint(150, 130)); // the body: a move
        step();
        b.drag(QPoint(250, 200), QPoint(300, 220)); // an end point: a reshape
        step();
        b.click(QPoint(200, 210));
        QTest::keyClick(b.view, Qt::Key_Right);
        QTest::keyClick(b.view, Qt::Key_Right); // key by key, one step
        step();
        b.command(ID_IMAGE_MEASURE_TEXT);
        b.click(QPoint(300, 50));
        QTest::keyClicks(b.view->textInput(), "note");
        QTest::keyClick(b.view->textInput(), Qt::Key_Return);
        step();
        b.command(ID_IMAGE_NORMAL);
        b.click(QPoint(150, 130));
        b.command(ID_IMAGE_MEASURE_DELETE);
        step();
        b.host.measure.setPrecision(4, b.document.get());
        step();
        b.host.measure.setMeasureUnit(2, b.document.get());
        step();
        b.command(ID_IMAGE_MEASURE_DELETEALL);
        step();
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(names,
                 QStringList({"&Undo Create Line 0", "&Undo Create Line 1", "&Undo Move Line 0",
                              "&Undo Reshape Line 1", "&Undo Move Line 1", "&Undo Create Text 0",
                              "&Undo Delete Line 0", "&Undo Change Precision", "&Undo Change Unit",
                              "&Undo Clear All"}));
        QCOMPARE(b.stack().count(), int(states.size()) - 1);

        for (size_t i = states.size() - 1; i-- > 0;)
        {
            b.command(ID_EDIT_UNDO_STEP);
            QCOMPARE(b.data(), states[i]);
        }
        CommandState state;
        QVERIFY(b.frame->updateCommand(ID_EDIT_UNDO_STEP, state));
        QVERIFY(!state.enabled);
        QCOMPARE(state.text, QStringLiteral("&Undo"));
        for (size_t i = 1; i < states.size(); ++i)
        {
            b.command(ID_EDIT_REDO_STEP);
            QCOMPARE(b.data(), states[i]);
        }
        // The bars follow an undone unit and precision.
        b.command(ID_EDIT_UNDO_STEP);
        b.command(ID_EDIT_UNDO_STEP);
        QCOMPARE(b.host.settings.measureUnitIndex, b.document->bitmap()->measureUnit().value());
    }

    void aHalfBuiltFigureIsDroppedBeforeUndoAndNothingIsRecordedMidWay()
    {
        Bench b;
        b.command(ID_IMAGE_MEASURE_POLYLINE);
        b.click(QPoint(100, 100));
        b.click(QPoint(200, 100));
        QCOMPARE(b.stack().count(), 0);
        b.command(ID_EDIT_UNDO_STEP);
        QCOMPARE(b.document->figureCount(), 0);
        // Selecting changes nothing that is kept.
        b.command(ID_IMAGE_MESURE_LINE);
        b.click(QPoint(100, 100));
        b.click(QPoint(200, 100));
        b.command(ID_IMAGE_NORMAL);
        b.click(QPoint(150, 100));
        b.click(QPoint(10, 10));
        QCOMPARE(b.stack().count(), 1);
    }

    void theModifiedFlagFollowsTheSavedState()
    {
        Bench b;
        // A capture never saved stays modified, even with every step undone.
        b.command(ID_IMAGE_MESURE_LINE);
        b.click(QPoint(100, 100));
        b.click(QPoint(200, 100));
        b.command(ID_EDIT_UNDO_STEP);
        QVERIFY(b.document->isModified());
        b.command(ID_EDIT_REDO_STEP);
        QTemporaryDir folder;
        b.host.saveAnswers = {folder.filePath("saved.Mea")};
        QVERIFY(b.document->saveAs());
        QVERIFY(!b.document->isModified());
        b.click(QPoint(100, 200));
        b.click(QPoint(200, 200));
        QVERIFY(b.document->isModified());
        b.command(ID_EDIT_UNDO_STEP);
        QVERIFY(!b.document->isModified());
        b.command(ID_EDIT_REDO_STEP);
        QVERIFY(b.document->isModified());
        b.command(ID_EDIT_UNDO_STEP);
        b.command(ID_EDIT_UNDO_STEP);
        QVERIFY(b.document->isModified());

        // An opened file starts clean.
        CImageDoc opened(&b.host);
        QVERIFY(opened.open(folder.filePath("saved.Mea")));
        QVERIFY(!opened.isModified());
        QVERIFY(!opened.undoStack()->canUndo());
        QVERIFY(opened.undoStack()->isClean());
    }

    void stepsAreNamedInEachLanguage()
    {
        const StepName move{StepName::Move, GT_LINE, 3};
        QCOMPARE(move.text(1), QStringLiteral("Move Line 3"));
        QCOMPARE(move.text(0), QStringLiteral("移动直线3"));
        QCOMPARE(move.text(2), QStringLiteral("移動直線3"));
        QCOMPARE(StepName{StepName::ClearAll}.text(2), QStringLiteral("全部清除"));
        QCOMPARE(StepName{}.text(1), QStringLiteral("Change Figures"));

        Bench b;
        b.command(ID_IMAGE_MESURE_LINE);
        b.click(QPoint(100, 100));
        b.click(QPoint(200, 100));
        QCOMPARE(b.document->undoText(0), QStringLiteral("撤销 创建直线0(&U)"));
        b.command(ID_EDIT_UNDO_STEP);
        QCOMPARE(b.document->redoText(2), QStringLiteral("重做 建立直線0(&R)"));
    }

    void changesAreNamedByWhatTheValuesShow()
    {
        const auto line = figure(GT_LINE, 0, {1, 1, 5, 1, 4});
        const auto moved = figure(GT_LINE, 0, {2, 1, 6, 1, 4});
        const auto longer = figure(GT_LINE, 0, {1, 1, 7, 1, 6});
        const auto circle = figure(GT_CIRCLE_CENTRE, 0, {3, 3, 0, 0, 0, 0, 0, 2});
        const auto text = figure(GT_TEXT, 0, {9, 9});
        using V = StepName::Verb;
        auto verb = [](const auto& before, const auto& after, bool ruler = false, int sel = -1) {
            return nameChange(before, after, ruler, sel);
        };
        QCOMPARE(verb(std::vector{line}, std::vector{moved}), (StepName{V::Move, GT_LINE, 0}));
        QCOMPARE(verb(std::vector{line}, std::vector{longer}), (StepName{V::Reshape, GT_LINE, 0}));
        QCOMPARE(verb(std::vector{line}, std::vector{line, circle}),
                 (StepName{V::Create, GT_CIRCLE_CENTRE, 0}));
        QCOMPARE(verb(std::vector{line, circle}, std::vector{circle}),
                 (StepName{V::Delete, GT_LINE, 0}));
        QCOMPARE(verb(std::vector{line, circle}, std::vector<GTFIGUREVALUES>{}),
                 (StepName{V::ClearAll}));
        QCOMPARE(verb(std::vector{line}, std::vector{line}, false, 0),
                 (StepName{V::MoveLabel, GT_LINE, 0}));
        QCOMPARE(verb(std::vector{text}, std::vector{text}, false, 0),
                 (StepName{V::EditText, GT_TEXT, 0}));
        QCOMPARE(verb(std::vector{line}, std::vector{line}, true), (StepName{V::MoveRuler}));
        QCOMPARE(verb(std::vector{line, circle}, std::vector{moved, circle}).verb, V::Move);
    }

    void aThousandFiguresCostOneStreamAStep()
    {
        Bench b;
        void* handle = b.document->bitmap()->handle();
        for (int i = 0; i < 1000; ++i)
        {
            RASTStartGraphic(handle, POINT{10 + i % 300, 10 + i / 10}, GT_LINE);
            RASTAddPointToGraphic(handle, POINT{60 + i % 300, 20 + i / 10});
            RASTFinishGraphic(handle);
        }
        QVERIFY(b.document->recordStep());
        b.command(ID_IMAGE_NORMAL);
        b.drag(QPoint(35, 11), QPoint(35, 40));
        QCOMPARE(b.stack().count(), 2);
        const auto* step = dynamic_cast<const MeasureStep*>(b.stack().command(1));
        QVERIFY(step != nullptr);
        // The data between two steps is shared, so a step holds one stream of its own.
        const auto* first = dynamic_cast<const MeasureStep*>(b.stack().command(0));
        QVERIFY(first->after().constData() == step->before().constData());
        qInfo("one step with 1000 lines: %lld bytes", static_cast<long long>(step->after().size()));
        QVERIFY(step->after().size() < 100 * 1000);
        b.command(ID_EDIT_UNDO_STEP);
        QCOMPARE(b.data(), step->before());
    }

    void importTakesEachFormatAndDepth_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("maker"); // "qt:<format>" or the arguments of convert
        QTest::addColumn<QRgb>("expected"); // pixel (1, 0)
        QTest::newRow("png rgb 8") << "a.png"
                                   << "qt:rgb8" << qRgb(200, 100, 50);
        QTest::newRow("png rgb 16") << "a.png"
                                    << "qt:rgb16" << qRgb(200, 100, 50);
        QTest::newRow("png grey 16") << "a.png"
                                     << "qt:grey16" << qRgb(128, 128, 128);
        QTest::newRow("png grey 8") << "a.png"
                                    << "qt:grey8" << qRgb(77, 77, 77);
        QTest::newRow("jpeg") << "a.jpg"
                              << "qt:jpeg" << qRgb(200, 100, 50);
        QTest::newRow("tiff rgb 8") << "a.tif"
                                    << "-depth 8 -type TrueColor" << qRgb(200, 100, 50);
        QTest::newRow("tiff rgb 16") << "a.tif"
                                     << "-depth 16 -type TrueColor" << qRgb(200, 100, 50);
        QTest::newRow("tiff grey 16") << "a.tif"
                                      << "-depth 16 -colorspace Gray" << qRgb(128, 128, 128);
        QTest::newRow("tiff grey 8") << "a.tif"
                                     << "-depth 8 -colorspace Gray" << qRgb(128, 128, 128);
    }

    void importTakesEachFormatAndDepth()
    {
        QFETCH(QString, name);
        QFETCH(QString, maker);
        QFETCH(QRgb, expected);
        QTemporaryDir folder;
        const QString path = folder.filePath(name);
        QImage picture(4, 3, QImage::Format_RGB888);
        picture.fill(qRgb(200, 100, 50));
        if (maker.startsWith("qt:"))
        {
            const QString kind = maker.mid(3);
            QImage made = picture;
            if (kind == "rgb16")
                made = picture.convertToFormat(QImage::Format_RGBX64);
            else if (kind == "grey16")
            {
                made = QImage(4, 3, QImage::Format_Grayscale16);
                made.fill(QColor::fromRgba64(0x8000, 0x8000, 0x8000));
            }
            else if (kind == "grey8")
            {
                made = QImage(4, 3, QImage::Format_Grayscale8);
                made.fill(QColor(77, 77, 77));
            }
            QImageWriter writer(path);
            if (kind == "jpeg")
                writer.setQuality(100);
            QVERIFY2(writer.write(made), qPrintable(writer.errorString()));
        }
        else
        {
            if (!haveConvert())
                QSKIP("ImageMagick's convert is not installed");
            QStringList arguments{"-size", "4x3"};
            arguments << (maker.contains("Gray") ? "xc:rgb(128,128,128)" : "xc:rgb(200,100,50)");
            arguments << maker.split(' ') << path;
            QCOMPARE(QProcess::execute("/usr/bin/convert", arguments), 0);
        }
        FakeImageWorkspace host;
        host.settings.capturePath = folder.path().toStdString();
        CImageDoc document(&host);
        QString why;
        QVERIFY2(document.importPicture(path, &why), qPrintable(why));
        QCOMPARE(document.imageSize(), QSize(4, 3));
        QCOMPARE(document.title(), QStringLiteral("a"));
        QVERIFY(document.isModified());
        QCOMPARE(document.origin(), int(CImageDoc::OriginCaptured));
        const QRgb got = pixelOf(document, folder.filePath("check.bmp"), 1, 0);
        // JPEG keeps colours within a step or two.
        const int slack = name.endsWith(".jpg") ? 3 : 0;
        QVERIFY2(std::abs(qRed(got) - qRed(expected)) <= slack &&
                     std::abs(qGreen(got) - qGreen(expected)) <= slack &&
                     std::abs(qBlue(got) - qBlue(expected)) <= slack,
                 qPrintable(QStringLiteral("%1").arg(got, 8, 16)));
        // Measured on, it saves as a measurement file in the capture folder.
        document.setKind(CImageDoc::KindMeasureFile);
        host.saveAnswers = {folder.filePath("a.Mea")};
        QVERIFY(document.save());
        QVERIFY(host.dialogNames.last().endsWith("a"));
        QVERIFY(QFile::exists(folder.filePath("a.Mea")));
    }

    void damagedOrForeignPicturesAreRefusedWithAReason()
    {
        QTemporaryDir folder;
        QImage picture(40, 30, QImage::Format_RGB888);
        picture.fill(Qt::red);
        QVERIFY(picture.save(folder.filePath("whole.png")));
        QFile whole(folder.filePath("whole.png"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        auto write = [&](const QString& name, const QByteArray& content) {
            QFile out(folder.filePath(name));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        };
        write("cut.png", bytes.left(bytes.size() / 3));
        write("text.png", "not a picture at all");
        QVERIFY(picture.save(folder.filePath("moving.gif.bmp"), "BMP"));
        FakeImageWorkspace host;
        host.settings.capturePath = folder.path().toStdString();
        struct Case
        {
            const char* file;
            const char* reason;
        } cases[] = {{"cut.png", "cut.png is damaged or cut short"},
                     {"text.png", "text.png is not a JPEG, PNG or TIFF picture"},
                     {"moving.gif.bmp", "is not a JPEG, PNG or TIFF picture"},
                     {"missing.png", "is not a JPEG, PNG or TIFF picture"}};
        for (const Case& c : cases)
        {
            CImageDoc document(&host);
            QString why;
            QVERIFY(!document.importPicture(folder.filePath(c.file), &why));
            QVERIFY2(why.contains(c.reason), qPrintable(why));
            QVERIFY(!document.hasImage());
        }
        host.language = 0;
        CImageDoc chinese(&host);
        QString why;
        QVERIFY(!chinese.importPicture(folder.filePath("cut.png"), &why));
        QVERIFY2(why.contains("已损坏"), qPrintable(why));
        QVERIFY(CImageDoc::isImportable("x/Photo.JPEG") && CImageDoc::isImportable("a.tif") &&
                !CImageDoc::isImportable("a.bmp") && !CImageDoc::isImportable("a.Mea"));
    }
};

std::unique_ptr<QObject> makeUndoTest()
{
    return std::make_unique<UndoTest>();
}

#include "undo_test.moc"
