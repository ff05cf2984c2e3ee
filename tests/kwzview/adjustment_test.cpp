// The colour, video-setting and lights bars of a whole program: what each handler stores,
// shows and sends to the camera, when the handlers run, and the white balance whose
// completion comes from the camera's thread.

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolBar>
#include <thread>
#include <vector>

#include "app/bars/colour_bar.h"
#include "app/bars/lights_bar.h"
#include "app/bars/video_setting_bar.h"
#include "app/live/camera_session.h"
#include "app/live/picture_adjustment.h"
#include "live_program.h"

using namespace cmd;

namespace {

// The camera calls of the handlers, as text.
struct CameraLog
{
    QStringList calls;
    ZCAPAWBPROC routine = nullptr;
    void* context = nullptr;
};
CameraLog* cameraLog = nullptr;

int logInfo(ZCAPHANDLE, const ZCAPINFO* info)
{
    cameraLog->calls << QString("info %1 %2 %3 %4")
                            .arg(info->byRedGain)
                            .arg(info->byGreenGain)
                            .arg(info->byBlueGain)
                            .arg(info->dwExposure);
    return ZCAP_OK;
}
int logGamma(ZCAPHANDLE, float gamma, int on)
{
    cameraLog->calls << QString("gamma %1 %2").arg(double(gamma), 0, 'g', 8).arg(on);
    return ZCAP_OK;
}
int logOffsets(ZCAPHANDLE, int red, int green, int blue, int on)
{
    cameraLog->calls << QString("offsets %1 %2 %3 %4").arg(red).arg(green).arg(blue).arg(on);
    return ZCAP_OK;
}
int logBalance(ZCAPHANDLE, int start, int frames, ZCAPAWBPROC done, void* context)
{
    cameraLog->calls << QString("balance %1 %2").arg(start).arg(frames);
    cameraLog->routine = done;
    cameraLog->context = context;
    return ZCAP_OK;
}

// The mean green byte of a frame grabbed from the program's camera now.
double meanGreen(Program& p)
{
    const ZCAPINFO info = p.run->app.camera().captureInfo();
    const int w = int(info.dwWidth), h = int(info.dwHeight);
    std::vector<BYTE> bgr(size_t(w) * h * 3);
    if (ZcapGetRgbFrame(p.run->app.camera().device(), &info, bgr.data()) != ZCAP_OK)
        return -1;
    double sum = 0;
    for (size_t i = 1; i < bgr.size(); i += 3)
        sum += bgr[i];
    return sum / (double(w) * h);
}

} // namespace

class AdjustmentTest : public QObject
{
    Q_OBJECT

    CameraLog log;

    // From now on; what showing the bars queued has run by then.
    void record(Program& p)
    {
        QCoreApplication::processEvents();
        cameraLog = &log;
        log = CameraLog{};
        p.frame()->adjustment().setCameraCalls({&logInfo, &logGamma, &logOffsets, &logBalance});
    }
    static ColourBar* colour(Program& p) { return p.frame()->bars().colour; }
    static VideoSettingBar* videoSetting(Program& p) { return p.frame()->bars().videoSetting; }

  private Q_SLOTS:
    void defaultPutsRowsOneToFiveBackAndSendsTheThreeOffsets()
    {
        Program p("nBrightness=50\nnSharpness=150\nnGamma=100\nnGreenOffset=100\n"
                  "nBlueOffset=100\nExposalNum=150\n");
        record(p);
        // Without the live window the bar changes nothing.
        colour(p)->slider(ColourBar::RedGain)->setValue(20);
        QCOMPARE(p.settings().redGain, 50);
        QVERIFY(log.calls.isEmpty());

        QVERIFY(p.connect() != nullptr);
        log = CameraLog{};
        QTest::mouseClick(colour(p)->control(IDC_COLOR_DEFAULT), Qt::LeftButton);
        const QStringList expected = {"info 30 30 30 150", "info 30 30 30 150", "info 30 30 30 150",
                                      "gamma 1 1", "offsets 30 100 100 1"};
        QCOMPARE(log.calls, expected);
        QCOMPARE(p.settings().redGain, 30);
        QCOMPARE(p.settings().gamma, 100);
        QCOMPARE(p.settings().redOffset, 30);
        QCOMPARE(p.settings().greenOffset, 100);
        QCOMPARE(p.settings().blueOffset, 100);
        QCOMPARE(colour(p)->slider(ColourBar::GreenOffset)->value(), 100);
        QCOMPARE(colour(p)->number(ColourBar::Gamma)->text(), QStringLiteral("1.00"));
        QCOMPARE(colour(p)->number(ColourBar::RedOffset)->text(), QStringLiteral("30"));
    }

    void eachSliderStoresShowsAndSendsItsValue()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        record(p);
        ColourBar* bar = colour(p);
        bar->slider(ColourBar::Gamma)->setValue(1);
        QCOMPARE(bar->number(ColourBar::Gamma)->text(), QStringLiteral("0.01"));
        bar->slider(ColourBar::Gamma)->setValue(200);
        QCOMPARE(bar->number(ColourBar::Gamma)->text(), QStringLiteral("2.00"));
        QCOMPARE(p.settings().gamma, 200);
        bar->slider(ColourBar::BlueGain)->setValue(63);
        QCOMPARE(p.run->app.camera().captureInfo().byBlueGain, BYTE(63));
        QCOMPARE(bar->number(ColourBar::BlueGain)->text(), QStringLiteral("63"));
        bar->slider(ColourBar::BlueOffset)->setValue(-255);
        QCOMPARE(p.settings().blueOffset, -255);
        QCOMPARE(log.calls, (QStringList{"gamma 0.0099999998 1", "gamma 2 1", "info 30 30 63 150",
                                         "offsets 30 30 -255 1"}));
    }

    void theCameraStartsWithTheBarsValuesSoShowingABarChangesNothing()
    {
        Program p("nBrightness=40\nnSharpness=80\nnGamma=-5\nExposalNum=200\n");
        cameraLog = &log;
        log = CameraLog{};
        p.frame()->adjustment().setCameraCalls({&logInfo, &logGamma, &logOffsets, &logBalance});
        QVERIFY(p.connect() != nullptr);
        // Hidden, the bars have already given the camera what they will show.
        const ZCAPINFO& info = p.run->app.camera().captureInfo();
        QCOMPARE(info.byRedGain, BYTE(40));
        QCOMPARE(info.dwExposure, DWORD(200));
        QVERIFY(log.calls.contains("gamma 0.80000001 1"));
        QVERIFY(log.calls.contains("offsets -5 30 30 1"));
        record(p);
        p.command(ID_VIDEO_SHOWCOLORBAR);
        QTRY_VERIFY(log.calls.contains("offsets -5 30 30 1"));
        QVERIFY(log.calls.contains("info 40 30 30 200"));
        QVERIFY(log.calls.contains("gamma 0.80000001 1"));
        QCOMPARE(colour(p)->number(ColourBar::Gamma)->text(), QStringLiteral("0.80"));
        p.command(ID_VIDEO_MANUALWB);
        QTRY_COMPARE(log.calls.last(), QStringLiteral("info 40 30 30 200"));
        QCOMPARE(videoSetting(p)->exposureNumber()->text(), QStringLiteral("200"));
        // Every description sent is the one the camera started with.
        for (const QString& call : log.calls)
            if (call.startsWith("info"))
                QCOMPARE(call, QStringLiteral("info 40 30 30 200"));
    }

    void exposureKeysStopAtTheSlidersEnds()
    {
        Program p("ExposalNum=350\nbShowVideoSettingBar=1\n");
        QVERIFY(p.connect() != nullptr);
        record(p);
        QTest::keyClick(p.live->view(), Qt::Key_U);
        QCOMPARE(p.settings().exposure, 350);
        QCOMPARE(log.calls.last(), QStringLiteral("info 30 30 30 350"));
        QTest::keyClick(p.live->view(), Qt::Key_I);
        QCOMPARE(p.settings().exposure, 349);
        QCOMPARE(videoSetting(p)->exposure()->value(), 349);
        QCOMPARE(videoSetting(p)->exposureNumber()->text(), QStringLiteral("349"));
        QCOMPARE(p.run->app.camera().captureInfo().dwExposure, DWORD(349));
    }

    void exposureKeysIgnoreChordsButTakeUpperCaseAndShiftedPlus()
    {
        Program p("ExposalNum=200\n");
        QVERIFY(p.connect() != nullptr);
        QTest::keyClick(p.live->view(), Qt::Key_U, Qt::ControlModifier);
        QTest::keyClick(p.live->view(), Qt::Key_Minus, Qt::AltModifier);
        QTest::keyClick(p.live->view(), Qt::Key_Minus, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(p.settings().exposure, 200);
        QTest::keyClick(p.live->view(), Qt::Key_Plus, Qt::ShiftModifier);
        QCOMPARE(p.settings().exposure, 201);
        QTest::keyClick(p.live->view(), Qt::Key_I, Qt::ShiftModifier);
        QTest::keyClick(p.live->view(), Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(p.settings().exposure, 199);
    }

    void whiteBalanceCompletesThroughAnEventAndTheSlidersFollow()
    {
        Program p("bShowVideoSettingBar=1\n");
        QVERIFY(p.connect() != nullptr);
        record(p);
        QPushButton* button = videoSetting(p)->whiteBalance();
        button->click();
        QCOMPARE(log.calls, QStringList{"balance 1 180"});
        QVERIFY(button->isChecked());
        QCOMPARE(p.frame()->adjustment().whiteBalanceRunning(), 1);
        QCOMPARE(log.context, static_cast<void*>(&p.frame()->adjustment()));

        // Red 20, green 35, blue 40, half the exposure 200, from the camera's thread.
        std::thread camera([&] { log.routine(0xC8282314u, log.context); });
        camera.join();
        QTRY_VERIFY(!p.frame()->adjustment().whiteBalanceRunning());
        QVERIFY(!button->isChecked());
        QVERIFY(button->isCheckable());
        QCOMPARE(colour(p)->slider(ColourBar::RedGain)->value(), 20);
        QCOMPARE(colour(p)->slider(ColourBar::BlueGain)->value(), 40);
        QCOMPARE(videoSetting(p)->exposure()->value(), 350);
        // The camera got 400; the slider's handler then put its maximum back.
        QTRY_COMPARE(log.calls.size(), 3);
        QCOMPARE(log.calls[1], QStringLiteral("info 20 35 40 400"));
        QCOMPARE(log.calls[2], QStringLiteral("info 20 35 40 350"));
        QCOMPARE(p.settings().exposure, 350);
        // The colour bar is hidden, so its stored gains wait for its sliders to be drawn.
        QCOMPARE(p.settings().redGain, 30);

        // A second click cancels and lets the button go.
        button->click();
        button->click();
        QCOMPARE(log.calls.mid(3), (QStringList{"balance 1 180", "balance 0 180"}));
        QVERIFY(!button->isChecked());
        QCOMPARE(p.frame()->adjustment().whiteBalanceRunning(), 0);
    }

    void theCamerasOwnWhiteBalanceReleasesTheButton()
    {
        Program p("bShowVideoSettingBar=1\nbShowVideoColorBar=1\n");
        QVERIFY(p.connect() != nullptr);
        QPushButton* button = videoSetting(p)->whiteBalance();
        button->click();
        QVERIFY(button->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(!button->isChecked(), 15000);
        const ZCAPINFO& info = p.run->app.camera().captureInfo();
        QCOMPARE(colour(p)->slider(ColourBar::GreenGain)->value(), int(info.byGreenGain));
        QTRY_COMPARE(p.settings().greenGain, int(info.byGreenGain));
    }

    void theLightSwitchesShowTheirStateAndLightTheSimulatedScene()
    {
        Program p("LIGHTINNER=1\nLIGHTOUTER=0\nLIGHTLASER=0\nBackLightOnOff=1\n");
        LightsBar* lights = p.frame()->bars().lights;
        QVERIFY(lights->innerLight()->isChecked() && !lights->outerLight()->isChecked());
        QVERIFY(lights->bottomLight()->isChecked() && !lights->laserLight()->isChecked());
        QVERIFY(p.connect() != nullptr);

        // The Adjust menu reaches the bar.
        QMenu* adjust = p.frame()->menu(MenuKind::Video, 3);
        QAction* item = nullptr;
        for (QAction* a : adjust->actions())
            if (a->data().toInt() == ID_VIDEO_SHOWLEDBAR)
                item = a;
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("&Lights"));
        QVERIFY(p.frame()->barHost(Bar::Lights)->isHidden());
        item->trigger();
        QTRY_VERIFY(!p.frame()->barHost(Bar::Lights)->isHidden());
        Q_EMIT adjust->aboutToShow();
        QVERIFY(item->isChecked());

        const double start = meanGreen(p);
        QVERIFY(start > 0);
        // The bottom light off leaves the top light's dimmer picture; the outer top light
        // brightens it again.
        lights->bottomLight()->click();
        QCOMPARE(p.settings().backLight, 0);
        QVERIFY(!lights->bottomLight()->isChecked());
        QTRY_VERIFY(meanGreen(p) < start - 30);
        const double topOnly = meanGreen(p);
        lights->outerLight()->click();
        QCOMPARE(p.settings().lightOuter, 1);
        QTRY_VERIFY(meanGreen(p) > topOnly + 5);
        // A picture started again takes the stored switches.
        p.frame()->adjustment().startCameraWithBarValues();
        QTRY_VERIFY(meanGreen(p) > topOnly + 5 && meanGreen(p) < start - 10);
    }

    void frequencyAndFlipsKeepTheirOwnState()
    {
        Program p;
        auto* hz50 = p.frame()->bars().lights->control<QRadioButton>(IDC_LIGHT_50HZ);
        auto* hz60 = p.frame()->bars().lights->control<QRadioButton>(IDC_LIGHT_60HZ);
        // Not in live work: the click is taken back.
        hz60->click();
        QCOMPARE(p.settings().frequency, 0);
        QVERIFY(hz50->isChecked() && !hz60->isChecked());
        QVERIFY(p.connect() != nullptr);
        hz60->click();
        QCOMPARE(p.settings().frequency, 1);
        QVERIFY(hz60->isChecked() && !hz50->isChecked());
        hz50->click();
        QCOMPARE(p.settings().frequency, 0);
        // A value only an edited file holds checks neither.
        p.frame()->bars().lights->setFrequency(4);
        QVERIFY(!hz50->isChecked() && !hz60->isChecked());

        PictureAdjustment& adjustment = p.frame()->adjustment();
        QVERIFY(!videoSetting(p)->verticalFlip()->isEnabled());
        adjustment.onVerticalFlip();
        adjustment.onHorizontalFlip();
        adjustment.onHorizontalFlip();
        QCOMPARE(adjustment.verticalFlip(), 1);
        QCOMPARE(adjustment.horizontalFlip(), 0);
    }
};

std::unique_ptr<QObject> makeAdjustmentTest()
{
    return std::make_unique<AdjustmentTest>();
}

#include "adjustment_test.moc"
