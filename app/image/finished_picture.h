#pragma once
// The picture of an image document as it leaves the program: the pixels as loaded or with the
// figures drawn in as a finished picture shows them, with a scale bar over them when asked,
// and written as a calibrated TIFF file. The document's own pixels and figures stay as they
// are: a scale bar never reaches a ".Mea" file.

#include <QImage>
#include <QString>
#include <optional>
#include <vector>

#include "app/shell/overlay_settings.h"

class MeasuredBitmap;

struct StillScale
{
    double micronsPerPixel = 0;
    int unit = 0; // ZQUNIT the labels use
};

// From the bitmap's ruler and measure unit; none without a usable ruler.
std::optional<StillScale> stillScale(const MeasuredBitmap& bitmap);

// Draws the scale bar that `overlay` describes over the picture (made 32-bit); false when the
// picture has no usable scale or the bar does not fit.
bool drawStillScaleBar(QImage& picture, const StillScale& scale, const OverlaySettings& overlay);

// The picture as it stands (draw the document's figures first for `figures`), with the scale
// bar when `scaleBar` is given and the picture has a scale. Null when it cannot be made.
QImage finishedPicture(const MeasuredBitmap& bitmap, bool figures, const OverlaySettings* scaleBar);

// The picture as 24-bit rows, bottom row first, padded to four bytes, as the bitmap library
// reads them.
std::vector<unsigned char> bottomUpRows(const QImage& picture);

// Writes the picture with the bitmap's calibration; false with the reason in `error`.
bool writeCalibratedTiff(const QImage& picture, const std::optional<StillScale>& scale,
                         const QString& path, QString* error);
