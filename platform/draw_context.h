#pragma once
// HDC points to a DrawContext: exactly the GDI subset that the engine and the bitmap library
// use. RasterContext implements it on a DIB in memory; the program adds one on a QPainter.

#include "kwztypes.h"

namespace kwz {

class DrawContext
{
public:
    virtual ~DrawContext() = default;

    // Copies a block of a DIB one to one (SetDIBitsToDevice): the source rectangle
    // (xSrc, ySrc, width, height) is in top-down image coordinates. Returns the lines copied.
    virtual int setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSrc, int ySrc,
                                  const void* bits, const BITMAPINFO* info) = 0;
    // Copies a block of a DIB scaled to the destination rectangle (StretchDIBits, plain copy).
    virtual int stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                              int ySrc, int srcWidth, int srcHeight, const void* bits,
                              const BITMAPINFO* info) = 0;
};

inline DrawContext* fromHdc(HDC dc) { return reinterpret_cast<DrawContext*>(dc); }
inline HDC toHdc(DrawContext* context) { return reinterpret_cast<HDC>(context); }

} // namespace kwz
