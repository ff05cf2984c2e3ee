// Frames from a camera are outside input: a broken MJPEG or a short YUYV buffer must be
// refused, never read past. First byte: 0 MJPEG, otherwise YUYV with a 4-byte size header.

#include <cstddef>
#include <cstdint>

#include "camera/pixel_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    zcap::Frame frame;
    bool ok = false;
    if (data[0] == 0)
    {
        ok = zcap::jpegToBgr(data + 1, size - 1, frame);
    }
    else if (size >= 5)
    {
        const int width = (data[1] | data[2] << 8) & 0x3ff;
        const int height = (data[3] | data[4] << 8) & 0x3ff;
        const size_t stride = static_cast<size_t>(width) * 2 + (data[0] & 3) * 2;
        ok = zcap::yuyvToBgr(data + 5, size - 5, width, height, stride, frame);
    }
    if (ok)
    {
        zcap::Frame scaled;
        zcap::scaleFrame(frame, 37, 23, scaled);
        zcap::fitFrame(frame, 41, 17, scaled);
    }
    return 0;
}
