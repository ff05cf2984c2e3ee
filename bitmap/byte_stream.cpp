#include "bitmap/byte_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/files.h"

namespace kwz::rast {

FileSource::FileSource(HANDLE file) : file_(file)
{
    // The handle may already stand past a measurement stream; the whole size still bounds
    // what can follow.
    const int64_t size = fileSize(file);
    bound_ = size < 0 ? 0 : uint64_t(size);
}

uint32_t FileSource::read(void* buffer, uint32_t size)
{
    uint32_t total = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (total < size)
    {
        uint32_t done = 0;
        if (!readFile(file_, out + total, size - total, &done) || done == 0)
            break;
        total += done;
    }
    bound_ = total > bound_ ? 0 : bound_ - total;
    return total;
}

uint64_t FileSource::remainingBound() const
{
    return bound_;
}

uint32_t MemorySource::read(void* buffer, uint32_t size)
{
    const size_t n = std::min<size_t>(size, size_ - position_);
    if (n > 0)
        std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return uint32_t(n);
}

bool FileSink::write(const void* data, uint32_t size)
{
    uint32_t done = 0;
    return writeFile(file_, data, size, &done) && done == size;
}

bool MemorySink::write(const void* data, uint32_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
    return true;
}

} // namespace kwz::rast
