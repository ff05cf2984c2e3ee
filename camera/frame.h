#pragma once
// A colour frame as the program sees it: blue-green-red bytes, bottom row first, rows of
// width * 3 bytes without padding (a DIB of positive height, minus the row alignment).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zcap {

struct Frame
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;

    size_t byteCount() const { return static_cast<size_t>(width) * height * 3; }
    bool empty() const { return width <= 0 || height <= 0 || bgr.size() != byteCount(); }
    void resize(int w, int h)
    {
        width = w;
        height = h;
        bgr.resize(byteCount());
    }
    // Row r counted from the top of the picture.
    uint8_t* topRow(int r) { return bgr.data() + static_cast<size_t>(height - 1 - r) * width * 3; }
    const uint8_t* topRow(int r) const
    {
        return bgr.data() + static_cast<size_t>(height - 1 - r) * width * 3;
    }
};

// Largest picture the program's buffers hold.
constexpr int kMaxPixels = 2048 * 1536;
constexpr int kMaxSide = 4096;

inline bool validSize(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<int64_t>(width) * height <= kMaxPixels;
}

// Largest picture a camera may deliver before it is scaled to the program's size.
inline bool validNativeSize(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

} // namespace zcap
