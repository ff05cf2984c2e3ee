#pragma once
// The open camera as the live window sees it: the device handle and the capture description,
// both owned by the application object for the whole run.

#include "zcapapi.h"

class CameraSession
{
  public:
    // Both are borrowed and must outlive the session.
    CameraSession(const ZCAPHANDLE& device, ZCAPINFO& info) : device_(&device), info_(&info) {}

    // 0 while no camera is open.
    ZCAPHANDLE device() const { return *device_; }
    ZCAPINFO& info() const { return *info_; }

  private:
    const ZCAPHANDLE* device_;
    ZCAPINFO* info_;
};
