#pragma once
// A microscope camera looking at a stage micrometer (10 um divisions) with a few particles on
// it. The field of view is fixed, so every picture size shows the same scene and a ruler
// calibrated on the scale measures the particles correctly at that size.

#include <chrono>
#include <string>
#include <vector>

#include "camera/camera_device.h"

namespace zcap {

struct SimulatedOptions
{
    // Fixed scene, no drift, no noise: two frames with the same settings are identical.
    bool deterministic = false;
    double framesPerSecond = 30.0;
    // When set, the camera is plugged in only while this file exists: pulling it out of a
    // running program is then a matter of removing the file.
    std::string plugFile;
};

// Width of the field of view in micrometres at every picture size (pixels are square).
constexpr double kFieldWidthUm = 640.0;

class SimulatedCamera : public CameraDevice
{
  public:
    explicit SimulatedCamera(SimulatedOptions options = {});

    DeviceKind kind() const override { return DeviceKind::Simulated; }
    bool startStream(int width, int height) override;
    void stopStream() override;
    bool nextFrame(Frame& out) override;
    void applySettings(const PictureSettings& settings) override;
    double nominalRate() const override { return options_.framesPerSecond; }

    // Renders the scene as seen `seconds` after the camera was made, without pacing.
    void render(Frame& out, double seconds);

  private:
    void buildBackground(int width, int height);
    bool pluggedIn() const;
    void drawLaserSpot(Frame& out, double scale) const;

    using Clock = std::chrono::steady_clock;
    SimulatedOptions options_;
    Clock::time_point born_;
    Clock::time_point nextDue_;
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> background_; // scene reflectance without particles, frame layout
    ToneTables tables_{};
    std::vector<uint8_t> toned_; // background_ through tables_, empty when out of date
    std::vector<uint8_t> noiseUp_;
    std::vector<uint8_t> noiseDown_;
    uint32_t noiseSeed_ = 12345;
    unsigned lights_ = kStartLights; // what background_ was lit with
};

} // namespace zcap
