#include "platform/testing/recording_context.h"

#include <algorithm>

#include "platform/draw/font.h"
#include "platform/encoding.h"

namespace kwz {

std::vector<RecordingContext::Call> RecordingContext::callsOf(Kind kind) const
{
    std::vector<Call> result;
    for (const Call& call : calls)
    {
        if (call.kind == kind)
            result.push_back(call);
    }
    return result;
}

std::vector<std::string> RecordingContext::texts() const
{
    std::vector<std::string> result;
    for (const Call& call : calls)
    {
        if (call.kind == Kind::Text)
            result.push_back(call.text);
    }
    return result;
}

int RecordingContext::saveDC()
{
    return saved_.save(state_);
}

bool RecordingContext::restoreDC(int savedLevel)
{
    return saved_.restore(savedLevel, state_);
}

int RecordingContext::setMapMode(int mode)
{
    return mode == kMapModeText ? kMapModeText : 0;
}

Pen RecordingContext::selectPen(const Pen& pen)
{
    Pen previous = state_.pen;
    state_.pen = pen;
    return previous;
}

POINT RecordingContext::moveTo(int x, int y)
{
    POINT previous = state_.position;
    state_.position = POINT{x, y};
    return previous;
}

RecordingContext::Call RecordingContext::shape(Kind kind, std::vector<POINT> points) const
{
    Call call;
    call.kind = kind;
    call.points = std::move(points);
    call.pen = state_.pen;
    return call;
}

void RecordingContext::lineTo(int x, int y)
{
    calls.push_back(shape(Kind::LineTo, {state_.position, POINT{x, y}}));
    state_.position = POINT{x, y};
}

void RecordingContext::rectangle(int left, int top, int right, int bottom)
{
    calls.push_back(shape(Kind::Rectangle, {POINT{left, top}, POINT{right, bottom}}));
}

void RecordingContext::ellipse(int left, int top, int right, int bottom)
{
    calls.push_back(shape(Kind::Ellipse, {POINT{left, top}, POINT{right, bottom}}));
}

void RecordingContext::polygon(const POINT* points, int count)
{
    calls.push_back(shape(Kind::Polygon, std::vector<POINT>(points, points + std::max(count, 0))));
}

void RecordingContext::polyline(const POINT* points, int count)
{
    calls.push_back(shape(Kind::Polyline, std::vector<POINT>(points, points + std::max(count, 0))));
}

const Font* RecordingContext::selectFont(const Font* font)
{
    const Font* previous = state_.font;
    state_.font = font;
    return previous;
}

TextMetrics RecordingContext::textMetrics()
{
    return state_.font ? state_.font->metrics() : TextMetrics{16, 13, 3, 3, 0, 7, 14, 400};
}

COLORREF RecordingContext::setTextColor(COLORREF color)
{
    COLORREF previous = state_.textColor;
    state_.textColor = color;
    return previous;
}

COLORREF RecordingContext::setBkColor(COLORREF color)
{
    COLORREF previous = state_.bkColor;
    state_.bkColor = color;
    return previous;
}

int RecordingContext::setBkMode(int mode)
{
    int previous = state_.bkMode;
    state_.bkMode = mode;
    return previous;
}

void RecordingContext::addText(int x, int y, std::string utf8)
{
    Call call;
    call.kind = Kind::Text;
    call.points = {POINT{x, y}};
    call.pen = state_.pen;
    call.text = std::move(utf8);
    call.textColor = state_.textColor;
    call.bkMode = state_.bkMode;
    call.font = state_.font;
    calls.push_back(std::move(call));
}

void RecordingContext::textOut(int x, int y, std::string_view gbk)
{
    addText(x, y, gbkToUtf8(gbk));
}

void RecordingContext::textOutW(int x, int y, std::u16string_view text)
{
    addText(x, y, utf16ToUtf8(text));
}

SIZE RecordingContext::textExtent(std::string_view gbk)
{
    return textExtentW(gbkToUtf16(gbk));
}

SIZE RecordingContext::textExtentW(std::u16string_view text)
{
    if (state_.font)
        return state_.font->extent(text);
    return SIZE{static_cast<LONG>(text.size()) * 7, 16};
}

int RecordingContext::setDIBitsToDevice(int xDest, int yDest, int width, int height, int, int,
                                        const void*, const BITMAPINFO*)
{
    calls.push_back(
        shape(Kind::DIBits, {POINT{xDest, yDest}, POINT{xDest + width, yDest + height}}));
    return height;
}

int RecordingContext::stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int, int,
                                    int, int srcHeight, const void*, const BITMAPINFO*)
{
    calls.push_back(
        shape(Kind::DIBits, {POINT{xDest, yDest}, POINT{xDest + destWidth, yDest + destHeight}}));
    return srcHeight;
}

} // namespace kwz
