#include "app/image/zoom_ladder.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSteps[] = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2,
                             2.0 / 3,  1.0,      1.5,     2.0,     3.0,     4.0,     6.0,
                             8.0,      12.0,     16.0,    24.0,    32.0};

// A factor this close to a step is on it: a fit that lands there moves on to the next one.
bool sameStep(double a, double b)
{
    return std::abs(a - b) <= 1e-9 * b;
}

} // namespace

std::span<const double> ZoomLadder::steps()
{
    return kSteps;
}

double ZoomLadder::stepIn(double factor)
{
    for (double step : kSteps)
        if (step > factor && !sameStep(step, factor))
            return step;
    return kMaximum;
}

double ZoomLadder::stepOut(double factor)
{
    for (auto it = std::rbegin(kSteps); it != std::rend(kSteps); ++it)
        if (*it < factor && !sameStep(*it, factor))
            return *it;
    return kMinimum;
}

double ZoomLadder::bounded(double factor)
{
    if (!std::isfinite(factor))
        return 1.0;
    return std::clamp(factor, kMinimum, kMaximum);
}

QString ZoomLadder::percentText(double factor)
{
    const double percent = factor * 100;
    if (percent >= 99.95)
        return QStringLiteral("%1%").arg(std::lround(percent));
    return QStringLiteral("%1%").arg(percent, 0, 'g', 3);
}
