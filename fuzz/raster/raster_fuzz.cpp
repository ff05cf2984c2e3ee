// Feeds any bytes to RasterContext: a destination image, a source DIB header as the bitmap
// library would pass it from a file, and a list of drawing calls with raw coordinates. Every
// call must stay inside both images, whatever the header and the numbers say.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/draw/font.h"
#include "platform/draw/raster_context.h"

namespace {

class Input
{
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return offset_ >= size_; }
    uint8_t byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    int32_t i32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t{byte()} << (8 * i);
        return static_cast<int32_t>(v);
    }
    int16_t i16() { return static_cast<int16_t>(byte() | (byte() << 8)); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

// A source DIB whose pixel buffer holds exactly what its header describes, when the header
// looks usable; otherwise a few bytes, which the context must refuse to read past.
struct Source
{
    std::vector<uint8_t> info = std::vector<uint8_t>(124 + 1024, 0);
    std::vector<uint8_t> bits;

    explicit Source(Input& in)
    {
        BITMAPINFOHEADER header{};
        header.biSize = in.byte() & 1 ? BMP_INFO_HEADER_SIZE : in.i32();
        // Palettes of longer headers start later; 124 + 1024 bytes hold any accepted one.
        header.biWidth = in.i16() % 65;
        header.biHeight = in.i16() % 65;
        header.biPlanes = 1;
        static const WORD kCounts[] = {1, 4, 8, 16, 24, 32, 0, 2, 12, 64};
        header.biBitCount = kCounts[in.byte() % 10];
        header.biCompression = in.byte() % 5;
        header.biClrUsed = in.byte() & 1 ? in.i32() : in.byte();
        std::memcpy(info.data(), &header, sizeof header);
        for (size_t i = sizeof header; i < sizeof header + 128; ++i)
            info[i] = in.byte();
        int64_t w = header.biWidth > 0 ? header.biWidth : 0;
        int64_t h = header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight;
        int64_t stride = (w * header.biBitCount + 31) / 32 * 4;
        bits.assign(static_cast<size_t>(header.biBitCount <= 32 ? stride * h : 0) + 1, 0x5A);
    }
    const BITMAPINFO* header() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    static const int kDepths[] = {1, 4, 8, 16, 24, 32};
    uint8_t shape = in.byte();
    auto dc = kwz::RasterContext::create(1 + in.byte() % 48, 1 + in.byte() % 48, kDepths[shape % 6],
                                         shape & 0x80);
    if (!dc)
        return 0;
    Source source(in);
    std::vector<std::unique_ptr<kwz::Font>> fonts;
    for (int step = 0; step < 64 && !in.empty(); ++step)
    {
        switch (in.byte() % 12)
        {
        case 0:
            dc->selectPen({in.byte() % 8, in.byte() % 2 ? in.byte() % 12 : in.i32(),
                           static_cast<COLORREF>(in.i32())});
            break;
        case 1:
            dc->moveTo(in.i32(), in.i32());
            break;
        case 2:
            dc->lineTo(in.i32(), in.i32());
            break;
        case 3:
            dc->rectangle(in.i32(), in.i32(), in.i32(), in.i32());
            break;
        case 4:
            dc->ellipse(in.i32(), in.i32(), in.i32(), in.i32());
            break;
        case 5:
        case 6: {
            std::vector<POINT> points(in.byte() % 6);
            for (POINT& p : points)
                p = POINT{in.i32(), in.i32()};
            if (in.byte() & 1)
                dc->polygon(points.data(), static_cast<int>(points.size()));
            else
                dc->polyline(points.data(), static_cast<int>(points.size()));
            break;
        }
        case 7:
            if (fonts.size() < 3)
            {
                // Heights stay moderate so each input runs fast; huge ones are clamped anyway.
                fonts.push_back(kwz::createFont(
                    kwz::labelLogFont(in.byte() & 1 ? "Times New Roman" : "", in.i16() % 96)));
                dc->selectFont(fonts.back().get());
            }
            break;
        case 8: {
            std::u16string text(in.byte() % 12, u' ');
            for (char16_t& c : text)
                c = static_cast<char16_t>(in.i16());
            dc->setBkMode(in.byte() % 3);
            dc->textOutW(in.i16(), in.i16(), text);
            break;
        }
        case 9: {
            std::string gbk(in.byte() % 12, ' ');
            for (char& c : gbk)
                c = static_cast<char>(in.byte());
            dc->textOut(in.i32(), in.i32(), gbk);
            dc->textExtent(gbk);
            break;
        }
        case 10:
            dc->setDIBitsToDevice(in.i32(), in.i32(), in.i16(), in.i16(), in.i32(), in.i32(),
                                  source.bits.data(), source.header());
            break;
        default:
            dc->stretchDIBits(in.i16(), in.i16(), in.i16(), in.i16(), in.i32(), in.i32(), in.i16(),
                              in.i16(), source.bits.data(), source.header());
            break;
        }
    }
    return 0;
}
