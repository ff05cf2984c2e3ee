// The calibrated overlay of the live picture: its settings in the settings file, and the
// scale bar and reticle as the live window shows them.

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>

#include <tiffio.h>

#include "app/frame/main_frame.h"
#include "app/image/image_doc.h"
#include "app/live/live_overlay.h"
#include "app/shell/command_ids.h"
#include "app/shell/overlay_settings.h"
#include "app/shell/store.h"
#include "image_test_support.h"
#include "live_program.h"

using namespace cmd;

namespace {

bool waitShown(CVideoView* view)
{
    const uint64_t taken = view->surface().takenFrames();
    return QTest::qWaitFor([&] { return view->surface().takenFrames() > taken + 1; }, 10000);
}

QImage grabbed(CVideoView* view)
{
    return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The longest horizontal run of the colour inside `area`, and the row it is on.
int longestRun(const QImage& image, QRgb colour, QRect area, int* row = nullptr)
{
    int best = 0;
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
    {
        int run = 0;
        for (int x = area.left(); x <= area.right(); ++x)
        {
            run = (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? run + 1 : 0;
            if (run > best)
            {
                best = run;
                if (row)
                    *row = y;
            }
        }
    }
    return best;
}

struct TiffRead
{
    QImage picture;
    float xres = 0;
    uint16_t unit = 0;
    QString description;
};

TiffRead readTiff(const QString& path)
{
    TiffRead r;
    TIFF* t = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (t == nullptr)
        return r;
    uint32_t w = 0, h = 0;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(t, TIFFTAG_XRESOLUTION, &r.xres);
    TIFFGetField(t, TIFFTAG_RESOLUTIONUNIT, &r.unit);
    char* text = nullptr;
    if (TIFFGetField(t, TIFFTAG_IMAGEDESCRIPTION, &text))
        r.description = QString::fromUtf8(text);
    QImage image(int(w), int(h), QImage::Format_RGBA8888);
    if (TIFFReadRGBAImageOriented(t, w, h, reinterpret_cast<uint32_t*>(image.bits()),
                                  ORIENTATION_TOPLEFT, 0))
        r.picture = image.convertToFormat(QImage::Format_RGB32);
    TIFFClose(t);
    return r;
}

// 1 µm a pixel and a yellow scale bar: the bar is 100 µm, 100 pixels of the 640.
void showYellowBarAtOneMicronAPixel(FrameSettings& settings)
{
    settings.rulerStartX = 0;
    settings.rulerEndX = 100;
    settings.rulerStartY = settings.rulerEndY = 0;
    settings.rulerLength = 100;
    settings.rulerUnitIndex = 0;
    settings.measureUnitIndex = 0;
    settings.overlay.colour = 0x0000FFFF;
    settings.overlay.scaleBar = true;
}

} // namespace

class OverlayTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void settingsRoundTripAndDamagedValuesReadAsDefaults()
    {
        TempHome home;
        const std::string path = home.path("o.ini").toStdString();
        OverlaySettings s;
        s.scaleBar = true;
        s.scaleBarLength = 12.5;
        s.corner = 3;
        s.colour = 0x0000FFFF;
        s.reticle = Reticle::Grid;
        s.reticleSpacing = 0.025;
        s.inCaptures = true;
        s.stillScaleBar = true;
        {
            SettingsStore store(path);
            saveOverlaySettings(store, s);
        }
        {
            SettingsStore store(path);
            QVERIFY(loadOverlaySettings(store) == s);
        }
        home.write("o.ini", "[LiveOverlay]\nScaleBar=1\nScaleBarLength=nan\nCorner=9\n"
                            "Colour=-5\nReticle=7\nReticleSpacing=-3\nInCaptures=x\n");
        SettingsStore store(path);
        const OverlaySettings damaged = loadOverlaySettings(store);
        QVERIFY(damaged.scaleBar);
        OverlaySettings expected;
        expected.scaleBar = true;
        QVERIFY(damaged == expected);
        // Nothing stored: everything off.
        SettingsStore empty(home.path("none.ini").toStdString());
        QVERIFY(loadOverlaySettings(empty) == OverlaySettings{});
    }

    void theLiveScaleComesFromTheCurrentRulerAndUnit()
    {
        FrameSettings settings;
        settings.rulerStartX = 10;
        settings.rulerStartY = 10;
        settings.rulerEndX = 40;
        settings.rulerEndY = 50; // 50 pixels
        settings.rulerLength = 0.1f;
        settings.rulerUnitIndex = 1; // mm
        settings.measureUnitIndex = 0;
        const LiveScale scale = liveScale(settings);
        QCOMPARE(scale.unit, 0);
        QVERIFY(qAbs(scale.micronsPerPixel - 2.0) < 1e-6);
        settings.rulerEndX = settings.rulerStartX;
        settings.rulerEndY = settings.rulerStartY;
        QCOMPARE(liveScale(settings).micronsPerPixel, 0.0);
        // A grid of about a tenth of the width, in whole 1-2-5 steps.
        const auto step = reticleStep(LiveScale{2.0, 0}, 640, 0);
        QVERIFY(step);
        QCOMPARE(step->length, 100.0);
        QCOMPARE(step->pixels, 50.0);
        QVERIFY(!reticleStep(LiveScale{2.0, 0}, 640, 1)); // half a pixel apart
        QVERIFY(!reticleStep(LiveScale{0, 0}, 640, 0));
    }

    void exportedTiffCarriesTheCalibrationAndTheScaleBarOnlyWithTheFigures()
    {
        TempHome home;
        FakeImageWorkspace host;
        MessageRecorder messages;
        CImageDoc document(&host);
        const std::vector<BYTE> rows = patternRows(200, 100);
        QVERIFY(document.buildFromFrame(rows.data(), 200, 100));
        void* bitmap = document.bitmap()->handle();
        // 0.5 µm a pixel.
        QCOMPARE(RASTSetRuler(bitmap, POINT{0, 0}, POINT{100, 0}, ZQ_UM, 50.0f), RAST_OK);
        RASTSetMeasureUnit(bitmap, ZQ_UM);
        host.settings.overlay.colour = 0x0000FFFF; // yellow
        host.settings.overlay.stillScaleBar = true;

        const QString plain = home.path("plain.tif");
        QVERIFY(document.exportTiff(plain, false));
        const TiffRead p = readTiff(plain);
        QCOMPARE(p.picture.size(), QSize(200, 100));
        QCOMPARE(p.unit, uint16_t(RESUNIT_CENTIMETER));
        QCOMPARE(p.xres, 20000.0f);
        QCOMPARE(p.description, QStringLiteral("unit=micron\nspacing=0.5\n"));
        // The pixels as captured: rows bottom-up, blue-green-red.
        const int stride = (200 * 3 + 3) / 4 * 4;
        for (int y : {0, 37, 99})
            for (int x : {0, 101, 199})
            {
                const BYTE* b = rows.data() + size_t(99 - y) * stride + x * 3;
                QCOMPARE(p.picture.pixel(x, y) & 0xFFFFFF, uint(qRgb(b[2], b[1], b[0]) & 0xFFFFFF));
            }
        QCOMPARE(longestRun(p.picture, qRgb(255, 255, 0), p.picture.rect()) < 20, true);

        // With the figures: the scale bar, 20 µm = 40 pixels in the bottom right corner.
        const QString marked = home.path("marked.tif");
        QVERIFY(document.exportTiff(marked, true));
        const TiffRead m = readTiff(marked);
        int row = -1;
        QCOMPARE(longestRun(m.picture, qRgb(255, 255, 0), m.picture.rect(), &row), 40);
        QVERIFY(row > 50);
        // The document keeps its pixels.
        QVERIFY(document.exportTiff(plain, false));
        QCOMPARE(readTiff(plain).picture, p.picture);

        // The scale bar off: the figures only.
        host.settings.overlay.stillScaleBar = false;
        QVERIFY(document.exportTiff(marked, true));
        QVERIFY(longestRun(readTiff(marked).picture, qRgb(255, 255, 0), p.picture.rect()) < 20);
        // A folder that does not exist is reported.
        QVERIFY(!document.exportTiff(home.path("no/such/x.tif"), true));
        QVERIFY(!messages.texts.isEmpty());
    }

    void aPictureSavedWithFiguresBurntInGetsTheScaleBar()
    {
        TempHome home;
        FakeImageWorkspace host;
        MessageRecorder messages;
        QVERIFY(writePatternBmp(home.path("scan.bmp"), 200, 100, 40));
        CImageDoc document(&host);
        QVERIFY(document.open(home.path("scan.bmp")));
        void* bitmap = document.bitmap()->handle();
        QCOMPARE(RASTSetRuler(bitmap, POINT{0, 0}, POINT{100, 0}, ZQ_UM, 50.0f), RAST_OK);
        RASTSetMeasureUnit(bitmap, ZQ_UM);
        host.settings.overlay.colour = 0x0000FFFF;
        host.settings.overlay.stillScaleBar = true;
        document.setModified(true);
        messages.answers = {kwz::IDYES};
        QVERIFY(document.save());
        QImage saved(home.path("scan.bmp"), "BMP");
        QCOMPARE(saved.size(), QSize(200, 100));
        QCOMPARE(longestRun(saved.convertToFormat(QImage::Format_RGB32), qRgb(255, 255, 0),
                            saved.rect()),
                 40);
    }

    void capturesCarryTheOverlayOnlyWhenAsked()
    {
        Program program;
        showYellowBarAtOneMicronAPixel(program.settings());
        CVideoFrame* live = program.connect();
        QVERIFY(live != nullptr);
        QVERIFY(waitShown(live->view()));
        program.bar()->bmp()->setChecked(true);
        const QRgb yellow = qRgb(255, 255, 0);
        auto capture = [&](int millisecond) {
            program.frame()->setLocalClock(fixedClock(millisecond));
            program.command(ID_VIDEO_CAPTURE);
            const QString path = program.home.path(
                QStringLiteral("Captures/Capture2007-3-5 14-2-9-%1.bmp").arg(millisecond));
            const QImage image(path, "BMP");
            return image.convertToFormat(QImage::Format_RGB32);
        };
        // Off by default: the camera's picture only, though the screen shows the bar.
        QVERIFY(!program.checked(ID_OVERLAY_IN_CAPTURES));
        const QImage plain = capture(101);
        QCOMPARE(plain.size(), QSize(640, 480));
        QVERIFY(longestRun(plain, yellow, plain.rect()) < 20);
        program.command(ID_OVERLAY_IN_CAPTURES);
        QVERIFY(program.checked(ID_OVERLAY_IN_CAPTURES));
        const QImage marked = capture(102);
        QCOMPARE(marked.size(), QSize(640, 480));
        int row = -1;
        QCOMPARE(longestRun(marked, yellow, marked.rect(), &row), 100);
        QVERIFY(row > 240);
        // Still a 24-bit BMP of the picture's size, as the camera writes them.
        QFile bmp(program.home.path("Captures/Capture2007-3-5 14-2-9-102.bmp"));
        QVERIFY(bmp.open(QIODevice::ReadOnly));
        const QByteArray head = bmp.read(54);
        QCOMPARE(head.left(2), QByteArray("BM"));
        QCOMPARE(qFromLittleEndian<quint16>(head.constData() + 28), quint16(24));
        QCOMPARE(bmp.size(), qint64(54 + 640 * 480 * 3));
        // The capture bar's box is the same switch, both ways.
        QCheckBox* box = program.bar()->overlayInCaptures();
        QVERIFY(box->isChecked());
        box->click();
        QVERIFY(!program.checked(ID_OVERLAY_IN_CAPTURES));
        const QImage unmarked = capture(103);
        QVERIFY(longestRun(unmarked, yellow, unmarked.rect()) < 20);
        box->click();
        QVERIFY(program.checked(ID_OVERLAY_IN_CAPTURES));
        const QImage remarked = capture(104);
        QCOMPARE(longestRun(remarked, yellow, remarked.rect()), 100);
        program.command(ID_OVERLAY_IN_CAPTURES);
        QVERIFY(!box->isChecked());
        QVERIFY(program.messages.texts.isEmpty());
    }

    void recordingsCarryTheOverlayOnlyWhenAsked()
    {
        Program program;
        showYellowBarAtOneMicronAPixel(program.settings());
        CVideoFrame* live = program.connect();
        QVERIFY(live != nullptr);
        QVERIFY(waitShown(live->view()));
        // The longest run of yellowish pixels in the first frame of the newest recording;
        // the recording is compressed, so near enough counts.
        auto record = [&]() -> int {
            const QStringList before = program.files("Records");
            program.command(ID_VIDEO_RECORD);
            if (!live->capture().recording())
                return -1;
            QTest::qWait(700);
            program.command(ID_VIDEO_RECORD);
            QStringList after = program.files("Records");
            for (const QString& name : before)
                after.removeAll(name);
            if (after.size() != 1)
                return -2;
            const QString avi = program.home.path("Records/" + after.front());
            const QString raw = avi + ".raw";
            const QString command = QStringLiteral("ffmpeg -v error -y -i '%1' -frames:v 1 -f "
                                                   "rawvideo -pix_fmt rgb24 '%2'")
                                        .arg(avi, raw);
            if (std::system(QFile::encodeName(command).constData()) != 0)
                return -3;
            QFile file(raw);
            if (!file.open(QIODevice::ReadOnly) || file.size() != 640 * 480 * 3)
                return -4;
            const QByteArray bytes = file.readAll();
            const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
            int best = 0;
            for (int y = 0; y < 480; ++y)
            {
                int run = 0;
                for (int x = 0; x < 640; ++x, p += 3)
                {
                    run = p[0] > 200 && p[1] > 200 && p[2] < 90 ? run + 1 : 0;
                    best = std::max(best, run);
                }
            }
            return best;
        };
        // Off by default: the camera's picture only, though the screen shows the bar.
        const int plain = record();
        QVERIFY2(plain >= 0 && plain < 20, qPrintable(QString::number(plain)));
        program.command(ID_OVERLAY_IN_CAPTURES);
        const int marked = record();
        QVERIFY2(marked >= 97 && marked <= 103, qPrintable(QString::number(marked)));
        // Switched off again, recordings hold the camera's picture.
        program.command(ID_OVERLAY_IN_CAPTURES);
        const int unmarked = record();
        QVERIFY2(unmarked >= 0 && unmarked < 20, qPrintable(QString::number(unmarked)));
        QVERIFY(program.messages.texts.isEmpty());
    }

    void aTiffCaptureCarriesTheLiveScaleAndTheCameraPixels()
    {
        Program program;
        FrameSettings& settings = program.settings();
        // 0.5 µm a pixel.
        settings.rulerStartX = 0;
        settings.rulerEndX = 100;
        settings.rulerStartY = settings.rulerEndY = 0;
        settings.rulerLength = 50;
        settings.rulerUnitIndex = 0;
        settings.measureUnitIndex = 0;
        CVideoFrame* live = program.connect();
        QVERIFY(live != nullptr);
        QVERIFY(waitShown(live->view()));
        auto capture = [&](QRadioButton* format, int millisecond) {
            format->setChecked(true);
            program.frame()->setLocalClock(fixedClock(millisecond));
            program.command(ID_VIDEO_CAPTURE);
        };
        const QString stem = program.home.path("Captures/Capture2007-3-5 14-2-9-");
        capture(program.bar()->bmp(), 101);
        const QImage camera = QImage(stem + "101.bmp", "BMP").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(camera.size(), QSize(640, 480));

        capture(program.bar()->tiff(), 102);
        const TiffRead t = readTiff(stem + "102.tif");
        QCOMPARE(t.picture.size(), QSize(640, 480));
        QCOMPARE(t.picture, camera);
        QCOMPARE(t.unit, uint16_t(RESUNIT_CENTIMETER));
        QCOMPARE(t.xres, 20000.0f);
        QCOMPARE(t.description, QStringLiteral("unit=micron\nspacing=0.5\n"));
        QVERIFY(program.pane(kPanePrompt).startsWith("Saved: "));
        // TIFF is kept beside the JPEG-or-BMP choice, which older readers still find.
        QCOMPARE(settings.saveAsTiff, 1);
        QCOMPARE(settings.saveAsJpeg, 0);
        program.bar()->apply(settings);
        QVERIFY(program.bar()->tiff()->isChecked());

        // In millimetres the description names them.
        settings.measureUnitIndex = 1;
        capture(program.bar()->tiff(), 103);
        const TiffRead mm = readTiff(stem + "103.tif");
        QCOMPARE(mm.description, QStringLiteral("unit=mm\nspacing=0.0005\n"));
        QCOMPARE(mm.xres, 20000.0f);

        // The overlay drawn in when asked, into the TIFF as into the others.
        settings.overlay.colour = 0x0000FFFF;
        settings.overlay.scaleBar = true;
        settings.measureUnitIndex = 0;
        program.command(ID_OVERLAY_IN_CAPTURES);
        capture(program.bar()->tiff(), 104);
        const TiffRead marked = readTiff(stem + "104.tif");
        // 50 µm on 640 pixels of 0.5 µm: 100 pixels.
        QCOMPARE(longestRun(marked.picture, qRgb(255, 255, 0), marked.picture.rect()), 100);
        program.command(ID_OVERLAY_IN_CAPTURES);

        // Without a scale: the picture alone, and the prompt says so.
        settings.rulerEndX = settings.rulerStartX;
        capture(program.bar()->tiff(), 105);
        const TiffRead bare = readTiff(stem + "105.tif");
        QCOMPARE(bare.picture, camera);
        QCOMPARE(bare.unit, uint16_t(0));
        QVERIFY(bare.description.isEmpty());
        QVERIFY(program.pane(kPanePrompt).startsWith("Saved without a scale: "));

        // Back to JPEG: the old formats as before.
        capture(program.bar()->jpeg(), 106);
        QCOMPARE(QImage(stem + "106.jpg", "JPEG").size(), QSize(640, 480));
        QCOMPARE(settings.saveAsTiff, 0);
        QCOMPARE(settings.saveAsJpeg, 1);
        // A folder that cannot take the file: not saved, no part left behind.
        program.bar()->path()->setText(program.home.path("missing"));
        capture(program.bar()->tiff(), 107);
        QVERIFY(program.pane(kPanePrompt).startsWith("Not saved: "));
        QVERIFY(!QFileInfo::exists(program.home.path("missing")));
        QVERIFY(program.messages.texts.isEmpty());
    }

    void theLiveScaleBarIsShownAtItsCalibratedLength()
    {
        Program program;
        FrameSettings& settings = program.settings();
        // 0.5 µm a pixel: on 640 pixels the bar is 50 µm, 100 picture pixels.
        settings.rulerStartX = 0;
        settings.rulerStartY = 0;
        settings.rulerEndX = 200;
        settings.rulerEndY = 0;
        settings.rulerLength = 100;
        settings.rulerUnitIndex = 0;
        settings.measureUnitIndex = 0;
        settings.overlay.colour = 0x0000FFFF; // yellow
        program.frame()->resize(1100, 900);
        CVideoFrame* live = program.connect();
        QVERIFY(live != nullptr);
        CVideoView* view = live->view();
        QVERIFY(waitShown(view));
        QCOMPARE(live->pictureWidth(), 640);
        // The whole picture in the window, whatever the window's size.
        if (!live->fit())
            QVERIFY(live->onCommand(ID_VIDEO_FILLWINDOW));
        QVERIFY(waitShown(view));
        const QRect shown = view->placement();
        const double scale = shown.width() / 640.0;
        const QRgb yellow = qRgb(255, 255, 0);
        const QImage before = grabbed(view);
        QVERIFY(longestRun(before, yellow, shown) < 20);

        QVERIFY(!program.checked(ID_OVERLAY_SCALEBAR));
        program.command(ID_OVERLAY_SCALEBAR);
        QVERIFY(program.checked(ID_OVERLAY_SCALEBAR));
        QVERIFY(settings.overlay.scaleBar);
        QVERIFY(waitShown(view));
        const QImage with = grabbed(view);
        with.save("/tmp/overlay_live_test.png");
        int row = -1;
        const int run = longestRun(with, yellow, shown, &row);
        QVERIFY2(qAbs(run - 100 * scale) <= 2, qPrintable(QString::number(run)));
        // In the bottom right corner of the picture.
        QVERIFY(row > shown.center().y());
        int first = shown.left();
        while ((with.pixel(first, row) & 0xFFFFFF) != (yellow & 0xFFFFFF))
            ++first;
        QVERIFY(first > shown.center().x());

        // A fixed length and another corner.
        settings.overlay.scaleBarLength = 200;
        settings.overlay.corner = 3;
        view->viewport()->update();
        QVERIFY(waitShown(view));
        const QImage fixed = grabbed(view);
        const int fixedRun = longestRun(fixed, yellow, shown, &row);
        QVERIFY2(qAbs(fixedRun - 400 * scale) <= 2, qPrintable(QString::number(fixedRun)));
        QVERIFY(row < shown.center().y());

        // The grid: its lines run across the whole picture.
        program.command(ID_OVERLAY_SCALEBAR);
        program.command(ID_OVERLAY_GRID);
        QVERIFY(program.checked(ID_OVERLAY_GRID));
        QVERIFY(!program.checked(ID_OVERLAY_CROSS));
        QVERIFY(waitShown(view));
        const QImage grid = grabbed(view);
        grid.save("/tmp/overlay_live_grid_test.png");
        int rows = 0;
        for (int y = shown.top(); y <= shown.bottom(); ++y)
            if (longestRun(grid, yellow, QRect(shown.left(), y, shown.width(), 1)) >
                shown.width() * 0.9)
                ++rows;
        // 50 µm apart: 100 pixels, so the centre line and two each way on 480 rows.
        QVERIFY2(rows >= 5 && rows <= 5 * (1 + int(scale)), qPrintable(QString::number(rows)));
        program.command(ID_OVERLAY_CROSS);
        QVERIFY(program.checked(ID_OVERLAY_CROSS));
        QVERIFY(!program.checked(ID_OVERLAY_GRID));
        program.command(ID_OVERLAY_CROSS);
        QCOMPARE(settings.overlay.reticle, Reticle::None);

        // A line drawn on the running picture shows its calibrated length.
        const QPoint from = shown.topLeft() + QPoint(40, 60);
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view->viewport(), from + QPoint(100, 50));
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, from + QPoint(200, 0));
        const QLine line = view->measuredLine();
        QVERIFY(qAbs(line.dx() - 200 / scale) <= 1.5);
        QCOMPARE(line.dy(), 0);
        QCOMPARE(view->measuredLength(),
                 QString::number(line.dx() * 0.5, 'f', settings.precision) + QStringLiteral(" µm"));
        QVERIFY(waitShown(view));
        const QImage measured = grabbed(view);
        measured.save("/tmp/overlay_live_line_test.png");
        QVERIFY(longestRun(measured, yellow, QRect(from.x(), from.y() - 2, 210, 5)) >= 190);
        // The line stays while the picture runs; the right button takes it away.
        QVERIFY(waitShown(view));
        QCOMPARE(view->measuredLine(), line);
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, from);
        QVERIFY(view->measuredLine().isNull());
        QVERIFY(view->measuredLength().isEmpty());

        // Remembered in the settings file.
        program.command(ID_OVERLAY_SCALEBAR);
        live->close();
        program.run.reset();
        const QByteArray saved = program.home.read("MeasureTool.ini");
        QVERIFY2(saved.contains("[LiveOverlay]"), saved.constData());
        QVERIFY(saved.contains("ScaleBar=1"));
        QVERIFY(saved.contains("ScaleBarLength=200"));
        QVERIFY(saved.contains("Corner=3"));
    }
};

#include "overlay_test.moc"

std::unique_ptr<QObject> makeOverlayTest()
{
    return std::make_unique<OverlayTest>();
}
