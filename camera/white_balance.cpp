#include "camera/white_balance.h"

#include <algorithm>
#include <cmath>

namespace zcap {

namespace {

// Frames that a new gain needs to reach the picture on a real sensor.
constexpr int kSettleFrames = 2;

} // namespace

void WhiteBalancer::start(const std::array<int, 3>& gains, int maxFrames)
{
    gains_ = gains;
    for (int& g : gains_)
        g = std::clamp(g, 1, 255);
    maxFrames_ = maxFrames > 0 ? maxFrames : 180;
    frames_ = 0;
    settle_ = 0;
    stableSteps_ = 0;
    changed_ = false;
}

bool WhiteBalancer::step(const Frame& frame)
{
    changed_ = false;
    ++frames_;
    if (frames_ >= maxFrames_)
        return true;
    if (settle_ > 0)
    {
        --settle_;
        return false;
    }
    if (frame.empty())
        return false;

    // Sample a sparse grid; saturated or dark pixels say nothing about the light's colour.
    std::array<double, 3> sum{0, 0, 0};
    long count = 0;
    const size_t pixels = static_cast<size_t>(frame.width) * frame.height;
    const size_t stride = std::max<size_t>(1, pixels / 20000) | 1;
    for (size_t i = 0; i < pixels; i += stride)
    {
        const uint8_t* p = frame.bgr.data() + i * 3;
        if (std::max({p[0], p[1], p[2]}) > 245 || std::min({p[0], p[1], p[2]}) < 16)
            continue;
        for (int c = 0; c < 3; ++c)
            sum[c] += p[c];
        ++count;
    }
    if (count < 64)
        return false;

    bool moved = false;
    for (int c : {0, 2})
    {
        const double target = gains_[c] * sum[1] / std::max(sum[c], 1.0);
        const int next = std::clamp(
            static_cast<int>(std::lround(gains_[c] + 0.6 * (target - gains_[c]))), 1, 255);
        if (next != gains_[c])
        {
            gains_[c] = next;
            moved = true;
        }
    }
    changed_ = moved;
    if (moved)
    {
        stableSteps_ = 0;
        settle_ = kSettleFrames;
        return false;
    }
    ++stableSteps_;
    return stableSteps_ >= 2 && frames_ >= kMinFrames;
}

} // namespace zcap
