#include "platform/pixel_memory.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace kwz {

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
} // namespace

PixelMemory::PixelMemory(size_t size) : size_(size)
{
    if (size == 0)
        return;
    if (size < kHugePage)
    {
        data_ = static_cast<uint8_t*>(std::calloc(size, 1));
        if (!data_)
            throw std::bad_alloc();
        return;
    }
    // Over-map by one huge page so the pixels can start on a huge-page boundary.
    size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    if (rounded < size || rounded + kHugePage < rounded)
        throw std::bad_alloc();
    mappingSize_ = rounded + kHugePage;
    mapping_ = mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                    -1, 0);
    if (mapping_ == MAP_FAILED)
    {
        mapping_ = nullptr;
        throw std::bad_alloc();
    }
    auto address = reinterpret_cast<uintptr_t>(mapping_);
    data_ = reinterpret_cast<uint8_t*>((address + kHugePage - 1) / kHugePage * kHugePage);
#ifdef MADV_HUGEPAGE
    madvise(data_, rounded, MADV_HUGEPAGE); // a hint: refused, the memory still works
#endif
}

PixelMemory::~PixelMemory()
{
    release();
}

PixelMemory::PixelMemory(PixelMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      mappingSize_(std::exchange(other.mappingSize_, 0))
{
}

PixelMemory& PixelMemory::operator=(PixelMemory&& other) noexcept
{
    if (this != &other)
    {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappingSize_ = std::exchange(other.mappingSize_, 0);
    }
    return *this;
}

void PixelMemory::release()
{
    if (mapping_)
        munmap(mapping_, mappingSize_);
    else
        std::free(data_);
    data_ = nullptr;
    mapping_ = nullptr;
    size_ = mappingSize_ = 0;
}

} // namespace kwz
