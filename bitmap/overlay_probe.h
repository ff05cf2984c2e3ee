#pragma once
// A drawing context that draws nothing: it condenses every call the engine makes into one
// signature. Two passes with the same signature paint the same pixels, so a working surface
// that already holds that overlay needs neither restoring nor repainting.

#include <cstdint>
#include <vector>

#include "platform/draw/draw_context.h"
#include "platform/draw/saved_states.h"

namespace kwz::rast {

class OverlayProbe final : public DrawContext
{
  public:
    // Text metrics without a selected font come from `surface`, the context the overlay is
    // painted on, so the engine lays its labels out as it will there. Nothing is drawn on it.
    explicit OverlayProbe(DrawContext& surface) : surface_(surface) {}

    // One drawing call: its own signature and the rows it may touch (top-down, bottom
    // excluded, generous). Equal calls on the same pixels paint the same pixels.
    struct Op
    {
        uint64_t hash;
        int64_t top;
        int64_t bottom;
    };
    const std::vector<Op>& ops() const { return ops_; }

    uint64_t signature() const { return hash_; }
    // False when the engine drew nothing at all (no ruler yet, everything hidden).
    bool drewSomething() const { return drew_; }
    // False when the pass copied pixels, which its signature cannot describe.
    bool comparable() const { return comparable_; }

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
    };

    void mix(const void* data, size_t size);
    template <typename T> void mixValue(const T& value) { mix(&value, sizeof value); }
    void mixOp(int op);
    // Closes the current call with the rows between `top` and `bottom` (both drawn), widened
    // by what a pen or antialiasing may add around them.
    void reach(int64_t top, int64_t bottom, int64_t margin);
    void reachPen(int64_t top, int64_t bottom);
    void reachPoints(const POINT* points, int count);
    void reachText(int y);
    // Drawing calls take the state they draw with into the signature.
    void mixDrawingState(bool text);

    DrawContext& surface_;
    State state_;
    SavedStates<State> saved_;
    uint64_t hash_ = 1469598103934665603ull; // any start but 0
    bool drew_ = false;
    bool comparable_ = true;
    std::vector<Op> ops_;
    uint64_t opHash_ = 0;
};

} // namespace kwz::rast
