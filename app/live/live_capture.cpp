#include "app/live/live_capture.h"

#include <QCoreApplication>

#include "app/live/camera_session.h"
#include "app/live/capture_host.h"
#include "app/live/live_capture_frame.h"
#include "app/live/live_host.h"
#include "app/live/thread_ticker.h"
#include "app/shell/command_ids.h"
#include "app/shell/events.h"
#include "platform/message_box.h"

using namespace cmd;

LiveCapture::LiveCapture(LiveCaptureFrame& frame, CaptureHost* host)
    : frame_(frame), host_(host), makeTicker_([] { return std::make_unique<ThreadTicker>(); })
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

QString LiveCapture::text(const char* english, const char* chinese) const
{
    return QString::fromUtf8(frame_.host().languageIndex() == 0 ? chinese : english);
}

bool LiveCapture::onCommand(int id)
{
    if (host_ == nullptr)
        return false;
    switch (id)
    {
    case ID_VIDEO_CAPTURE:
        OnCapture();
        return true;
    case ID_VIDEO_TIMERCAPTURE:
        OnTimerCapture();
        return true;
    case ID_CAPTURE_MEASURE:
        OnCaptureMeasure();
        return true;
    case ID_VIDEO_RECORD:
        OnRecord();
        return true;
    default:
        return false;
    }
}

bool LiveCapture::updateCommand(int id, CommandState& state) const
{
    if (host_ == nullptr)
        return false;
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

void LiveCapture::OnCapture()
{
    const ZCAPHANDLE device = frame_.session().device();
    if (frame_.frozen() || device == 0)
        return;
    host_->ReadCaptureBar();
    host_->CaptureToFile(device);
}

void LiveCapture::OnTimerCapture()
{
    if (frame_.frozen())
        return;
    if (timedOn_)
    {
        stopTimedCapture();
        showTimedProgress();
        return;
    }
    host_->ReadCaptureBar();
    const int interval = frame_.host().settings().timerInterval;
    if (interval == 0)
    {
        LiveHost& host = frame_.host();
        kwz::messageBox(nullptr, host.LanguageText("Promt3"), host.LanguageText("AppTitle"),
                        kwz::MB_OK);
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
    timedOn_ = 1;
    showTimedProgress();
}

bool LiveCapture::event(QEvent* event)
{
    if (event->type() != events::timedCapture())
        return QObject::event(event);
    tickPending_ = false;
    if (timedOn_ && static_cast<ValueEvent*>(event)->value() == run_)
        OnTick();
    return true;
}

void LiveCapture::OnTick()
{
    const FrameSettings& settings = frame_.host().settings();
    if (settings.limitCaptureNum && count_ >= settings.captureNum)
    {
        stopTimedCapture();
        showTimedProgress();
        frame_.notifyStateChanged();
        return;
    }
    if (const ZCAPHANDLE device = frame_.session().device())
        saved_ += host_->CaptureToFile(device);
    // A tick counts whether or not its file was written.
    ++count_;
    showTimedProgress();
}

void LiveCapture::stopTimedCapture()
{
    if (ticker_)
        ticker_->stop();
    ticker_.reset();
    timedOn_ = 0;
}

void LiveCapture::showTimedProgress()
{
    const FrameSettings& settings = frame_.host().settings();
    QString progress;
    if (!timedOn_)
        progress = text("Timed capture ended: %1 saved", "定时采集结束: 已保存 %1 张").arg(saved_);
    else if (settings.limitCaptureNum)
        progress = text("Timed capture: %1 of %2 saved", "定时采集: 已保存 %1/%2 张")
                       .arg(saved_)
                       .arg(settings.captureNum);
    else
        progress = text("Timed capture: %1 saved", "定时采集: 已保存 %1 张").arg(saved_);
    frame_.host().SetPaneText(0, progress);
}

void LiveCapture::OnCaptureMeasure()
{
    const ZCAPHANDLE device = frame_.session().device();
    if (device == 0)
        return;
    LiveHost& host = frame_.host();
    const int width = frame_.pictureWidth();
    const int height = frame_.pictureHeight();
    if (width < 1280 && height < 1024)
    {
        // The user repeats the command once the picture has the size for measuring.
        if (kwz::messageBox(nullptr, host.LanguageText("msgMesure"), host.LanguageText("AppTitle"),
                            kwz::MB_YESNO | kwz::MB_ICONQUESTION) != kwz::IDNO)
            host_->SendCommand(IDC_SIZE_1280);
        return;
    }
    host_->ReadCaptureBar();
    ZCAPINFO& info = frame_.session().captureInfo();
    info.dwWidth = static_cast<DWORD>(width);
    info.dwHeight = static_cast<DWORD>(height);
    BYTE* buffer = frame_.measureBuffer();
    if (buffer == nullptr || ZcapGetRgbFrame(device, &info, buffer) != ZCAP_OK)
    {
        kwz::messageBox(nullptr, "ggf", host.LanguageText("AppTitle"), kwz::MB_OK);
        return;
    }
    if (host_->OpenCapturedImage(buffer, width, height, frame_.shownMaximised()))
        host_->ApplyCaptureBar();
}

void LiveCapture::OnRecord()
{
    if (frame_.frozen())
        return;
    recording_ = !recording_;
    if (const ZCAPHANDLE device = frame_.session().device())
    {
        const bool done = host_->RecordStartStop(device, recording_);
        // A recording that never started is not shown as running.
        if (recording_ && !done)
            recording_ = 0;
        recordDevice_ = recording_ ? device : 0;
    }
    if (recording_)
        seconds_ = 0;
    // Runs the focus handling again once this command is through: the panes of live work,
    // the recording pane included. Queued on this object, which the frame owns, so a call
    // still waiting when either goes is dropped.
    QMetaObject::invokeMethod(
        this, [frame = &frame_] { frame->OnSetFocus(); }, Qt::QueuedConnection);
}

void LiveCapture::OnTimer()
{
    if (!recording_)
        return;
    // A recording that can no longer write is over, and its time stops.
    if (recordDevice_ != 0 && host_->RecordFailed(recordDevice_))
    {
        recording_ = 0;
        recordDevice_ = 0;
        frame_.notifyStateChanged();
        return;
    }
    host_->ShowRecordingTime(seconds_);
    ++seconds_;
}

void LiveCapture::OnClose()
{
    if (timedOn_)
        stopTimedCapture();
    if (recording_ && recordDevice_ != 0 && host_ != nullptr)
        host_->RecordStartStop(recordDevice_, 0);
    recording_ = 0;
    recordDevice_ = 0;
}
