#include "bitmap/overlay_probe.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/draw/font.h"
#include "platform/encoding.h"

namespace kwz::rast {
namespace {

enum Op : int
{
    kOpLine = 1,
    kOpRectangle,
    kOpEllipse,
    kOpPolygon,
    kOpPolyline,
    kOpText,
    kOpTextWide,
    kOpBits,
};

} // namespace

namespace {

// One word into a running hash. For a given hash every word gives a different result (xor,
// an odd multiplier and an xor-shift are each invertible), and eight bytes go in per step:
// the probe runs over every figure on every repaint.
uint64_t mixWord(uint64_t hash, uint64_t word)
{
    hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    return hash ^ (hash >> 32);
}

} // namespace

void OverlayProbe::mix(const void* data, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    for (; size >= 8; p += 8, size -= 8)
    {
        uint64_t word;
        std::memcpy(&word, p, 8);
        hash_ = mixWord(hash_, word);
        opHash_ = mixWord(opHash_, word);
    }
    if (size > 0)
    {
        // The length goes with the last bytes, so a shorter value never equals a longer one.
        uint64_t word = 0;
        std::memcpy(&word, p, size);
        word ^= uint64_t(size) << 56;
        hash_ = mixWord(hash_, word);
        opHash_ = mixWord(opHash_, word);
    }
}

void OverlayProbe::mixOp(int op)
{
    drew_ = true;
    opHash_ = 1469598103934665603ull;
    mixValue(op);
}

void OverlayProbe::reach(int64_t top, int64_t bottom, int64_t margin)
{
    if (top > bottom)
        std::swap(top, bottom);
    ops_.push_back(Op{opHash_, top - margin, bottom + margin + 1});
}

void OverlayProbe::reachPen(int64_t top, int64_t bottom)
{
    // Wide pens reach half their width around the path, antialiased edges a pixel more.
    reach(top, bottom, int64_t(std::max(state_.pen.width, 1)) + 2);
}

void OverlayProbe::mixDrawingState(bool text)
{
    if (text)
    {
        mixValue(state_.textColor);
        mixValue(state_.bkColor);
        mixValue(state_.bkMode);
        // The font's identity and request: a font made anew at the same address with the
        // same request draws the same glyphs.
        mixValue(state_.font);
        if (state_.font != nullptr)
        {
            const LogFont& f = state_.font->logFont();
            mixValue(f.height);
            mixValue(f.width);
            mixValue(f.weight);
            mixValue(f.italic);
            mixValue(f.underline);
            mixValue(f.strikeOut);
            mixValue(f.charSet);
            mixValue(f.pitchAndFamily);
            mix(f.faceName, sizeof f.faceName);
        }
        return;
    }
    mixValue(state_.pen.style);
    mixValue(state_.pen.width);
    mixValue(state_.pen.color);
}

void OverlayProbe::reachPoints(const POINT* points, int count)
{
    int64_t top = 0;
    int64_t bottom = 0;
    for (int i = 0; points != nullptr && i < count; ++i)
    {
        top = i == 0 ? points[i].y : std::min<int64_t>(top, points[i].y);
        bottom = i == 0 ? points[i].y : std::max<int64_t>(bottom, points[i].y);
    }
    reachPen(top, bottom);
}

void OverlayProbe::reachText(int y)
{
    // Glyphs may overhang their cell; a cell height above and below covers any face.
    const int64_t height = std::max(textMetrics().height, 1);
    reach(y, int64_t(y) + height, height + 2);
}

int OverlayProbe::saveDC()
{
    return saved_.save(state_);
}

bool OverlayProbe::restoreDC(int savedLevel)
{
    return saved_.restore(savedLevel, state_);
}

int OverlayProbe::setMapMode(int mode)
{
    return mode == kMapModeText ? kMapModeText : 0;
}

Pen OverlayProbe::selectPen(const Pen& pen)
{
    const Pen previous = state_.pen;
    state_.pen = pen;
    return previous;
}

void OverlayProbe::selectHollowBrush() {}

POINT OverlayProbe::moveTo(int x, int y)
{
    const POINT previous = state_.position;
    state_.position = POINT{x, y};
    return previous;
}

void OverlayProbe::lineTo(int x, int y)
{
    mixOp(kOpLine);
    mixDrawingState(false);
    mixValue(state_.position.x);
    mixValue(state_.position.y);
    mixValue(x);
    mixValue(y);
    reachPen(state_.position.y, y);
    state_.position = POINT{x, y};
}

void OverlayProbe::rectangle(int left, int top, int right, int bottom)
{
    mixOp(kOpRectangle);
    mixDrawingState(false);
    const int box[] = {left, top, right, bottom};
    mix(box, sizeof box);
    reachPen(top, bottom);
}

void OverlayProbe::ellipse(int left, int top, int right, int bottom)
{
    mixOp(kOpEllipse);
    mixDrawingState(false);
    const int box[] = {left, top, right, bottom};
    mix(box, sizeof box);
    reachPen(top, bottom);
}

void OverlayProbe::polygon(const POINT* points, int count)
{
    mixOp(kOpPolygon);
    mixDrawingState(false);
    mixValue(count);
    if (points != nullptr && count > 0)
        mix(points, sizeof(POINT) * size_t(count));
    reachPoints(points, count);
}

void OverlayProbe::polyline(const POINT* points, int count)
{
    mixOp(kOpPolyline);
    mixDrawingState(false);
    mixValue(count);
    if (points != nullptr && count > 0)
        mix(points, sizeof(POINT) * size_t(count));
    reachPoints(points, count);
}

const Font* OverlayProbe::selectFont(const Font* font)
{
    const Font* previous = state_.font;
    state_.font = font;
    return previous;
}

TextMetrics OverlayProbe::textMetrics()
{
    return state_.font != nullptr ? state_.font->metrics() : surface_.textMetrics();
}

COLORREF OverlayProbe::setTextColor(COLORREF color)
{
    const COLORREF previous = state_.textColor;
    state_.textColor = color;
    return previous;
}

COLORREF OverlayProbe::setBkColor(COLORREF color)
{
    const COLORREF previous = state_.bkColor;
    state_.bkColor = color;
    return previous;
}

int OverlayProbe::setBkMode(int mode)
{
    const int previous = state_.bkMode;
    state_.bkMode = mode;
    return previous;
}

void OverlayProbe::textOut(int x, int y, std::string_view gbk)
{
    mixOp(kOpText);
    mixDrawingState(true);
    mixValue(x);
    mixValue(y);
    mixValue(gbk.size());
    mix(gbk.data(), gbk.size());
    reachText(y);
}

void OverlayProbe::textOutW(int x, int y, std::u16string_view text)
{
    mixOp(kOpTextWide);
    mixDrawingState(true);
    mixValue(x);
    mixValue(y);
    mixValue(text.size());
    mix(text.data(), text.size() * sizeof(char16_t));
    reachText(y);
}

SIZE OverlayProbe::textExtent(std::string_view gbk)
{
    return textExtentW(gbkToUtf16(gbk));
}

SIZE OverlayProbe::textExtentW(std::u16string_view text)
{
    return state_.font != nullptr ? state_.font->extent(text) : surface_.textExtentW(text);
}

int OverlayProbe::setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSrc, int ySrc,
                                    const void* bits, const BITMAPINFO*)
{
    // Pixels copied from elsewhere cannot be told apart by their arguments.
    (void)xDest, (void)yDest, (void)width, (void)height, (void)xSrc, (void)ySrc, (void)bits;
    mixOp(kOpBits);
    comparable_ = false;
    reach(INT32_MIN, INT32_MAX, 0);
    return 0;
}

int OverlayProbe::stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                                int ySrc, int srcWidth, int srcHeight, const void* bits,
                                const BITMAPINFO*)
{
    (void)xDest, (void)yDest, (void)destWidth, (void)destHeight, (void)xSrc, (void)ySrc,
        (void)srcWidth, (void)srcHeight, (void)bits;
    mixOp(kOpBits);
    comparable_ = false;
    reach(INT32_MIN, INT32_MAX, 0);
    return 0;
}

} // namespace kwz::rast
