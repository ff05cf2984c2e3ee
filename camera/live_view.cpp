#include "camera/live_view.h"

#include <cstring>

#include "platform/draw/draw_context.h"

namespace zcap {

bool LiveView::paint(kwz::Window& window, const Frame& frame, const Placement& placement)
{
    if (frame.empty() || placement.width <= 0 || placement.height <= 0)
        return false;
    const size_t rowBytes = static_cast<size_t>(frame.width) * 3;
    const size_t dibRow = (rowBytes + 3) & ~size_t{3};
    const uint8_t* bits = frame.bgr.data();
    if (dibRow != rowBytes)
    {
        padded_.resize(dibRow * frame.height);
        for (int y = 0; y < frame.height; ++y)
            std::memcpy(padded_.data() + dibRow * y, frame.bgr.data() + rowBytes * y, rowBytes);
        bits = padded_.data();
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = frame.width;
    info.bmiHeader.biHeight = frame.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(dibRow * frame.height);

    kwz::DrawContext* dc = window.getDC();
    if (!dc)
        return false;
    if (placement.width == frame.width && placement.height == frame.height)
        dc->setDIBitsToDevice(placement.x, placement.y, frame.width, frame.height, 0, 0, bits,
                              &info);
    else
        dc->stretchDIBits(placement.x, placement.y, placement.width, placement.height, 0, 0,
                          frame.width, frame.height, bits, &info);
    window.releaseDC(dc);
    return true;
}

} // namespace zcap
