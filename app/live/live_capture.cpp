#include "app/live/live_capture.h"

#include <QCoreApplication>

#include "app/live/camera_session.h"
#include "app/live/live_overlay.h"
#include "app/live/live_services.h"
#include "app/live/live_session.h"
#include "app/live/thread_ticker.h"
#include "app/shell/command_ids.h"
#include "app/shell/events.h"
#include "app/shell/language.h"
#include "app/shell/settings.h"
#include "app/shell/status_panes.h"
#include "app/shell/ui_text.h"
#include "platform/message_box.h"

using namespace cmd;

LiveCapture::LiveCapture(LiveSession& live, LiveServices& services, CameraSession& camera)
    : live_(live), services_(services), camera_(camera), still_(services, camera),
      recorder_(services),
      measureBuffer_(std::make_unique_for_overwrite<BYTE[]>(kMeasureBufferBytes)),
      makeTicker_([] { return std::make_unique<ThreadTicker>(); })
{
}

LiveCapture::~LiveCapture()
{
    if (ticker_)
        ticker_->stop();
    // The library finishes the file properly; the settings were saved before this runs.
    if (recording_ && recordDevice_ != 0)
        ZcapCaptureToAvi(recordDevice_, 0, nullptr);
}

QString LiveCapture::text(const char* english, const char* simplified,
                          const char* traditional) const
{
    return uiText(services_.languages.index(), english, simplified, traditional);
}

bool LiveCapture::onCommand(int id)
{
    switch (id)
    {
    case ID_VIDEO_CAPTURE:
        onCapture();
        return true;
    case ID_VIDEO_TIMERCAPTURE:
        onTimerCapture();
        return true;
    case ID_CAPTURE_MEASURE:
        onCaptureMeasure();
        return true;
    case ID_VIDEO_RECORD:
        onRecord();
        return true;
    default:
        return false;
    }
}

bool LiveCapture::updateCommand(int id, CommandState& state) const
{
    switch (id)
    {
    case ID_VIDEO_CAPTURE:
    case ID_CAPTURE_MEASURE:
        return true;
    case ID_VIDEO_TIMERCAPTURE:
        state.checked = timedOn_;
        return true;
    case ID_VIDEO_RECORD:
        state.checked = recording_;
        return true;
    default:
        return false;
    }
}

void LiveCapture::onCapture()
{
    const ZCAPHANDLE device = camera_.device();
    if (live_.frozen() || device == 0)
        return;
    still_.readBar();
    still_.writeStill(device);
}

void LiveCapture::onTimerCapture()
{
    if (live_.frozen())
        return;
    if (timedOn_)
    {
        stopTimedCapture();
        showTimedProgress();
        return;
    }
    still_.readBar();
    const int interval = services_.settings.timerInterval;
    if (interval == 0)
    {
        const LanguageTexts& texts = services_.languages.texts();
        kwz::messageBox(nullptr, texts.text("Promt3"), texts.text("AppTitle"), kwz::MB_OK);
        return;
    }
    if (interval < 0)
        return;
    count_ = 0;
    saved_ = 0;
    tickPending_ = false;
    ticker_ = makeTicker_();
    const uint32_t run = ++run_;
    // On the ticker's thread: only a posted event, never a widget or a setting.
    ticker_->start(std::chrono::milliseconds(int64_t{interval} * 1000), [this, run] {
        if (!tickPending_.exchange(true))
            QCoreApplication::postEvent(this, new ValueEvent(events::timedCapture(), run));
    });
    timedOn_ = true;
    showTimedProgress();
}

bool LiveCapture::event(QEvent* event)
{
    if (event->type() != events::timedCapture())
        return QObject::event(event);
    tickPending_ = false;
    if (timedOn_ && static_cast<ValueEvent*>(event)->value() == run_)
        onTick();
    return true;
}

void LiveCapture::onTick()
{
    const FrameSettings& settings = services_.settings;
    if (settings.limitCaptureNum && count_ >= settings.captureNum)
    {
        stopTimedCapture();
        showTimedProgress();
        Q_EMIT stateChanged();
        return;
    }
    if (const ZCAPHANDLE device = camera_.device())
        saved_ += still_.writeStill(device) ? 1 : 0;
    // A tick counts whether or not its file was written.
    ++count_;
    showTimedProgress();
}

void LiveCapture::stopTimedCapture()
{
    if (ticker_)
        ticker_->stop();
    ticker_.reset();
    timedOn_ = false;
}

void LiveCapture::showTimedProgress()
{
    const FrameSettings& settings = services_.settings;
    QString progress;
    if (!timedOn_)
        progress = text("Timed capture ended: %1 saved", "定时采集结束: 已保存 %1 张",
                        "定時擷取結束: 已儲存 %1 張")
                       .arg(saved_);
    else if (settings.limitCaptureNum)
        progress = text("Timed capture: %1 of %2 saved", "定时采集: 已保存 %1/%2 张",
                        "定時擷取: 已儲存 %1/%2 張")
                       .arg(saved_)
                       .arg(settings.captureNum);
    else
        progress =
            text("Timed capture: %1 saved", "定时采集: 已保存 %1 张", "定時擷取: 已儲存 %1 張")
                .arg(saved_);
    services_.panes.setPaneText(kPanePrompt, progress);
}

void LiveCapture::onCaptureMeasure()
{
    const ZCAPHANDLE device = camera_.device();
    if (device == 0)
        return;
    const LanguageTexts& texts = services_.languages.texts();
    const int width = live_.pictureSize().width();
    const int height = live_.pictureSize().height();
    if (width < 1280 && height < 1024)
    {
        // The user repeats the command once the picture has the size for measuring.
        if (kwz::messageBox(nullptr, texts.text("msgMesure"), texts.text("AppTitle"),
                            kwz::MB_YESNO | kwz::MB_ICONQUESTION) != kwz::IDNO)
            Q_EMIT commandWanted(IDC_SIZE_1280);
        return;
    }
    still_.readBar();
    ZCAPINFO& info = camera_.captureInfo();
    info.dwWidth = static_cast<DWORD>(width);
    info.dwHeight = static_cast<DWORD>(height);
    BYTE* buffer = measureBuffer_.get();
    if (buffer == nullptr || ZcapGetRgbFrame(device, &info, buffer) != ZCAP_OK)
    {
        kwz::messageBox(nullptr, "ggf", texts.text("AppTitle"), kwz::MB_OK);
        return;
    }
    const OverlaySettings& overlay = services_.settings.overlay;
    if (overlay.inCaptures && LiveOverlay::shows(overlay))
        drawOverlayOnFrame(buffer, width, height, overlay, liveScale(services_));
    bool opened = false;
    Q_EMIT measureFrameTaken(buffer, width, height, &opened);
    if (opened)
        still_.showOnBar();
}

void LiveCapture::setRecording(bool on)
{
    recording_ = on;
    live_.setRecording(on);
}

void LiveCapture::onRecord()
{
    if (live_.frozen())
        return;
    bool recording = !recording_;
    if (const ZCAPHANDLE device = camera_.device())
    {
        const bool done = recording ? recorder_.start(device) : recorder_.finish(device);
        // A recording that never started is not shown as running.
        if (recording && !done)
            recording = false;
        recordDevice_ = recording ? device : 0;
    }
    if (recording)
        seconds_ = 0;
    setRecording(recording);
    // Runs the focus handling again once this command is through: the panes of live work,
    // the recording pane included.
    Q_EMIT livePanesWanted();
}

void LiveCapture::onTimer()
{
    if (!recording_)
        return;
    // A recording that can no longer write is over, and its time stops. The reason is said in
    // a message box whose event loop goes on ticking: such a tick has nothing to do.
    if (endingRecording_)
        return;
    endingRecording_ = true;
    const bool ended = recordDevice_ != 0 && recorder_.endIfFailed(recordDevice_);
    endingRecording_ = false;
    if (ended)
    {
        setRecording(false);
        recordDevice_ = 0;
        Q_EMIT stateChanged();
        return;
    }
    live_.setRecordingSeconds(seconds_);
    ++seconds_;
    // Overlay changes reach the recording within a tick.
    recorder_.refreshOverlay();
}

void LiveCapture::onClose()
{
    if (timedOn_)
        stopTimedCapture();
    if (recording_ && recordDevice_ != 0)
        recorder_.finish(recordDevice_);
    setRecording(false);
    recordDevice_ = 0;
    measureBuffer_.reset();
}
