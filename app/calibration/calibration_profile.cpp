#include "app/calibration/calibration_profile.h"

#include <algorithm>
#include <cmath>

namespace calib {

double derivedScale(double umPerPixel, PixelSize from, PixelSize to, FieldRelation relation)
{
    if (relation == FieldRelation::Cropped || to.width <= 0 || from.width <= 0)
        return umPerPixel;
    return umPerPixel * from.width / to.width;
}

bool isUsableScale(double umPerPixel)
{
    return std::isfinite(umPerPixel) && umPerPixel >= 1e-3 && umPerPixel <= 1e6;
}

bool isValidProfileName(std::string_view name)
{
    if (name.empty() || name.size() > 63 || name == "." || name == "..")
        return false;
    if (name.front() == ' ' || name.back() == ' ')
        return false;
    for (const char c : name)
    {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '/' || c == '\\')
            return false;
    }
    return true;
}

const SizeScale* CalibrationProfile::find(PixelSize size) const
{
    for (const SizeScale& s : scales_)
        if (s.size == size)
            return &s;
    return nullptr;
}

std::optional<double> CalibrationProfile::umPerPixel(PixelSize size) const
{
    const SizeScale* s = find(size);
    if (s == nullptr)
        return std::nullopt;
    return s->umPerPixel;
}

bool CalibrationProfile::setScale(const SizeScale& scale)
{
    if (scale.size.width <= 0 || scale.size.height <= 0 || !isUsableScale(scale.umPerPixel))
        return false;
    for (SizeScale& s : scales_)
        if (s.size == scale.size)
        {
            s = scale;
            return true;
        }
    scales_.push_back(scale);
    return true;
}

void CalibrationProfile::calibrate(PixelSize size, double umPerPixel,
                                   const std::vector<PixelSize>& sizes, FieldRelation relation)
{
    if (!setScale({size, umPerPixel, true}))
        return;
    rederive(sizes, relation);
}

void CalibrationProfile::rederive(const std::vector<PixelSize>& sizes, FieldRelation relation)
{
    // The widest calibrated size has the most pixels per division, so the least error.
    const SizeScale* best = nullptr;
    for (const SizeScale& s : scales_)
        if (s.calibrated && (best == nullptr || s.size.width > best->size.width))
            best = &s;
    if (best == nullptr)
        return;
    const SizeScale source = *best;
    for (const PixelSize& size : sizes)
    {
        const SizeScale* have = find(size);
        if (have != nullptr && have->calibrated)
            continue;
        setScale({size, derivedScale(source.umPerPixel, source.size, size, relation), false});
    }
}

} // namespace calib
