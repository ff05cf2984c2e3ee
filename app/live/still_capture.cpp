#include "app/live/still_capture.h"

#include <climits>
#include <string>

#include "app/bars/capture_bar.h"
#include "app/live/camera_session.h"
#include "app/live/live_services.h"
#include "app/shell/language.h"
#include "app/shell/settings.h"
#include "app/shell/status_panes.h"
#include "app/shell/ui_text.h"
#include "app/shell/work_folders.h"

StillCapture::StillCapture(LiveServices& services, CameraSession& camera)
    : services_(services), camera_(camera)
{
}

void StillCapture::readBar()
{
    if (services_.captureBar != nullptr)
        services_.captureBar->read(services_.settings);
}

void StillCapture::showOnBar()
{
    if (services_.captureBar != nullptr)
        services_.captureBar->apply(services_.settings);
}

bool StillCapture::writeStill(ZCAPHANDLE device)
{
    FrameSettings& settings = services_.settings;
    const bool jpeg = settings.saveAsJpeg;
    const std::string stem =
        inFolder(settings.capturePath, settings.captureName + captureStamp(services_.clock()));
    // A second capture within the same millisecond gets a name of its own.
    const std::string file = unusedFileName(stem, jpeg ? ".jpg" : ".bmp");
    const int result = jpeg ? ZcapGetRgbFrameToJpeg(device, &camera_.captureInfo(),
                                                    camera_.colourFrame().data(), file.c_str(), 75)
                            : ZcapGetRgbFrameToBmp(device, &camera_.captureInfo(),
                                                   camera_.colourFrame().data(), file.c_str());
    const int language = services_.languages.index();
    const QString name = QString::fromStdString(file);
    if (result != ZCAP_OK)
    {
        services_.panes.setPaneText(
            kPanePrompt,
            uiText(language, "Not saved: %1", "未能保存: %1", "未能儲存: %1").arg(name));
        return false;
    }
    services_.panes.setPaneText(
        kPanePrompt, uiText(language, "Saved: %1", "已保存: %1", "已儲存: %1").arg(name));
    if (settings.captureAutoInc)
    {
        if (settings.captureIndex < INT_MAX)
            ++settings.captureIndex;
        showOnBar();
    }
    return true;
}
