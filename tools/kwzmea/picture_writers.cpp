#include "tools/kwzmea/picture_writers.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

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
    // A TIFF writer that records the calibration belongs here; until then Qt's, when its
    // plugin is installed.
    if (extension == QLatin1String("tif") || extension == QLatin1String("tiff"))
        return qtWriter("tiff");
    return {};
}

} // namespace kwzmea
