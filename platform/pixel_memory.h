#pragma once
// Zeroed memory for the pixels of a large image. Drawing walks down the rows of a picture that
// spans thousands of 4 KiB pages; with 2 MiB pages, where the system offers them on request,
// the processor finds every row's page without a table walk.

#include <cstddef>
#include <cstdint>

namespace kwz {

class PixelMemory
{
  public:
    PixelMemory() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit PixelMemory(size_t size);
    ~PixelMemory();
    PixelMemory(PixelMemory&& other) noexcept;
    PixelMemory& operator=(PixelMemory&& other) noexcept;
    PixelMemory(const PixelMemory&) = delete;
    PixelMemory& operator=(const PixelMemory&) = delete;

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

  private:
    void release();

    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    void* mapping_ = nullptr;
    size_t mappingSize_ = 0;
};

} // namespace kwz
