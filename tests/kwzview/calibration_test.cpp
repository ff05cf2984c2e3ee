// Calibration profiles at work: the scale a picture of each size measures with, the profile
// files beside the rulers, and the micrometer command in the running program.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <cmath>
#include <deque>
#include <memory>
#include <optional>

#include "app/bars/ruler_bar.h"
#include "app/calibration/calibration_profiles.h"
#include "app/calibration/micrometer_finder.h"
#include "app/calibration/profile_file.h"
#include "app/documents/doc_template.h"
#include "app/image/image_doc.h"
#include "app/shell/command_ids.h"
#include "app_run.h"
#include "camera/frame.h"
#include "camera/simulated_camera.h"
#include "image_test_support.h"
#include "test_support.h"

using namespace cmd;

namespace {

struct Size
{
    int width;
    int height;
};
constexpr Size kSizes[] = {{320, 240}, {640, 480}, {1280, 1024}, {1600, 1200}, {2048, 1536}};

// A noisy picture of the simulated camera, as the program's frames come: bottom row first.
zcap::Frame simulatedFrame(int width, int height)
{
    zcap::SimulatedCamera camera;
    camera.startStream(width, height);
    zcap::Frame frame;
    camera.render(frame, 0.0);
    return frame;
}

// The simulator's own geometry.
double trueUmPerPixel(int width)
{
    return zcap::kFieldWidthUm / width;
}

POINT toPixels(double xUm, double yUm, int width, int height)
{
    const double px = 1.0 / trueUmPerPixel(width);
    return POINT{int(std::lround(xUm * px + width / 2.0)),
                 int(std::lround(yUm * px + height / 2.0))};
}

void drawLine(void* bitmap, POINT a, POINT b)
{
    RASTStartGraphic(bitmap, a, GT_LINE);
    RASTAddPointToGraphic(bitmap, b);
    RASTFinishGraphic(bitmap);
}

float lineLength(const CImageDoc& document, int index)
{
    GTFIGUREVALUES values{};
    if (RASTGetFigureValues(document.bitmap()->handle(), index, &values) != RAST_OK)
        return -1;
    return values.values[GT_VALUE_LENGTH];
}

std::unique_ptr<CImageDoc> simulatedDocument(ImageServices& services, int width, int height)
{
    auto document = std::make_unique<CImageDoc>(&services);
    const zcap::Frame frame = simulatedFrame(width, height);
    // Every picture size is a multiple of four pixels wide, so the rows need no padding.
    document->buildFromFrame(frame.bgr.data(), width, height);
    return document;
}

} // namespace

class CalibrationTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void aSizeSwitchKeepsAHundredMicrometresAtAHundredAtEverySize()
    {
        TempHome home;
        QDir().mkpath(home.path("Rulers"));
        FakeImageWorkspace host(home.path("Rulers").toStdString());
        CalibrationProfiles& profiles = host.calibrationProfiles();
        QVERIFY(profiles.create(QStringLiteral("Obj10x")));
        QCOMPARE(host.settings.activeCalibrationProfile, std::string("Obj10x"));

        // Calibrated once, at the largest size, from the micrometer.
        const zcap::Frame big = simulatedFrame(2048, 1536);
        const calib::GreyImage grey =
            calib::greyFromBgr(big.bgr.data(), 2048, 1536, 2048 * 3, true);
        const POINT a = toPixels(-262, 164, 2048, 1536), b = toPixels(262, 164, 2048, 1536);
        const calib::FinderResult found = calib::findMicrometerScale(
            grey, {double(a.x), double(a.y)}, {double(b.x), double(b.y)});
        QVERIFY(found.found());
        QVERIFY(profiles.calibrate(QSize(2048, 1536), found.umPerPixel, QString()));

        for (const Size s : kSizes)
        {
            const QSize size(s.width, s.height);
            const double truth = trueUmPerPixel(s.width);
            QCOMPARE(profiles.isCalibrated(size), s.width == 2048);
            auto document = simulatedDocument(host, s.width, s.height);
            // A feature 100 um long on this camera, in whole pixels at every size.
            const int pixels = int(std::lround(100.0 / truth));
            QCOMPARE(pixels * truth, 100.0);
            drawLine(document->bitmap()->handle(), POINT{20, 30}, POINT{20 + pixels, 30});
            const float length = lineLength(*document, 0);
            QVERIFY2(
                std::fabs(length - 100.0) <= 0.5 * truth,
                qPrintable(QStringLiteral("%1x%2: %3 um").arg(s.width).arg(s.height).arg(length)));

            // The live picture of that size takes the same scale.
            profiles.setLiveSize(size);
            QVERIFY(std::fabs(profiles.liveUmPerPixel() / truth - 1.0) < 1e-3);
        }
        profiles.setLiveSize(QSize(800, 600));
        QCOMPARE(profiles.liveUmPerPixel(), 0.0);
    }

    void profilesLiveInFilesBesideTheRulersAndDamagedOnesAreLeftOut()
    {
        TempHome home;
        home.write("Rulers/Obj40x.calib",
                   "[Profile]\nName=Obj40x\n[Scales]\n640x480=0.25 calibrated\n");
        home.write("Rulers/Broken.calib", "[Profile]\nName=Broken\n[Scales]\n640x480=zero x\n");
        home.write("Rulers/Huge.calib", QByteArray(70 * 1024, ';'));
        home.write("Rulers/RulerDefault.ruler", QByteArray(32, 0));
        FakeImageWorkspace host(home.path("Rulers").toStdString());
        host.settings.activeCalibrationProfile = "Obj40x";
        CalibrationProfiles& profiles = host.calibrationProfiles();
        profiles.reload();
        QCOMPARE(profiles.names(), QStringList{QStringLiteral("Obj40x")});
        QCOMPARE(profiles.refusals().size(), 2);
        QVERIFY(profiles.refusals().join('\n').contains(QStringLiteral("Broken.calib: line 4")));
        QVERIFY(profiles.refusals().join('\n').contains(QStringLiteral("64 KiB")));
        QCOMPARE(profiles.activeName(), QStringLiteral("Obj40x"));
        QCOMPARE(*profiles.umPerPixel(QSize(640, 480)), 0.25);
        QVERIFY(!profiles.umPerPixel(QSize(320, 240)));

        // A manual calibration with the profile in use is the profile's at that size, and the
        // other sizes follow.
        auto document = simulatedDocument(host, 320, 240);
        RASTSetRuler(document->bitmap()->handle(), POINT{0, 50}, POINT{200, 50}, ZQ_MM, 1.0f);
        host.measure.applyCalibration(QStringLiteral("0.4"), 0, 0, document.get());
        QVERIFY(std::fabs(*profiles.umPerPixel(QSize(320, 240)) - 2.0) < 1e-6);
        QVERIFY(profiles.isCalibrated(QSize(320, 240)));
        QVERIFY(profiles.isCalibrated(QSize(640, 480)));
        QCOMPARE(*profiles.umPerPixel(QSize(1600, 1200)), 0.25 * 640 / 1600);
        const calib::ProfileParse stored =
            calib::readProfileFile(home.path("Rulers/Obj40x.calib").toStdString());
        QVERIFY(stored.profile);
        QCOMPARE(*stored.profile, *profiles.active());

        // The profile in use gone from the folder: none is in use, and the ruler measures.
        QFile::remove(home.path("Rulers/Obj40x.calib"));
        profiles.reload();
        QVERIFY(profiles.active() == nullptr);
        QVERIFY(host.settings.activeCalibrationProfile.empty());
    }

    void choosingARulerFileEndsTheProfile()
    {
        TempHome home;
        QDir().mkpath(home.path("Rulers"));
        FakeImageWorkspace host(home.path("Rulers").toStdString());
        QVERIFY(writeRulerFile(host.measure.rulerPath(QStringLiteral("Plain")),
                               RulerRecord{POINT{0, 0}, POINT{100, 0}, ZQ_MM, 1.0f}));
        CalibrationProfiles& profiles = host.calibrationProfiles();
        QVERIFY(profiles.create(QStringLiteral("Obj")));
        QVERIFY(profiles.calibrate(QSize(640, 480), 1.0, QString()));
        auto document = simulatedDocument(host, 640, 480);
        QVERIFY(host.measure.hasCalibrations());
        QVERIFY(host.measure.chooseRulerFromRulerBar(QStringLiteral("Plain"), 0, document.get()));
        QVERIFY(profiles.active() == nullptr);
        drawLine(document->bitmap()->handle(), POINT{0, 10}, POINT{100, 10});
        // 100 pixels are 1 mm by the ruler file, whatever the profile said.
        QCOMPARE(lineLength(*document, 0), 1000.0f);
    }

    void newAndDeleteProfileAskAndRefuseWhatCannotBeAFile()
    {
        TempHome home;
        QDir().mkpath(home.path("Rulers"));
        FakeImageWorkspace host(home.path("Rulers").toStdString());
        MessageRecorder messages;
        std::deque<std::optional<QString>> names = {QStringLiteral(" Obj 40x "),
                                                    QStringLiteral("a/b"), std::nullopt};
        QStringList offered;
        host.setTextAsker([&](const QString&, const QString& initial) {
            offered << initial;
            const std::optional<QString> answer = names.front();
            names.pop_front();
            return answer;
        });
        QVERIFY(host.newProfile());
        QCOMPARE(host.calibrationProfiles().activeName(), QStringLiteral("Obj 40x"));
        QVERIFY(QFile::exists(home.path("Rulers/Obj 40x.calib")));
        QVERIFY(!host.newProfile());
        QVERIFY(messages.texts.last().contains(QStringLiteral("cannot be made")));
        QVERIFY(!host.newProfile()); // cancelled
        QCOMPARE(offered, (QStringList{"Obj1", "Obj1", "Obj1"}));

        // The question's default keeps the profile; a yes deletes it.
        QVERIFY(!host.deleteProfile());
        QVERIFY(QFile::exists(home.path("Rulers/Obj 40x.calib")));
        messages.answers.push_back(kwz::IDYES);
        QVERIFY(host.deleteProfile());
        QVERIFY(!QFile::exists(home.path("Rulers/Obj 40x.calib")));
        QVERIFY(host.calibrationProfiles().active() == nullptr);
        QVERIFY(!host.deleteProfile());
    }

    void theMicrometerCommandCalibratesAndTheNextSizeMeasuresTheSame()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        {
            Run run;
            QVERIFY(run.started);
            MessageRecorder messages;
            CMainFrame* frame = run.frame();
            auto* big = static_cast<CImageDoc*>(
                run.app.documents().imageTemplate()->openDocumentFile(QString(), true));
            const zcap::Frame picture = simulatedFrame(2048, 1536);
            QVERIFY(big->buildFromFrame(picture.bgr.data(), 2048, 1536));
            frame->updateCommandStates();
            QVERIFY(frame->action(ID_CALIBRATE_MICROMETER)->isEnabled());

            // Without a line the command says what to do and calibrates nothing.
            frame->action(ID_CALIBRATE_MICROMETER)->trigger();
            QCOMPARE(messages.texts.size(), 1);
            QVERIFY(messages.texts.last().contains(QStringLiteral("Draw a line")));

            // A line over the bare slide finds no scale.
            drawLine(big->bitmap()->handle(), toPixels(-250, 20, 2048, 1536),
                     toPixels(250, 20, 2048, 1536));
            frame->action(ID_CALIBRATE_MICROMETER)->trigger();
            QVERIFY(messages.texts.last().contains(QStringLiteral("No micrometer scale")));
            QVERIFY(frame->images()->calibrationProfiles().active() == nullptr);

            drawLine(big->bitmap()->handle(), toPixels(-262, 164, 2048, 1536),
                     toPixels(262, 164, 2048, 1536));
            frame->action(ID_CALIBRATE_MICROMETER)->trigger();
            QVERIFY2(messages.texts.last().contains(QStringLiteral("Divisions used: 50")),
                     qPrintable(messages.texts.last()));
            CalibrationProfiles& profiles = frame->images()->calibrationProfiles();
            QCOMPARE(profiles.activeName(), QStringLiteral("Default"));
            QVERIFY(QFile::exists(home.path("Rulers/Default.calib")));
            QVERIFY(std::fabs(*profiles.umPerPixel(QSize(2048, 1536)) / trueUmPerPixel(2048) - 1) <
                    1e-3);
            QCOMPARE(frame->bars().ruler->profiles()->currentText(), QStringLiteral("Default"));
            QVERIFY(frame->bars().ruler->scale()->text().contains(QStringLiteral("calibrated")));

            // The disc of 40 um across at (-150, -80), measured on both sizes.
            drawLine(big->bitmap()->handle(), toPixels(-170, -80, 2048, 1536),
                     toPixels(-130, -80, 2048, 1536));
            const float onBig = lineLength(*big, 2);

            auto* small = static_cast<CImageDoc*>(
                run.app.documents().imageTemplate()->openDocumentFile(QString(), true));
            const zcap::Frame smaller = simulatedFrame(640, 480);
            QVERIFY(small->buildFromFrame(smaller.bgr.data(), 640, 480));
            drawLine(small->bitmap()->handle(), toPixels(-170, -80, 640, 480),
                     toPixels(-130, -80, 640, 480));
            const float onSmall = lineLength(*small, 0);
            QVERIFY2(std::fabs(onSmall / onBig - 1) < 0.01,
                     qPrintable(QStringLiteral("%1 against %2").arg(onSmall).arg(onBig)));
            QVERIFY(frame->bars().ruler->scale()->text().contains(QStringLiteral("derived")));
        }
        // The profile in use is remembered.
        QVERIFY(
            home.read("MeasureTool.ini").contains("[Calibration]\r\nstrActiveProfile=Default") ||
            home.read("MeasureTool.ini").contains("[Calibration]\nstrActiveProfile=Default"));
    }
};

std::unique_ptr<QObject> makeCalibrationTest()
{
    return std::make_unique<CalibrationTest>();
}

#include "calibration_test.moc"
