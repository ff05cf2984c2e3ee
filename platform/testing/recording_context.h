#pragma once
// A DrawContext that draws nothing and keeps every call: what tests of drawing code check
// (the texts of a label with their positions and colours, the shapes with their pens).

#include <string>
#include <vector>

#include "platform/draw/draw_context.h"
#include "platform/draw/saved_states.h"

namespace kwz {

class RecordingContext final : public DrawContext
{
  public:
    enum class Kind
    {
        LineTo,
        Rectangle,
        Ellipse,
        Polygon,
        Polyline,
        Text,
        DIBits,
    };

    struct Call
    {
        Kind kind = Kind::LineTo;
        std::vector<POINT> points; // end points, box corners or vertices
        Pen pen;
        std::string text; // UTF-8
        COLORREF textColor = 0;
        int bkMode = 0;
        const Font* font = nullptr;
    };

    std::vector<Call> calls;

    // Only the calls of one kind, in order.
    std::vector<Call> callsOf(Kind kind) const;
    // The texts written, in order.
    std::vector<std::string> texts() const;
    // Save levels still open: drawing code must leave none behind.
    int openSaves() const { return saved_.depth(); }
    const Font* selectedFont() const { return state_.font; }

    int saveDC() override;
    bool restoreDC(int savedLevel) override;
    int setMapMode(int mode) override;
    Pen selectPen(const Pen& pen) override;
    void selectHollowBrush() override {}
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
    };
    Call shape(Kind kind, std::vector<POINT> points) const;
    void addText(int x, int y, std::string utf8);

    State state_;
    SavedStates<State> saved_;
};

} // namespace kwz
