// The seams of the main frame: command routing through the active child window, posted events,
// the bar table and the bars' signals.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QThread>
#include <QToolBar>
#include <thread>

#include "app/bars/colour_bar.h"
#include "app/bars/size_bar.h"
#include "app/controls/client_wnd.h"
#include "app/live/video_frame.h"
#include "app/shell/command_ids.h"
#include "app/shell/events.h"
#include "app/shell/picture_sizes.h"
#include "app_run.h"
#include "test_support.h"

using namespace cmd;

namespace {

// A child window that takes two commands and claims the video master's check mark.
class TakingFrame : public QMdiSubWindow, public CommandTarget
{
  public:
    bool onCommand(int id) override
    {
        if (id != ID_VIDEO_CAPTURE && id != ID_FILE_CLOSE)
            return false;
        taken.push_back(id);
        return true;
    }
    bool updateCommand(int id, CommandState& state) override
    {
        if (id == ID_VIDEO_CAPTURE)
            return true;
        if (id == ID_BUTTON_ALLBTN)
        {
            state.checked = allChecked;
            return true;
        }
        return false;
    }
    std::vector<int> taken;
    bool allChecked = true;
};

class EventSink : public QObject
{
  public:
    bool event(QEvent* event) override
    {
        if (event->type() != events::whiteBalanceDone())
            return QObject::event(event);
        value = static_cast<ValueEvent*>(event)->value();
        onInterfaceThread = QThread::currentThread() == thread();
        return true;
    }
    uint32_t value = 0;
    bool onInterfaceThread = false;
};

} // namespace

class FrameTest : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void theActiveChildTakesCommandsBeforeTheMainFrame()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[User]\nbShowVideoSizeBar=0\n");
        Run run;
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        // Nobody takes capture yet; no video side bar is shown.
        QVERIFY(!frame->action(ID_VIDEO_CAPTURE)->isEnabled());
        QVERIFY(!frame->action(ID_BUTTON_ALLBTN)->isChecked());

        auto* child = new TakingFrame;
        frame->client()->addSubWindow(child);
        child->show();
        frame->client()->setActiveSubWindow(child);
        QVERIFY(frame->action(ID_VIDEO_CAPTURE)->isEnabled());
        QVERIFY(frame->action(ID_BUTTON_ALLBTN)->isChecked());

        frame->action(ID_VIDEO_CAPTURE)->trigger();
        // Taken by the child, the main frame would have closed it.
        frame->action(ID_FILE_CLOSE)->trigger();
        QCOMPARE(child->taken, (std::vector<int>{ID_VIDEO_CAPTURE, ID_FILE_CLOSE}));
        QCOMPARE(frame->client()->subWindowList().size(), 1);
        // What the child leaves goes on to the main frame, then to the application object.
        frame->action(ID_BUTTON_ALLBTN)->trigger();
        QVERIFY(frame->videoSideBars());
        frame->action(IDM_ENGLISHLANGUAGE)->trigger();
        QCOMPARE(run.app.languages().index(), 1);
        QVERIFY(frame->action(IDM_ENGLISHLANGUAGE)->isChecked());

        // A child whose state changes asks for a refresh by posting an event.
        child->allChecked = false;
        QCoreApplication::postEvent(frame, new QEvent(events::commandStates()));
        QTRY_VERIFY(!frame->action(ID_BUTTON_ALLBTN)->isChecked());
    }

    void aPostedConnectRequestOpensTheLiveWindow()
    {
        TempHome home;
        home.write("MeasureTool.ini", "[User]\nnCaptureSizeIndex=3\n");
        Run run;
        QVERIFY(run.started);
        // Posted by its number, as a sender that knows only the number posts it.
        QCoreApplication::postEvent(run.frame(), new QEvent(QEvent::Type(1624)));
        QTRY_VERIFY(run.app.documents().FindVideoFrame() != nullptr);
        auto* live = dynamic_cast<CVideoFrame*>(run.app.documents().FindVideoFrame());
        QVERIFY(live != nullptr);
        QVERIFY(live->started());
        QCOMPARE(live->pictureWidth(), 1600);
        QVERIFY(run.frame()->client()->liveWindow());
        QCOMPARE(run.frame()->shownMenu(), MenuKind::Video);
        // The size comes from the one table of picture sizes.
        QCOMPARE(int(run.app.camera().captureInfo().dwWidth), 1600);
        QCOMPARE(int(run.app.camera().captureInfo().dwHeight), 1200);
        QCOMPARE(run.frame()->bars().size->sizeIndex(), 3);
        const auto* radio = run.frame()->bar(Bar::Size)->control<QRadioButton>(IDC_SIZE_1600);
        QCOMPARE(radio->text(), QString::fromLatin1(kPictureSizes[3].label));
    }

    void eventTypesAreDistinctAndWorkOffTheInterfaceThreadArrivesOnIt()
    {
        const QEvent::Type types[] = {events::connectDevice(), events::commandStates(),
                                      events::cameraFrame(), events::whiteBalanceDone(),
                                      events::timedCapture()};
        for (size_t i = 0; i < std::size(types); ++i)
        {
            QVERIFY(types[i] >= QEvent::User && types[i] <= QEvent::MaxUser);
            for (size_t j = i + 1; j < std::size(types); ++j)
                QVERIFY(types[i] != types[j]);
        }
        EventSink sink;
        std::thread camera([&sink] {
            QCoreApplication::postEvent(&sink,
                                        new ValueEvent(events::whiteBalanceDone(), 0x1E2C2A2B));
        });
        camera.join();
        QTRY_COMPARE(sink.value, uint32_t(0x1E2C2A2B));
        QVERIFY(sink.onInterfaceThread);
    }

    void eachToggleCommandShowsItsOwnBarAndStoresItsOwnFlag()
    {
        TempHome home;
        Run run;
        QVERIFY(run.started);
        CMainFrame* frame = run.frame();
        for (const BarInfo& info : kBarTable)
        {
            if (info.toggleCommand == 0)
                continue;
            const QString name = QString::number(info.resourceId);
            QCOMPARE(frame->bar(info.bar)->resourceId(), info.resourceId);
            frame->action(info.toggleCommand)->trigger();
            QVERIFY2(!frame->barHost(info.bar)->isHidden(), qPrintable(name));
            QVERIFY2(frame->settings().*info.shown == 1, qPrintable(name));
            QVERIFY2(frame->action(info.toggleCommand)->isChecked(), qPrintable(name));
            frame->action(info.toggleCommand)->trigger();
            QVERIFY2(frame->barHost(info.bar)->isHidden(), qPrintable(name));
            QVERIFY2(frame->settings().*info.shown == 0, qPrintable(name));
        }
        // The text bar takes the magnifier's place.
        frame->action(ID_IMAGE_ZOOM)->trigger();
        frame->action(ID_IMAGE_SETTINGS_TEXT)->trigger();
        QVERIFY(frame->barHost(Bar::Magnifier)->isHidden());
        QVERIFY(!frame->barHost(Bar::Text)->isHidden());
    }

    void barsReportTheUsersActionsThroughTheirSignals()
    {
        struct Row
        {
            Bar bar;
            int control;
            const char* signal;
            int argument; // -1: not looked at
        };
        const Row rows[] = {
            {Bar::Size, IDC_SIZE_1280, SIGNAL(sizeChosen(int)), 2},
            {Bar::Lights, IDC_LIGHT_LASER, SIGNAL(lightToggled(int, bool)), IDC_LIGHT_LASER},
            {Bar::Lights, IDC_LIGHT_60HZ, SIGNAL(frequencyChosen(int)), 1},
            {Bar::VideoSetting, IDC_SLIDER_EXPOSURE, SIGNAL(exposureChanged(int)), -1},
            {Bar::VideoSetting, IDC_AWB, SIGNAL(whiteBalanceClicked()), -1},
            {Bar::VideoSetting, IDC_FLIP_VERTICAL, SIGNAL(verticalFlipToggled(bool)), -1},
            {Bar::VideoSetting, IDC_FLIP_HORIZONTAL, SIGNAL(horizontalFlipToggled(bool)), -1},
            {Bar::Colour, IDC_SLIDER_GAMMA, SIGNAL(sliderChanged(ColourBar::Slider, int)),
             ColourBar::Gamma},
            {Bar::Colour, IDC_COLOR_DEFAULT, SIGNAL(defaultClicked()), -1},
            {Bar::Capture, IDC_CAPTURE_BROWSE, SIGNAL(browseClicked()), -1},
            {Bar::Capture, IDC_CAPTURE_OPENPATH, SIGNAL(openFolderClicked()), -1},
            {Bar::Capture, IDC_CAPTURE_LIMIT, SIGNAL(limitToggled(bool)), -1},
            {Bar::Record, IDC_RECORD_BROWSE, SIGNAL(browseClicked()), -1},
            {Bar::Record, IDC_RECORD_OPENPATH, SIGNAL(openFolderClicked()), -1},
            {Bar::Record, IDC_RECORD_COMPRESSOR, SIGNAL(compressorClicked()), -1},
            {Bar::Magnifier, IDC_MAGNIFIER_SPIN, SIGNAL(radiusChanged(int)), -1},
            {Bar::Ruler, IDC_RULER_LIST, SIGNAL(rulerChosen(int)), 1},
            {Bar::Ruler, IDC_RULER_MEASUREUNIT, SIGNAL(measureUnitChosen(int)), 1},
            {Bar::Ruler, IDC_RULER_PRECISION, SIGNAL(precisionChosen(int)), 1},
            {Bar::Ruler, IDC_RULER_HIDEDESC, SIGNAL(hideDescriptorsToggled(bool)), -1},
            {Bar::Ruler, IDC_RULER_DEFINE, SIGNAL(defineClicked()), -1},
            {Bar::Pen, IDC_PEN_NORMALCOLOR, SIGNAL(normalColourChosen(int)), 1},
            {Bar::Pen, IDC_PEN_TEMPCOLOR, SIGNAL(tempColourChosen(int)), 1},
            {Bar::Pen, IDC_PEN_WIDTH, SIGNAL(widthChosen(int)), 1},
            {Bar::Text, IDC_TEXT_FONT, SIGNAL(fontChosen(int)), 1},
            {Bar::Text, IDC_TEXT_SIZE, SIGNAL(sizeChosen(int)), 1},
            {Bar::Text, IDC_TEXT_NORMALCOLOR, SIGNAL(normalColourChosen(int)), 1},
            {Bar::Text, IDC_TEXT_TEMPCOLOR, SIGNAL(tempColourChosen(int)), 1},
            {Bar::RulerMeasure, IDC_MRULER_LOAD, SIGNAL(loadClicked()), -1},
            {Bar::RulerMeasure, IDC_MRULER_SAVE, SIGNAL(saveClicked()), -1},
            {Bar::RulerMeasure, IDC_MRULER_DELETE, SIGNAL(deleteClicked()), -1},
            {Bar::RulerMeasure, IDC_MRULER_APPLY, SIGNAL(applyClicked()), -1},
            {Bar::RulerMeasure, IDC_MRULER_RETURN, SIGNAL(returnClicked()), -1},
            {Bar::RulerMeasure, IDC_MRULER_LIST, SIGNAL(rulerChosen(int)), 1},
            {Bar::RulerMeasure, IDC_MRULER_RULERUNIT, SIGNAL(rulerUnitChosen(int)), 1},
            {Bar::RulerMeasure, IDC_MRULER_MEASUREUNIT, SIGNAL(measureUnitChosen(int)), 1},
            {Bar::RulerMeasure, IDC_MRULER_PRECISION, SIGNAL(precisionChosen(int)), 1},
            {Bar::RulerMeasure, IDC_MRULER_HIDERULER, SIGNAL(hideRulerToggled(bool)), -1},
            {Bar::RulerMeasure, IDC_MRULER_HIDEDESC, SIGNAL(hideDescriptorsToggled(bool)), -1},
        };
        TempHome home;
        Run run;
        QVERIFY(run.started);
        for (const Row& row : rows)
        {
            const QByteArray name = QByteArray::number(row.control) + " " + row.signal;
            DialogBar* owner = run.frame()->bar(row.bar);
            // Only the spy listens: no folder dialog, no file manager.
            QObject::disconnect(owner, nullptr, run.frame(), nullptr);
            QWidget* widget = owner->control(row.control);
            QVERIFY2(widget != nullptr, name);
            widget->setEnabled(true);
            QSignalSpy spy(owner, row.signal);
            QVERIFY2(spy.isValid(), name);
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                button->click();
            else if (auto* slider = qobject_cast<QSlider*>(widget))
                slider->setValue(slider->value() == slider->minimum() ? slider->maximum()
                                                                      : slider->minimum());
            else if (auto* spin = qobject_cast<QSpinBox*>(widget))
                spin->setValue(spin->value() + 1);
            else if (auto* combo = qobject_cast<QComboBox*>(widget))
                Q_EMIT combo->activated(1); // as a user's choice of the second entry
            QVERIFY2(spy.count() == 1, name);
            if (row.argument >= 0)
                QVERIFY2(spy.at(0).at(0).toInt() == row.argument, name);
        }
    }
};

#include "frame_test.moc"

std::unique_ptr<QObject> makeFrameTest()
{
    return std::make_unique<FrameTest>();
}
