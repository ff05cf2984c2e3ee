#include "bitmap/bmp_image.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/bmp_format.h"

namespace kwz::rast {
namespace {

constexpr uint32_t kMaskBytes = 12;
constexpr uint32_t kV5HeaderSize = 124;
constexpr size_t kV5ColourSpace = 56;
constexpr size_t kV5ProfileData = 112;
constexpr uint32_t kProfileEmbedded = 0x4D424544; // "MBED"
constexpr uint32_t kProfileLinked = 0x4C494E4B;   // "LINK"
constexpr uint32_t kColourSpaceSrgb = 0x73524742; // "sRGB"

bool supportedBitCount(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

int32_t defaultColourCount(int bits)
{
    return bits <= 8 ? int32_t(1) << bits : 0;
}

} // namespace

std::optional<BmpImage> BmpImage::read(ByteSource& source)
{
    uint8_t fileHeader[BMP_FILE_HEADER_SIZE];
    if (source.read(fileHeader, sizeof fileHeader) != sizeof fileHeader || fileHeader[0] != 'B' ||
        fileHeader[1] != 'M')
        return std::nullopt;

    const uint32_t offBits = readU32le(fileHeader + 10);
    if (offBits < BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE)
        return std::nullopt;
    const uint32_t blockSize = offBits - BMP_FILE_HEADER_SIZE;
    if (blockSize > source.remainingBound())
        return std::nullopt;
    std::vector<uint8_t> block(blockSize);
    if (source.read(block.data(), blockSize) != blockSize)
        return std::nullopt;

    const uint8_t* h = block.data();
    const uint32_t headerSize = readU32le(h);
    const int32_t width = readI32le(h + 4);
    const int32_t rawHeight = readI32le(h + 8);
    const int bitCount = readU16le(h + 14);
    const uint32_t compression = readU32le(h + 16);
    const uint32_t clrUsed = readU32le(h + 32);

    // Smaller (core) headers and headers that overrun the block contradict the offset.
    if (headerSize < BMP_INFO_HEADER_SIZE || headerSize > blockSize)
        return std::nullopt;
    if (width <= 0 || width > kMaxSide || rawHeight == 0 || rawHeight == INT32_MIN ||
        rawHeight > kMaxSide || rawHeight < -kMaxSide)
        return std::nullopt;
    if (!supportedBitCount(bitCount))
        return std::nullopt;
    // Run-length, JPEG and PNG data cannot be drawn on as rows of pixels.
    const bool masks = compression == BI_BITFIELDS;
    if (compression != BI_RGB && !(masks && (bitCount == 16 || bitCount == 32)))
        return std::nullopt;
    // Masks sit right after the 40-byte header in every header version that has them.
    if (masks && headerSize != BMP_INFO_HEADER_SIZE &&
        headerSize < BMP_INFO_HEADER_SIZE + kMaskBytes)
        return std::nullopt;

    const int64_t colourCount = clrUsed != 0 ? int64_t(clrUsed) : defaultColourCount(bitCount);
    if (bitCount <= 8 && colourCount > defaultColourCount(bitCount))
        return std::nullopt;
    const uint64_t tableOffset = headerSize == BMP_INFO_HEADER_SIZE && masks
                                     ? BMP_INFO_HEADER_SIZE + kMaskBytes
                                     : headerSize;
    if (tableOffset + 4 * uint64_t(colourCount) > blockSize)
        return std::nullopt;

    const int32_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    const uint64_t stride = dibStride(bitCount, width);
    const uint64_t imageSize = stride * uint64_t(height);
    if (imageSize > kMaxImageSize || imageSize > source.remainingBound())
        return std::nullopt;

    BmpImage image;
    image.width_ = width;
    image.height_ = height;
    image.topDown_ = rawHeight < 0;
    image.bitCount_ = bitCount;
    image.colourCount_ = int32_t(colourCount);
    image.stride_ = uint32_t(stride);
    image.imageSize_ = uint32_t(imageSize);
    image.pixels_.resize(image.imageSize_);
    if (source.read(image.pixels_.data(), image.imageSize_) != image.imageSize_)
        return std::nullopt;

    // The header is kept whole (later versions carry the alpha mask and colour space), the
    // masks and the colour table follow it directly, and the gap some writers leave before
    // the pixels is dropped.
    const uint32_t maskBytes = masks && headerSize == BMP_INFO_HEADER_SIZE ? kMaskBytes : 0;
    image.tableOffset_ = headerSize + maskBytes;
    image.info_.resize(image.tableOffset_ + 4 * size_t(colourCount));
    std::memcpy(image.info_.data(), h, image.tableOffset_);
    if (colourCount > 0)
        std::memcpy(image.info_.data() + image.tableOffset_, h + tableOffset,
                    4 * size_t(colourCount));
    uint8_t* info = image.info_.data();
    const uint32_t sizeImage = readU32le(h + 20);
    if (sizeImage != 0 && sizeImage != image.imageSize_)
        writeU32le(info + 20, image.imageSize_);
    // A colour profile embedded in or linked from the file is not carried along.
    if (headerSize >= kV5HeaderSize)
    {
        const uint32_t space = readU32le(info + kV5ColourSpace);
        if (space == kProfileEmbedded || space == kProfileLinked)
        {
            writeU32le(info + kV5ColourSpace, kColourSpaceSrgb);
            writeU32le(info + kV5ProfileData, 0);
            writeU32le(info + kV5ProfileData + 4, 0);
        }
    }
    image.buildBitmapInfo();
    return image;
}

std::optional<BmpImage> BmpImage::fromPixels(const uint8_t* rows, int width, int height,
                                             int bitCount)
{
    if (rows == nullptr || width <= 0 || width > kMaxSide || height <= 0 || height > kMaxSide ||
        !supportedBitCount(bitCount))
        return std::nullopt;
    const uint64_t stride = dibStride(bitCount, width);
    if (stride * uint64_t(height) > kMaxImageSize)
        return std::nullopt;

    BmpImage image;
    image.width_ = width;
    image.height_ = height;
    image.bitCount_ = bitCount;
    image.colourCount_ = defaultColourCount(bitCount);
    image.stride_ = uint32_t(stride);
    image.imageSize_ = uint32_t(stride * uint64_t(height));

    image.info_.assign(BMP_INFO_HEADER_SIZE + 4 * size_t(image.colourCount_), 0);
    uint8_t* h = image.info_.data();
    BITMAPINFOHEADER header{};
    header.biSize = BMP_INFO_HEADER_SIZE;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = WORD(bitCount);
    writeBmpInfoHeader(h, header);
    // Black-and-white for 1 bit, grey ramps for 4 and 8 bits (the fourth byte follows the
    // ramp too, as files from this library always had it).
    uint8_t* table = h + BMP_INFO_HEADER_SIZE;
    const int32_t entries = image.colourCount_;
    for (int32_t i = 0; i < entries; ++i)
    {
        const uint8_t level = uint8_t(entries == 2 ? i * 255 : i * (255 / (entries - 1)));
        table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = level;
        table[4 * i + 3] = entries == 256 ? level : 0;
    }

    image.pixels_.assign(rows, rows + image.imageSize_);
    image.buildBitmapInfo();
    return image;
}

void BmpImage::buildBitmapInfo()
{
    const uint8_t* h = info_.data();
    const bool masks = readU32le(h + 16) == BI_BITFIELDS;
    const size_t tableEntries = (info_.size() - tableOffset_) / 4;
    // Drawing reads a 40-byte header, then the masks or a table of 2^bits entries.
    const size_t entries = bitCount_ <= 8 ? size_t(1) << bitCount_ : (masks ? 3 : 0);
    dibInfo_.assign((sizeof(BITMAPINFOHEADER) + 4 * entries) / 4 + 1, 0);

    auto* info = reinterpret_cast<BITMAPINFO*>(dibInfo_.data());
    info->bmiHeader = readBmpInfoHeader(h);
    // Later header versions are longer; drawing reads the 40 bytes they all begin with.
    info->bmiHeader.biSize = BMP_INFO_HEADER_SIZE;
    if (masks)
        std::memcpy(info->bmiColors, h + BMP_INFO_HEADER_SIZE, kMaskBytes);
    else if (bitCount_ <= 8)
        std::memcpy(info->bmiColors, h + tableOffset_, 4 * std::min(tableEntries, entries));
}

bool BmpImage::write(ByteSink& sink, const uint8_t* pixels) const
{
    uint8_t fileHeader[BMP_FILE_HEADER_SIZE];
    writeBmpFileHeader(fileHeader, BMP_FILE_HEADER_SIZE + uint32_t(info_.size()), imageSize_);
    return sink.write(fileHeader, sizeof fileHeader) &&
           sink.write(info_.data(), uint32_t(info_.size())) && sink.write(pixels, imageSize_);
}

} // namespace kwz::rast
