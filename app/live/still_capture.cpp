#include "app/live/still_capture.h"

#include <QImage>
#include <QSaveFile>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "app/bars/capture_bar.h"
#include "app/live/camera_session.h"
#include "app/live/live_overlay.h"
#include "app/live/live_services.h"
#include "app/shell/language.h"
#include "app/shell/settings.h"
#include "app/shell/status_panes.h"
#include "app/shell/ui_text.h"
#include "app/shell/work_folders.h"
#include "bitmap/tiff_writer.h"

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

int StillCapture::writeFrame(ZCAPHANDLE device, const std::string& file, Format format,
                             bool overlay, const LiveScale& scale)
{
    const ZCAPINFO& info = camera_.captureInfo();
    const int width = static_cast<int>(info.dwWidth);
    const int height = static_cast<int>(info.dwHeight);
    std::vector<BYTE>& frame = camera_.colourFrame();
    if (width <= 0 || height <= 0 || frame.size() < size_t(width) * height * 3)
        return ZCAP_ERR_ARGUMENT;
    const int taken = ZcapGetRgbFrame(device, &info, frame.data());
    if (taken != ZCAP_OK)
        return taken;
    if (overlay)
        drawOverlayOnFrame(frame.data(), width, height, services_.settings.overlay, scale);
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
    {
        const BYTE* s = frame.data() + size_t(height - 1 - y) * width * 3;
        uchar* d = image.scanLine(y);
        for (int x = 0; x < width; ++x)
        {
            d[x * 3] = s[x * 3 + 2];
            d[x * 3 + 1] = s[x * 3 + 1];
            d[x * 3 + 2] = s[x * 3];
        }
    }
    if (format == Format::Tiff)
    {
        std::optional<kwz::output::TiffCalibration> calibration;
        if (scale.micronsPerPixel > 0)
            calibration = kwz::output::TiffCalibration{scale.micronsPerPixel, scale.unit};
        const kwz::output::TiffPicture picture{width, height, 3, image.constBits(),
                                               image.bytesPerLine()};
        return kwz::output::writeTiff(file, picture, calibration, nullptr) ? ZCAP_OK
                                                                           : ZCAP_ERR_FILE;
    }
    const bool jpeg = format == Format::Jpeg;
    // Whole or not at all, as the camera's own writers do.
    QSaveFile out(QString::fromStdString(file));
    if (!out.open(QIODevice::WriteOnly) || !image.save(&out, jpeg ? "JPEG" : "BMP", jpeg ? 75 : -1))
        return ZCAP_ERR_FILE;
    return out.commit() ? ZCAP_OK : ZCAP_ERR_FILE;
}

bool StillCapture::writeStill(ZCAPHANDLE device)
{
    FrameSettings& settings = services_.settings;
    const Format format = settings.saveAsTiff   ? Format::Tiff
                          : settings.saveAsJpeg ? Format::Jpeg
                                                : Format::Bmp;
    const std::string stem =
        inFolder(settings.capturePath, settings.captureName + captureStamp(services_.clock()));
    // A second capture within the same millisecond gets a name of its own.
    const std::string file = unusedFileName(stem, format == Format::Tiff   ? ".tif"
                                                  : format == Format::Jpeg ? ".jpg"
                                                                           : ".bmp");
    const OverlaySettings& overlay = settings.overlay;
    const bool withOverlay = overlay.inCaptures && LiveOverlay::shows(overlay);
    const LiveScale scale = liveScale(services_);
    const bool uncalibrated = format == Format::Tiff && !(scale.micronsPerPixel > 0);
    const int result = withOverlay || format == Format::Tiff
                           ? writeFrame(device, file, format, withOverlay, scale)
                       : format == Format::Jpeg
                           ? ZcapGetRgbFrameToJpeg(device, &camera_.captureInfo(),
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
        kPanePrompt, uncalibrated
                         ? uiText(language, "Saved without a scale: %1", "已保存（无标定）: %1",
                                  "已儲存（無標定）: %1")
                               .arg(name)
                         : uiText(language, "Saved: %1", "已保存: %1", "已儲存: %1").arg(name));
    if (settings.captureAutoInc)
    {
        if (settings.captureIndex < INT_MAX)
            ++settings.captureIndex;
        showOnBar();
    }
    return true;
}
