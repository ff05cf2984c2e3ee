#pragma once
// Finds the divisions of a stage micrometer along a line drawn over its scale: the mean
// intensity across a band around the line, the sub-pixel positions of the dark marks on it,
// and a straight-line fit of position against division index. The fit's slope is the
// division spacing in pixels.

#include <cstdint>
#include <string>
#include <vector>

namespace calib {

// Luminance, row by row from the top.
struct GreyImage
{
    int width = 0;
    int height = 0;
    std::vector<float> pixels;

    float at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// From 24-bit blue-green-red rows; `rowStride` bytes apart, the first row the top one unless
// `bottomUp`.
GreyImage greyFromBgr(const uint8_t* bgr, int width, int height, size_t rowStride, bool bottomUp);

struct PointF
{
    double x = 0;
    double y = 0;
};

struct FinderOptions
{
    // Half the band's width across the line, in pixels.
    double bandHalfWidth = 3.0;
    // True length of one division.
    double spacingUm = 10.0;
};

enum class FinderOutcome
{
    Found,
    LineTooShort,    // the line is shorter than a few pixels, or outside the picture
    NoContrast,      // nothing along the line stands out from the noise: no scale there
    TooFewDivisions, // fewer than three marks could be told apart and numbered
    BadSpacing,      // the division spacing is not a positive number
};

struct FinderResult
{
    FinderOutcome outcome = FinderOutcome::NoContrast;
    double umPerPixel = 0;
    // Divisions between the first and the last mark used in the fit.
    int divisions = 0;
    int marksUsed = 0;
    // Root mean square distance of the marks from the fitted line, in pixels.
    double residualPx = 0;
    double spacingPx = 0;
    // Positions of the marks along the line (pixels from its start) and their indexes.
    std::vector<double> positions;
    std::vector<int> indexes;

    bool found() const { return outcome == FinderOutcome::Found; }
};

FinderResult findMicrometerScale(const GreyImage& image, PointF start, PointF end,
                                 const FinderOptions& options = {});

} // namespace calib
