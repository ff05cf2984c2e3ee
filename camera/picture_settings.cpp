#include "camera/picture_settings.h"

#include <algorithm>
#include <cmath>

namespace zcap {

namespace {

ToneTables buildTables(const std::array<double, 3>& scale, float gamma, bool gammaOn,
                       const std::array<int, 3>& offsets, bool offsetsOn)
{
    ToneTables tables{};
    const double g = gammaOn ? std::clamp(static_cast<double>(gamma), 0.01, 2.0) : 1.0;
    const double power = 1.0 / g;
    for (int c = 0; c < 3; ++c)
    {
        const int offset = offsetsOn ? std::clamp(offsets[c], -255, 255) : 0;
        for (int v = 0; v < 256; ++v)
        {
            double s = std::clamp(v / 255.0 * scale[c], 0.0, 1.0);
            if (power != 1.0)
                s = std::pow(s, power);
            const long out = std::lround(s * 255.0) + offset;
            tables[c][v] = static_cast<uint8_t>(std::clamp<long>(out, 0, 255));
        }
    }
    return tables;
}

} // namespace

ToneTables sensorTables(const PictureSettings& settings)
{
    const double light = std::max(settings.exposure, 0) / static_cast<double>(kFullExposure);
    std::array<double, 3> scale{};
    for (int c = 0; c < 3; ++c)
        scale[c] = light * std::max(settings.gains[c], 0) / static_cast<double>(kUnityGain);
    return buildTables(scale, settings.gamma, settings.gammaOn, settings.offsets,
                       settings.offsetsOn);
}

ToneTables pictureTables(const std::array<double, 3>& scale, float gamma, bool gammaOn,
                         const std::array<int, 3>& offsets, bool offsetsOn)
{
    return buildTables(scale, gamma, gammaOn, offsets, offsetsOn);
}

bool isIdentity(const ToneTables& tables)
{
    for (const auto& table : tables)
        for (int v = 0; v < 256; ++v)
            if (table[v] != v)
                return false;
    return true;
}

} // namespace zcap
