#pragma once
// DrawContext on a device-independent bitmap in memory: 1, 4, 8, 16, 24 or 32 bits per
// pixel, bottom-up or top-down, drawn with the GDI rules (aliased lines without their last
// pixel, shapes inside their box, round-ended wide pens, the nearest palette entry on palette
// images). Text comes from Font: coverage blended on 16-bit and deeper images, thresholded on
// palette images.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/draw/draw_context.h"
#include "platform/draw/saved_states.h"

namespace kwz {

class RasterContext final : public DrawContext
{
  public:
    // Draws on the caller's pixels, which must hold the whole image and outlive the context.
    // The header and colour table are copied. Null when the header describes no drawable
    // image (unknown bit count, compressed pixels, sizes that overflow).
    static std::unique_ptr<RasterContext> wrap(void* bits, const BITMAPINFO* info);
    // An image of its own, all zero (black, or palette entry 0). Palette images get the given
    // colour table, or a grey ramp when it is null.
    static std::unique_ptr<RasterContext> create(int width, int height, int bitCount,
                                                 bool topDown = false,
                                                 const RGBQUAD* palette = nullptr,
                                                 int paletteSize = 0);
    ~RasterContext() override;

    int width() const { return width_; }
    int height() const { return height_; }
    int bitCount() const { return bitCount_; }
    bool topDown() const { return topDown_; }
    size_t stride() const { return stride_; }
    uint8_t* bits() { return bits_; }
    const uint8_t* bits() const { return bits_; }
    // Header and colour table (or masks) of the image, as a BITMAPINFO.
    const BITMAPINFO* info() const;
    // Bytes of row y (top-down numbering).
    uint8_t* row(int y) { return bits_ + rowOffset(y); }
    const uint8_t* row(int y) const { return bits_ + rowOffset(y); }

    // Colour of a pixel (palette entries resolved); 0 outside the image.
    COLORREF pixel(int x, int y) const;
    // The stored value: palette index, or the packed pixel.
    uint32_t rawPixel(int x, int y) const;
    void setPixel(int x, int y, COLORREF color);
    void fill(COLORREF color);
    // The palette index drawn for a colour on a palette image.
    int nearestPaletteIndex(COLORREF color) const;

    int saveDC() override;
    bool restoreDC(int savedLevel) override;
    int setMapMode(int mode) override;
    Pen selectPen(const Pen& pen) override;
    void selectHollowBrush() override;
    POINT moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void polygon(const POINT* points, int count) override;
    void polyline(const POINT* points, int count) override;
    const Font* selectFont(const Font* font) override;
    TextMetrics textMetrics() override;
    COLORREF setTextColor(COLORREF color) override;
    COLORREF setBkColor(COLORREF color) override;
    int setBkMode(int mode) override;
    void textOut(int x, int y, std::string_view gbk) override;
    void textOutW(int x, int y, std::u16string_view text) override;
    SIZE textExtent(std::string_view gbk) override;
    SIZE textExtentW(std::u16string_view text) override;
    int setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSrc, int ySrc,
                          const void* bits, const BITMAPINFO* info) override;
    int stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                      int srcWidth, int srcHeight, const void* bits,
                      const BITMAPINFO* info) override;

  private:
    struct State
    {
        Pen pen;
        const Font* font = nullptr;
        COLORREF textColor = 0;
        COLORREF bkColor = RGB(255, 255, 255);
        int bkMode = kBackgroundOpaque;
        POINT position{0, 0};
        int mapMode = kMapModeText;
    };
    struct Format; // pixel packing, shared with the DIB copies

    RasterContext();
    bool setUp(uint8_t* bits, const BITMAPINFO* info);
    size_t rowOffset(int y) const
    {
        return static_cast<size_t>(topDown_ ? y : height_ - 1 - y) * stride_;
    }
    uint32_t encode(COLORREF color) const;
    void put(uint8_t* row, int x, uint32_t value);
    void fillSpan(int y, int64_t x0, int64_t x1, uint32_t value);
    // A one-pixel line without its last pixel; `styleStep` carries the dash pattern along.
    void thinLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t value);
    void wideLine(double x0, double y0, double x1, double y1, double radius, uint32_t value);
    void strokeSegment(int x0, int y0, int x1, int y1);
    void strokePath(const POINT* points, int count, bool closed);
    void strokeEllipse(double cx, double cy, double a, double b, uint32_t value);
    void strokeEllipseWide(double cx, double cy, double a, double b, double radius, uint32_t value);
    bool penDraws() const;
    const Font* currentFont();
    int blendBytesPerPixel() const;
    void blendRow(int y, int x, const uint8_t* coverage, int count, COLORREF color, uint32_t value);
    static void blendGlyph(void* context, const struct GlyphCoverage& glyph);
    void blendRun(const struct TextRun& run, int x, int y);

    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 0;
    bool topDown_ = false;
    size_t stride_ = 0;
    uint8_t* bits_ = nullptr;
    std::vector<uint8_t> ownedBits_;
    std::unique_ptr<Format> format_;
    State state_;
    SavedStates<State> saved_;
    std::unique_ptr<Font> defaultFont_;
    const std::vector<int>* dashPattern_ = nullptr;
    int64_t styleStep_ = 0;
    std::vector<int64_t> ellipseEnds_; // scratch of strokeEllipse, kept to spare allocations
    // Palette lookups are costly; labels and pens reuse a handful of colours.
    mutable COLORREF lastColor_ = 0xFFFFFFFF;
    mutable uint32_t lastValue_ = 0;
};

} // namespace kwz
