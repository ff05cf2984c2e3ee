// The main frame's capture and recording operations: the capture bar read and shown, still
// files, recordings and their pane, a captured frame opened for measuring, and the handlers
// of the picture-adjustment bars wired to the bars.

#include <QLineEdit>
#include <QMdiSubWindow>
#include <climits>

#include "app/bars/capture_bar.h"
#include "app/bars/record_bar.h"
#include "app/bars/size_bar.h"
#include "app/controls/client_wnd.h"
#include "app/controls/sp_status_bar.h"
#include "app/documents/doc_template.h"
#include "app/documents/document_manager.h"
#include "app/frame/command_router.h"
#include "app/frame/main_frame.h"
#include "app/frame/picture_adjustment.h"
#include "app/image/image_doc.h"
#include "app/live/camera_session.h"
#include "app/live/video_frame.h"
#include "app/shell/gbk_text.h"
#include "app/shell/language.h"
#include "app/shell/picture_sizes.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/trace.h"

namespace {

std::string inFolder(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace

void CMainFrame::finishCutRecordings()
{
    const std::string folder = inFolder(settings_.recordPath, "");
    int finished = 0;
    for (const std::string& name : kwz::findFiles(folder + "*.avi"))
        if (ZcapFinishCutAvi((folder + name).c_str(), nullptr) == ZCAP_OK)
            ++finished;
    if (finished == 0)
        return;
    const bool chinese = services_.languages.index() == 0;
    const QString text = (chinese ? QStringLiteral("已修复 %1 个中断的录像")
                                  : QStringLiteral("%1 interrupted recording(s) repaired"))
                             .arg(finished);
    SetPaneText(kPanePrompt, text);
    kwz::trace(toGbk(text));
}

void CMainFrame::connectLiveBars()
{
    connect(bars_.capture, &CaptureBar::limitToggled, this,
            [this](bool on) { settings_.limitCaptureNum = on; });
    adjustment_ = std::make_unique<PictureAdjustment>(
        settings_, services_.camera, *bars_.colour, *bars_.videoSetting, *bars_.lights,
        [this] { return dynamic_cast<CVideoFrame*>(client_->currentSubWindow()) != nullptr; });
}

void CMainFrame::finishLiveWork()
{
    if (client_ == nullptr)
        return;
    for (QMdiSubWindow* window : client_->subWindowList())
        if (auto* live = dynamic_cast<CVideoFrame*>(window))
            live->capture().OnClose();
}

void CMainFrame::ReadCaptureBar()
{
    bars_.capture->read(settings_);
}

int CMainFrame::CaptureToFile(ZCAPHANDLE handle)
{
    const bool jpeg = settings_.saveAsJpeg;
    const std::string stem =
        inFolder(settings_.capturePath, settings_.captureName + captureStamp(localClock_()));
    // A second capture within the same millisecond gets a name of its own.
    const std::string file = unusedFileName(stem, jpeg ? ".jpg" : ".bmp");
    CameraSession& camera = services_.camera;
    const int result = jpeg ? ZcapGetRgbFrameToJpeg(handle, &camera.captureInfo(),
                                                    camera.colourFrame().data(), file.c_str(), 75)
                            : ZcapGetRgbFrameToBmp(handle, &camera.captureInfo(),
                                                   camera.colourFrame().data(), file.c_str());
    const bool chinese = services_.languages.index() == 0;
    const QString name = QString::fromStdString(file);
    if (result != ZCAP_OK)
    {
        SetPaneText(
            kPanePrompt,
            (chinese ? QStringLiteral("未能保存: %1") : QStringLiteral("Not saved: %1")).arg(name));
        return 0;
    }
    SetPaneText(kPanePrompt,
                (chinese ? QStringLiteral("已保存: %1") : QStringLiteral("Saved: %1")).arg(name));
    if (settings_.captureAutoInc)
    {
        if (settings_.captureIndex < INT_MAX)
            ++settings_.captureIndex;
        ApplyCaptureBar();
    }
    return 1;
}

bool CMainFrame::RecordStartStop(ZCAPHANDLE handle, int start)
{
    const std::string stamp = recordStamp(localClock_());
    const bool chinese = services_.languages.index() == 0;
    const char* title = services_.languages.texts().text("AppTitle");
    if (start)
    {
        SetPaneColours(kPaneRecording, kPaneHighlight, RGB(255, 0, 0));
        settings_.recordName = bars_.record->name()->text().toStdString();
        // Started again within the same second, a recording must not replace the last one.
        recordFile_ =
            unusedFileName(inFolder(settings_.recordPath, settings_.recordName + stamp), ".avi");
        if (ZcapCaptureToAvi(handle, 1, recordFile_.c_str()) == ZCAP_OK)
            return true;
        const QString text = (chinese ? QStringLiteral("无法开始录像:\n%1")
                                      : QStringLiteral("The recording could not be started:\n%1"))
                                 .arg(QString::fromStdString(recordFile_));
        kwz::messageBox(nullptr, toGbk(text).c_str(), title, kwz::MB_OK | kwz::MB_ICONWARNING);
        return false;
    }
    // The camera finishes the file it started; this name is only passed along.
    const std::string file = inFolder(settings_.recordPath, settings_.recordName + stamp) + ".avi";
    SetPaneText(kPaneRecording,
                chinese ? QStringLiteral("录影结束") : QStringLiteral("Record Completed"));
    const int result = ZcapCaptureToAvi(handle, 0, file.c_str());
    if (settings_.recordAutoInc && settings_.recordIndex < INT_MAX)
        ++settings_.recordIndex;
    SetPaneColours(kPaneRecording, kPaneInactiveBackground, kPaneInactiveText);
    if (result == ZCAP_OK)
        return true;
    const QString text = (chinese ? QStringLiteral("录像未能正常结束:\n%1")
                                  : QStringLiteral("The recording could not be completed:\n%1"))
                             .arg(QString::fromStdString(recordFile_));
    kwz::messageBox(nullptr, toGbk(text).c_str(), title, kwz::MB_OK | kwz::MB_ICONWARNING);
    return false;
}

bool CMainFrame::RecordFailed(ZCAPHANDLE handle)
{
    int fault = ZCAP_RECORD_OK;
    if (ZcapGetRecordFault(handle, &fault) != ZCAP_OK || fault == ZCAP_RECORD_OK)
        return false;
    // The camera has finished the file already; this only ends the recording.
    ZcapCaptureToAvi(handle, 0, nullptr);
    if (settings_.recordAutoInc && settings_.recordIndex < INT_MAX)
        ++settings_.recordIndex;
    const bool chinese = services_.languages.index() == 0;
    QString cause;
    switch (fault)
    {
    case ZCAP_RECORD_DISK_FULL:
        cause = chinese ? QStringLiteral("磁盘已满。") : QStringLiteral("The disk is full.");
        break;
    case ZCAP_RECORD_FOLDER_GONE:
        cause = chinese ? QStringLiteral("录像的文件夹已不存在。")
                        : QStringLiteral("The folder of the recording is no longer there.");
        break;
    case ZCAP_RECORD_PERMISSION:
        cause = chinese ? QStringLiteral("没有写入该文件夹的权限。")
                        : QStringLiteral("Writing to the folder is not permitted.");
        break;
    default:
        cause = chinese ? QStringLiteral("无法写入磁盘。")
                        : QStringLiteral("The disk could not be written.");
        break;
    }
    SetPaneText(kPaneRecording,
                chinese ? QStringLiteral("录像已停止") : QStringLiteral("Recording stopped"));
    SetPaneColours(kPaneRecording, kPaneInactiveBackground, kPaneInactiveText);
    const QString text = (chinese ? QStringLiteral("录像已停止: %1\n%2")
                                  : QStringLiteral("The recording was stopped: %1\n%2"))
                             .arg(cause, QString::fromStdString(recordFile_));
    kwz::messageBox(nullptr, toGbk(text).c_str(), services_.languages.texts().text("AppTitle"),
                    kwz::MB_OK | kwz::MB_ICONWARNING);
    return true;
}

void CMainFrame::ShowRecordingTime(int seconds)
{
    const char* format =
        services_.languages.index() == 0 ? "正在录像: %d:%d:%d\n" : "Recording: %d:%d:%d\n";
    const QString text = QString::asprintf(format, seconds / 3600, seconds / 60 % 60, seconds % 60);
    SetPaneColours(kPaneRecording, kPaneHighlight, RGB(0, 0, 0));
    SetPaneText(kPaneRecording, text);
    kwz::trace(toGbk(text));
}

bool CMainFrame::OpenCapturedImage(const BYTE* bgr, int width, int height, bool maximised)
{
    CDocTemplate* images = services_.documents.imageTemplate();
    auto* document =
        images ? dynamic_cast<CImageDoc*>(images->OpenDocumentFile(QString(), true)) : nullptr;
    if (document == nullptr)
        return false;
    ApplyImageMenuTexts();
    QMdiSubWindow* window = document->frame();
    if (maximised && window != nullptr)
    {
        window->showMaximized();
        window->setFocus();
    }
    if (document->buildFromFrame(bgr, width, height))
        return true;
    // A window without its picture has nothing to show or to save.
    if (window != nullptr)
        window->close();
    return false;
}

void CMainFrame::SendCommand(int id)
{
    commands_->route(id);
    // A size button leaves the size bar showing the size in use.
    bars_.size->setSizeIndex(settings_.captureSizeIndex);
}
