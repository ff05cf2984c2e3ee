#include "camera/image_files.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include <turbojpeg.h>

#include "platform/bmp_format.h"
#include "platform/files.h"

namespace zcap {

namespace {

struct TjDeleter
{
    void operator()(void* handle) const { tjDestroy(handle); }
};

} // namespace

std::vector<uint8_t> encodeJpeg(const Frame& frame, int quality)
{
    if (frame.empty() || quality < 1 || quality > 100)
        return {};
    thread_local std::unique_ptr<void, TjDeleter> handle(tjInitCompress());
    if (!handle)
        return {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (tjCompress2(handle.get(), frame.bgr.data(), frame.width, frame.width * 3, frame.height,
                    TJPF_BGR, &buffer, &size, TJSAMP_420, quality, TJFLAG_BOTTOMUP) != 0)
    {
        tjFree(buffer);
        return {};
    }
    std::vector<uint8_t> bytes(buffer, buffer + size);
    tjFree(buffer);
    return bytes;
}

std::vector<uint8_t> encodeBmp(const Frame& frame)
{
    if (frame.empty())
        return {};
    const uint32_t rowBytes = static_cast<uint32_t>(kwz::dibStride(24, frame.width));
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(frame.height);
    constexpr uint32_t kHeaders = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    std::vector<uint8_t> out(kHeaders + imageBytes, 0);
    kwz::writeBmpFileHeader(out.data(), kHeaders, imageBytes);
    // Positive height, so rows go bottom up as the frame's do.
    BITMAPINFOHEADER info{};
    info.biSize = BMP_INFO_HEADER_SIZE;
    info.biWidth = frame.width;
    info.biHeight = frame.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;
    kwz::writeBmpInfoHeader(out.data() + BMP_FILE_HEADER_SIZE, info);
    const size_t frameRow = static_cast<size_t>(frame.width) * 3;
    for (int y = 0; y < frame.height; ++y)
        std::copy_n(frame.bgr.data() + frameRow * y, frameRow,
                    out.data() + kHeaders + rowBytes * y);
    return out;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (path.empty() || bytes.empty() || bytes.size() > UINT32_MAX)
        return false;
    kwz::AtomicFileWriter writer(path);
    return writer.open() && writer.write(bytes.data(), static_cast<uint32_t>(bytes.size())) &&
           writer.commit();
}

} // namespace zcap
