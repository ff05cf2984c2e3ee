#pragma once
// HDC points to a DrawContext: exactly the GDI subset that the engine and the bitmap library
// use. RasterContext implements it on a DIB in memory; the program adds one on a QPainter.
//
// Coordinates are device pixels (one logical unit per pixel). Shapes follow the GDI rules:
// a line leaves out its last pixel, a rectangle or ellipse stays inside its box with the
// right and bottom edges excluded. Only the hollow brush exists: nothing is ever filled.

#include <string_view>

#include "kwztypes.h"

namespace kwz {

class Font;

// Pen styles, with the values of the platform they come from (stored in ".Mea" files).
constexpr int kPenSolid = 0;
constexpr int kPenDash = 1;
constexpr int kPenDot = 2;
constexpr int kPenDashDot = 3;
constexpr int kPenDashDotDot = 4;
constexpr int kPenNull = 5;
constexpr int kPenInsideFrame = 6;

// Mapping mode: only "one logical unit per device pixel" exists here.
constexpr int kMapModeText = 1;

// Background modes for text output.
constexpr int kBackgroundTransparent = 1;
constexpr int kBackgroundOpaque = 2;

struct Pen
{
    int style = kPenSolid;
    int width = 1;
    COLORREF color = 0;
};

// Font weights and the pitch-and-family values that matter for matching a face.
constexpr int kFontWeightDefault = 0;
constexpr int kFontWeightNormal = 400;
constexpr int kFontWeightBold = 700;
constexpr int kFontFamilyRoman = 0x10;
constexpr int kFontFamilySwiss = 0x20;
constexpr int kFontFamilyModern = 0x30;
constexpr int kFontVariablePitch = 2;
constexpr int kFontFaceSize = 64;

// A font request. A positive height is the cell height, a negative one the character (em)
// height, 0 the default size.
struct LogFont
{
    int height = 0;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = kFontWeightDefault;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 0;
    int outPrecision = 0;
    int clipPrecision = 0;
    int quality = 0;
    int pitchAndFamily = 0;
    char faceName[kFontFaceSize] = {};
};

// Metrics of a font in pixels. Line height is `height`; the external leading is extra.
struct TextMetrics
{
    int height = 0;
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int weight = 0;
};

class DrawContext
{
  public:
    virtual ~DrawContext() = default;

    // State: pen, font, text colour, background mode and colour, current position, map mode.
    // saveDC returns a positive level; restoreDC takes it, or -1 for the last saved state.
    virtual int saveDC() = 0;
    virtual bool restoreDC(int savedLevel) = 0;
    // Returns the previous mode, or 0 when the mode is not supported.
    virtual int setMapMode(int mode) = 0;

    // Pens are plain values: select returns the previous pen so a caller can put it back.
    virtual Pen selectPen(const Pen& pen) = 0;
    // The stock hollow brush; it is also the brush a context starts with.
    virtual void selectHollowBrush() = 0;

    virtual POINT moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    virtual void ellipse(int left, int top, int right, int bottom) = 0;
    // Closed outline through the points (the last joined to the first).
    virtual void polygon(const POINT* points, int count) = 0;
    virtual void polyline(const POINT* points, int count) = 0;

    // Fonts are borrowed: the caller keeps each selected font alive while it is selected.
    // Null selects the context's default font. Returns the previous selection.
    virtual const Font* selectFont(const Font* font) = 0;
    virtual TextMetrics textMetrics() = 0;
    virtual COLORREF setTextColor(COLORREF color) = 0;
    virtual COLORREF setBkColor(COLORREF color) = 0;
    virtual int setBkMode(int mode) = 0;
    // (x, y) is the top-left of the text cell. Narrow text is GBK, wide text UTF-16.
    virtual void textOut(int x, int y, std::string_view gbk) = 0;
    virtual void textOutW(int x, int y, std::u16string_view text) = 0;
    virtual SIZE textExtent(std::string_view gbk) = 0;
    virtual SIZE textExtentW(std::u16string_view text) = 0;

    // Copies a block of a DIB one to one (SetDIBitsToDevice): the source rectangle
    // (xSrc, ySrc, width, height) is in top-down image coordinates. Returns the lines copied.
    virtual int setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSrc, int ySrc,
                                  const void* bits, const BITMAPINFO* info) = 0;
    // Copies a block of a DIB scaled to the destination rectangle (StretchDIBits, plain copy).
    virtual int stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                              int ySrc, int srcWidth, int srcHeight, const void* bits,
                              const BITMAPINFO* info) = 0;
};

inline DrawContext* fromHdc(HDC dc)
{
    return reinterpret_cast<DrawContext*>(dc);
}
inline HDC toHdc(DrawContext* context)
{
    return reinterpret_cast<HDC>(context);
}

} // namespace kwz
