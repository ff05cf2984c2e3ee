#include "app/live/live_recorder.h"

#include <QLineEdit>
#include <QString>
#include <climits>

#include "app/bars/record_bar.h"
#include "app/live/live_services.h"
#include "app/shell/gbk_text.h"
#include "app/shell/language.h"
#include "app/shell/settings.h"
#include "app/shell/status_panes.h"
#include "app/shell/ui_text.h"
#include "app/shell/work_folders.h"
#include "platform/files.h"
#include "platform/message_box.h"

void RecordedOverlay::set(bool on, const OverlaySettings& settings, const LiveScale& scale)
{
    std::lock_guard lock(mutex_);
    on_ = on;
    settings_ = settings;
    scale_ = scale;
}

void RecordedOverlay::draw(BYTE* frame, DWORD width, DWORD height, void* context)
{
    auto* self = static_cast<RecordedOverlay*>(context);
    OverlaySettings settings;
    LiveScale scale;
    {
        std::lock_guard lock(self->mutex_);
        if (!self->on_)
            return;
        settings = self->settings_;
        scale = self->scale_;
    }
    drawOverlayOnFrame(frame, static_cast<int>(width), static_cast<int>(height), settings, scale);
}

LiveRecorder::LiveRecorder(LiveServices& services) : services_(services) {}

LiveRecorder::~LiveRecorder()
{
    releaseOverlay();
}

void LiveRecorder::refreshOverlay()
{
    const OverlaySettings& overlay = services_.settings.overlay;
    overlay_->set(overlay.inCaptures && LiveOverlay::shows(overlay), overlay, liveScale(services_));
}

void LiveRecorder::releaseOverlay()
{
    // When this returns the camera no longer draws with the overlay.
    if (overlayOn_ != 0)
        ZcapSetRecordCallback(overlayOn_, nullptr, nullptr);
    overlayOn_ = 0;
}

int LiveRecorder::repairCutRecordings(const std::string& folder)
{
    const std::string within = inFolder(folder, "");
    int finished = 0;
    for (const std::string& name : kwz::findFiles(within + "*.avi"))
        if (ZcapFinishCutAvi((within + name).c_str(), nullptr) == ZCAP_OK)
            ++finished;
    return finished;
}

void LiveRecorder::countRecording()
{
    FrameSettings& settings = services_.settings;
    if (settings.recordAutoInc && settings.recordIndex < INT_MAX)
        ++settings.recordIndex;
}

bool LiveRecorder::start(ZCAPHANDLE device)
{
    FrameSettings& settings = services_.settings;
    const std::string stamp = recordStamp(services_.clock());
    services_.panes.setPaneColours(kPaneRecording, kPaneHighlight, RGB(255, 0, 0));
    if (services_.recordBar != nullptr)
        settings.recordName = services_.recordBar->name()->text().toStdString();
    // Started again within the same second, a recording must not replace the last one.
    file_ = unusedFileName(inFolder(settings.recordPath, settings.recordName + stamp), ".avi");
    refreshOverlay();
    if (ZcapSetRecordCallback(device, &RecordedOverlay::draw, overlay_.get()) == ZCAP_OK)
        overlayOn_ = device;
    if (ZcapCaptureToAvi(device, 1, file_.c_str()) == ZCAP_OK)
        return true;
    releaseOverlay();
    const int language = services_.languages.index();
    const QString text = uiText(language, "The recording could not be started:\n%1",
                                "无法开始录像:\n%1", "無法開始錄影:\n%1")
                             .arg(QString::fromStdString(file_));
    kwz::messageBox(nullptr, toGbk(text).c_str(), services_.languages.texts().text("AppTitle"),
                    kwz::MB_OK | kwz::MB_ICONWARNING);
    return false;
}

bool LiveRecorder::finish(ZCAPHANDLE device)
{
    const FrameSettings& settings = services_.settings;
    const int language = services_.languages.index();
    // The camera finishes the file it started; this name is only passed along.
    const std::string file =
        inFolder(settings.recordPath, settings.recordName + recordStamp(services_.clock())) +
        ".avi";
    services_.panes.setPaneText(
        kPaneRecording, uiText(language, "Record Completed", "录影结束", "Record Completed"));
    const int result = ZcapCaptureToAvi(device, 0, file.c_str());
    releaseOverlay();
    countRecording();
    services_.panes.setPaneColours(kPaneRecording, kPaneInactiveBackground, kPaneInactiveText);
    if (result == ZCAP_OK)
        return true;
    const QString text = uiText(language, "The recording could not be completed:\n%1",
                                "录像未能正常结束:\n%1", "錄影未能正常結束:\n%1")
                             .arg(QString::fromStdString(file_));
    kwz::messageBox(nullptr, toGbk(text).c_str(), services_.languages.texts().text("AppTitle"),
                    kwz::MB_OK | kwz::MB_ICONWARNING);
    return false;
}

bool LiveRecorder::endIfFailed(ZCAPHANDLE device)
{
    int fault = ZCAP_RECORD_OK;
    if (ZcapGetRecordFault(device, &fault) != ZCAP_OK || fault == ZCAP_RECORD_OK)
        return false;
    // The camera has finished the file already; this only ends the recording.
    ZcapCaptureToAvi(device, 0, nullptr);
    releaseOverlay();
    countRecording();
    const int language = services_.languages.index();
    QString cause;
    switch (fault)
    {
    case ZCAP_RECORD_DISK_FULL:
        cause = uiText(language, "The disk is full.", "磁盘已满。", "磁碟已滿。");
        break;
    case ZCAP_RECORD_FOLDER_GONE:
        cause = uiText(language, "The folder of the recording is no longer there.",
                       "录像的文件夹已不存在。", "錄影的資料夾已不存在。");
        break;
    case ZCAP_RECORD_DEVICE_GONE:
        cause = uiText(language,
                       "The camera was disconnected; the file holds "
                       "what it recorded.",
                       "摄像头已断开，文件保留了已录下的内容。",
                       "攝影機已中斷連線，檔案保留了已錄下的內容。");
        break;
    case ZCAP_RECORD_PERMISSION:
        cause = uiText(language, "Writing to the folder is not permitted.",
                       "没有写入该文件夹的权限。", "沒有寫入該資料夾的權限。");
        break;
    default:
        cause =
            uiText(language, "The disk could not be written.", "无法写入磁盘。", "無法寫入磁碟。");
        break;
    }
    services_.panes.setPaneText(kPaneRecording,
                                uiText(language, "Recording stopped", "录像已停止", "錄影已停止"));
    services_.panes.setPaneColours(kPaneRecording, kPaneInactiveBackground, kPaneInactiveText);
    const QString text = uiText(language, "The recording was stopped: %1\n%2", "录像已停止: %1\n%2",
                                "錄影已停止: %1\n%2")
                             .arg(cause, QString::fromStdString(file_));
    kwz::messageBox(nullptr, toGbk(text).c_str(), services_.languages.texts().text("AppTitle"),
                    kwz::MB_OK | kwz::MB_ICONWARNING);
    return true;
}
