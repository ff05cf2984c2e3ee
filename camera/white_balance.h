#pragma once
// Grey-world white balance: moves the red and blue gains until the bright, unsaturated
// parts of the picture have equal channel means, green gain fixed.

#include <array>

#include "camera/frame.h"

namespace zcap {

class WhiteBalancer
{
  public:
    // gains in blue, green, red order; maxFrames bounds the run.
    void start(const std::array<int, 3>& gains, int maxFrames);
    // Looks at one frame taken with gains(); true once the balance is finished.
    bool step(const Frame& frame);
    const std::array<int, 3>& gains() const { return gains_; }
    bool changedLastStep() const { return changed_; }

    // Frames seen before a result counts as settled: the picture needs to be looked at for
    // about a second to average out noise and moving particles.
    static constexpr int kMinFrames = 24;

  private:
    std::array<int, 3> gains_{32, 32, 32};
    int maxFrames_ = 180;
    int frames_ = 0;
    int settle_ = 0;
    int stableSteps_ = 0;
    bool changed_ = false;
};

} // namespace zcap
