#pragma once
// One uncompressed device-independent bitmap as the bitmap object keeps it: the information
// block (header, colour masks, colour table) and the pixel rows, read from and written to
// BMP files.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "bitmap/byte_stream.h"
#include "kwztypes.h"

namespace kwz::rast {

// Leaves new elements uninitialised: pixel buffers are filled right after they are made, and
// zeroing megabytes first would double the cost of loading.
template <typename T> struct DefaultInitAllocator : std::allocator<T>
{
    template <typename U> struct rebind
    {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() = default;
    template <typename U> DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using PixelBuffer = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;

class BmpImage
{
  public:
    // Larger sides are refused as damaged headers rather than attempted.
    static constexpr int32_t kMaxSide = 1 << 16;
    static constexpr uint32_t kMaxImageSize = 0x7FFFFFFFu;

    // Reads a file header, information block and pixel rows from the current position.
    // Refuses (nullopt) anything it cannot hold and write back whole: a bad signature,
    // headers that contradict each other or the data, compression other than none or
    // colour masks, and data that ends early.
    static std::optional<BmpImage> read(ByteSource& source);
    // Bottom-up rows the caller laid out with this object's stride; nullopt for sizes or
    // bit counts it cannot hold.
    static std::optional<BmpImage> fromPixels(const uint8_t* rows, int width, int height,
                                              int bitCount);

    // Writes the 14-byte file header, the information block and `pixels` (imageSize() bytes:
    // the pristine pixels or the working surface). False unless every byte went out.
    bool write(ByteSink& sink, const uint8_t* pixels) const;

    int32_t width() const { return width_; }
    // Always positive; topDown() tells the row order.
    int32_t height() const { return height_; }
    bool topDown() const { return topDown_; }
    int bitCount() const { return bitCount_; }
    int32_t colourCount() const { return colourCount_; }
    uint32_t stride() const { return stride_; }
    uint32_t imageSize() const { return imageSize_; }

    // The information header as the file had it (40 bytes or a later version), then the three
    // colour masks when a 40-byte header has them, then the colour table: exactly what
    // follows the file header when the image is written.
    const std::vector<uint8_t>& infoBlock() const { return info_; }
    const PixelBuffer& pixels() const { return pixels_; }
    // The block as a drawing surface reads it; palettes are padded to the full 2^bits entries
    // so no pixel value can index past the table.
    const BITMAPINFO* bitmapInfo() const
    {
        return reinterpret_cast<const BITMAPINFO*>(dibInfo_.data());
    }
    size_t bitmapInfoSize() const { return dibInfo_.size() * sizeof(uint32_t); }

  private:
    BmpImage() = default;
    void buildBitmapInfo();

    int32_t width_ = 0;
    int32_t height_ = 0;
    bool topDown_ = false;
    int bitCount_ = 0;
    int32_t colourCount_ = 0;
    uint32_t tableOffset_ = BMP_INFO_HEADER_SIZE; // in info_
    uint32_t stride_ = 0;
    uint32_t imageSize_ = 0;
    std::vector<uint8_t> info_;
    PixelBuffer pixels_;
    std::vector<uint32_t> dibInfo_; // word-aligned BITMAPINFO
};

} // namespace kwz::rast
