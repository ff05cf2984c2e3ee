#include "camera/pixel_convert.h"

#include <algorithm>
#include <memory>

#include <turbojpeg.h>

namespace zcap {

namespace {

inline uint8_t clampByte(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

struct TjDeleter
{
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

} // namespace

bool yuyvToBgr(const uint8_t* data, size_t size, int width, int height, size_t stride, Frame& out)
{
    if (!data || width <= 0 || height <= 0 || (width & 1) != 0 || !validNativeSize(width, height))
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * 2;
    if (stride < rowBytes || size < stride * (height - 1) + rowBytes)
        return false;
    out.resize(width, height);
    for (int y = 0; y < height; ++y)
    {
        const uint8_t* in = data + stride * y;
        uint8_t* o = out.topRow(y);
        for (int x = 0; x < width; x += 2, in += 4)
        {
            // Fixed point BT.601: 298/256 = 255/219 luma scale.
            const int d = in[1] - 128;
            const int e = in[3] - 128;
            const int rAdd = 409 * e + 128;
            const int gAdd = -100 * d - 208 * e + 128;
            const int bAdd = 516 * d + 128;
            for (int k = 0; k < 2; ++k)
            {
                const int c = 298 * (in[k * 2] - 16);
                *o++ = clampByte((c + bAdd) >> 8);
                *o++ = clampByte((c + gAdd) >> 8);
                *o++ = clampByte((c + rAdd) >> 8);
            }
        }
    }
    return true;
}

bool jpegToBgr(const uint8_t* data, size_t size, Frame& out)
{
    if (!data || size < 4 || size > 0x7fffffffu)
        return false;
    thread_local TjHandle handle(tjInitDecompress());
    if (!handle)
        return false;
    int width = 0, height = 0, subsamp = 0, colorspace = 0;
    auto* src = const_cast<unsigned char*>(data); // the 2.x API is not const-correct
    if (tjDecompressHeader3(handle.get(), src, static_cast<unsigned long>(size), &width, &height,
                            &subsamp, &colorspace) != 0)
        return false;
    if (!validNativeSize(width, height))
        return false;
    out.resize(width, height);
    const int flags = TJFLAG_BOTTOMUP | TJFLAG_FASTDCT;
    if (tjDecompress2(handle.get(), src, static_cast<unsigned long>(size), out.bgr.data(), width,
                      width * 3, height, TJPF_BGR, flags) != 0)
    {
        // A warning (a truncated last scan from a hurried camera) still leaves a usable frame.
        if (tjGetErrorCode(handle.get()) != TJERR_WARNING)
            return false;
    }
    return true;
}

namespace {

// Bilinear scaling of the region (rx, ry, rw, rh) of `in`, rows counted as stored.
void scaleRegion(const Frame& in, int rx, int ry, int rw, int rh, int width, int height, Frame& out)
{
    out.resize(width, height);
    // Fixed point 16.16 source positions of pixel centres.
    const int64_t sx = (static_cast<int64_t>(rw) << 16) / width;
    const int64_t sy = (static_cast<int64_t>(rh) << 16) / height;
    const int lastX = rx + rw - 1, lastY = ry + rh - 1;
    std::vector<int> x0(width), fx(width);
    for (int x = 0; x < width; ++x)
    {
        int64_t p = x * sx + sx / 2 - 32768 + (static_cast<int64_t>(rx) << 16);
        p = std::clamp<int64_t>(p, static_cast<int64_t>(rx) << 16,
                                static_cast<int64_t>(lastX) << 16);
        x0[x] = static_cast<int>(p >> 16);
        fx[x] = static_cast<int>((p & 0xffff) >> 8);
    }
    const size_t inRow = static_cast<size_t>(in.width) * 3;
    for (int y = 0; y < height; ++y)
    {
        int64_t p = y * sy + sy / 2 - 32768 + (static_cast<int64_t>(ry) << 16);
        p = std::clamp<int64_t>(p, static_cast<int64_t>(ry) << 16,
                                static_cast<int64_t>(lastY) << 16);
        const int y0 = static_cast<int>(p >> 16);
        const int y1 = std::min(y0 + 1, lastY);
        const int fy = static_cast<int>((p & 0xffff) >> 8);
        const uint8_t* r0 = in.bgr.data() + inRow * y0;
        const uint8_t* r1 = in.bgr.data() + inRow * y1;
        uint8_t* o = out.bgr.data() + static_cast<size_t>(width) * 3 * y;
        for (int x = 0; x < width; ++x)
        {
            const int a = x0[x] * 3;
            const int b = std::min(x0[x] + 1, lastX) * 3;
            const int f = fx[x];
            for (int c = 0; c < 3; ++c)
            {
                const int top = r0[a + c] * (256 - f) + r0[b + c] * f;
                const int bottom = r1[a + c] * (256 - f) + r1[b + c] * f;
                *o++ = static_cast<uint8_t>((top * (256 - fy) + bottom * fy + 32768) >> 16);
            }
        }
    }
}

} // namespace

void scaleFrame(const Frame& in, int width, int height, Frame& out)
{
    if (in.width == width && in.height == height)
    {
        out = in;
        return;
    }
    if (in.empty())
    {
        out.resize(width, height);
        std::fill(out.bgr.begin(), out.bgr.end(), 0);
        return;
    }
    scaleRegion(in, 0, 0, in.width, in.height, width, height, out);
}

void fitFrame(const Frame& in, int width, int height, Frame& out)
{
    if (in.empty() || (in.width == width && in.height == height))
    {
        scaleFrame(in, width, height, out);
        return;
    }
    // Cut the wider side down to the asked shape, centred.
    int rw = in.width, rh = in.height;
    if (static_cast<int64_t>(in.width) * height > static_cast<int64_t>(in.height) * width)
        rw = std::max(1, static_cast<int>(static_cast<int64_t>(in.height) * width / height));
    else
        rh = std::max(1, static_cast<int>(static_cast<int64_t>(in.width) * height / width));
    scaleRegion(in, (in.width - rw) / 2, (in.height - rh) / 2, rw, rh, width, height, out);
}

} // namespace zcap
