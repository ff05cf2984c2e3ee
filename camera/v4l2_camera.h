#pragma once
// A USB (UVC) camera through V4L2: memory-mapped streaming of MJPEG or YUYV at the offered
// size nearest to the one asked for, scaled to exactly that size. Exposure, gain, colour
// balance and gamma go to the camera's controls where it has them and are done in software
// where it does not.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "camera/camera_device.h"
#include "camera/v4l2_io.h"

namespace zcap {

class V4l2Camera : public CameraDevice
{
  public:
    // Null when the device is missing, busy, not a capture device or offers neither format.
    static std::unique_ptr<V4l2Camera> open(const std::string& path, V4l2Io& io);
    ~V4l2Camera() override;

    DeviceKind kind() const override { return DeviceKind::V4l2; }
    bool startStream(int width, int height) override;
    void stopStream() override;
    bool nextFrame(Frame& out) override;
    void applySettings(const PictureSettings& settings) override;
    double nominalRate() const override { return rate_; }

    struct Mode
    {
        uint32_t format = 0; // V4L2 fourcc
        int width = 0;
        int height = 0;
    };
    const std::vector<Mode>& modes() const { return modes_; }
    // The offered mode nearest to width x height (MJPEG preferred on a tie).
    Mode nearestMode(int width, int height) const;
    const Mode& activeMode() const { return active_; }

  private:
    struct Control
    {
        bool present = false;
        int minimum = 0, maximum = 0, defaultValue = 0;
    };
    struct Buffer
    {
        void* data = nullptr;
        size_t length = 0;
    };

    V4l2Camera(V4l2Io& io, int fd, std::string path) : io_(io), fd_(fd), path_(std::move(path)) {}
    bool probe();
    // Opens the device file again after the stream broke: an unplugged and replugged camera
    // has a new driver instance behind the same name.
    bool reopen();
    Control queryControl(uint32_t id);
    void setControl(uint32_t id, const Control& control, long value);
    void releaseBuffers();
    bool convert(const uint8_t* data, size_t size);

    V4l2Io& io_;
    int fd_ = -1;
    const std::string path_;
    bool reopen_ = false; // the stream broke: the next start reopens the device
    std::vector<Mode> modes_;
    Mode active_;
    int bytesPerLine_ = 0;
    int wantWidth_ = 0;
    int wantHeight_ = 0;
    double rate_ = 30.0;
    bool streaming_ = false;
    std::vector<Buffer> buffers_;
    Frame native_;
    ToneTables tables_{};
    bool softwareTone_ = false;
    Control exposureAuto_, exposure_, gain_, gamma_, redBalance_, blueBalance_;
};

} // namespace zcap
