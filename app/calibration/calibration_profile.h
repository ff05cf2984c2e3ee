#pragma once
// A calibration profile: one objective (or other optical set-up) with the scale of every
// picture size the camera delivers. A size is either calibrated (measured on that size) or
// derived from a calibrated size through the camera's geometry.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calib {

struct PixelSize
{
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

struct SizeScale
{
    PixelSize size;
    double umPerPixel = 0.0;
    bool calibrated = false;
    bool operator==(const SizeScale&) const = default;
};

// How the picture sizes of a camera relate to each other.
enum class FieldRelation
{
    // Every size shows the same field, as wide at every size: the scale follows the width.
    ScaledField,
    // Every size is a window cut from the sensor: the scale is the same at every size.
    Cropped,
};

// The scale at `to` that a scale measured at `from` gives.
double derivedScale(double umPerPixel, PixelSize from, PixelSize to, FieldRelation relation);

class CalibrationProfile
{
  public:
    CalibrationProfile() = default;
    explicit CalibrationProfile(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // Scales in the order they were first set.
    const std::vector<SizeScale>& scales() const { return scales_; }
    const SizeScale* find(PixelSize size) const;
    std::optional<double> umPerPixel(PixelSize size) const;

    // Calibrates one size; every other size of `sizes` that is not calibrated itself is
    // derived afresh from the best calibrated size (the widest).
    void calibrate(PixelSize size, double umPerPixel, const std::vector<PixelSize>& sizes,
                   FieldRelation relation);
    // Sets a scale as stored, without deriving anything (the file reader).
    bool setScale(const SizeScale& scale);

    bool operator==(const CalibrationProfile&) const = default;

  private:
    void rederive(const std::vector<PixelSize>& sizes, FieldRelation relation);

    std::string name_;
    std::vector<SizeScale> scales_;
};

// A scale a profile may hold: finite, positive and not absurd for a picture (1 nm to 1 m a
// pixel).
bool isUsableScale(double umPerPixel);
// A profile name that can be a file name and an INI value: 1 to 63 bytes, no control
// character, no path separator, not "." or "..", no leading or trailing blank.
bool isValidProfileName(std::string_view name);

} // namespace calib
