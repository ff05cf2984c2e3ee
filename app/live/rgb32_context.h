#pragma once
// A drawing context on a 32-bit top-down image laid out as the screen wants it (QImage's
// RGB32: 0xffRRGGBB). Camera frames come as 24-bit DIBs; their copies, plain or stretched,
// take a short path here so each frame costs one pass over the pixels. Everything else is
// drawn by the platform's raster context on the same pixels.

#include <memory>
#include <vector>

#include "platform/draw/raster_context.h"

class Rgb32Context final : public kwz::DrawContext
{
  public:
    // Draws on the caller's pixels: height rows of width 0xffRRGGBB words, top row first,
    // which must outlive the context.
    Rgb32Context(uint32_t* pixels, int width, int height);
    ~Rgb32Context() override;

    int width() const { return width_; }
    int height() const { return height_; }

    int saveDC() override { return inner_->saveDC(); }
    bool restoreDC(int savedLevel) override { return inner_->restoreDC(savedLevel); }
    int setMapMode(int mode) override { return inner_->setMapMode(mode); }
    kwz::Pen selectPen(const kwz::Pen& pen) override { return inner_->selectPen(pen); }
    void selectHollowBrush() override { inner_->selectHollowBrush(); }
    POINT moveTo(int x, int y) override { return inner_->moveTo(x, y); }
    void lineTo(int x, int y) override { inner_->lineTo(x, y); }
    void rectangle(int left, int top, int right, int bottom) override
    {
        inner_->rectangle(left, top, right, bottom);
    }
    void ellipse(int left, int top, int right, int bottom) override
    {
        inner_->ellipse(left, top, right, bottom);
    }
    void polygon(const POINT* points, int count) override { inner_->polygon(points, count); }
    void polyline(const POINT* points, int count) override { inner_->polyline(points, count); }
    const kwz::Font* selectFont(const kwz::Font* font) override { return inner_->selectFont(font); }
    kwz::TextMetrics textMetrics() override { return inner_->textMetrics(); }
    COLORREF setTextColor(COLORREF color) override { return inner_->setTextColor(color); }
    COLORREF setBkColor(COLORREF color) override { return inner_->setBkColor(color); }
    int setBkMode(int mode) override { return inner_->setBkMode(mode); }
    void textOut(int x, int y, std::string_view gbk) override { inner_->textOut(x, y, gbk); }
    void textOutW(int x, int y, std::u16string_view text) override { inner_->textOutW(x, y, text); }
    SIZE textExtent(std::string_view gbk) override { return inner_->textExtent(gbk); }
    SIZE textExtentW(std::u16string_view text) override { return inner_->textExtentW(text); }

    int setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSrc, int ySrc,
                          const void* bits, const BITMAPINFO* info) override;
    int stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                      int srcWidth, int srcHeight, const void* bits,
                      const BITMAPINFO* info) override;

  private:
    uint32_t* pixels_;
    int width_;
    int height_;
    std::unique_ptr<kwz::RasterContext> inner_;
    std::vector<int> columns_; // source column of each destination column, kept between calls
};
