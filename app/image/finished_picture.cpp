#include "app/image/finished_picture.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <memory>
#include <vector>

#include "app/image/measured_bitmap.h"
#include "bitmap/scale_bar.h"
#include "bitmap/tiff_writer.h"
#include "platform/draw/raster_context.h"

std::optional<StillScale> stillScale(const MeasuredBitmap& bitmap)
{
    const std::optional<RulerRecord> ruler = bitmap.ruler();
    if (!ruler)
        return std::nullopt;
    const double pixels =
        std::hypot(double(ruler->end.x) - ruler->start.x, double(ruler->end.y) - ruler->start.y);
    const double microns = double(ruler->length) * kwz::output::micronsPerUnit(ruler->unit);
    if (!(pixels > 0) || !(microns > 0) || !std::isfinite(microns))
        return std::nullopt;
    StillScale scale;
    scale.micronsPerPixel = microns / pixels;
    scale.unit = bitmap.measureUnit().value_or(ruler->unit);
    return scale;
}

bool drawStillScaleBar(QImage& picture, const StillScale& scale, const OverlaySettings& overlay)
{
    const auto bar = kwz::output::chooseScaleBar(scale.micronsPerPixel, picture.width(), scale.unit,
                                                 overlay.scaleBarLength);
    if (!bar)
        return false;
    picture = picture.convertToFormat(QImage::Format_RGB32);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = picture.width();
    header.bmiHeader.biHeight = -picture.height(); // QImage keeps its rows top-down
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::unique_ptr<kwz::RasterContext> dc = kwz::RasterContext::wrap(picture.bits(), &header);
    if (!dc)
        return false;
    kwz::output::drawScaleBar(*dc, *bar, picture.width(), picture.height(),
                              static_cast<kwz::output::Corner>(overlay.corner),
                              overlay.colour & 0x00FFFFFFu);
    return true;
}

QImage finishedPicture(const MeasuredBitmap& bitmap, bool figures, const OverlaySettings* scaleBar)
{
    // The library hands out its pictures as BMP files only.
    QTemporaryDir folder;
    if (!folder.isValid())
        return {};
    const QString path = folder.filePath(QStringLiteral("picture.bmp"));
    if (!bitmap.writeFile(path, figures))
        return {};
    QImage picture(path, "BMP");
    if (picture.isNull() || scaleBar == nullptr)
        return picture;
    if (const auto scale = stillScale(bitmap))
        drawStillScaleBar(picture, *scale, *scaleBar);
    return picture;
}

std::vector<unsigned char> bottomUpRows(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const int w = rgb.width();
    const int h = rgb.height();
    const size_t stride = (size_t(w) * 3 + 3) / 4 * 4;
    std::vector<unsigned char> rows(stride * h, 0);
    for (int y = 0; y < h; ++y)
    {
        const uchar* s = rgb.constScanLine(h - 1 - y);
        unsigned char* d = rows.data() + stride * y;
        for (int x = 0; x < w; ++x)
        {
            d[x * 3] = s[x * 3 + 2];
            d[x * 3 + 1] = s[x * 3 + 1];
            d[x * 3 + 2] = s[x * 3];
        }
    }
    return rows;
}

bool writeCalibratedTiff(const QImage& picture, const std::optional<StillScale>& scale,
                         const QString& path, QString* error)
{
    const bool grey = picture.isGrayscale();
    const QImage rows =
        picture.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    std::optional<kwz::output::TiffCalibration> calibration;
    if (scale)
        calibration = kwz::output::TiffCalibration{scale->micronsPerPixel, scale->unit};
    std::string message;
    const bool ok =
        kwz::output::writeTiff(QFile::encodeName(path).toStdString(),
                               kwz::output::TiffPicture{rows.width(), rows.height(), grey ? 1 : 3,
                                                        rows.constBits(), rows.bytesPerLine()},
                               calibration, &message);
    if (!ok && error != nullptr)
        *error = QString::fromLocal8Bit(message.c_str());
    return ok;
}
