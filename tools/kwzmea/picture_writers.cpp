#include "tools/kwzmea/picture_writers.h"

#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <optional>

#include "bitmap/scale_bar.h"
#include "bitmap/tiff_writer.h"

namespace kwzmea {

namespace {

// Through Qt's image writers; the file is replaced only once it was written whole.
PictureWriter qtWriter(const char* format, int quality = -1)
{
    return [format, quality](const QImage& image, const PictureInfo&, const QString& path,
                             QString* error) {
        if (!QImageWriter::supportedImageFormats().contains(format))
        {
            *error = QStringLiteral("no %1 writer is available").arg(QString::fromLatin1(format));
            return false;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
        {
            *error = file.errorString();
            return false;
        }
        QImageWriter writer(&file, format);
        if (quality >= 0)
            writer.setQuality(quality);
        if (!writer.write(image))
        {
            *error = writer.errorString();
            file.cancelWriting();
            return false;
        }
        if (!file.commit())
        {
            *error = file.errorString();
            return false;
        }
        return true;
    };
}

// Through libtiff, with the calibration where microscope software reads it.
bool tiffWriter(const QImage& image, const PictureInfo& info, const QString& path, QString* error)
{
    const bool grey = image.isGrayscale();
    const QImage rows =
        image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    std::optional<kwz::output::TiffCalibration> calibration;
    const double perUnit = kwz::output::micronsPerUnit(info.rulerUnit);
    if (info.unitsPerPixel > 0 && perUnit > 0)
        calibration = kwz::output::TiffCalibration{info.unitsPerPixel * perUnit, info.rulerUnit};
    std::string message;
    if (!kwz::output::writeTiff(QFile::encodeName(path).toStdString(),
                                kwz::output::TiffPicture{rows.width(), rows.height(), grey ? 1 : 3,
                                                         rows.constBits(), rows.bytesPerLine()},
                                calibration, &message))
    {
        *error = QString::fromLocal8Bit(message.c_str());
        return false;
    }
    return true;
}

} // namespace

PictureWriter writerFor(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("png"))
        return qtWriter("png");
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return qtWriter("jpeg", 90);
    if (extension == QLatin1String("bmp"))
        return qtWriter("bmp");
    if (extension == QLatin1String("tif") || extension == QLatin1String("tiff"))
        return tiffWriter;
    return {};
}

} // namespace kwzmea
