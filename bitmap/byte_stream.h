#pragma once
// Sequential byte input and output for the BMP and measurement-file readers and writers:
// over an open platform file, or over memory for tests and fuzzing.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kwztypes.h"
#include "platform/byte_order.h"

namespace kwz::rast {

class ByteSource
{
  public:
    virtual ~ByteSource() = default;
    // The bytes actually read; fewer only at the end of the data.
    virtual uint32_t read(void* buffer, uint32_t size) = 0;
    // No more than this many bytes can still arrive; lets readers refuse absurd sizes before
    // they allocate for them.
    virtual uint64_t remainingBound() const = 0;
};

class ByteSink
{
  public:
    virtual ~ByteSink() = default;
    // False unless every byte was written.
    virtual bool write(const void* data, uint32_t size) = 0;
};

// Reads an open file from its current position; the caller keeps the handle.
class FileSource : public ByteSource
{
  public:
    explicit FileSource(HANDLE file);
    uint32_t read(void* buffer, uint32_t size) override;
    uint64_t remainingBound() const override;

  private:
    HANDLE file_;
    uint64_t bound_;
};

class MemorySource : public ByteSource
{
  public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t read(void* buffer, uint32_t size) override;
    uint64_t remainingBound() const override { return size_ - position_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

class FileSink : public ByteSink
{
  public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool write(const void* data, uint32_t size) override;

  private:
    HANDLE file_;
};

class MemorySink : public ByteSink
{
  public:
    bool write(const void* data, uint32_t size) override;
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

} // namespace kwz::rast
