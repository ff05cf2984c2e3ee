#pragma once
// DrawContext on a QPainter: the image view, the magnifier and printing draw the bitmap
// library's pictures through it.
//
// DIB copies read the rows as the raster context counts them (top-down numbering of a
// bottom-up or top-down image, every bit count and colour mask). On screens and images they
// give exactly the raster context's pixels, stretched copies included (nearest source pixel,
// no blending); on printers and PDF files a stretched copy is left to the painter, so the page
// carries the picture at its own resolution.

#include <QImage>
#include <memory>

#include "platform/draw/draw_context.h"
#include "platform/draw/saved_states.h"

class QPainter;

class QPainterContext final : public kwz::DrawContext
{
  public:
    // The painter stays the caller's and must outlive the context. `scratch`, when given,
    // keeps the pixel buffer of DIB copies from one context to the next.
    explicit QPainterContext(QPainter& painter, QImage* scratch = nullptr);
    ~QPainterContext() override;

    QPainter& painter() const { return painter_; }

    int saveDC() override;
    bool restoreDC(int savedLevel) override;
    int setMapMode(int mode) override;
    kwz::Pen selectPen(const kwz::Pen& pen) override;
    void selectHollowBrush() override {}
    POINT moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void polygon(const POINT* points, int count) override;
    void polyline(const POINT* points, int count) override;
    const kwz::Font* selectFont(const kwz::Font* font) override;
    kwz::TextMetrics textMetrics() override;
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
        kwz::Pen pen;
        const kwz::Font* font = nullptr;
        COLORREF textColor = 0;
        COLORREF bkColor = RGB(255, 255, 255);
        int bkMode = kwz::kBackgroundOpaque;
        POINT position{0, 0};
    };

    // False when the pen draws nothing.
    bool usePen();
    const kwz::Font* currentFont();
    // An image of the given size over the scratch buffer.
    QImage scratchImage(int width, int height);
    // Whether stretched copies may be left to the painter's own scaling.
    bool paintsOnPaper() const;

    QPainter& painter_;
    QImage* scratch_;
    QImage ownScratch_;
    State state_;
    kwz::SavedStates<State> saved_;
    std::unique_ptr<kwz::Font> defaultFont_;
};
