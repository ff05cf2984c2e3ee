#pragma once
// How a rendered picture reaches a file of each format. Rendering makes one picture; the
// writer is chosen by the target's extension, so a format joins by adding a writer here.

#include <QImage>
#include <QString>
#include <functional>

namespace kwzmea {

// What a writer knows besides the pixels: the calibration of the picture, for formats that
// can record it.
struct PictureInfo
{
    int rulerUnit = -1;       // ZQUNIT, -1 without a ruler
    double unitsPerPixel = 0; // in the ruler's unit, 0 without a ruler
};

using PictureWriter =
    std::function<bool(const QImage&, const PictureInfo&, const QString& path, QString* error)>;

// The writer for a path by its extension (".png", ".jpg", ".jpeg", ".bmp", ".tif", ".tiff",
// any case); empty when the format has none.
PictureWriter writerFor(const QString& path);

} // namespace kwzmea
