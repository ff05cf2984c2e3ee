#include "camera/image_files.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

namespace zcap {

namespace {

void putU16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    putU16(out, v & 0xffff);
    putU16(out, v >> 16);
}

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
    const uint32_t rowBytes = (static_cast<uint32_t>(frame.width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(frame.height);
    std::vector<uint8_t> out;
    out.reserve(54 + imageBytes);
    // File header.
    putU16(out, 0x4D42);
    putU32(out, 54 + imageBytes);
    putU16(out, 0);
    putU16(out, 0);
    putU32(out, 54);
    // Info header: positive height, so rows go bottom up as the frame's do.
    putU32(out, 40);
    putU32(out, static_cast<uint32_t>(frame.width));
    putU32(out, static_cast<uint32_t>(frame.height));
    putU16(out, 1);
    putU16(out, 24);
    putU32(out, 0);
    putU32(out, imageBytes);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
    const size_t frameRow = static_cast<size_t>(frame.width) * 3;
    for (int y = 0; y < frame.height; ++y)
    {
        const uint8_t* row = frame.bgr.data() + frameRow * y;
        out.insert(out.end(), row, row + frameRow);
        out.resize(out.size() + (rowBytes - frameRow), 0);
    }
    return out;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (path.empty() || bytes.empty())
        return false;
    std::string temp = path + ".partXXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size())
    {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<size_t>(n);
    }
    // mkstemp makes the file private; a picture gets the usual permissions.
    ok = ok && fchmod(fd, 0644) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

} // namespace zcap
