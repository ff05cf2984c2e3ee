#pragma once
// The camera for the whole run: the device handle, the capture description handed to the
// camera library, and the raw and colour frame buffers. The application object owns it and
// hands it to the windows that use the camera.

#include <cstddef>
#include <vector>

#include "zcapapi.h"

inline constexpr size_t kRawFrameBytes = 2048 * 1536 + 512;
inline constexpr size_t kColourFrameBytes = 2048 * 1536 * 3;

class CameraSession
{
  public:
    // The buffers and the first capture description: the largest picture, exposure 60, gains 44.
    CameraSession();
    ~CameraSession() { close(); }
    // The capture description points into the session's own buffer.
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    // Opens the device; false, with no handle kept, when the camera library refuses.
    bool open();
    void close();
    bool isOpen() const { return device_ != 0; }
    ZCAPHANDLE device() const { return device_; }

    ZCAPINFO& captureInfo() { return captureInfo_; }
    const ZCAPINFO& captureInfo() const { return captureInfo_; }
    // 24-bit blue-green-red rows of the last frame taken, room for the largest picture.
    std::vector<BYTE>& colourFrame() { return colourFrame_; }

  private:
    ZCAPHANDLE device_ = 0;
    std::vector<BYTE> rawFrame_;
    std::vector<BYTE> colourFrame_;
    ZCAPINFO captureInfo_{};
};
