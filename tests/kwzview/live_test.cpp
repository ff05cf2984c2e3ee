// The live window with the simulated camera in its deterministic mode: placement, fit,
// freeze, sizes, cross-hair, keys, panes, and the picture path from the capture thread to the
// screen. The main frame's side is its models and a recorder of what the window asks.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <random>

#include "app/live/camera_session.h"
#include "app/live/live_bars.h"
#include "app/live/live_capture.h"
#include "app/live/live_services.h"
#include "app/live/live_session.h"
#include "app/live/live_surface.h"
#include "app/live/rgb32_context.h"
#include "app/live/video_doc.h"
#include "app/live/video_frame.h"
#include "app/live/video_view.h"
#include "app/shell/command_ids.h"
#include "app/shell/language.h"
#include "app/shell/settings.h"
#include "app/shell/status_panes.h"
#include "platform/message_box.h"
#include "window_keys.h"

using namespace cmd;

namespace {

constexpr QRgb kRed = 0xFFFF0000u;

// The main frame's side of a live window: its models, and what the window asked of them.
class FakeHost : public QObject
{
  public:
    FakeHost()
    {
        panesModel.setCount(8);
        connect(&panesModel, &StatusPanes::paneChanged, this, [this](int pane) {
            const StatusPanes::Pane& p = panesModel.pane(pane);
            if (panes[pane] != p.text)
                calls << QString("text%1").arg(pane);
            panes[pane] = p.text;
            colours[pane] = {p.background, p.textColour};
            widths[pane] = p.width;
        });
        connect(&liveBars, &LiveBars::toggleRequested, this, [this](LiveBar bar) {
            setBar(bar, !bars[bar]);
            calls << QString("toggle%1").arg(int(bar));
        });
        for (auto bar : {LiveBar::Color, LiveBar::Capture, LiveBar::Size, LiveBar::VideoTool,
                         LiveBar::VideoStatus, LiveBar::VideoSetting})
            bars[bar] = false;
        services.exposureSlider = [this](int exposure) {
            sliderValues << exposure;
            return hasSlider;
        };
        area.resize(1000, 700);
    }

    void setBar(LiveBar bar, bool shown)
    {
        bars[bar] = shown;
        liveBars.setShown(bar, shown);
    }
    void SetPaneColours(int pane, COLORREF background, COLORREF text)
    {
        panesModel.setPaneColours(pane, background, text);
    }
    QSize clientSize() const { return area.viewport()->size(); }

    // The language and tool tips of the moment, as the program folder would give them.
    void loadLanguage()
    {
        QDir(folder.path()).mkpath("Language");
        QFile tips(folder.filePath(toolTipFile(language)));
        QVERIFY(tips.open(QIODevice::WriteOnly));
        tips.write(QByteArray("[") + toolTipSection(language) + "]\n");
        for (const ToolTipCommand& command : toolTipCommands())
            if (auto it = this->tips.find(command.id); it != this->tips.end())
                tips.write(QByteArray(command.name) + "=" + it->second.c_str() + "\n");
        tips.close();
        languages.LoadLanguage(folder.path().toStdString() + "/", language);
    }

    // The frame's announcements of focus, activation, closing and size.
    void watch(CVideoFrame* frame)
    {
        connect(frame, &CVideoFrame::focused, this, [this] { calls << "showVideoBars"; });
        connect(frame, &CVideoFrame::activated, this, [this] { calls << "showVideoSideBars"; });
        connect(frame, &CVideoFrame::closing, this, [this] {
            calls << "hideVideoBars"
                  << "hideStatusBar";
            liveWindow = 0;
        });
        connect(&frame->liveSession(), &LiveSession::sizeIndexChanged, this, [this](int index) {
            sizeButton = index;
            calls << "sizeButtons";
        });
    }

    QTemporaryDir folder;
    QString panes[8];
    std::pair<COLORREF, COLORREF> colours[8] = {};
    int widths[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    FrameSettings frameSettings;
    int language = 1;
    std::map<int, std::string> tips;
    std::map<LiveBar, bool> bars;
    QStringList calls;
    int sizeButton = -1;
    bool hasSlider = false;
    QList<int> sliderValues;
    int liveWindow = -1;
    LanguageSession languages;
    StatusPanes panesModel;
    LiveBars liveBars;
    LiveServices services{frameSettings, languages, panesModel, liveBars, {}};
    QMdiArea area; // last, so that its frames go before the models they use
};

int recordMessage(void* context, HWND, const char* text, const char*, unsigned type)
{
    *static_cast<QStringList*>(context) << QString::fromLocal8Bit(text);
    return kwz::defaultAnswer(type);
}

// A camera frame as the screen shows it, top row first.
QImage screenFrame(ZCAPHANDLE device, int width, int height)
{
    ZCAPINFO info{};
    info.dwWidth = width;
    info.dwHeight = height;
    info.dwExposure = 150;
    info.byRedGain = info.byGreenGain = info.byBlueGain = 32;
    std::vector<BYTE> bgr(size_t(width) * height * 3);
    if (ZcapGetRgbFrame(device, &info, bgr.data()) != ZCAP_OK)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const BYTE* p = bgr.data() + (size_t(height - 1 - y) * width + x) * 3;
            image.setPixel(x, y, qRgb(p[2], p[1], p[0]));
        }
    return image;
}

QImage shown(CVideoView* view)
{
    return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels of `part` of the shown view that differ from the picture placed at `at`.
int differences(const QImage& screen, const QImage& picture, QPoint at, QRect part)
{
    int count = 0;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            if (screen.pixel(x, y) != picture.pixel(x - at.x(), y - at.y()))
                ++count;
    return count;
}

} // namespace

class LiveTest : public QObject
{
    Q_OBJECT

    FakeHost* host = nullptr;
    std::unique_ptr<CameraSession> session;
    ZCAPHANDLE device = 0; // the session's camera, opened by init()
    std::unique_ptr<CVideoDoc> document;
    QStringList messages;

    ZCAPINFO& info() { return session->captureInfo(); }

    // A live frame in the client area at a size index, started as connect starts it.
    CVideoFrame* openFrame(int sizeIndex = 1, bool start = true)
    {
        document = std::make_unique<CVideoDoc>("Live");
        document->onNewDocument();
        host->loadLanguage();
        auto* frame = new CVideoFrame(*document, host->services, *session);
        WindowKeys::add(frame, *frame, KeyWindow::Live);
        host->watch(frame);
        host->area.addSubWindow(frame);
        frame->show();
        if (start)
        {
            frame->SetPictureSize(sizeIndex);
            frame->StartPreview();
        }
        return frame;
    }

    // Waits until the view has put a frame painted from now on onto the screen.
    bool waitForNewFrame(CVideoView* view)
    {
        const uint64_t painted = view->surface().paintedFrames();
        if (!QTest::qWaitFor([&] { return view->surface().paintedFrames() > painted + 1; }, 10000))
            return false;
        const uint64_t taken = view->surface().takenFrames();
        return QTest::qWaitFor([&] { return view->surface().takenFrames() > taken; }, 10000);
    }

  private Q_SLOTS:
    void init()
    {
        qputenv("KWZ_CAMERA", "sim:fixed");
        session = std::make_unique<CameraSession>();
        ZCAPINFO& info = session->captureInfo();
        info.dwWidth = 640;
        info.dwHeight = 480;
        info.dwExposure = 150;
        info.byRedGain = info.byGreenGain = info.byBlueGain = 32;
        QVERIFY(session->open());
        device = session->device();
        host = new FakeHost;
        host->area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host->area));
        messages.clear();
        kwz::setMessageBoxHandler(&recordMessage, &messages);
    }

    void cleanup()
    {
        delete host; // frames first: they stop the camera painting into their views
        host = nullptr;
        document.reset();
        session.reset();
        kwz::setMessageBoxHandler(nullptr, nullptr);
    }

    void startKeepsARestoredPlacementAndShowsThePictureCentredInRed()
    {
        CVideoFrame* frame = openFrame(1);
        CVideoView* view = frame->view();
        QVERIFY(frame->started());
        QVERIFY(frame->isMaximized());
        QVERIFY(frame->timerId() != 0);
        QCOMPARE(document->pictureWidth(), 640);
        QCOMPARE(document->pictureHeight(), 480);
        QCOMPARE(info().dwWidth, DWORD(640));
        QCOMPARE(info().dwHeight, DWORD(480));
        QCOMPARE(host->frameSettings.captureSizeIndex, 1);
        QCOMPARE(host->sizeButton, 1);

        QVERIFY(waitForNewFrame(view));
        const QSize client = view->viewport()->size();
        const QPoint at(client.width() / 2 - 320, client.height() / 2 - 240);
        QCOMPARE(view->placement(), QRect(at, QSize(640, 480)));
        QCOMPARE(view->pictureRect(), view->placement());
        QCOMPARE(host->panes[1], QStringLiteral("width:640 height:480"));
        const QImage screen = shown(view);
        const QImage picture = screenFrame(device, 640, 480);
        QCOMPARE(differences(screen, picture, at, view->placement()), 0);
        // The red frame joins the corners one pixel outside, leaving a black line inside
        // on the right and at the bottom.
        QCOMPARE(screen.pixel(at.x() - 1, at.y() - 1), kRed);
        QCOMPARE(screen.pixel(at.x() + 641, at.y() + 481), kRed);
        QCOMPARE(screen.pixel(at.x() + 641, at.y() + 100), kRed);
        QCOMPARE(screen.pixel(at.x() + 640, at.y() + 100), qRgb(0, 0, 0));
        QCOMPARE(screen.pixel(2, 2), qRgb(0, 0, 0));

        // The placement kept for the restored frame: centred, (client - 80) / 2 high.
        frame->showNormal();
        const QSize area = host->clientSize();
        QCOMPARE(frame->geometry(),
                 QRect(area.width() / 2 - 326, (area.height() - 80) / 2 - 259, 652, 518));
    }

    void aWidePictureScrollsAndThePictureFollowsTheScrollPosition()
    {
        CVideoFrame* frame = openFrame(1, false);
        frame->setGeometry(10, 10, 300, 200);
        frame->SetPictureSize(3);
        frame->StartPreview();
        CVideoView* view = frame->view();
        QVERIFY(frame->isMaximized());
        QCOMPARE(view->scrollSize(), QSize(1600, 1200));
        QVERIFY(view->horizontalScrollBar()->maximum() > 300);
        QVERIFY(view->verticalScrollBar()->maximum() > 100);
        view->horizontalScrollBar()->setValue(300);
        view->verticalScrollBar()->setValue(100);
        QCOMPARE(view->placement(), QRect(-300, -100, 1600, 1200));
        QCOMPARE(host->panes[1], QStringLiteral("width:1600 height:1200"));

        QVERIFY(waitForNewFrame(view));
        const QImage screen = shown(view);
        QCOMPARE(differences(screen, screenFrame(device, 1600, 1200), QPoint(-300, -100),
                             view->viewport()->rect()),
                 0);
        // Wider than the client area: no restored placement was set.
        frame->showNormal();
        QCOMPARE(frame->geometry(), QRect(10, 10, 300, 200));
    }

    void fitKeepsThePicturesProportionsAndIsIgnoredWhileFrozen()
    {
        CVideoFrame* frame = openFrame(1);
        CVideoView* view = frame->view();
        QTest::keyClick(view, Qt::Key_F);
        QVERIFY(!frame->fit()); // posted, as a menu command arrives
        QTRY_VERIFY(frame->fit());
        const QSize client = view->viewport()->size();
        const QRect fitted = view->placement();
        // As large as the client area allows at 4:3, centred.
        QVERIFY(fitted.width() == client.width() || fitted.height() == client.height());
        QVERIFY(qAbs(fitted.width() * 3 - fitted.height() * 4) <= 4);
        QVERIFY(QRect(QPoint(0, 0), client).contains(fitted));
        QVERIFY(qAbs(fitted.left() - (client.width() - fitted.right() - 1)) <= 1);
        QVERIFY(qAbs(fitted.top() - (client.height() - fitted.bottom() - 1)) <= 1);
        QCOMPARE(host->panes[1],
                 QString("width:%1 height:%2").arg(fitted.width()).arg(fitted.height()));
        QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
        CommandState state;
        QVERIFY(frame->updateCommand(ID_VIDEO_FILLWINDOW, state));
        QVERIFY(state.checked);

        // Scaled into the fitted rectangle, each screen pixel from its source pixel; black
        // round it.
        QVERIFY(waitForNewFrame(view));
        const QImage screen = shown(view);
        const QImage picture = screenFrame(device, 640, 480);
        int wrong = 0;
        for (int y = 0; y < client.height(); y += 7)
            for (int x = 0; x < client.width(); x += 5)
            {
                const QPoint p(x, y);
                const QRgb expected = fitted.contains(p)
                                          ? picture.pixel((x - fitted.x()) * 640 / fitted.width(),
                                                          (y - fitted.y()) * 480 / fitted.height())
                                          : qRgb(0, 0, 0);
                wrong += screen.pixel(p) != expected;
            }
        QCOMPARE(wrong, 0);

        QTest::keyClick(view, Qt::Key_E);
        QTRY_VERIFY(frame->frozen());
        QTest::keyClick(view, Qt::Key_F);
        QTest::keyClick(view, Qt::Key_F);
        QTest::keyClick(view, Qt::Key_F);
        QCoreApplication::processEvents();
        QVERIFY(frame->fit());
        QTest::keyClick(view, 'e');
        QTRY_VERIFY(!frame->frozen());
        QVERIFY(frame->started());
        QTest::keyClick(view, 'f');
        QTRY_VERIFY(!frame->fit());
        QCOMPARE(host->panes[1], QStringLiteral("width:640 height:480"));
    }

    void freezeStopsThePictureAndShowsTheFrozenFrame()
    {
        CVideoFrame* frame = openFrame(1);
        CVideoView* view = frame->view();
        QVERIFY(waitForNewFrame(view));
        frame->onCommand(ID_BUTTON_FREEZE);
        QVERIFY(frame->frozen());
        QVERIFY(!frame->started());
        QCOMPARE(frame->timerId(), 0);
        QCOMPARE(frame->freezeBuffer().size(), size_t(640 * 480 * 3));
        const QImage picture = screenFrame(device, 640, 480);
        QCOMPARE(frame->freezeImage(), picture);
        // The camera no longer paints; the view shows the frozen picture.
        const uint64_t painted = view->surface().paintedFrames();
        QTest::qWait(200);
        QCOMPARE(view->surface().paintedFrames(), painted);
        const QPoint at = view->placement().topLeft();
        QCOMPARE(differences(shown(view), picture, at, view->placement()), 0);
        CommandState state;
        QVERIFY(frame->updateCommand(ID_BUTTON_FREEZE, state));
        QVERIFY(state.checked);

        // The video-setting bar stays as it is while frozen.
        frame->onCommand(ID_VIDEO_MANUALWB);
        QVERIFY(!host->bars[LiveBar::VideoSetting]);

        frame->onCommand(ID_BUTTON_FREEZE);
        QVERIFY(!frame->frozen());
        QVERIFY(frame->started());
        QVERIFY(frame->freezeBuffer().empty());
        QVERIFY(waitForNewFrame(view));
    }

    void sizeButtonsSwitchTheSizeButTheCurrentOneDoesNothing()
    {
        CVideoFrame* frame = openFrame(1);
        CVideoView* view = frame->view();
        host->calls.clear();
        QVERIFY(frame->onCommand(IDC_SIZE_640));
        QCOMPARE(host->calls, QStringList());
        QVERIFY(frame->started());

        QVERIFY(frame->onCommand(IDC_SIZE_320));
        QCOMPARE(frame->pictureWidth(), 320);
        QCOMPARE(frame->pictureHeight(), 240);
        QCOMPARE(info().dwWidth, DWORD(320));
        QCOMPARE(info().dwHeight, DWORD(240));
        QCOMPARE(host->frameSettings.captureSizeIndex, 0);
        QCOMPARE(host->sizeButton, 0);
        QCOMPARE(host->panes[1], QStringLiteral("width:320 height:240"));
        QVERIFY(frame->started());
        QVERIFY(waitForNewFrame(view));
        const QSize client = view->viewport()->size();
        const QPoint at(client.width() / 2 - 160, client.height() / 2 - 120);
        QCOMPARE(view->placement(), QRect(at, QSize(320, 240)));
        QCOMPARE(differences(shown(view), screenFrame(device, 320, 240), at, view->placement()), 0);

        // An index outside the table is stored but leaves the picture as it was.
        frame->SetPictureSize(7);
        QCOMPARE(host->frameSettings.captureSizeIndex, 7);
        QCOMPARE(frame->pictureWidth(), 320);
    }

    void theCrossHairIsShownOverThePictureNotPaintedIntoItAndStaysOnAcrossASizeSwitch()
    {
        CVideoFrame* frame = openFrame(1);
        CVideoView* view = frame->view();
        QVERIFY(frame->onCommand(ID_VIDEO_CROSSLINE));
        CommandState state;
        frame->updateCommand(ID_VIDEO_CROSSLINE, state);
        QVERIFY(state.checked);

        // Rows h/2 to h/2 + 2 of the bottom-up frame, columns w/2 to w/2 + 2.
        auto crossShown = [&](int w, int h) {
            const QImage screen = shown(view);
            const QPoint at = view->placement().topLeft();
            const QImage scene = screenFrame(device, w, h);
            for (int k = 0; k < 3; ++k)
                for (int x = 0; x < w; x += 3)
                    if (screen.pixel(at.x() + x, at.y() + h - 1 - (h / 2 + k)) != kRed)
                        return false;
            for (int k = 0; k < 3; ++k)
                for (int y = 0; y < h; y += 3)
                    if (screen.pixel(at.x() + w / 2 + k, at.y() + y) != kRed)
                        return false;
            // The camera's own frame holds no cross, and next to the cross the scene is shown
            // untouched.
            if (scene.pixel(w / 2 + 1, 5) == kRed || scene.pixel(5, h - 1 - (h / 2 + 1)) == kRed)
                return false;
            return screen.pixel(at.x() + w / 2 + 3, at.y() + 5) == scene.pixel(w / 2 + 3, 5) &&
                   screen.pixel(at.x() + 5, at.y() + h - 1 - (h / 2 + 3)) ==
                       scene.pixel(5, h - 1 - (h / 2 + 3));
        };
        QVERIFY(waitForNewFrame(view));
        QVERIFY(crossShown(640, 480));

        QVERIFY(frame->onCommand(IDC_SIZE_320));
        frame->updateCommand(ID_VIDEO_CROSSLINE, state);
        QVERIFY(state.checked);
        QVERIFY(waitForNewFrame(view));
        QVERIFY(crossShown(320, 240));

        QVERIFY(frame->onCommand(ID_VIDEO_CROSSLINE));
        QVERIFY(!frame->crossHair());
        QVERIFY(waitForNewFrame(view));
        const QPoint at = view->placement().topLeft();
        QCOMPARE(differences(shown(view), screenFrame(device, 320, 240), at, view->placement()), 0);
    }

    void exposureKeysStepTheStoredValueBetweenZeroAnd1000_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("after");
        QTest::newRow("I lowers") << 150 << int(Qt::Key_I) << 149;
        QTest::newRow("minus lowers") << 1 << int(Qt::Key_Minus) << 0;
        QTest::newRow("U raises") << 150 << int(Qt::Key_U) << 151;
        QTest::newRow("plus raises") << 999 << int(Qt::Key_Plus) << 1000;
        QTest::newRow("I at 0") << 0 << int(Qt::Key_I) << 0;
        QTest::newRow("minus at 0") << 0 << int(Qt::Key_Minus) << 0;
        QTest::newRow("U at 1000") << 1000 << int(Qt::Key_U) << 1000;
        QTest::newRow("plus at 1000") << 1000 << int(Qt::Key_Plus) << 1000;
    }

    void exposureKeysStepTheStoredValueBetweenZeroAnd1000()
    {
        QFETCH(int, before);
        QFETCH(int, key);
        QFETCH(int, after);
        CVideoFrame* frame = openFrame(1, false);
        for (bool slider : {false, true})
        {
            host->hasSlider = slider;
            host->sliderValues.clear();
            host->frameSettings.exposure = before;
            info().dwExposure = 77;
            QTest::keyClick(frame->view(), Qt::Key(key));
            QCOMPARE(host->frameSettings.exposure, after);
            // Without a slider the frame sends the value; with one the slider's handler does.
            const bool changed = before != after;
            QCOMPARE(host->sliderValues, changed ? QList<int>{after} : QList<int>{});
            QCOMPARE(info().dwExposure, DWORD(changed && !slider ? after : 77));
        }
    }

    void withoutACameraTheExposureKeysOnlyStoreTheValue()
    {
        session = std::make_unique<CameraSession>(); // never opened
        CVideoFrame* frame = openFrame(1);
        QVERIFY(!frame->started());
        host->frameSettings.exposure = 10;
        info().dwExposure = 77;
        QTest::keyClick(frame->view(), Qt::Key_U, Qt::ShiftModifier);
        QCOMPARE(host->frameSettings.exposure, 11);
        QCOMPARE(info().dwExposure, DWORD(77));
        frame->onCommand(ID_VIDEO_MANUALWB);
        QVERIFY(!host->bars[LiveBar::VideoSetting]);
        QVERIFY(messages.isEmpty());
    }

    void lettersPostTheirBarCommandsAndCheckMarksFollowTheBars_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("bar");
        QTest::newRow("B") << int(Qt::Key_B) << ID_VIDEO_SHOWCOLORBAR << int(LiveBar::Color);
        QTest::newRow("S") << int(Qt::Key_S) << ID_VIDEO_SHOWSIZEBAR << int(LiveBar::Size);
        QTest::newRow("W") << int(Qt::Key_W) << ID_VIDEO_MANUALWB << int(LiveBar::VideoSetting);
    }

    void lettersPostTheirBarCommandsAndCheckMarksFollowTheBars()
    {
        QFETCH(int, key);
        QFETCH(int, command);
        QFETCH(int, bar);
        CVideoFrame* frame = openFrame(1);
        const LiveBar which = LiveBar(bar);
        QTest::keyClick(frame->view(), Qt::Key(key));
        QVERIFY(!host->bars[which]);
        QTRY_VERIFY(host->bars[which]);
        CommandState state;
        QVERIFY(frame->updateCommand(command, state));
        QVERIFY(state.enabled && state.checked);
        // Upper case is the same key.
        QTest::keyClick(frame->view(), Qt::Key(key), Qt::ShiftModifier);
        QTRY_VERIFY(!host->bars[which]);
        frame->updateCommand(command, state);
        QVERIFY(!state.checked);
    }

    void barCommandsToggleTheirBarsAndTheSettingBarItemOnlyShowsTheCaptureBar()
    {
        CVideoFrame* frame = openFrame(1);
        const std::pair<int, LiveBar> toggles[] = {{ID_VIDEO_SHOWCOLORBAR, LiveBar::Color},
                                                   {ID_CAPTURE_SETTING, LiveBar::Capture},
                                                   {ID_VIDEO_SHOWSIZEBAR, LiveBar::Size},
                                                   {ID_VIEW_VIDEO_TOOLBAR, LiveBar::VideoTool},
                                                   {ID_VIEW_VIDEO_STATUSBAR, LiveBar::VideoStatus},
                                                   {ID_VIDEO_MANUALWB, LiveBar::VideoSetting}};
        for (auto [command, bar] : toggles)
        {
            QVERIFY(frame->onCommand(command));
            QVERIFY(host->bars[bar]);
        }
        CommandState state;
        host->calls.clear();
        QVERIFY(frame->onCommand(ID_VIDEO_SHOWSETTINGBAR));
        QCOMPARE(host->calls, QStringList());
        QVERIFY(frame->updateCommand(ID_VIDEO_SHOWSETTINGBAR, state));
        QVERIFY(state.enabled && state.checked);
        host->setBar(LiveBar::Capture, false);
        frame->updateCommand(ID_VIDEO_SHOWSETTINGBAR, state);
        QVERIFY(!state.checked);
        for (int id : {ID_VIDEO_SELECTCOMPRESSOR, ID_VIDEO_HIGHQUALITY})
        {
            QVERIFY(frame->updateCommand(id, state));
            QVERIFY(!state.enabled);
        }
        QVERIFY(!frame->onCommand(ID_FILE_OPEN));
        QVERIFY(!frame->updateCommand(ID_FILE_OPEN, state));
    }

    void theTickShowsTheFrameRateInTheLanguageOfTheMoment_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("Simplified Chinese")
            << 0 << QString::fromUtf8("^ 帧率:  \\d+\\.\\d\\d  帧/秒$");
        QTest::newRow("English") << 1 << QString("^ FPS: \\d+\\.\\d\\d Frames/Seconds$");
        QTest::newRow("Traditional Chinese")
            << 2 << QString("^ FPS: \\d+\\.\\d\\d Frames/Seconds$");
    }

    void theTickShowsTheFrameRateInTheLanguageOfTheMoment()
    {
        QFETCH(int, language);
        QFETCH(QString, pattern);
        host->language = language;
        CVideoFrame* frame = openFrame(1);
        QCOMPARE(host->panes[1], language == 0 ? QString::fromUtf8("宽:640 高:480")
                                               : QString("width:640 height:480"));
        frame->onTimer();
        QVERIFY2(QRegularExpression(pattern).match(host->panes[3]).hasMatch(),
                 qPrintable(host->panes[3]));
        // The camera delivers: after a second the rate is no longer 0.
        QTRY_VERIFY_WITH_TIMEOUT(
            (frame->onTimer(), !host->panes[3].contains(QLatin1String(" 0.00"))), 5000);
        frame->StopPreview();
        QCOMPARE(frame->timerId(), 0);
        host->panes[3] = "unchanged";
        frame->onTimer();
        QCOMPARE(host->panes[3], QStringLiteral("unchanged"));
    }

    void aViewThatCannotStartSaysGgfAndALaterSwitchTriesAgain()
    {
        // The camera goes away behind the session's back: its handle no longer works.
        ZCAPHANDLE gone = session->device();
        ZcapUninitialize(&gone);
        CVideoFrame* frame = openFrame(1);
        QCOMPARE(messages, QStringList{"ggf"});
        QVERIFY(!frame->started());
        QCOMPARE(frame->timerId(), 0);
        // No size text of the start: only the placement's, of a document still without a size.
        QCOMPARE(document->pictureWidth(), 0);
        QVERIFY(!host->panes[1].contains("640"));

        QVERIFY(session->open());
        QVERIFY(frame->onCommand(IDC_SIZE_320));
        QVERIFY(frame->started());
        QCOMPARE(messages.size(), 1);
        QVERIFY(waitForNewFrame(frame->view()));
    }

    void focusActivationPointerAndCloseSetThePanesAndBars()
    {
        host->language = 2;
        host->tips[ID_OP_VIDEO_WINDOW] = "Video window";
        auto* other = host->area.addSubWindow(new QWidget);
        other->show();
        CVideoFrame* frame = openFrame(1);
        QPointer<CVideoFrame> watch(frame);
        CVideoView* view = frame->view();
        host->area.setActiveSubWindow(other);
        host->SetPaneColours(5, RGB(253, 185, 36), RGB(0, 0, 0));
        host->calls.clear();

        host->area.setActiveSubWindow(frame);
        view->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(host->calls.contains("showVideoBars"));
        QVERIFY(host->calls.indexOf("showVideoSideBars") < host->calls.indexOf("showVideoBars"));
        QCOMPARE(host->panes[3], QStringLiteral("Video window"));
        const int widths[8] = {0, 130, 110, 130, 50, 120, 120, 80};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(host->widths[i], widths[i]);
        QCOMPARE(host->panes[2], QStringLiteral("X: 0 Y: 0"));
        const QString english[4] = {" AOI ", " High Quality ", " Video Record ", "Replaying"};
        for (int pane = 4; pane < 8; ++pane)
        {
            QCOMPARE(host->panes[pane], english[pane - 4]);
            QCOMPARE(host->colours[pane].first, RGB(200, 200, 200));
            QCOMPARE(host->colours[pane].second, RGB(100, 100, 100));
        }

        // Picture pixels from the picture's corner, wherever the picture sits in the window.
        QTest::mouseMove(view->viewport(), view->placement().topLeft() + QPoint(10, 20));
        QTRY_COMPARE(host->panes[2], QStringLiteral("X: 10  Y: 20  "));

        host->calls.clear();
        frame->close();
        QTRY_VERIFY(watch.isNull());
        QVERIFY(host->calls.contains("hideVideoBars"));
        QVERIFY(host->calls.contains("hideStatusBar"));
        QCOMPARE(host->liveWindow, 0);
        QVERIFY(!QApplication::overrideCursor());
        float fps = 1;
        QTRY_VERIFY_WITH_TIMEOUT((ZcapGetFrameRate(device, &fps), fps == 0), 5000);
    }

    void thePointerIsCountedInPicturePixels()
    {
        const QSize vga(640, 480);
        using P = std::optional<QPoint>;
        // Shown at its size, anywhere in the window.
        QCOMPARE(CVideoView::picturePixel({100, 50}, QRect(100, 50, 640, 480), vga),
                 P(QPoint(0, 0)));
        QCOMPARE(CVideoView::picturePixel({739, 529}, QRect(100, 50, 640, 480), vga),
                 P(QPoint(639, 479)));
        QCOMPARE(CVideoView::picturePixel({740, 300}, QRect(100, 50, 640, 480), vga), P());
        QCOMPARE(CVideoView::picturePixel({99, 300}, QRect(100, 50, 640, 480), vga), P());
        // Scrolled: the corner lies above and left of the window.
        QCOMPARE(CVideoView::picturePixel({0, 0}, QRect(-300, -200, 2048, 1536), {2048, 1536}),
                 P(QPoint(300, 200)));
        // Stretched to fit, larger and smaller: each window pixel covers part of a picture
        // pixel or several of them.
        QCOMPARE(CVideoView::picturePixel({1279, 959}, QRect(0, 0, 1280, 960), vga),
                 P(QPoint(639, 479)));
        QCOMPARE(CVideoView::picturePixel({641, 481}, QRect(0, 0, 1280, 960), vga),
                 P(QPoint(320, 240)));
        QCOMPARE(CVideoView::picturePixel({10 + 160, 5 + 120}, QRect(10, 5, 320, 240), vga),
                 P(QPoint(320, 240)));
        QCOMPARE(CVideoView::picturePixel({5, 5}, QRect(0, 0, 10, 10), QSize()), P());
    }

    void closingSwitchingAndDestroyingWhileFramesArriveIsSafe()
    {
        CVideoFrame* frame = openFrame(4);
        frame->onCommand(ID_VIDEO_CROSSLINE);
        QVERIFY(waitForNewFrame(frame->view()));
        // Sizes switched back and forth while frames and their events keep coming.
        const int buttons[] = {IDC_SIZE_320, IDC_SIZE_2048, IDC_SIZE_640, IDC_SIZE_1600,
                               IDC_SIZE_1280};
        for (int round = 0; round < 3; ++round)
            for (int id : buttons)
            {
                QVERIFY(frame->onCommand(id));
                QVERIFY(frame->started());
                QCoreApplication::processEvents();
            }
        QCOMPARE(frame->pictureWidth(), 1280);
        QVERIFY(waitForNewFrame(frame->view()));

        // Closed as the user closes it, with frames on their way.
        QPointer<CVideoFrame> watch(frame);
        frame->close();
        QTRY_VERIFY(watch.isNull());

        // Connect again; then the frame goes without being closed, as at shutdown.
        frame = openFrame(4);
        frame->onCommand(ID_VIDEO_CROSSLINE);
        QVERIFY(waitForNewFrame(frame->view()));
        delete frame;
        QTest::qWait(100);

        frame = openFrame(0);
        QVERIFY(waitForNewFrame(frame->view()));
    }

    void theSurfacePostsOneEventForManyFramesAndShowsTheNewest()
    {
        struct Receiver : QObject
        {
            int events = 0;
            bool event(QEvent* e) override
            {
                if (e->type() != LiveSurface::frameReadyEvent())
                    return QObject::event(e);
                ++events;
                return true;
            }
        } receiver;
        LiveSurface surface(&receiver);
        surface.resize(QSize(8, 4));
        auto paint = [&](BYTE shade) {
            BITMAPINFO bmi{};
            bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            bmi.bmiHeader.biWidth = 8;
            bmi.bmiHeader.biHeight = 4;
            bmi.bmiHeader.biPlanes = 1;
            bmi.bmiHeader.biBitCount = 24;
            std::vector<BYTE> bits(8 * 4 * 3, shade);
            kwz::DrawContext* dc = surface.getDC();
            QVERIFY(dc != nullptr);
            dc->setDIBitsToDevice(0, 0, 8, 4, 0, 0, bits.data(), &bmi);
            surface.releaseDC(dc);
        };
        for (BYTE shade : {10, 20, 30, 40, 50})
            paint(shade);
        QCoreApplication::processEvents();
        QCOMPARE(receiver.events, 1);
        QCOMPARE(surface.paintedFrames(), uint64_t(5));
        QCOMPARE(surface.skippedFrames(), uint64_t(4));
        QVERIFY(surface.takeFrame());
        QCOMPARE(surface.front().pixel(3, 2), qRgb(50, 50, 50));
        QVERIFY(!surface.takeFrame());
        QVERIFY(surface.hasFrame());

        // Until the view acknowledges the event, frames post no more.
        paint(60);
        QCoreApplication::processEvents();
        QCOMPARE(receiver.events, 1);
        surface.acknowledge();
        paint(70);
        QCoreApplication::processEvents();
        QCOMPARE(receiver.events, 2);

        // A frame begun before a restart belongs to the old stream and is never shown.
        kwz::DrawContext* dc = surface.getDC();
        surface.restart();
        surface.releaseDC(dc);
        QVERIFY(!surface.takeFrame());
        QVERIFY(!surface.hasFrame());
    }

    void frameCopiesMatchThePlatformContext_data()
    {
        QTest::addColumn<QRect>("dest");
        QTest::addColumn<QRect>("source");
        QTest::addColumn<bool>("bottomUp");
        QTest::newRow("one to one") << QRect(0, 0, 37, 23) << QRect(0, 0, 37, 23) << true;
        QTest::newRow("top-down source") << QRect(3, 2, 37, 23) << QRect(0, 0, 37, 23) << false;
        QTest::newRow("above and left") << QRect(-5, -3, 37, 23) << QRect(0, 0, 37, 23) << true;
        QTest::newRow("below and right") << QRect(30, 20, 37, 23) << QRect(0, 0, 37, 23) << true;
        QTest::newRow("part of the source") << QRect(4, 4, 20, 10) << QRect(7, 5, 20, 10) << true;
        QTest::newRow("source beyond the image")
            << QRect(0, 0, 30, 20) << QRect(-6, 10, 30, 20) << true;
        QTest::newRow("enlarged") << QRect(-3, 1, 90, 50) << QRect(0, 0, 37, 23) << true;
        QTest::newRow("reduced") << QRect(2, 2, 15, 9) << QRect(0, 0, 37, 23) << false;
    }

    void frameCopiesMatchThePlatformContext()
    {
        QFETCH(QRect, dest);
        QFETCH(QRect, source);
        QFETCH(bool, bottomUp);
        constexpr int kW = 37, kH = 23, kStride = (kW * 3 + 3) & ~3;
        std::mt19937 random(7);
        std::vector<BYTE> bits(kStride * kH);
        for (BYTE& b : bits)
            b = BYTE(random());
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = kW;
        bmi.bmiHeader.biHeight = bottomUp ? kH : -kH;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 24;

        constexpr int kOutW = 50, kOutH = 30;
        std::vector<uint32_t> fast(kOutW * kOutH, 0xFF123456u);
        std::vector<uint32_t> plain = fast;
        Rgb32Context context(fast.data(), kOutW, kOutH);
        BITMAPINFO out{};
        out.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        out.bmiHeader.biWidth = kOutW;
        out.bmiHeader.biHeight = -kOutH;
        out.bmiHeader.biPlanes = 1;
        out.bmiHeader.biBitCount = 32;
        auto reference = kwz::RasterContext::wrap(plain.data(), &out);
        const int lines =
            context.stretchDIBits(dest.x(), dest.y(), dest.width(), dest.height(), source.x(),
                                  source.y(), source.width(), source.height(), bits.data(), &bmi);
        const int referenceLines = reference->stretchDIBits(
            dest.x(), dest.y(), dest.width(), dest.height(), source.x(), source.y(), source.width(),
            source.height(), bits.data(), &bmi);
        QCOMPARE(lines, referenceLines);
        for (size_t i = 0; i < fast.size(); ++i)
            QCOMPARE(fast[i] & 0xFFFFFFu, plain[i] & 0xFFFFFFu);
    }

    // Observers repaint, re-place and rewrite panes on every signal: a repeated value must
    // not announce anything, and a new one exactly once.
    void theSessionAnnouncesEachRealChangeOnce()
    {
        LiveSession live;
        QSignalSpy started(&live, &LiveSession::startedChanged);
        QSignalSpy frozen(&live, &LiveSession::frozenChanged);
        QSignalSpy fit(&live, &LiveSession::fitChanged);
        QSignalSpy cross(&live, &LiveSession::crossHairChanged);
        QSignalSpy size(&live, &LiveSession::pictureSizeChanged);
        QSignalSpy index(&live, &LiveSession::sizeIndexChanged);
        QSignalSpy recording(&live, &LiveSession::recordingChanged);
        QSignalSpy seconds(&live, &LiveSession::recordingTimeChanged);
        for (int round = 0; round < 2; ++round)
        {
            live.setStarted(true);
            live.setFrozen(true);
            live.setFit(true);
            live.setCrossHair(true);
            live.setPicture(1, QSize(640, 480));
        }
        for (QSignalSpy* spy : {&started, &frozen, &fit, &cross, &size, &index})
            QCOMPARE(spy->count(), 1);
        QCOMPARE(size.takeFirst().at(0).toSize(), QSize(640, 480));
        QCOMPARE(index.takeFirst().at(0).toInt(), 1);
        live.setFrozen(false);
        QCOMPARE(frozen.count(), 2);
        QCOMPARE(frozen.last().at(0).toBool(), false);
        // A new index of the same size, and a new size under the same index.
        live.setPicture(2, QSize(640, 480));
        live.setPicture(2, QSize(800, 600));
        QCOMPARE(index.count(), 1);
        QCOMPARE(size.count(), 1);

        // The first second of a recording is 0, and it must reach the pane.
        live.setRecording(true);
        live.setRecordingSeconds(0);
        live.setRecordingSeconds(0);
        live.setRecordingSeconds(1);
        QCOMPARE(recording.count(), 1);
        QCOMPARE(seconds.count(), 2);
        live.setRecording(false);
        QCOMPARE(live.recordingSeconds(), -1);
        live.setRecording(true);
        live.setRecordingSeconds(0);
        QCOMPARE(seconds.count(), 3);

        LiveBars bars;
        QSignalSpy shown(&bars, &LiveBars::shownChanged);
        QSignalSpy wanted(&bars, &LiveBars::toggleRequested);
        bars.setShown(LiveBar::Size, true);
        bars.setShown(LiveBar::Size, true);
        bars.toggle(LiveBar::Color);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(wanted.count(), 1);
        QVERIFY(bars.shown(LiveBar::Size) && !bars.shown(LiveBar::Color));
    }

    // The view needs only the session: it shows the frozen picture the session holds, with the
    // cross-hair over it, and turns keys, pointer and focus into signals for its window.
    void theViewShowsTheSessionAndAnnouncesKeysPointerAndFocus()
    {
        LiveSession live;
        CVideoDoc document;
        document.setPictureSize(64, 48);
        CVideoView view(&document);
        view.setSession(&live, nullptr);
        view.resize(200, 160);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy steps(&view, &CVideoView::exposureStepRequested);
        QSignalSpy moved(&view, &CVideoView::pointerMoved);
        QSignalSpy focus(&view, &CVideoView::focusGained);

        QImage frozen(view.viewport()->size(), QImage::Format_RGB32);
        frozen.fill(qRgb(10, 200, 30));
        live.setFrozenPicture(frozen);
        live.setFit(true);
        live.setFrozen(true);
        view.viewport()->repaint();
        const auto reds = [](const QImage& screen) {
            int count = 0;
            for (int y = 0; y < screen.height(); ++y)
                for (int x = 0; x < screen.width(); ++x)
                    count += screen.pixel(x, y) == qRgb(255, 0, 0);
            return count;
        };
        const QImage screen = shown(&view);
        const QPoint middle(screen.width() / 2, screen.height() / 2);
        QCOMPARE(screen.pixel(middle), qRgb(10, 200, 30));
        QCOMPARE(reds(screen), 0);
        live.setCrossHair(true);
        QTRY_VERIFY(reds(shown(&view)) > screen.width());
        live.setFrozen(false);
        live.setFrozenPicture(QImage());
        view.viewport()->repaint();
        QCOMPARE(shown(&view).pixel(middle), qRgb(0, 0, 0));

        for (int key : {Qt::Key_I, Qt::Key_Minus, Qt::Key_U, Qt::Key_Plus, Qt::Key_Equal})
            QTest::keyClick(&view, static_cast<Qt::Key>(key));
        QTest::keyClick(&view, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(steps.count(), 5);
        QCOMPARE(steps.at(0).at(0).toInt(), -1);
        QCOMPARE(steps.at(1).at(0).toInt(), -1);
        QCOMPARE(steps.at(4).at(0).toInt(), 1);
        QMouseEvent move(QEvent::MouseMove, QPointF(17, 23),
                         view.viewport()->mapToGlobal(QPointF(17, 23)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        QCOMPARE(moved.count(), 1);
        // Not started, so nowhere is a picture placed.
        QCOMPARE(moved.last().at(1).toBool(), false);
        QFocusEvent popup(QEvent::FocusIn, Qt::PopupFocusReason);
        QApplication::sendEvent(&view, &popup);
        QCOMPARE(focus.count(), 0);
        QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(&view, &tab);
        QCOMPARE(focus.count(), 1);
    }

    // Nothing but the live window and its models: C writes the still, R records, and the
    // panes say so; frozen, neither key writes anything.
    void stillsAndRecordingsAreWrittenWithoutAMainFrame()
    {
        QTemporaryDir files;
        host->frameSettings.capturePath = files.filePath("stills").toStdString();
        host->frameSettings.recordPath = files.path().toStdString();
        QVERIFY(QDir(files.path()).mkdir("stills"));
        host->frameSettings.saveAsJpeg = 0;
        host->services.clock = [] { return LocalTime{2009, 4, 1, 8, 5, 7, 42}; };
        CVideoFrame* frame = openFrame(1);
        QVERIFY(frame->started());

        QTest::keyClick(frame->view(), Qt::Key_C);
        const QString still = files.filePath("stills/Capture2009-4-1 8-5-7-42.bmp");
        QTRY_VERIFY(QFileInfo::exists(still));
        QCOMPARE(QImage(still).size(), QSize(640, 480));
        QCOMPARE(host->panes[kPanePrompt], "Saved: " + still);
        QCOMPARE(host->frameSettings.captureIndex, 1);

        QTest::keyClick(frame->view(), Qt::Key_R);
        QTRY_VERIFY(frame->capture().recording());
        QVERIFY(frame->liveSession().recording());
        // The focus handling queued behind the command, before the seconds are looked at.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents();
        frame->onTimer();
        QCOMPARE(host->panes[kPaneRecording], QStringLiteral("Recording: 0:0:0\n"));
        QCOMPARE(host->colours[kPaneRecording].first, kPaneHighlight);
        frame->onTimer();
        QCOMPARE(host->panes[kPaneRecording], QStringLiteral("Recording: 0:0:1\n"));
        QVERIFY(frame->onCommand(ID_VIDEO_RECORD));
        QVERIFY(!frame->liveSession().recording());
        QCOMPARE(host->panes[kPaneRecording], QStringLiteral("Record Completed"));
        // Then the panes of live work come back, the recording pane at rest.
        QTRY_COMPARE(host->panes[kPaneRecording], QStringLiteral(" Video Record "));
        QCOMPARE(host->colours[kPaneRecording].first, kPaneInactiveBackground);
        const QString record = files.filePath("Record2009-4-1 8-5-7.avi");
        QVERIFY(QFileInfo(record).size() > 0);
        QCOMPARE(host->frameSettings.recordIndex, 1);

        frame->onCommand(ID_BUTTON_FREEZE);
        QVERIFY(frame->frozen());
        QTest::keyClick(frame->view(), Qt::Key_C);
        QTest::keyClick(frame->view(), Qt::Key_R);
        QCoreApplication::processEvents();
        QCOMPARE(QDir(files.filePath("stills")).entryList(QDir::Files).size(), 1);
        QVERIFY(!frame->liveSession().recording());
    }

    // The frame for measuring goes out by a signal; without a listener nothing opens and the
    // capture bar is left alone, and the live window keeps working.
    void aFrameForMeasuringIsHandedOnWithItsSize()
    {
        CVideoFrame* frame = openFrame(2);
        QCOMPARE(frame->liveSession().pictureSize(), QSize(1280, 1024));
        QSignalSpy taken(&frame->capture(), &LiveCapture::measureFrameTaken);
        QVERIFY(frame->onCommand(ID_CAPTURE_MEASURE));
        QCOMPARE(taken.count(), 1);
        QCOMPARE(taken[0].at(1).toInt(), 1280);
        QCOMPARE(taken[0].at(2).toInt(), 1024);
        QVERIFY(messages.isEmpty());
        QVERIFY(frame->started());
    }
};

std::unique_ptr<QObject> makeLiveTest()
{
    return std::make_unique<LiveTest>();
}

#include "live_test.moc"
