#include "app/calibration/micrometer_finder.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace calib {

namespace {

// Samples per pixel along the line: enough to place a mark one pixel wide to a few
// hundredths of a pixel.
constexpr double kStep = 0.25;
constexpr double kMinLength = 8.0;

// Bilinear value at (x, y) of pixel centres; false outside the picture.
bool sample(const GreyImage& image, double x, double y, double& value)
{
    const double fx = x - 0.5, fy = y - 0.5;
    if (fx < 0 || fy < 0 || fx > image.width - 1 || fy > image.height - 1)
        return false;
    const int x0 = std::min(static_cast<int>(fx), image.width - 1);
    const int y0 = std::min(static_cast<int>(fy), image.height - 1);
    const int x1 = std::min(x0 + 1, image.width - 1);
    const int y1 = std::min(y0 + 1, image.height - 1);
    const double ax = fx - x0, ay = fy - y0;
    const double top = image.at(x0, y0) * (1 - ax) + image.at(x1, y0) * ax;
    const double bottom = image.at(x0, y1) * (1 - ax) + image.at(x1, y1) * ax;
    value = top * (1 - ay) + bottom * ay;
    return true;
}

// Running maximum over a window of `radius` samples each side.
std::vector<double> runningMax(const std::vector<double>& v, size_t radius)
{
    std::vector<double> out(v.size());
    std::deque<size_t> window;
    size_t next = 0;
    for (size_t i = 0; i < v.size(); ++i)
    {
        const size_t last = std::min(v.size() - 1, i + radius);
        for (; next <= last; ++next)
        {
            while (!window.empty() && v[window.back()] <= v[next])
                window.pop_back();
            window.push_back(next);
        }
        while (window.front() + radius < i)
            window.pop_front();
        out[i] = v[window.front()];
    }
    return out;
}

std::vector<double> boxMean(const std::vector<double>& v, size_t radius)
{
    std::vector<double> out(v.size());
    std::vector<double> sum(v.size() + 1, 0.0);
    for (size_t i = 0; i < v.size(); ++i)
        sum[i + 1] = sum[i] + v[i];
    for (size_t i = 0; i < v.size(); ++i)
    {
        const size_t a = i >= radius ? i - radius : 0;
        const size_t b = std::min(v.size(), i + radius + 1);
        out[i] = (sum[b] - sum[a]) / double(b - a);
    }
    return out;
}

double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    const size_t k = std::min(v.size() - 1, static_cast<size_t>(q * (v.size() - 1)));
    std::nth_element(v.begin(), v.begin() + k, v.end());
    return v[k];
}

struct Fit
{
    double intercept = 0;
    double slope = 0;
    double rms = 0;
};

Fit fitLine(const std::vector<double>& pos, const std::vector<int>& idx)
{
    const double n = double(pos.size());
    double si = 0, sp = 0;
    for (size_t k = 0; k < pos.size(); ++k)
    {
        si += idx[k];
        sp += pos[k];
    }
    const double mi = si / n, mp = sp / n;
    double sii = 0, sip = 0;
    for (size_t k = 0; k < pos.size(); ++k)
    {
        sii += (idx[k] - mi) * (idx[k] - mi);
        sip += (idx[k] - mi) * (pos[k] - mp);
    }
    Fit fit;
    fit.slope = sii > 0 ? sip / sii : 0;
    fit.intercept = mp - fit.slope * mi;
    double ss = 0;
    for (size_t k = 0; k < pos.size(); ++k)
    {
        const double r = pos[k] - (fit.intercept + fit.slope * idx[k]);
        ss += r * r;
    }
    fit.rms = std::sqrt(ss / n);
    return fit;
}

} // namespace

GreyImage greyFromBgr(const uint8_t* bgr, int width, int height, size_t rowStride, bool bottomUp)
{
    GreyImage image;
    if (bgr == nullptr || width <= 0 || height <= 0)
        return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
    {
        const uint8_t* row = bgr + static_cast<size_t>(bottomUp ? height - 1 - y : y) * rowStride;
        float* out = image.pixels.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            out[x] = 0.114f * row[3 * x] + 0.587f * row[3 * x + 1] + 0.299f * row[3 * x + 2];
    }
    return image;
}

FinderResult findMicrometerScale(const GreyImage& image, PointF start, PointF end,
                                 const FinderOptions& options)
{
    FinderResult result;
    if (!(options.spacingUm > 0) || !std::isfinite(options.spacingUm))
    {
        result.outcome = FinderOutcome::BadSpacing;
        return result;
    }
    const double dx = end.x - start.x, dy = end.y - start.y;
    const double length = std::hypot(dx, dy);
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height ||
        !std::isfinite(length) || length < kMinLength)
    {
        result.outcome = FinderOutcome::LineTooShort;
        return result;
    }
    const double ux = dx / length, uy = dy / length;
    const double nx = -uy, ny = ux;
    const double band = std::clamp(options.bandHalfWidth, 0.0, 50.0);

    // The profile: the mean across the band at every step along the line.
    const size_t count = static_cast<size_t>(length / kStep) + 1;
    std::vector<double> profile;
    profile.reserve(count);
    size_t inside = 0;
    double last = 0;
    for (size_t i = 0; i < count; ++i)
    {
        const double t = i * kStep;
        // Pixel centres are at half coordinates; the line's points are pixel corners' numbers.
        const double cx = start.x + 0.5 + t * ux, cy = start.y + 0.5 + t * uy;
        double sum = 0;
        int n = 0;
        for (double s = -band; s <= band + 1e-9; s += 0.5)
        {
            double v = 0;
            if (sample(image, cx + s * nx, cy + s * ny, v))
            {
                sum += v;
                ++n;
            }
        }
        if (n > 0)
        {
            last = sum / n;
            ++inside;
        }
        profile.push_back(last);
    }
    if (inside * kStep < kMinLength)
    {
        result.outcome = FinderOutcome::LineTooShort;
        return result;
    }

    // Darkness against the slowly varying light of the slide: the running maximum of a
    // lightly smoothed profile, over a window wider than a division could be along this line.
    const std::vector<double> smooth = boxMean(profile, 2);
    const size_t window = std::max<size_t>(64, static_cast<size_t>(count / 6));
    const std::vector<double> light = boxMean(runningMax(smooth, window), window);
    std::vector<double> dark(count);
    for (size_t i = 0; i < count; ++i)
        dark[i] = std::max(0.0, light[i] - profile[i]);

    // Noise from the differences of neighbouring samples a pixel apart; a low quantile, since
    // on a fine scale most steps cross a mark.
    std::vector<double> steps;
    const size_t pixel = static_cast<size_t>(1 / kStep);
    for (size_t i = pixel; i < count; ++i)
        steps.push_back(std::fabs(profile[i] - profile[i - pixel]));
    const double noise = percentile(steps, 0.2) / 0.358 + 0.5;
    const double level = percentile(dark, 0.99);
    if (level < 8.0 || level < 6.0 * noise)
        return result; // NoContrast

    // Marks: runs above half the level, placed at the centroid of their darkness.
    const double high = 0.5 * level, low = 0.15 * level;
    std::vector<double> marks;
    size_t i = 0;
    while (i < count)
    {
        if (dark[i] <= high)
        {
            ++i;
            continue;
        }
        size_t a = i, b = i;
        while (b + 1 < count && dark[b + 1] > high)
            ++b;
        i = b + 1;
        while (a > 0 && dark[a - 1] > low)
            --a;
        while (b + 1 < count && dark[b + 1] > low)
            ++b;
        // A mark cut by the end of the line would be placed off its centre.
        if (a == 0 || b + 1 >= count)
            continue;
        double w = 0, m = 0;
        for (size_t k = a; k <= b; ++k)
        {
            const double weight = dark[k] - low;
            w += weight;
            m += weight * k * kStep;
        }
        if (w > 0)
            marks.push_back(m / w);
        i = std::max(i, b + 1);
    }
    if (marks.size() < 3)
    {
        result.outcome = FinderOutcome::TooFewDivisions;
        return result;
    }

    // Number the marks by the typical gap, which a missing mark does not change.
    std::vector<double> gaps;
    for (size_t k = 1; k < marks.size(); ++k)
        gaps.push_back(marks[k] - marks[k - 1]);
    const double gap = percentile(gaps, 0.5);
    if (!(gap > 0))
    {
        result.outcome = FinderOutcome::TooFewDivisions;
        return result;
    }
    std::vector<double> pos;
    std::vector<int> idx;
    for (const double m : marks)
    {
        const double f = (m - marks.front()) / gap;
        const double r = std::round(f);
        // Dust or a particle between two marks fits no division.
        if (std::fabs(f - r) > 0.3)
            continue;
        if (!idx.empty() && idx.back() == int(r))
            continue;
        pos.push_back(m);
        idx.push_back(int(r));
    }
    if (pos.size() < 3)
    {
        result.outcome = FinderOutcome::TooFewDivisions;
        return result;
    }
    Fit fit = fitLine(pos, idx);
    // Once more without the marks far off the line.
    std::vector<double> keptPos;
    std::vector<int> keptIdx;
    for (size_t k = 0; k < pos.size(); ++k)
    {
        const double r = pos[k] - (fit.intercept + fit.slope * idx[k]);
        if (std::fabs(r) <= 3 * fit.rms + 0.05 * fit.slope)
        {
            keptPos.push_back(pos[k]);
            keptIdx.push_back(idx[k]);
        }
    }
    if (keptPos.size() >= 3 && keptPos.size() < pos.size())
    {
        pos = std::move(keptPos);
        idx = std::move(keptIdx);
        fit = fitLine(pos, idx);
    }
    if (!(fit.slope > 0))
    {
        result.outcome = FinderOutcome::TooFewDivisions;
        return result;
    }
    result.outcome = FinderOutcome::Found;
    result.spacingPx = fit.slope;
    result.umPerPixel = options.spacingUm / fit.slope;
    result.divisions = idx.back() - idx.front();
    result.marksUsed = int(pos.size());
    result.residualPx = fit.rms;
    result.positions = std::move(pos);
    result.indexes = std::move(idx);
    return result;
}

} // namespace calib
