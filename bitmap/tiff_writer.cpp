#include "bitmap/tiff_writer.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>
#include <unistd.h>

#include "bitmap/scale_bar.h"
#include "gaugit.h"
#include "kwztypes.h"
#include "support/values/figure_table.h"

namespace kwz::output {

namespace {

// The unit words that readers of the description know: the values' own names, except that
// micrometres are spelt out.
std::string descriptionUnit(int unit)
{
    const std::string name = unit == ZQ_UM ? std::string() : kwz::values::unitName(unit);
    return name.empty() ? std::string("micron") : name;
}

struct TiffCloser
{
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// libtiff reports through handlers of its own; the caller gets the first message instead of
// text on stderr.
thread_local std::string* tiffMessage = nullptr;

void collectMessage(const char* module, const char* format, va_list args)
{
    if (tiffMessage == nullptr || !tiffMessage->empty())
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    *tiffMessage = module ? std::string(module) + ": " + text : std::string(text);
}

} // namespace

std::string tiffDescription(const TiffCalibration& calibration)
{
    const double perUnit = micronsPerUnit(calibration.unit);
    if (!(calibration.micronsPerPixel > 0) || !std::isfinite(calibration.micronsPerPixel) ||
        perUnit == 0)
        return {};
    char spacing[64];
    std::snprintf(spacing, sizeof spacing, "%.10g", calibration.micronsPerPixel / perUnit);
    // No "ImageJ=" line: readers that see one take the pixel size from the resolution in the
    // description's unit, which with a centimetre resolution is 10,000 times too small for
    // micrometres. Without it they convert the centimetre resolution themselves.
    return std::string("unit=") + descriptionUnit(calibration.unit) + "\nspacing=" + spacing + "\n";
}

bool writeTiff(const std::string& path, const TiffPicture& picture,
               const std::optional<TiffCalibration>& calibration, std::string* error)
{
    std::string ignored;
    if (error == nullptr)
        error = &ignored;
    error->clear();
    if (picture.width <= 0 || picture.height <= 0 || picture.top == nullptr ||
        (picture.channels != 1 && picture.channels != 3) ||
        std::llabs(static_cast<long long>(picture.stride)) <
            static_cast<long long>(picture.width) * picture.channels)
    {
        *error = "not a picture";
        return false;
    }
    const std::string temporary = path + ".part";
    std::string message;
    tiffMessage = &message;
    TIFFErrorHandler oldError = TIFFSetErrorHandler(collectMessage);
    TIFFErrorHandler oldWarning = TIFFSetWarningHandler(nullptr);
    auto finish = [&](bool ok) {
        TIFFSetErrorHandler(oldError);
        TIFFSetWarningHandler(oldWarning);
        tiffMessage = nullptr;
        if (!ok)
        {
            *error = message.empty() ? std::string("the file cannot be written") : message;
            ::unlink(temporary.c_str());
        }
        return ok;
    };

    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(temporary.c_str(), "w"));
    if (!tiff)
        return finish(false);
    TIFF* t = tiff.get();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(picture.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(picture.height));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(picture.channels));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(8));
    TIFFSetField(t, TIFFTAG_ORIENTATION, static_cast<uint16_t>(ORIENTATION_TOPLEFT));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, static_cast<uint16_t>(PLANARCONFIG_CONTIG));
    TIFFSetField(
        t, TIFFTAG_PHOTOMETRIC,
        static_cast<uint16_t>(picture.channels == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB));
    TIFFSetField(t, TIFFTAG_COMPRESSION, static_cast<uint16_t>(COMPRESSION_NONE));
    TIFFSetField(t, TIFFTAG_SOFTWARE, "kwzview");
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    if (calibration)
    {
        const std::string description = tiffDescription(*calibration);
        if (!description.empty())
        {
            // Pixels per centimetre: 10,000 µm in a centimetre.
            const float perCm = static_cast<float>(1e4 / calibration->micronsPerPixel);
            TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, static_cast<uint16_t>(RESUNIT_CENTIMETER));
            TIFFSetField(t, TIFFTAG_XRESOLUTION, perCm);
            TIFFSetField(t, TIFFTAG_YRESOLUTION, perCm);
            TIFFSetField(t, TIFFTAG_IMAGEDESCRIPTION, description.c_str());
        }
    }
    std::vector<uint8_t> row(static_cast<size_t>(picture.width) * picture.channels);
    for (int y = 0; y < picture.height; ++y)
    {
        std::memcpy(row.data(), picture.top + y * picture.stride, row.size());
        if (TIFFWriteScanline(t, row.data(), static_cast<uint32_t>(y), 0) != 1)
            return finish(false);
    }
    if (!TIFFFlush(t))
        return finish(false);
    tiff.reset();
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        message = std::strerror(errno);
        return finish(false);
    }
    return finish(true);
}

} // namespace kwz::output
