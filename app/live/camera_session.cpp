#include "app/live/camera_session.h"

CameraSession::CameraSession() : rawFrame_(kRawFrameBytes, 0), colourFrame_(kColourFrameBytes, 0)
{
    ZcapInfoSetFrameBuffer(&captureInfo_, rawFrame_.data());
    captureInfo_.dwHeight = 1536;
    captureInfo_.dwWidth = 2048;
    captureInfo_.dwExposure = 60;
    captureInfo_.byRedGain = 44;
    captureInfo_.byGreenGain = 44;
    captureInfo_.byBlueGain = 44;
}

bool CameraSession::open()
{
    DWORD deviceKind = 0;
    if (ZcapInitialize("Tarnwick", &deviceKind, &captureInfo_, &device_) == ZCAP_OK)
        return true;
    close();
    return false;
}

void CameraSession::close()
{
    if (device_ != 0)
        ZcapUninitialize(&device_);
    device_ = 0;
}
