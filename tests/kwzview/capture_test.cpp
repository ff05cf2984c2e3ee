// Capture and recording from the live window of a whole program with the simulated camera in
// its deterministic mode: file names and their time stamps, the capture bar, timed capture
// with its ticker, capture for measuring, recording and its pane. Files are checked with the
// tools a user has (identify, ffprobe).

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <QtEndian>
#include <atomic>
#include <climits>
#include <thread>

#include "app/bars/capture_bar.h"
#include "app/bars/record_bar.h"
#include "app/bars/size_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/sp_status_bar.h"
#include "app/image/image_doc.h"
#include "app/image/image_frame.h"
#include "app/live/live_capture.h"
#include "app/live/thread_ticker.h"
#include "app/live/video_frame.h"
#include "app/live/video_view.h"
#include "app/shell/command_ids.h"
#include "live_program.h"
#include "platform/testing/write_faults.h"
#include "rast.h"

using namespace cmd;

namespace {

QString tool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return "(" + program + " did not finish)";
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString identify(const QString& file)
{
    return tool("identify", {"-format", "%m %w %h %Q", file});
}

// Format, codec, width, height and frames read; then the rate and the duration.
QStringList probe(const QString& file)
{
    QStringList facts =
        tool("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                         "format=format_name:stream=codec_name,width,height,nb_read_frames,"
                         "r_frame_rate:format=duration",
                         "-of", "default=noprint_wrappers=1", file})
            .split('\n');
    facts.sort();
    return facts;
}

QString fact(const QStringList& facts, const QString& key)
{
    for (const QString& line : facts)
        if (line.startsWith(key + "="))
            return line.mid(key.size() + 1);
    return {};
}

double rate(const QString& fraction)
{
    const QStringList parts = fraction.split('/');
    return parts.size() == 2 && parts[1].toDouble() > 0 ? parts[0].toDouble() / parts[1].toDouble()
                                                        : 0;
}

// A complete MJPEG recording in AVI at that size, with frames at least `minFrames`, and a
// header rate that says how long it lasts.
bool playable(const QString& file, int width, int height, int minFrames)
{
    const QStringList facts = probe(file);
    const int frames = fact(facts, "nb_read_frames").toInt();
    const double fps = rate(fact(facts, "r_frame_rate"));
    const double duration = fact(facts, "duration").toDouble();
    const bool ok = fact(facts, "format_name") == "avi" && fact(facts, "codec_name") == "mjpeg" &&
                    fact(facts, "width").toInt() == width &&
                    fact(facts, "height").toInt() == height && frames >= minFrames && fps > 0 &&
                    std::abs(duration * fps - frames) <= 1.5;
    if (!ok)
        qWarning() << file << facts;
    return ok;
}

// Ticks by hand: the test fires them as the ticker's thread would.
struct ManualTicks
{
    std::function<void()> tick;
    std::chrono::milliseconds period{0};
    int started = 0;
    int stopped = 0;
    void fire() { tick(); }
};

class ManualTicker : public PeriodicTicker
{
  public:
    explicit ManualTicker(std::shared_ptr<ManualTicks> ticks) : ticks_(std::move(ticks)) {}
    void start(std::chrono::milliseconds period, std::function<void()> tick) override
    {
        ticks_->period = period;
        ticks_->tick = std::move(tick);
        ++ticks_->started;
    }
    void stop() override { ++ticks_->stopped; }

  private:
    std::shared_ptr<ManualTicks> ticks_;
};

// The real ticker's thread, a hundred times faster.
class FastTicker : public PeriodicTicker
{
  public:
    void start(std::chrono::milliseconds period, std::function<void()> tick) override
    {
        ticker_.start(period / 100, std::move(tick));
    }
    void stop() override { ticker_.stop(); }

  private:
    ThreadTicker ticker_;
};

} // namespace

class CaptureTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void theCaptureBarNamesTheFilesAndItsTrailingDigitsSetTheIndex()
    {
        Program p;
        QVERIFY(p.connect() != nullptr && p.live->started());
        p.frame()->setLocalClock(fixedClock(123));
        p.bar()->name()->setText("Plate007");
        p.bar()->interval()->setText("5");
        p.bar()->limit()->setChecked(true);
        p.bar()->count()->setText("9");
        // C in the live view, as a user takes a picture.
        QTest::keyClick(p.live->view(), Qt::Key_C);
        QTRY_COMPARE(p.files("Captures"), QStringList{"Plate2007-3-5 14-2-9-123.jpg"});
        QCOMPARE(identify(p.home.path("Captures/Plate2007-3-5 14-2-9-123.jpg")),
                 QStringLiteral("JPEG 640 480 75"));
        QCOMPARE(p.settings().captureName, std::string("Plate"));
        QCOMPARE(p.settings().captureIndex, 8);
        QVERIFY(p.pane(kPanePrompt).startsWith("Saved: "));
        // The bar shows the stored settings again, with the timer fields as they start.
        QCOMPARE(p.bar()->name()->text(), QStringLiteral("Plate"));
        QCOMPARE(p.bar()->interval()->text(), QStringLiteral("1"));
        QVERIFY(!p.bar()->limit()->isChecked());
        QCOMPARE(p.bar()->count()->text(), QStringLiteral("3"));
        QVERIFY(!p.bar()->count()->isEnabled());

        // No digits typed again: the index starts over.
        p.frame()->setLocalClock(fixedClock(124));
        p.command(ID_VIDEO_CAPTURE);
        QCOMPARE(p.settings().captureIndex, 1);
        // Only digits: no name, and the digits are the index.
        p.bar()->name()->setText("123");
        p.frame()->setLocalClock(fixedClock(125));
        p.command(ID_VIDEO_CAPTURE);
        QCOMPARE(p.settings().captureName, std::string());
        QCOMPARE(p.settings().captureIndex, 124);
        QVERIFY(QFileInfo::exists(p.home.path("Captures/2007-3-5 14-2-9-125.jpg")));

        // BMP: 24 bits per pixel at the live picture's size.
        p.bar()->bmp()->setChecked(true);
        p.frame()->setLocalClock(fixedClock(126));
        p.command(ID_VIDEO_CAPTURE);
        QFile bmp(p.home.path("Captures/2007-3-5 14-2-9-126.bmp"));
        QVERIFY(bmp.open(QIODevice::ReadOnly));
        const QByteArray head = bmp.read(54);
        QCOMPARE(head.left(2), QByteArray("BM"));
        auto u32 = [&](int at) { return qFromLittleEndian<quint32>(head.constData() + at); };
        QCOMPARE(u32(18), 640u);
        QCOMPARE(u32(22), 480u);
        QCOMPARE(qFromLittleEndian<quint16>(head.constData() + 28), quint16(24));
        QCOMPARE(bmp.size(), qint64(54 + 640 * 480 * 3));
        QCOMPARE(p.settings().saveAsJpeg, 0);
        QVERIFY(p.messages.texts.isEmpty());
    }

    void trailingDigitsAndNumbersOfTheBar()
    {
        const std::pair<std::string, std::pair<std::string, int>> names[] = {
            {"Sample12", {"Sample", 12}},    {"Plate007", {"Plate", 7}}, {"123", {"", 123}},
            {"Plate", {"Plate", 0}},         {"a1b", {"a1b", 0}},        {"", {"", 0}},
            {"x99999999999", {"x", INT_MAX}}};
        for (const auto& [name, expected] : names)
        {
            std::string cut = name;
            QCOMPARE(takeTrailingNumber(cut), expected.second);
            QCOMPARE(cut, expected.first);
        }
        const std::pair<const char*, int> numbers[] = {{"5", 5},
                                                       {" \t42s", 42},
                                                       {"-3", -3},
                                                       {"+7", 7},
                                                       {"abc", 0},
                                                       {"", 0},
                                                       {"99999999999", INT_MAX},
                                                       {"-99999999999", INT_MIN}};
        for (auto [text, value] : numbers)
            QCOMPARE(decimalValue(text), value);
    }

    void capturesWithinOneMillisecondKeepAFileEach()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.frame()->setLocalClock(fixedClock(7));
        for (int i = 0; i < 3; ++i)
            p.command(ID_VIDEO_CAPTURE);
        const QStringList expected = {"Capture2007-3-5 14-2-9-7.jpg",
                                      "Capture2007-3-5 14-2-9-7_1.jpg",
                                      "Capture2007-3-5 14-2-9-7_2.jpg"};
        QCOMPARE(p.files("Captures"), expected);
        for (const QString& file : expected)
            QCOMPARE(identify(p.home.path("Captures/" + file)), QStringLiteral("JPEG 640 480 75"));
        // Each capture reads the name again, which has no digits.
        QCOMPARE(p.settings().captureIndex, 1);
    }

    void aFileThatCannotBeWrittenChangesNothingAndIsNotShownAsSaved()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.bar()->path()->setText(p.home.path("missing/folder"));
        p.bar()->interval()->setText("4");
        p.command(ID_VIDEO_CAPTURE);
        QCOMPARE(p.settings().captureIndex, 0);
        // The bar was not filled again.
        QCOMPARE(p.bar()->interval()->text(), QStringLiteral("4"));
        QVERIFY(p.pane(kPanePrompt).startsWith("Not saved: "));
        QVERIFY(p.messages.texts.isEmpty());
        QVERIFY(!QFileInfo::exists(p.home.path("missing")));

        // Frozen, a capture is ignored.
        p.bar()->path()->setText(p.home.path("Captures"));
        p.command(ID_BUTTON_FREEZE);
        QVERIFY(p.live->frozen());
        p.command(ID_VIDEO_CAPTURE);
        p.command(ID_VIDEO_TIMERCAPTURE);
        QVERIFY(p.files("Captures").isEmpty());
        QVERIFY(!p.checked(ID_VIDEO_TIMERCAPTURE));
    }

    void timedCaptureWithALimitTakesThatManyAndEndsByItself()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        auto ticks = std::make_shared<ManualTicks>();
        p.live->capture().setTickerFactory(
            [ticks] { return std::make_unique<ManualTicker>(ticks); });
        // The limit box takes effect at once.
        p.bar()->limit()->click();
        QCOMPARE(p.settings().limitCaptureNum, 1);
        QVERIFY(p.bar()->count()->isEnabled());
        p.bar()->interval()->setText("2");

        p.command(ID_VIDEO_TIMERCAPTURE);
        QVERIFY(p.checked(ID_VIDEO_TIMERCAPTURE));
        QCOMPARE(ticks->started, 1);
        QCOMPARE(ticks->period, std::chrono::milliseconds(2000));
        QCOMPARE(p.pane(kPanePrompt), QStringLiteral("Timed capture: 0 of 3 saved"));
        for (int i = 0; i < 3; ++i)
        {
            p.frame()->setLocalClock(fixedClock(100 + i));
            ticks->fire();
            // A tick posted while another waits is not taken twice.
            ticks->fire();
            QTRY_COMPARE(p.live->capture().captureCount(), i + 1);
            QCoreApplication::processEvents();
            QCOMPARE(p.live->capture().captureCount(), i + 1);
        }
        QCOMPARE(p.files("Captures").size(), 3);
        QCOMPARE(p.pane(kPanePrompt), QStringLiteral("Timed capture: 3 of 3 saved"));
        QVERIFY(p.checked(ID_VIDEO_TIMERCAPTURE));
        // The bar was filled again after each capture; the stored limit still holds.
        QVERIFY(!p.bar()->limit()->isChecked());

        ticks->fire();
        QTRY_VERIFY(!p.live->capture().timedCaptureOn());
        QCOMPARE(ticks->stopped, 1);
        QVERIFY(!p.checked(ID_VIDEO_TIMERCAPTURE));
        QCOMPARE(p.files("Captures").size(), 3);
        QCOMPARE(p.pane(kPanePrompt), QStringLiteral("Timed capture ended: 3 saved"));

        // Without a limit it runs until the command again; a tick already posted is dropped.
        p.command(ID_VIDEO_TIMERCAPTURE);
        QCOMPARE(ticks->started, 2);
        p.frame()->setLocalClock(fixedClock(200));
        ticks->fire();
        p.command(ID_VIDEO_TIMERCAPTURE);
        QCOMPARE(ticks->stopped, 2);
        QCoreApplication::processEvents();
        QCOMPARE(p.files("Captures").size(), 3);
        QVERIFY(!p.checked(ID_VIDEO_TIMERCAPTURE));
    }

    void timedCapturesTakeTheTiffChoice()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        auto ticks = std::make_shared<ManualTicks>();
        p.live->capture().setTickerFactory(
            [ticks] { return std::make_unique<ManualTicker>(ticks); });
        p.bar()->tiff()->setChecked(true);
        p.command(ID_VIDEO_TIMERCAPTURE);
        QVERIFY(p.live->capture().timedCaptureOn());
        for (int i = 0; i < 2; ++i)
        {
            p.frame()->setLocalClock(fixedClock(300 + i));
            ticks->fire();
            QTRY_COMPARE(p.live->capture().captureCount(), i + 1);
        }
        p.command(ID_VIDEO_TIMERCAPTURE);
        const QStringList expected = {"Capture2007-3-5 14-2-9-300.tif",
                                      "Capture2007-3-5 14-2-9-301.tif"};
        QCOMPARE(p.files("Captures"), expected);
        for (const QString& file : expected)
            QVERIFY(identify(p.home.path("Captures/" + file)).startsWith("TIFF 640 480"));
    }

    void timedCaptureAsksForAnIntervalAndStopsWithTheLiveWindow()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        auto ticks = std::make_shared<ManualTicks>();
        p.live->capture().setTickerFactory(
            [ticks] { return std::make_unique<ManualTicker>(ticks); });
        for (const char* interval : {"0", "none"})
        {
            p.bar()->interval()->setText(interval);
            p.command(ID_VIDEO_TIMERCAPTURE);
        }
        QCOMPARE(p.messages.texts, QStringList(2, "Please set the time interval firstly."));
        p.bar()->interval()->setText("-3");
        p.command(ID_VIDEO_TIMERCAPTURE);
        QCOMPARE(p.messages.texts.size(), 2);
        QCOMPARE(ticks->started, 0);
        QVERIFY(!p.checked(ID_VIDEO_TIMERCAPTURE));

        p.bar()->interval()->setText("1");
        p.command(ID_VIDEO_TIMERCAPTURE);
        QVERIFY(p.live->capture().timedCaptureOn());
        p.live->close();
        QCOMPARE(ticks->stopped, 1);
    }

    void theTickersThreadCapturesAndStopWaitsForATickUnderWay()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.live->capture().setTickerFactory([] { return std::make_unique<FastTicker>(); });
        p.bar()->limit()->click();
        p.command(ID_VIDEO_TIMERCAPTURE);
        QTRY_VERIFY_WITH_TIMEOUT(!p.live->capture().timedCaptureOn(), 20000);
        QCOMPARE(p.live->capture().capturesSaved(), 3);
        QCOMPARE(p.files("Captures").size(), 3);
        QVERIFY(!p.checked(ID_VIDEO_TIMERCAPTURE));

        // stop returns only after the tick that runs has finished.
        ThreadTicker ticker;
        std::atomic<bool> entered{false}, release{false}, finished{false}, stopped{false};
        ticker.start(std::chrono::milliseconds(1), [&] {
            if (entered.exchange(true))
                return;
            while (!release)
                std::this_thread::yield();
            finished = true;
        });
        QTRY_VERIFY(entered.load());
        bool finishedWhenStopped = false;
        std::thread stopper([&] {
            ticker.stop();
            finishedWhenStopped = finished;
            stopped = true;
        });
        QVERIFY(!QTest::qWaitFor([&] { return stopped.load(); }, 50));
        release = true;
        stopper.join();
        QVERIFY(finishedWhenStopped);
    }

    void captureForMeasuringNeedsTheLargeSizeAndOffersIt()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.messages.answer = kwz::IDNO;
        QTest::keyClick(p.live->view(), Qt::Key_M);
        QTRY_COMPARE(p.messages.texts.size(), 1);
        QCOMPARE(p.messages.texts[0],
                 QStringLiteral("The Measuring range must be not less than 1280 * 1024. Do you "
                                "want to change size to measure now?"));
        QCOMPARE(p.live->pictureWidth(), 640);

        p.messages.answer = kwz::IDYES;
        p.command(ID_CAPTURE_MEASURE);
        QCOMPARE(p.messages.texts.size(), 2);
        QCOMPARE(p.settings().captureSizeIndex, 2);
        QCOMPARE(p.live->pictureWidth(), 1280);
        QCOMPARE(p.live->pictureHeight(), 1024);
        QVERIFY(p.live->started());
        QCOMPARE(p.frame()->bars().size->sizeIndex(), 2);
        // No capture follows the switch.
        QCOMPARE(p.frame()->client()->subWindowList().size(), 1);

        // At the large size the frame becomes a new image window, maximised like the live one.
        p.bar()->name()->setText("Slide4");
        p.bar()->interval()->setText("8");
        QVERIFY(p.live->isMaximized());
        p.command(ID_CAPTURE_MEASURE);
        QCOMPARE(p.messages.texts.size(), 2);
        auto* image = dynamic_cast<CImageFrame*>(p.frame()->client()->activeSubWindow());
        QVERIFY(image != nullptr);
        QVERIFY(image->isMaximized());
        QCOMPARE(image->windowTitle(), QStringLiteral("Slide4"));
        QCOMPARE(image->document().imageSize(), QSize(1280, 1024));
        QCOMPARE(p.frame()->shownMenu(), CMainFrame::MenuKind::Image);
        QCOMPARE(p.settings().captureIndex, 5);
        QCOMPARE(p.bar()->interval()->text(), QStringLiteral("1"));
        int bits = 0;
        QCOMPARE(RASTGetBitCount(image->document().bitmap()->handle(), &bits), RAST_OK);
        QCOMPARE(bits, 24);
    }

    void cancelAtExitLeavesEverythingAndATerminationSignalSavesAndEnds()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        QPointer<CVideoFrame> live = p.live;
        p.command(ID_VIDEO_RECORD);
        QCOMPARE(live->capture().recording(), true);
        p.messages.answer = kwz::IDYES;
        p.command(ID_CAPTURE_MEASURE);
        p.command(ID_CAPTURE_MEASURE);
        auto* image = dynamic_cast<CImageFrame*>(p.frame()->client()->activeSubWindow());
        QVERIFY(image != nullptr && image->document().isModified());

        p.messages.answer = kwz::IDCANCEL;
        const int asked = p.messages.texts.size();
        QVERIFY(!p.frame()->close());
        QCOMPARE(p.messages.texts.size(), asked + 1);
        QVERIFY(!live.isNull());
        QVERIFY(live->started());
        QCOMPARE(live->capture().recording(), true);
        QCOMPARE(p.frame()->client()->subWindowList().size(), 2);

        // Nobody answers a signal: the picture goes to a free name, and everything closes.
        p.messages.answer = kwz::IDCANCEL;
        const QString title = image->document().title();
        p.frame()->closeOnTermination();
        QCOMPARE(p.messages.texts.size(), asked + 1);
        QTRY_VERIFY(live.isNull());
        QVERIFY(p.frame()->client()->subWindowList().isEmpty());
        QVERIFY(p.files("Captures").contains(title + ".bmp"));
    }

    void aPictureOpenedAmongMaximisedWindowsComesMaximisedAndShowsItsSize()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.live->showMaximized();
        p.home.write("small.bmp", tinyBmp());
        QVERIFY(p.run->app.openDocumentFile(p.home.path("small.bmp")) != nullptr);
        QCoreApplication::processEvents();
        auto* image = dynamic_cast<CImageFrame*>(p.frame()->client()->activeSubWindow());
        QVERIFY(image != nullptr);
        QVERIFY(image->isMaximized());
        QTRY_COMPARE(p.pane(1), QStringLiteral("width:2 height:2"));
        p.frame()->client()->setActiveSubWindow(p.live);
        QVERIFY(p.live->isMaximized());
    }

    void recordingTimeGoesOnWhileThePictureIsFrozen()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        CVideoView* view = p.live->view();
        QTest::keyClick(view, Qt::Key_R);
        QTRY_COMPARE(p.live->capture().recording(), true);
        QTest::keyClick(view, Qt::Key_E);
        QTRY_VERIFY(p.live->frozen());
        QVERIFY(!p.live->started());
        // The camera goes on recording, so the time shown goes on too.
        QTRY_COMPARE_WITH_TIMEOUT(p.pane(kPaneRecording), QStringLiteral("Recording: 0:0:1\n"),
                                  4000);
        QVERIFY(p.live->frozen());
        QTest::keyClick(view, Qt::Key_E);
        QTRY_VERIFY(p.live->started());
        QTest::keyClick(view, Qt::Key_R);
        QTRY_COMPARE(p.live->capture().recording(), false);
        // Without a recording a frozen picture needs no tick.
        QTest::keyClick(view, Qt::Key_E);
        QTRY_VERIFY(p.live->frozen());
        QCOMPARE(p.live->timerId(), 0);
    }

    void aPulledCameraIsSaidEndsTheRecordingWholeAndComesBackWhenPluggedIn()
    {
        TempHome plugs;
        const QString plug = plugs.path("camera");
        plugs.write("camera", "1");
        qputenv("KWZ_CAMERA_PLUG", QFile::encodeName(plug));
        Program p;
        qunsetenv("KWZ_CAMERA_PLUG");
        QVERIFY(p.connect() != nullptr);
        QVERIFY(p.waitFrames(3));
        p.command(ID_VIDEO_RECORD);
        QCOMPARE(p.live->capture().recording(), true);
        QVERIFY(p.waitFrames(5));

        QVERIFY(QFile::remove(plug));
        QVERIFY(QTest::qWaitFor(
            [&] {
                p.live->onTimer();
                return p.live->cameraGone();
            },
            10000));
        // The recording ended with the frames it had, and says why.
        QCOMPARE(p.live->capture().recording(), false);
        QVERIFY(!p.checked(ID_VIDEO_RECORD));
        QVERIFY2(p.messages.texts.join('|').contains("The camera was disconnected"),
                 qPrintable(p.messages.texts.join('|')));
        const QStringList records = p.files("Records");
        QCOMPARE(records.size(), 1);
        const QByteArray avi = QFile::encodeName(p.home.path("Records/" + records.front()));
        QCOMPARE(ZcapFinishCutAvi(avi.constData(), nullptr), ZCAP_ERR_STATE); // whole already
        QCOMPARE(p.pane(kPanePrompt), QStringLiteral("The camera is disconnected"));
        QVERIFY(p.live->view()->notice().contains("disconnected"));
        QCOMPARE(p.live->liveSession().frameRate(), 0.0);

        plugs.write("camera", "1");
        QVERIFY(QTest::qWaitFor(
            [&] {
                p.live->onTimer();
                return !p.live->cameraGone();
            },
            10000));
        QVERIFY(p.waitFrames(3));
        QVERIFY(p.live->view()->notice().isEmpty());
        QCOMPARE(p.pane(kPanePrompt), QStringLiteral("The camera is connected again"));
    }

    void recordingShowsItsTimeAndLeavesAPlayableFile()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.frame()->setLocalClock(fixedClock(0, 9));
        p.frame()->bars().record->name()->setText("Clip");
        p.frame()->bars().record->path()->setText("/typed/path/is/not/used");
        p.command(ID_VIDEO_RECORD);
        QCOMPARE(p.live->capture().recording(), true);
        QVERIFY(p.checked(ID_VIDEO_RECORD));
        QCOMPARE(p.settings().recordName, std::string("Clip"));
        QCOMPARE(p.paneStyle(kPaneRecording).background, kPaneHighlight);
        QCOMPARE(p.paneStyle(kPaneRecording).text, RGB(255, 0, 0));
        // The posted focus handling puts the live-work texts back.
        QTRY_COMPARE(p.paneStyle(kPaneRecording).background, kPaneInactiveBackground);
        QCOMPARE(p.pane(kPaneRecording), QStringLiteral(" Video Record "));

        // The first tick shows no time yet; the 3726th shows one hour, two minutes, five seconds.
        p.live->onTimer();
        QCOMPARE(p.pane(kPaneRecording), QStringLiteral("Recording: 0:0:0\n"));
        QCOMPARE(p.paneStyle(kPaneRecording).background, kPaneHighlight);
        QCOMPARE(p.paneStyle(kPaneRecording).text, RGB(0, 0, 0));
        for (int tick = 1; tick <= 3725; ++tick)
            p.live->capture().onTimer();
        QCOMPARE(p.pane(kPaneRecording), QStringLiteral("Recording: 1:2:5\n"));

        QVERIFY(p.waitFrames(30));
        float fps = 0;
        ZcapGetFrameRate(p.live->session().device(), &fps);
        p.frame()->setLocalClock(fixedClock(0, 12));
        p.command(ID_VIDEO_RECORD);
        QVERIFY(!p.checked(ID_VIDEO_RECORD));
        QCOMPARE(p.pane(kPaneRecording), QStringLiteral("Record Completed"));
        QCOMPARE(p.paneStyle(kPaneRecording).background, kPaneInactiveBackground);
        QCOMPARE(p.settings().recordIndex, 1);
        QTRY_COMPARE(p.pane(kPaneRecording), QStringLiteral(" Video Record "));

        // Named when it started, in the stored record folder.
        QCOMPARE(p.files("Records"), QStringList{"Clip2007-3-5 14-2-9.avi"});
        const QString file = p.home.path("Records/Clip2007-3-5 14-2-9.avi");
        QVERIFY(playable(file, 640, 480, 25));
        // The rate in the file is the rate the window showed.
        QVERIFY2(std::abs(rate(fact(probe(file), "r_frame_rate")) - fps) < fps * 0.25,
                 qPrintable(QString::number(fps)));

        // Started again within the same second, the first recording stays.
        p.frame()->setLocalClock(fixedClock(0, 9));
        p.command(ID_VIDEO_RECORD);
        QVERIFY(p.waitFrames(5));
        p.command(ID_VIDEO_RECORD);
        QCOMPARE(p.files("Records"),
                 (QStringList{"Clip2007-3-5 14-2-9.avi", "Clip2007-3-5 14-2-9_1.avi"}));
        QVERIFY(playable(file, 640, 480, 25));
    }

    void aRecordingOntoAFullDiskStopsAndSaysWhy()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.frame()->setLocalClock(fixedClock(0, 9));
        p.command(ID_VIDEO_RECORD);
        QVERIFY(p.waitFrames(10));
        p.live->capture().onTimer();
        QCOMPARE(p.pane(kPaneRecording), QStringLiteral("Recording: 0:0:0\n"));
        kwz::testing::failWritesAfter(5000);
        // The next tick after the disk filled stops the recording instead of counting on.
        QTRY_VERIFY_WITH_TIMEOUT((p.live->capture().onTimer(), !p.live->capture().recording()),
                                 5000);
        kwz::testing::failWritesAfter(-1);
        QVERIFY(!p.checked(ID_VIDEO_RECORD));
        QCOMPARE(p.pane(kPaneRecording), QStringLiteral("Recording stopped"));
        QCOMPARE(p.paneStyle(kPaneRecording).background, kPaneInactiveBackground);
        QCOMPARE(p.messages.texts.size(), 1);
        QVERIFY2(p.messages.texts[0].startsWith("The recording was stopped: The disk is full.\n"),
                 qPrintable(p.messages.texts[0]));
        QVERIFY(p.messages.texts[0].endsWith("Record2007-3-5 14-2-9.avi"));
        QCOMPARE(p.settings().recordIndex, 1);
        p.live->capture().onTimer();
        QCOMPARE(p.pane(kPaneRecording), QStringLiteral("Recording stopped"));
        // What reached the disk plays, with its length.
        QVERIFY(playable(p.home.path("Records/Record2007-3-5 14-2-9.avi"), 640, 480, 8));
    }

    void recordingsCutOffEarlierAreFinishedAtTheNextStart()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.frame()->setLocalClock(fixedClock(0, 9));
        p.command(ID_VIDEO_RECORD);
        QVERIFY(p.waitFrames(20));
        p.command(ID_VIDEO_RECORD);
        const QString file = p.home.path("Records/Record2007-3-5 14-2-9.avi");
        p.run.reset();
        // Cut off inside a frame, as a kill leaves it: no index, no sizes.
        QFile cut(file);
        QVERIFY(cut.resize(cut.size() * 2 / 3 + 7));
        p.home.write("Records/notes.avi", "not a recording");
        p.run = std::make_unique<Run>();
        QCOMPARE(p.pane(kPanePrompt), QStringLiteral("1 interrupted recording(s) repaired"));
        QVERIFY(playable(file, 640, 480, 8));
        QCOMPARE(p.home.read("Records/notes.avi"), QByteArray("not a recording"));
        // Whole now, so the start after leaves it alone.
        p.run.reset();
        p.run = std::make_unique<Run>();
        QVERIFY(p.pane(kPanePrompt) != QStringLiteral("1 interrupted recording(s) repaired"));
    }

    void recordingTimeInSimplifiedChinese()
    {
        Program p;
        p.run->app.switchLanguage(0);
        QVERIFY(p.connect() != nullptr);
        p.live->liveSession().setRecordingSeconds(3725);
        QCOMPARE(p.pane(kPaneRecording), QString::fromUtf8("正在录像: 1:2:5\n"));
    }

    void frozenTheRecordCommandChangesNothing()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.command(ID_BUTTON_FREEZE);
        p.command(ID_VIDEO_RECORD);
        QCOMPARE(p.live->capture().recording(), false);
        QVERIFY(!p.checked(ID_VIDEO_RECORD));
        QVERIFY(p.files("Records").isEmpty());
    }

    void aRecordingThatCannotStartIsSaidAndNotShownAsRunning()
    {
        Program p;
        QVERIFY(p.connect() != nullptr);
        p.settings().recordPath = p.home.path("missing").toStdString();
        p.command(ID_VIDEO_RECORD);
        QCOMPARE(p.live->capture().recording(), false);
        QVERIFY(!p.checked(ID_VIDEO_RECORD));
        QCOMPARE(p.messages.texts.size(), 1);
        QVERIFY(p.messages.texts[0].startsWith("The recording could not be started:\n"));
        p.live->onTimer();
        QVERIFY(!p.pane(kPaneRecording).startsWith("Recording"));
    }

    // Switching the size records on at the size it started with; closing the live window or
    // quitting finishes the file.
    void sizeSwitchCloseAndQuitLeavePlayableRecordings()
    {
        Program p("nRecordIndex=4\n");
        QVERIFY(p.connect() != nullptr);
        p.frame()->setLocalClock(fixedClock(0, 1));
        p.command(ID_VIDEO_RECORD);
        QVERIFY(p.waitFrames(10));
        p.frame()->sendCommand(IDC_SIZE_320);
        QCOMPARE(p.live->pictureWidth(), 320);
        QVERIFY(p.live->capture().recording());
        QVERIFY(p.waitFrames(10));
        p.command(ID_VIDEO_RECORD);
        QVERIFY(playable(p.home.path("Records/Record2007-3-5 14-2-1.avi"), 640, 480, 15));

        p.frame()->setLocalClock(fixedClock(0, 2));
        p.command(ID_VIDEO_RECORD);
        QVERIFY(p.waitFrames(10));
        p.live->close();
        QVERIFY(playable(p.home.path("Records/Record2007-3-5 14-2-2.avi"), 320, 240, 8));
        QCOMPARE(p.settings().recordIndex, 6);
        QTRY_VERIFY(p.run->app.documents().FindVideoFrame() == nullptr);

        QVERIFY(p.connect() != nullptr);
        p.frame()->setLocalClock(fixedClock(0, 3));
        p.command(ID_VIDEO_RECORD);
        QVERIFY(p.waitFrames(10));
        p.run.reset();
        QVERIFY(playable(p.home.path("Records/Record2007-3-5 14-2-3.avi"), 320, 240, 8));
        QVERIFY(p.home.read("MeasureTool.ini").contains("nRecordIndex=7"));
    }
};

std::unique_ptr<QObject> makeCaptureTest()
{
    return std::make_unique<CaptureTest>();
}

#include "capture_test.moc"
