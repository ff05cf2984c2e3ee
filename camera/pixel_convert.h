#pragma once
// Conversions from what cameras deliver to the program's bottom-up BGR frames.

#include <cstddef>
#include <cstdint>

#include "camera/frame.h"

namespace zcap {

// Packed YUYV 4:2:2 (BT.601, limited range), top row first, `stride` bytes a row, into a
// bottom-up BGR frame of width x height. False when the input is too short or odd-sized.
bool yuyvToBgr(const uint8_t* data, size_t size, int width, int height, size_t stride, Frame& out);

// Decodes a JPEG (as MJPEG cameras send it, Huffman tables may be missing) into a bottom-up
// BGR frame at its own size. False for anything that does not decode.
bool jpegToBgr(const uint8_t* data, size_t size, Frame& out);

// Scales a frame to width x height (bilinear; a plain copy when the size is the same).
void scaleFrame(const Frame& in, int width, int height, Frame& out);

// As scaleFrame, but keeps pixels square: a picture of another shape loses the middle-out
// excess of its wider side first, so measurements stay true in both directions.
void fitFrame(const Frame& in, int width, int height, Frame& out);

} // namespace zcap
