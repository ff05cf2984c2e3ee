#pragma once
// Paints frames into a platform window at a placement, scaled when the sizes differ.

#include <vector>

#include "camera/frame.h"
#include "platform/draw/window.h"

namespace zcap {

struct Placement
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class LiveView
{
  public:
    // Paints one frame; false when the window gave no drawing context.
    bool paint(kwz::Window& window, const Frame& frame, const Placement& placement);

  private:
    std::vector<uint8_t> padded_; // rows aligned to four bytes, as a DIB needs
};

} // namespace zcap
