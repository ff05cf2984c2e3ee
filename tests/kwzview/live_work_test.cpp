// Live work in the whole program, as a user drives it with keys and the mouse: connect, the
// bars of live work and their toggles, sizes, freeze, fit, the cross-hair, panes, menus in the
// three languages, tool tips and prompts, help and folders, closing, quitting and requests
// from another copy. The simulated camera runs in its deterministic mode.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <optional>

#include "app/bars/capture_bar.h"
#include "app/bars/record_bar.h"
#include "app/bars/video_setting_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/help_window.h"
#include "app/controls/sp_status_bar.h"
#include "app/image/image_window.h"
#include "app/live/live_session.h"
#include "app/live/video_doc.h"
#include "app/live/video_frame.h"
#include "app/live/video_view.h"
#include "app/shell/command_ids.h"
#include "app/shell/events.h"
#include "app/shell/status_panes.h"
#include "app_run.h"
#include "platform/profile.h"
#include "test_support.h"

using namespace cmd;

namespace {

constexpr QRgb kRed = 0xFFFF0000u;

// Records the URLs the program asks the desktop to open.
class UrlRecorder : public QObject
{
    Q_OBJECT
  public:
    UrlRecorder() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> opened;

  public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

// The desktop's file handler as PATH finds it: a script that notes the file and ends with the
// exit code given, or none at all. PATH is restored at the end.
class FakeDesktop
{
  public:
    explicit FakeDesktop(std::optional<int> exitCode) : path_(qgetenv("PATH"))
    {
        if (exitCode)
        {
            QFile script(dir_.filePath("xdg-open"));
            script.open(QIODevice::WriteOnly);
            script.write(QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\nexit %2\n")
                             .arg(dir_.filePath("opened"))
                             .arg(*exitCode)
                             .toUtf8());
            script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);
        }
        qputenv("PATH", dir_.path().toLocal8Bit());
    }
    ~FakeDesktop() { qputenv("PATH", path_); }
    QStringList opened() const
    {
        QFile file(dir_.filePath("opened"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

  private:
    QTemporaryDir dir_;
    QByteArray path_;
};

std::string value(const QByteArray& file, const char* section, const char* key)
{
    kwz::ProfileText text(file.toStdString());
    const std::string* v = text.value(section, key);
    return v ? *v : std::string("<missing>");
}

CVideoFrame* liveFrame(CMainFrame* frame)
{
    for (QMdiSubWindow* w : frame->client()->subWindowList())
        if (auto* live = dynamic_cast<CVideoFrame*>(w))
            return live;
    return nullptr;
}

QAction* menuItem(QMenu* menu, int id)
{
    for (QAction* a : menu->actions())
        if (a->data().toInt() == id)
            return a;
    return nullptr;
}

// A top-level menu opened with Alt and its letter, then an item chosen by its letter.
void chooseFromMenu(CMainFrame* frame, char menuLetter, char itemLetter)
{
    QTest::keyClick(frame, Qt::Key(menuLetter), Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key(itemLetter));
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
}

// A top-level menu opened by a click on its title, then an item clicked.
void clickMenuItem(CMainFrame* frame, int position, int id)
{
    QMenuBar* bar = frame->menuBar();
    QAction* title = bar->actions().at(position);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* item = menuItem(popup, id);
    QVERIFY(item != nullptr);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(item).center());
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
}

QToolButton* toolButton(QToolBar* bar, QAction* action)
{
    return qobject_cast<QToolButton*>(bar->widgetForAction(action));
}

QString pane(CMainFrame* frame, int index)
{
    return frame->statusBarControl()->paneText(index);
}

bool paneInactive(CMainFrame* frame, int index)
{
    const PaneStyle style = frame->statusBarControl()->paneStyle(index);
    return style.background == kPaneInactiveBackground && style.text == kPaneInactiveText;
}

QImage shown(CVideoView* view)
{
    return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool waitForNewFrame(CVideoView* view)
{
    const uint64_t taken = view->surface().takenFrames();
    return QTest::qWaitFor([&] { return view->surface().takenFrames() > taken + 1; }, 10000);
}

// A program started on a fresh folder with the deterministic camera and the main window active.
struct LiveRun
{
    explicit LiveRun(const QByteArray& settings = "[MAIN]\nLanguage=1\n",
                     const QStringList& arguments = {})
    {
        qputenv("KWZ_CAMERA", "sim:fixed");
        home.write("MeasureTool.ini", settings);
        run = std::make_unique<Run>(arguments);
        if (!run->started)
            return;
        // A desktop of the size the program is looked at under Xvfb.
        run->frame()->setWindowState(Qt::WindowNoState);
        run->frame()->setGeometry(0, 0, 1600, 1000);
        active = QTest::qWaitForWindowActive(run->frame());
    }
    CMainFrame* frame() { return run->frame(); }

    TempHome home;
    std::unique_ptr<Run> run;
    bool active = false;
};

} // namespace

class LiveWorkTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void connectFromTheMenuStartsThePictureWithTheBarsAndPanesOfLiveWork()
    {
        LiveRun live;
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        chooseFromMenu(frame, 'D', 'C');
        CVideoFrame* video = liveFrame(frame);
        QVERIFY(video != nullptr);
        // Activation put the window's name in pane 3.
        QCOMPARE(pane(frame, 3), QStringLiteral("Live picture"));
        QVERIFY(video->started());
        QVERIFY(video->isMaximized());
        QCOMPARE(video->windowTitle(), QStringLiteral("Video Preview"));
        QCOMPARE(video->document().title(), QStringLiteral("Video Preview"));
        QCOMPARE(frame->shownMenu(), MenuKind::Video);
        QVERIFY(frame->client()->liveWindow());
        QCOMPARE(pane(frame, 1), QStringLiteral("width:640 height:480"));
        QCOMPARE(pane(frame, 2), QStringLiteral("X: 0 Y: 0"));
        for (int i : {4, 6, 7})
            QVERIFY(paneInactive(frame, i));

        // The default flags: status bar, tool bar and size bar; nothing of image work.
        QVERIFY(!frame->statusBarControl()->isHidden());
        QVERIFY(!frame->videoToolBar()->isHidden());
        QVERIFY(frame->imageToolBar()->isHidden());
        for (const BarInfo& info : kBarTable)
            QCOMPARE(frame->barHost(info.bar)->isHidden(), info.bar != Bar::Size);
        QVERIFY(frame->action(ID_VIDEO_SHOWSIZEBAR)->isChecked());
        QVERIFY(!frame->action(ID_VIDEO_SHOWCOLORBAR)->isChecked());
        // Capture and recording arrive with their own work; the codec is the camera's.
        for (int id : {ID_VIDEO_SELECTCOMPRESSOR, ID_VIDEO_HIGHQUALITY})
            QVERIFY(!frame->action(id)->isEnabled());

        // The picture runs: the frame rate replaces the window's name within a second or two.
        QVERIFY(waitForNewFrame(video->view()));
        QTRY_VERIFY_WITH_TIMEOUT(pane(frame, 3).startsWith(" FPS: "), 5000);
        QVERIFY(pane(frame, 3).endsWith(" Frames/Seconds"));

        // The pointer in picture pixels, not in window pixels; nothing outside the picture.
        const QRect shown = video->view()->placement();
        QCOMPARE(shown.size(), QSize(640, 480));
        QTest::mouseMove(video->view()->viewport(), shown.topLeft() + QPoint(31, 45));
        QTRY_COMPARE(pane(frame, 2), QStringLiteral("X: 31  Y: 45  "));
        if (shown.left() > 0)
        {
            QTest::mouseMove(video->view()->viewport(), QPoint(shown.left() - 1, shown.top() + 5));
            QTRY_COMPARE(pane(frame, 2), QString());
        }
        // Fitted to the window, the same picture pixel lies elsewhere on the screen.
        frame->action(ID_VIDEO_FILLWINDOW)->trigger();
        const QRect fitted = video->view()->placement();
        QVERIFY(fitted != shown);
        QTest::mouseMove(video->view()->viewport(), fitted.topLeft() + QPoint(0, 1));
        QTRY_COMPARE(pane(frame, 2).left(6), QStringLiteral("X: 0  "));
        QTest::mouseMove(video->view()->viewport(), fitted.bottomRight());
        // The last pixel, give or take the rounding of a stretch.
        QTRY_VERIFY(pane(frame, 2).startsWith("X: 63") && pane(frame, 2).contains("Y: 47"));
        frame->action(ID_VIDEO_FILLWINDOW)->trigger();

        // Connecting again brings the same window forward and starts nothing new.
        frame->action(ID_DEVICE_CONNECTDEVICE)->trigger();
        QCOMPARE(liveFrame(frame), video);
        QCOMPARE(live.run->app.documents().videoTemplate()->documents().size(), size_t(1));
    }

    void aConnectRequestByNumberOpensTheLiveWindowLikeTheMenu()
    {
        QCOMPARE(int(events::connectDevice()), 1624);
        LiveRun live("[MAIN]\nLanguage=1\n[User]\nnCaptureSizeIndex=0\n");
        QVERIFY(live.active);
        QCoreApplication::postEvent(live.frame(), new QEvent(QEvent::Type(1624)));
        QTRY_VERIFY(liveFrame(live.frame()) != nullptr);
        CVideoFrame* video = liveFrame(live.frame());
        QVERIFY(video->started());
        QCOMPARE(video->pictureWidth(), 320);
        QVERIFY(waitForNewFrame(video->view()));

        // Pane 5 stays highlighted until the live window gets the focus again.
        CMainFrame* frame = live.frame();
        const PaneStyle highQuality = frame->statusBarControl()->paneStyle(5);
        QCOMPARE(highQuality.background, kPaneHighlight);
        QCOMPARE(highQuality.text, RGB(0, 0, 0));
        QTest::mouseClick(frame->bar(Bar::Size)->control<QRadioButton>(IDC_SIZE_320),
                          Qt::LeftButton);
        QVERIFY(!video->view()->hasFocus());
        QCOMPARE(frame->statusBarControl()->paneStyle(5).background, kPaneHighlight);
        QTest::mouseClick(video->view()->viewport(), Qt::LeftButton, {}, QPoint(30, 40));
        QTRY_VERIFY(video->view()->hasFocus());
        QVERIFY(paneInactive(frame, 5));
    }

    void liveKeysWorkFromTheLiveBarsAndAHiddenBarGivesTheFocusBack()
    {
        LiveRun live("[MAIN]\nLanguage=1\n[User]\nnCaptureSizeIndex=1\nbShowVideoSizeBar=1\n");
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        frame->action(ID_DEVICE_CONNECTDEVICE)->trigger();
        CVideoFrame* video = liveFrame(frame);
        QVERIFY(video != nullptr && video->started());
        auto* radio = frame->bar(Bar::Size)->control<QRadioButton>(IDC_SIZE_320);
        QTRY_VERIFY(radio->isVisible());
        QTest::mouseClick(radio, Qt::LeftButton);
        QTRY_COMPARE(video->pictureWidth(), 320);
        QTRY_VERIFY(radio->hasFocus());
        QTest::keyClick(radio, Qt::Key_F);
        QTRY_VERIFY(video->fit());
        QTest::keyClick(radio, Qt::Key_F, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QVERIFY(video->fit());

        // An image window in front; its pen bar holds the focus and is hidden.
        const std::vector<BYTE> bgr(size_t(64) * 48 * 3, 90);
        QVERIFY(frame->openCapturedImage(bgr.data(), 64, 48, false));
        auto* image = dynamic_cast<CImageFrame*>(frame->client()->activeSubWindow());
        QVERIFY(image != nullptr);
        QTRY_VERIFY(!frame->barHost(Bar::Pen)->isHidden());
        QWidget* picker = frame->bar(Bar::Pen)->control(IDC_PEN_WIDTH);
        picker->setFocus();
        QTRY_VERIFY(picker->hasFocus());
        frame->action(ID_IMAGE_SETTINGS_PEN)->trigger();
        QVERIFY(frame->barHost(Bar::Pen)->isHidden());
        QTRY_VERIFY(image->view()->hasFocus());
        QVERIFY(frame->client()->activeSubWindow() == image);
    }

    void theFirstCopyConnectsWhenAskedOnTheCommandLine()
    {
        LiveRun live("[MAIN]\nLanguage=1\n", {"--connect"});
        QVERIFY(live.run->started);
        QTRY_VERIFY(liveFrame(live.frame()) != nullptr);
        QVERIFY(liveFrame(live.frame())->started());
    }

    void aLaterCopyAsksTheRunningOneToConnect()
    {
        LiveRun live;
        QVERIFY(live.run->started);
        QVERIFY(liveFrame(live.frame()) == nullptr);
        QProcess later;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KWZVIEW_HOME", live.home.home());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KWZ_NONINTERACTIVE", "1");
        later.setProcessEnvironment(env);
        later.start(KWZVIEW_BINARY, {"--connect"});
        QVERIFY(later.waitForStarted(20000));
        // This process answers the request, so its event loop has to run meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 20000);
        QVERIFY(!later.readAllStandardError().contains("already has an instance"));
        QTRY_VERIFY(liveFrame(live.frame()) != nullptr);
        QVERIFY(liveFrame(live.frame())->started());
    }

    void withEveryVideoBarFlagClearFocusShowsNoBarUntilTheAllBarsCommand()
    {
        LiveRun live("[MAIN]\nLanguage=1\n[User]\nbShowVideoStatusBar=1\nbShowVideoToolBar=1\n"
                     "bShowVideoSizeBar=0\nbShowImageRulerMeasureBar=1\n");
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        QCOMPARE(frame->settings().showImageRulerMeasureBar, 0);
        chooseFromMenu(frame, 'D', 'C');
        CVideoFrame* video = liveFrame(frame);
        QVERIFY(video && video->started());
        QVERIFY(video->view()->hasFocus());
        QVERIFY(frame->statusBarControl()->isHidden());
        QVERIFY(frame->videoToolBar()->isHidden());
        for (const BarInfo& info : kBarTable)
            QVERIFY(frame->barHost(info.bar)->isHidden());
        QVERIFY(!frame->action(ID_BUTTON_ALLBTN)->isChecked());

        // The master flag set, the next focus shows the status and tool bars by their flags.
        frame->action(ID_BUTTON_ALLBTN)->trigger();
        QVERIFY(frame->action(ID_BUTTON_ALLBTN)->isChecked());
        video->view()->clearFocus();
        QTest::mouseClick(video->view()->viewport(), Qt::LeftButton);
        QTRY_VERIFY(!frame->statusBarControl()->isHidden());
        QVERIFY(!frame->videoToolBar()->isHidden());
        QVERIFY(frame->barHost(Bar::Size)->isHidden());

        // Saved as it was read, but for the ruler definition bar, which always starts hidden.
        live.run.reset();
        const QByteArray saved = live.home.read("MeasureTool.ini");
        QCOMPARE(value(saved, "User", "bShowImageRulerMeasureBar"), std::string("0"));
        QCOMPARE(value(saved, "User", "bShowVideoSizeBar"), std::string("0"));
    }

    void theImageMasterFlagHidesAllImageBarsAndShowsAllAgain()
    {
        LiveRun live;
        QVERIFY(live.run->started);
        CMainFrame* frame = live.frame();
        QVERIFY(frame->action(ID_BUTTON_IMAGEALL)->isChecked());
        const Bar all[] = {Bar::Ruler, Bar::Pen, Bar::Text, Bar::Magnifier, Bar::RulerMeasure};
        for (Bar b : all)
            barFlag(frame->settings(), b) = 1;
        for (int round = 0; round < 2; ++round)
        {
            frame->action(ID_BUTTON_IMAGEALL)->trigger();
            QVERIFY(!frame->action(ID_BUTTON_IMAGEALL)->isChecked());
            for (Bar b : all)
                QVERIFY(frame->barHost(b)->isHidden());
            frame->action(ID_BUTTON_IMAGEALL)->trigger();
            QVERIFY(frame->action(ID_BUTTON_IMAGEALL)->isChecked());
            for (Bar b : all)
                QVERIFY(!frame->barHost(b)->isHidden());
        }
        // A bar the user closed stays closed.
        frame->action(ID_BUTTON_IMAGEALL)->trigger();
        barFlag(frame->settings(), Bar::Pen) = 0;
        frame->action(ID_BUTTON_IMAGEALL)->trigger();
        QVERIFY(frame->barHost(Bar::Pen)->isHidden());
        QVERIFY(!frame->barHost(Bar::Text)->isHidden());
    }

    void keysFreezeFitAndToggleBarsWithTheirCheckMarks()
    {
        LiveRun live;
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        chooseFromMenu(frame, 'D', 'C');
        CVideoFrame* video = liveFrame(frame);
        CVideoView* view = video->view();
        QVERIFY(view->hasFocus());

        QTest::keyClick(view, Qt::Key_E);
        QTRY_VERIFY(video->frozen());
        QVERIFY(!video->started());
        QVERIFY(frame->action(ID_BUTTON_FREEZE)->isChecked());
        // Fit is ignored while frozen.
        QTest::keyClick(view, Qt::Key_F);
        QCoreApplication::processEvents();
        QVERIFY(!video->fit());
        QVERIFY(!frame->action(ID_VIDEO_FILLWINDOW)->isChecked());
        QTest::keyClick(view, Qt::Key_E);
        QTRY_VERIFY(video->started());
        QVERIFY(!frame->action(ID_BUTTON_FREEZE)->isChecked());

        // Fit: pane 1 shows the size the picture is shown at.
        QTest::keyClick(view, Qt::Key_F);
        QTRY_VERIFY(video->fit());
        QVERIFY(frame->action(ID_VIDEO_FILLWINDOW)->isChecked());
        const QSize shown = view->placement().size();
        QCOMPARE(pane(frame, 1),
                 QString("width:%1 height:%2").arg(shown.width()).arg(shown.height()));
        // The tool bar's button takes it back.
        QTest::mouseClick(toolButton(frame->videoToolBar(), frame->action(ID_VIDEO_FILLWINDOW)),
                          Qt::LeftButton);
        QVERIFY(!video->fit());
        QCOMPARE(pane(frame, 1), QStringLiteral("width:640 height:480"));

        // S, B and W toggle their bars, with the check marks of the tool bar and the menus.
        const std::tuple<Qt::Key, int, Bar> toggles[] = {
            {Qt::Key_S, ID_VIDEO_SHOWSIZEBAR, Bar::Size},
            {Qt::Key_B, ID_VIDEO_SHOWCOLORBAR, Bar::Colour},
            {Qt::Key_W, ID_VIDEO_MANUALWB, Bar::VideoSetting}};
        for (auto [key, id, bar] : toggles)
        {
            const bool before = !frame->barHost(bar)->isHidden();
            QTest::keyClick(view, key);
            QTRY_COMPARE(frame->barHost(bar)->isHidden(), before);
            QCOMPARE(barFlag(frame->settings(), bar), int(!before));
            QCOMPARE(frame->action(id)->isChecked(), !before);
        }
        // The capture bar's tool-bar button; the settings item only shows the capture bar.
        QTest::mouseClick(toolButton(frame->videoToolBar(), frame->action(ID_CAPTURE_SETTING)),
                          Qt::LeftButton);
        QVERIFY(!frame->barHost(Bar::Capture)->isHidden());
        QVERIFY(frame->action(ID_VIDEO_SHOWSETTINGBAR)->isChecked());
        frame->action(ID_VIDEO_SHOWSETTINGBAR)->trigger();
        QVERIFY(!frame->barHost(Bar::Capture)->isHidden());
        // The Settings menu's size item carries the size bar's check mark.
        QVERIFY(frame->barHost(Bar::Size)->isHidden());
        clickMenuItem(frame, 2, ID_VIDEO_SHOWSIZEBAR);
        QVERIFY(!frame->barHost(Bar::Size)->isHidden());
        QVERIFY(menuItem(frame->menu(MenuKind::Video, 2), ID_VIDEO_SHOWSIZEBAR)->isChecked());
        // View menu: the tool bar and the status bar.
        clickMenuItem(frame, 1, ID_VIEW_VIDEO_TOOLBAR);
        QVERIFY(frame->videoToolBar()->isHidden());
        QCOMPARE(frame->settings().showVideoToolBar, 0);
        clickMenuItem(frame, 1, ID_VIEW_VIDEO_STATUSBAR);
        QVERIFY(frame->statusBarControl()->isHidden());
        QCOMPARE(frame->settings().showVideoStatusBar, 0);
    }

    void exposureKeysMoveTheSliderAndStopAtTheEnds()
    {
        LiveRun live("[MAIN]\nLanguage=1\n[User]\nExposalNum=999\nbShowVideoSettingBar=1\n");
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        chooseFromMenu(frame, 'D', 'C');
        CVideoView* view = liveFrame(frame)->view();
        VideoSettingBar* bar = frame->bars().videoSetting;
        // The stored 999 is read as the slider's end, 350; U raises it, the slider stops at
        // its end, and its handler stores and sends that.
        QTest::keyClick(view, Qt::Key_U);
        QCOMPARE(frame->settings().exposure, 350);
        QCOMPARE(bar->exposure()->value(), 350);
        QCOMPARE(bar->exposureNumber()->text(), QStringLiteral("350"));
        QCOMPARE(int(live.run->app.camera().captureInfo().dwExposure), 350);
        QTest::keyClick(view, Qt::Key_Plus);
        QCOMPARE(frame->settings().exposure, 350);
        // At 1000 and at 0 the keys change nothing, not even the slider.
        frame->settings().exposure = 1000;
        QTest::keyClick(view, Qt::Key_U);
        QCOMPARE(frame->settings().exposure, 1000);
        QCOMPARE(bar->exposure()->value(), 350);
        frame->settings().exposure = 0;
        QTest::keyClick(view, Qt::Key_I);
        QTest::keyClick(view, Qt::Key_Minus);
        QCOMPARE(frame->settings().exposure, 0);
        QCOMPARE(bar->exposure()->value(), 350);
        // Lowering from 2 reaches the slider's lower end, 1.
        frame->settings().exposure = 2;
        QTest::keyClick(view, Qt::Key_I);
        QCOMPARE(frame->settings().exposure, 1);
        QCOMPARE(bar->exposure()->value(), 1);
        QCOMPARE(int(live.run->app.camera().captureInfo().dwExposure), 1);
    }

    void theSizeBarSwitchesTheSizeAndAWidePictureScrolls()
    {
        LiveRun live;
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        chooseFromMenu(frame, 'D', 'C');
        CVideoFrame* video = liveFrame(frame);
        CVideoView* view = video->view();
        QSignalSpy restarts(video, &CVideoFrame::stateChanged);
        // The button of the size in use does nothing.
        QTest::mouseClick(frame->bar(Bar::Size)->control<QRadioButton>(IDC_SIZE_640),
                          Qt::LeftButton);
        QCOMPARE(restarts.count(), 0);

        QTest::mouseClick(frame->bar(Bar::Size)->control<QRadioButton>(IDC_SIZE_2048),
                          Qt::LeftButton);
        QVERIFY(video->started());
        QCOMPARE(video->pictureWidth(), 2048);
        QCOMPARE(video->document().pictureHeight(), 1536);
        QCOMPARE(frame->settings().captureSizeIndex, 4);
        QCOMPARE(int(live.run->app.camera().captureInfo().dwWidth), 2048);
        QCOMPARE(pane(frame, 1), QStringLiteral("width:2048 height:1536"));
        QVERIFY(frame->bar(Bar::Size)->control<QRadioButton>(IDC_SIZE_2048)->isChecked());
        QVERIFY(!frame->bar(Bar::Size)->control<QRadioButton>(IDC_SIZE_640)->isChecked());
        // Wider and higher than the client area: the picture follows the scroll bars.
        QVERIFY(view->horizontalScrollBar()->maximum() > 0);
        QVERIFY(view->verticalScrollBar()->maximum() > 0);
        // A click in the track beside the handle moves a page on.
        QScrollBar* across = view->horizontalScrollBar();
        QTRY_VERIFY(across->isVisible());
        QTest::mouseClick(across, Qt::LeftButton, {},
                          QPoint(across->width() - across->height() - 4, across->height() / 2));
        QVERIFY(view->horizontalScrollBar()->value() > 0);
        QCOMPARE(view->placement().x(), -view->horizontalScrollBar()->value());
        QVERIFY(waitForNewFrame(view));

        // The cross-hair from the Settings menu, in the middle of the picture.
        view->horizontalScrollBar()->setValue(1024 - view->viewport()->width() / 2);
        view->verticalScrollBar()->setValue(768 - view->viewport()->height() / 2);
        clickMenuItem(frame, 2, ID_VIDEO_CROSSLINE);
        QVERIFY(video->crossHair());
        QVERIFY(waitForNewFrame(view));
        const QImage screen = shown(view);
        const QPoint at = view->placement().topLeft();
        QCOMPARE(screen.pixel(at.x() + 1024, at.y() + 100 - std::min(0, at.y())), kRed);
        QCOMPARE(screen.pixel(at.x() + 100 - std::min(0, at.x()), at.y() + 1535 - 768), kRed);
        QVERIFY(screen.pixel(at.x() + 1027, at.y() + 200 - std::min(0, at.y())) != kRed);
    }

    void menusTipsAndPanesSpeakTheLanguageChosen_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("videoMenu");
        QTest::addColumn<QString>("crossLine");
        QTest::addColumn<QString>("freezeTip");
        QTest::addColumn<QString>("sizeText");
        QTest::addColumn<QString>("highQuality");
        QTest::addColumn<QString>("windowName");
        QTest::addColumn<QString>("zoomPrompt");
        QTest::newRow("Simplified Chinese")
            << 0 << QString::fromUtf8("视频(&V)") << QString::fromUtf8("十字线(&X)")
            << QString::fromUtf8("冻结或恢复图像") << QString::fromUtf8("宽:640 高:480")
            << QString::fromUtf8(" 高质量 ") << QString::fromUtf8("视频预览")
            << QString::fromUtf8("图像适应窗口");
        QTest::newRow("English") << 1 << "&Video"
                                 << "Cross &Line"
                                 << "Freeze or run the picture"
                                 << "width:640 height:480"
                                 << " High Quality "
                                 << "Live picture"
                                 << "Fit the picture to the window";
        QTest::newRow("Traditional Chinese")
            << 2 << QString::fromUtf8("視頻(&V)") << QString::fromUtf8("十字線(&X)")
            << QString::fromUtf8("凍結或恢復圖像") << "width:640 height:480"
            << " High Quality " << QString::fromUtf8("視頻預覽")
            << QString::fromUtf8("圖像適應窗口");
    }

    void menusTipsAndPanesSpeakTheLanguageChosen()
    {
        QFETCH(int, language);
        QFETCH(QString, videoMenu);
        QFETCH(QString, crossLine);
        QFETCH(QString, freezeTip);
        QFETCH(QString, sizeText);
        QFETCH(QString, highQuality);
        QFETCH(QString, windowName);
        QFETCH(QString, zoomPrompt);
        LiveRun live("[MAIN]\nLanguage=" + QByteArray::number(language) + "\n");
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        chooseFromMenu(frame, 'D', 'C');
        QVERIFY(liveFrame(frame) != nullptr);
        QCOMPARE(frame->menuBar()->actions().first()->text(), videoMenu);
        QCOMPARE(menuItem(frame->menu(MenuKind::Video, 2), ID_VIDEO_CROSSLINE)->text(), crossLine);
        // The tip names the button's key.
        QCOMPARE(frame->action(ID_BUTTON_FREEZE)->toolTip(), freezeTip + " (E)");
        QCOMPARE(pane(frame, 1), sizeText);
        QCOMPARE(pane(frame, 3), windowName);
        QCOMPARE(pane(frame, 5), highQuality);
        // Panes 4 to 7 are English in every language but Simplified Chinese.
        const QStringList states =
            language == 0
                ? QStringList{" AOI ", QString::fromUtf8(" 高质量 "),
                              QString::fromUtf8(" 视频录影 "), QString::fromUtf8("景深回放")}
                : QStringList{" AOI ", " High Quality ", " Video Record ", "Replaying"};
        for (int i = 4; i < 8; ++i)
            QCOMPARE(pane(frame, i), states[i - 4]);

        // Pointing at a tool-bar button shows its text as the prompt.
        QTest::mouseMove(toolButton(frame->videoToolBar(), frame->action(ID_BUTTON_FREEZE)));
        QTRY_COMPARE(pane(frame, 0), freezeTip);
        // So does a highlighted menu item.
        QMenuBar* bar = frame->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(bar->actions().at(2)).center());
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QTest::mouseMove(popup,
                         popup->actionGeometry(menuItem(popup, ID_VIDEO_FILLWINDOW)).center());
        QTRY_COMPARE(pane(frame, 0), zoomPrompt);
        QTest::keyClick(popup, Qt::Key_Escape);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    }

    void longTipsAreCutTo79CharactersButThePromptKeepsThemWhole()
    {
        TempHome home;
        const QByteArray text(120, 'x');
        home.write("Language/ToolTipEn.ini", "[English]\r\nID_BUTTON_FREEZE=" + text + "\r\n");
        home.write("MeasureTool.ini", "[MAIN]\nLanguage=1\n");
        qputenv("KWZ_CAMERA", "sim:fixed");
        Run run;
        QVERIFY(run.started);
        QCOMPARE(run.frame()->action(ID_BUTTON_FREEZE)->toolTip(), QString(79, 'x') + " (E)");
        QCOMPARE(run.frame()->action(ID_BUTTON_FREEZE)->statusTip(), QString(text));
        // The user's own file stays; the others come with the program.
        QCOMPARE(home.read("Language/ToolTipEn.ini"),
                 "[English]\r\nID_BUTTON_FREEZE=" + text + "\r\n");
        QVERIFY(home.read("Language/ToolTipCn.ini").startsWith("[Chinese]"));
        QVERIFY(home.read("Language/ToolTipCt.ini").startsWith("[FantiChinese]"));
        // A command without a text has no prompt.
        QVERIFY(run.frame()->action(ID_VIDEO_CAPTURE)->statusTip().isEmpty());
    }

    void helpOpensTheManualOfTheLanguageOrNothing()
    {
        FakeDesktop desktop(0);
        LiveRun live("[MAIN]\nLanguage=0\n");
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        // Nothing there: nothing opens and nothing is said.
        clickMenuItem(frame, 2, ID_HELP_CONTENTS);
        QTest::qWait(100);
        QVERIFY(desktop.opened().isEmpty());
        live.home.write("Doc/ZN41.html", "<html>manual</html>");
        live.home.write("Doc/ZN42.html", "<html>manual</html>");
        clickMenuItem(frame, 2, ID_HELP_CONTENTS);
        QTRY_COMPARE(desktop.opened(), QStringList{live.home.path("Doc/ZN41.html")});
        frame->action(IDM_ENGLISHLANGUAGE)->trigger();
        frame->action(ID_HELP_CONTENTS)->trigger();
        QTRY_COMPARE(desktop.opened().size(), 2);
        QCOMPARE(desktop.opened().last(), live.home.path("Doc/ZN42.html"));
        // The desktop opened it: the program's own window stays shut.
        QVERIFY(frame->helpWindow() == nullptr);
    }

    void withoutADesktopHandlerHelpOpensTheManualInItsOwnWindow_data()
    {
        QTest::addColumn<bool>("handlerFails");
        QTest::newRow("no handler") << false;
        QTest::newRow("handler fails") << true;
    }

    void withoutADesktopHandlerHelpOpensTheManualInItsOwnWindow()
    {
        QFETCH(bool, handlerFails);
        FakeDesktop desktop(handlerFails ? std::optional<int>(3) : std::nullopt);
        LiveRun live("[MAIN]\nLanguage=1\n");
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(QDir().mkpath(live.home.path("Doc/images")));
        QVERIFY(picture.save(live.home.path("Doc/images/red.png")));
        live.home.write("Doc/ZN42.html", "<html><head><title>Manual</title></head><body>"
                                         "<a href=\"part.html\">part</a>"
                                         "<img src=\"images/red.png\"></body></html>");
        live.home.write("Doc/part.html", "<html><body>second page</body></html>");

        frame->action(ID_HELP_CONTENTS)->trigger();
        QTRY_VERIFY(frame->helpWindow() != nullptr && frame->helpWindow()->isVisible());
        HelpWindow* help = frame->helpWindow();
        QTextBrowser* browser = help->browser();
        const QUrl home = QUrl::fromLocalFile(live.home.path("Doc/ZN42.html"));
        QCOMPARE(browser->source(), home);
        QCOMPARE(help->windowTitle(), QStringLiteral("Manual"));
        // The picture beside the page is found.
        const QVariant image =
            browser->document()->resource(QTextDocument::ImageResource, QUrl("images/red.png"));
        QVERIFY(!image.isNull());
        QCOMPARE(image.value<QImage>().pixel(0, 0), kRed);

        // A link chosen from the keyboard, then Back, Forward and Home.
        help->activateWindow();
        browser->setFocus();
        QTest::keyClick(browser, Qt::Key_Tab);
        QTest::keyClick(browser, Qt::Key_Return);
        QCOMPARE(browser->source(), QUrl::fromLocalFile(live.home.path("Doc/part.html")));
        QVERIFY(browser->toPlainText().contains("second page"));
        QVERIFY(help->backAction()->isEnabled());
        help->backAction()->trigger();
        QCOMPARE(browser->source(), home);
        QVERIFY(help->forwardAction()->isEnabled());
        help->forwardAction()->trigger();
        QVERIFY(browser->toPlainText().contains("second page"));
        help->homeAction()->trigger();
        QCOMPARE(browser->source(), home);

        // Asked again, from the key in the live window: the same window comes back, in front.
        help->close();
        QVERIFY(!help->isVisible());
        frame->routeCommand(ID_DEVICE_CONNECTDEVICE);
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame));
        CVideoFrame* liveWindow = liveFrame(frame);
        QVERIFY(liveWindow != nullptr);
        liveWindow->view()->setFocus();
        QTest::keyClick(liveWindow->view(), Qt::Key_F1);
        QTRY_VERIFY(help->isVisible());
        QCOMPARE(frame->helpWindow(), help);
        QCOMPARE(frame->findChildren<HelpWindow*>().size(), 1);
        QCOMPARE(help->backAction()->text(), QStringLiteral("Back"));
        // Help is in the live and image menus too, with its key.
        for (MenuKind kind : {MenuKind::Main, MenuKind::Video, MenuKind::Image})
        {
            QAction* item = nullptr;
            for (int position = 0; frame->menu(kind, position) != nullptr && !item; ++position)
                item = menuItem(frame->menu(kind, position), ID_HELP_CONTENTS);
            QVERIFY(item != nullptr);
            QCOMPARE(item->shortcut(), QKeySequence(Qt::Key_F1));
        }
        if (handlerFails)
            QCOMPARE(desktop.opened().size(), 2);
    }

    void folderButtonsOpenAndChooseTheCaptureAndRecordFolders()
    {
        UrlRecorder desktop;
        LiveRun live("[MAIN]\nLanguage=1\n[User]\nbShowMainSettingsBar=1\n"
                     "bShowVideoRecordSettingBar=1\n");
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        chooseFromMenu(frame, 'D', 'C');
        CaptureBar* capture = frame->bars().capture;
        RecordBar* record = frame->bars().record;
        QVERIFY(capture->isVisible() && record->isVisible());
        const QString captures = QString::fromStdString(frame->settings().capturePath);

        QTest::mouseClick(capture->control<QAbstractButton>(IDC_CAPTURE_OPENPATH), Qt::LeftButton);
        QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(captures)});
        // A folder that is not there opens nothing.
        frame->settings().recordPath = live.home.path("gone").toStdString();
        QTest::mouseClick(record->control<QAbstractButton>(IDC_RECORD_OPENPATH), Qt::LeftButton);
        QCOMPARE(desktop.opened.size(), 1);

        // "...": the chosen folder is stored and shown; cancel shows the stored one again.
        QStringList starts;
        QString answer = live.home.path("Rulers");
        frame->setFolderChooser([&](QWidget* parent, const QString& start) {
            starts << start;
            return parent == frame ? answer : QString();
        });
        QTest::mouseClick(capture->control<QAbstractButton>(IDC_CAPTURE_BROWSE), Qt::LeftButton);
        QCOMPARE(starts, QStringList{captures});
        QCOMPARE(QString::fromStdString(frame->settings().capturePath), answer);
        QCOMPARE(capture->path()->text(), answer);
        answer.clear();
        capture->path()->setText("typed but not chosen");
        QTest::mouseClick(capture->control<QAbstractButton>(IDC_CAPTURE_BROWSE), Qt::LeftButton);
        QCOMPARE(capture->path()->text(), live.home.path("Rulers"));
        answer = live.home.path("Captures");
        QTest::mouseClick(record->control<QAbstractButton>(IDC_RECORD_BROWSE), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(frame->settings().recordPath), answer);
        QCOMPARE(record->path()->text(), answer);

        live.run.reset();
        const QByteArray saved = live.home.read("MeasureTool.ini");
        QCOMPARE(QString::fromStdString(value(saved, "User", "strCapturePath")),
                 live.home.path("Rulers"));
        QCOMPARE(QString::fromStdString(value(saved, "User", "strRecordPath")),
                 live.home.path("Captures"));
    }

    // The frame rate goes from the camera to the live session, from there to the pane model,
    // and the status bar paints the model: what the bar shows is what the model holds, and a
    // window that took the pane hands it back at the next measurement.
    void theFrameRateReachesTheStatusBarThroughTheModels()
    {
        LiveRun live;
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        frame->onConnect();
        CVideoFrame* video = liveFrame(frame);
        QVERIFY(video != nullptr && video->started());
        QCOMPARE(frame->statusBarControl()->model(), &frame->panes());
        QSignalSpy measured(&video->liveSession(), &LiveSession::frameRateMeasured);
        QTRY_VERIFY_WITH_TIMEOUT((video->onTimer(), video->liveSession().frameRate() > 0), 5000);
        const QString rate = frame->panes().text(kPaneFrameRate);
        QVERIFY2(rate.startsWith(" FPS: ") && rate.endsWith(" Frames/Seconds"), qPrintable(rate));
        QCOMPARE(pane(frame, kPaneFrameRate), rate);

        frame->panes().setPaneText(kPaneFrameRate, QStringLiteral("Live picture"));
        QCOMPARE(pane(frame, kPaneFrameRate), QStringLiteral("Live picture"));
        const int before = measured.count();
        video->onTimer();
        QCOMPARE(measured.count(), before + 1);
        QVERIFY(pane(frame, kPaneFrameRate).startsWith(" FPS: "));

        // Colours and widths too: the bar places and paints what the model says.
        frame->panes().setPaneColours(kPaneAoi, kPaneHighlight, RGB(255, 0, 0));
        QCOMPARE(frame->statusBarControl()->paneStyle(kPaneAoi).background, kPaneHighlight);
        QCOMPARE(frame->statusBarControl()->paneStyle(kPaneAoi).text, RGB(255, 0, 0));
        frame->panes().setPaneWidth(kPanePointer, 222);
        QCOMPARE(frame->statusBarControl()->paneRect(kPanePointer).width(), 222);
    }

    void closingTheLiveWindowPutsLiveWorkAwayAndConnectOpensItAgain()
    {
        LiveRun live;
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        chooseFromMenu(frame, 'D', 'C');
        QPointer<CVideoFrame> video = liveFrame(frame);
        QVERIFY(video->onCommand(ID_VIDEO_CROSSLINE));
        QVERIFY(waitForNewFrame(video->view()));
        QTest::keyClick(video->view(), Qt::Key_F4, Qt::ControlModifier);
        QTRY_VERIFY(video.isNull());
        QCOMPARE(frame->shownMenu(), MenuKind::Main);
        QCOMPARE(frame->client()->liveWindow(), 0);
        QVERIFY(frame->statusBarControl()->isHidden());
        QVERIFY(frame->videoToolBar()->isHidden());
        QVERIFY(frame->barHost(Bar::Size)->isHidden());
        QTRY_VERIFY(!live.run->app.documents().hasLiveDocument());

        chooseFromMenu(frame, 'D', 'C');
        video = liveFrame(frame);
        QVERIFY(video && video->started());
        QVERIFY(!video->crossHair());
        QVERIFY(waitForNewFrame(video->view()));
    }

    void quittingWhilePicturesArriveSavesTheSettings()
    {
        LiveRun live;
        QVERIFY(live.active);
        CMainFrame* frame = live.frame();
        chooseFromMenu(frame, 'D', 'C');
        CVideoFrame* video = liveFrame(frame);
        QTest::mouseClick(frame->bar(Bar::Size)->control<QRadioButton>(IDC_SIZE_1600),
                          Qt::LeftButton);
        QTest::keyClick(video->view(), Qt::Key_B);
        QVERIFY(video->onCommand(ID_VIDEO_CROSSLINE));
        QVERIFY(waitForNewFrame(video->view()));
        // The window's own close, as its close button does; the frames keep coming meanwhile.
        QVERIFY(frame->close());
        live.run.reset();
        const QByteArray saved = live.home.read("MeasureTool.ini");
        QCOMPARE(value(saved, "User", "nCaptureSizeIndex"), std::string("3"));
        QCOMPARE(value(saved, "User", "bShowVideoColorBar"), std::string("1"));
    }
};

#include "live_work_test.moc"

std::unique_ptr<QObject> makeLiveWorkTest()
{
    return std::make_unique<LiveWorkTest>();
}
