#include "camera/simulated_camera.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zcap {

namespace {

// Reflectances in frame byte order (blue, green, red). The lamp is warm, so the bare slide
// looks yellowish until white balance corrects it.
constexpr std::array<double, 3> kSlide{178.0, 214.0, 236.0};
constexpr std::array<double, 3> kChrome{24.0, 22.0, 21.0};
constexpr double kPi = 3.14159265358979323846;

// How much of each material's light the lamps give, as parts of what all lamps together give.
// The bottom lamp shines through the slide and the particles but not through the chrome
// scale; the top lamps light everything from above, the inner one more than the outer.
struct LightShares
{
    double slide, chrome, particle;
};

LightShares lightShares(unsigned lights)
{
    const double inner = (lights & kLightTopInner) ? 1 : 0;
    const double outer = (lights & kLightTopOuter) ? 1 : 0;
    const double bottom = (lights & kLightBottom) ? 1 : 0;
    return {0.75 * bottom + 0.15 * inner + 0.10 * outer, 0.6 * inner + 0.4 * outer,
            0.6 * bottom + 0.25 * inner + 0.15 * outer};
}

// The laser's spot at the centre of the field, in micrometres.
constexpr double kLaserRadiusUm = 6.0;

enum class Shape
{
    Disc,
    Ellipse,
    Polygon,
};

struct Particle
{
    Shape shape;
    double x, y;        // centre in um, y downwards
    double a, b, angle; // semi-axes (um) and rotation (radians) for discs and ellipses
    std::vector<std::array<double, 2>> corners; // polygon corners relative to the centre
    std::array<double, 3> colour;
    double opacity;
    double drift, period, phase; // circular drift radius (um), period (s), phase
    double cosAngle = 1, sinAngle = 0;
};

const std::vector<Particle>& particles()
{
    static const std::vector<Particle> list = [] {
        std::vector<Particle> l = {
            {Shape::Disc, -150, -80, 20, 20, 0, {}, {60, 92, 150}, 0.85, 6, 47, 0.0},
            {Shape::Ellipse, 60, -40, 35, 10, kPi / 6, {}, {84, 140, 72}, 0.8, 5, 61, 1.3},
            {Shape::Polygon,
             180,
             -120,
             0,
             0,
             0,
             {{{0, -28}, {26, 18}, {-24, 14}}},
             {128, 84, 62},
             0.9,
             7,
             53,
             2.1},
            {Shape::Disc, -40, 70, 7, 7, 0, {}, {40, 40, 46}, 0.9, 4, 37, 3.7},
            {Shape::Polygon,
             -210,
             60,
             0,
             0,
             0,
             {{{-15, -15}, {15, -15}, {15, 15}, {-15, 15}}},
             {150, 150, 96},
             0.7,
             5,
             71,
             4.4},
        };
        for (Particle& p : l)
        {
            p.cosAngle = std::cos(p.angle);
            p.sinAngle = std::sin(p.angle);
        }
        return l;
    }();

    return list;
}

bool insideParticle(const Particle& p, double cx, double cy, double ux, double uy)
{
    const double dx = ux - cx;
    const double dy = uy - cy;
    if (p.shape == Shape::Disc)
        return dx * dx + dy * dy <= p.a * p.a;
    if (p.shape == Shape::Ellipse)
    {
        const double c = p.cosAngle, s = p.sinAngle;
        const double u = (dx * c + dy * s) / p.a;
        const double v = (-dx * s + dy * c) / p.b;
        return u * u + v * v <= 1.0;
    }
    bool inside = false;
    const size_t n = p.corners.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++)
    {
        const auto& a = p.corners[i];
        const auto& b = p.corners[j];
        if ((a[1] > dy) != (b[1] > dy) && dx < (b[0] - a[0]) * (dy - a[1]) / (b[1] - a[1]) + a[0])
            inside = !inside;
    }
    return inside;
}

double particleRadius(const Particle& p)
{
    if (p.shape != Shape::Polygon)
        return std::max(p.a, p.b);
    double r = 0;
    for (const auto& c : p.corners)
        r = std::max(r, std::hypot(c[0], c[1]));
    return r;
}

// Area of [a0, a1] x [b0, b1] inside the unit pixel at (px, py).
double overlap(double a0, double a1, double b0, double b1, int px, int py)
{
    const double w = std::min(a1, px + 1.0) - std::max(a0, static_cast<double>(px));
    const double h = std::min(b1, py + 1.0) - std::max(b0, static_cast<double>(py));
    return (w > 0 && h > 0) ? w * h : 0.0;
}

// pixels = clamp(pixels + up - down), sixteen at a time where the processor can.
void addSaturated(uint8_t* pixels, const uint8_t* up, const uint8_t* down, size_t count)
{
    size_t i = 0;
#ifdef __SSE2__
    for (; i + 16 <= count; i += 16)
    {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        v = _mm_adds_epu8(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(up + i)));
        v = _mm_subs_epu8(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(down + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), v);
    }
#endif
    for (; i < count; ++i)
    {
        const int v = pixels[i] + up[i] - down[i];
        pixels[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
}

} // namespace

SimulatedCamera::SimulatedCamera(SimulatedOptions options)
    : options_(options), born_(Clock::now()), nextDue_(born_)
{
    if (options_.framesPerSecond <= 0)
        options_.framesPerSecond = 30.0;
    tables_ = sensorTables(PictureSettings{});
    std::mt19937 rng(7);
    std::normal_distribution<double> normal(0.0, 1.6);
    // Split into what is added and what is taken away, so both saturate in one pass.
    noiseUp_.assign((1 << 16) + 16, 0);
    noiseDown_.assign((1 << 16) + 16, 0);
    for (size_t i = 0; i < noiseUp_.size(); ++i)
    {
        const long n = std::clamp(std::lround(normal(rng)), -6L, 6L);
        (n >= 0 ? noiseUp_ : noiseDown_)[i] = static_cast<uint8_t>(n >= 0 ? n : -n);
    }
}

bool SimulatedCamera::pluggedIn() const
{
    return options_.plugFile.empty() || ::access(options_.plugFile.c_str(), F_OK) == 0;
}

bool SimulatedCamera::startStream(int width, int height)
{
    if (!validSize(width, height) || !pluggedIn())
        return false;
    if (width != width_ || height != height_)
        buildBackground(width, height);
    nextDue_ = Clock::now();
    return true;
}

void SimulatedCamera::stopStream() {}

void SimulatedCamera::applySettings(const PictureSettings& settings)
{
    tables_ = sensorTables(settings);
    toned_.clear();
    if (settings.lights != lights_)
    {
        lights_ = settings.lights;
        if (width_ != 0)
            buildBackground(width_, height_);
    }
}

bool SimulatedCamera::nextFrame(Frame& out)
{
    if (width_ == 0 || !pluggedIn())
        return false;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / options_.framesPerSecond));
    std::this_thread::sleep_until(nextDue_);
    const auto now = Clock::now();
    // A late frame does not make the following ones hurry.
    nextDue_ = (now - nextDue_ > period) ? now + period : nextDue_ + period;
    render(out, std::chrono::duration<double>(now - born_).count());
    return true;
}

void SimulatedCamera::buildBackground(int width, int height)
{
    width_ = width;
    height_ = height;
    toned_.clear();
    const double scale = width / kFieldWidthUm; // pixels per micrometre
    const double halfW = width / 2.0, halfH = height / 2.0;
    auto toPx = [&](double um, double half) { return um * scale + half; };

    // Coverage of the chrome scale: a base line and ticks every 10 um, longer every 50 and 100.
    std::vector<float> cover(static_cast<size_t>(width) * height, 0.0f);
    auto addRect = [&](double x0, double y0, double x1, double y1) {
        const double a0 = toPx(x0, halfW), a1 = toPx(x1, halfW);
        const double b0 = toPx(y0, halfH), b1 = toPx(y1, halfH);
        const int px0 = std::max(0, static_cast<int>(std::floor(a0)));
        const int px1 = std::min(width - 1, static_cast<int>(std::ceil(a1)));
        const int py0 = std::max(0, static_cast<int>(std::floor(b0)));
        const int py1 = std::min(height - 1, static_cast<int>(std::ceil(b1)));
        for (int py = py0; py <= py1; ++py)
            for (int px = px0; px <= px1; ++px)
            {
                float& c = cover[static_cast<size_t>(py) * width + px];
                c = std::max(c, static_cast<float>(overlap(a0, a1, b0, b1, px, py)));
            }
    };
    constexpr double kLine = 1.5, kBaseY = 170.0;
    addRect(-250 - kLine / 2, kBaseY, 250 + kLine / 2, kBaseY + kLine);
    for (int k = 0; k <= 50; ++k)
    {
        const double x = -250.0 + 10.0 * k;
        const double len = (k % 10 == 0) ? 32.0 : (k % 5 == 0) ? 22.0 : 13.0;
        addRect(x - kLine / 2, kBaseY - len, x + kLine / 2, kBaseY);
    }

    background_.resize(static_cast<size_t>(width) * height * 3);
    const LightShares shares = lightShares(lights_);
    const double rMax2 = halfW * halfW + halfH * halfH;
    for (int y = 0; y < height; ++y)
    {
        uint8_t* row = background_.data() + static_cast<size_t>(height - 1 - y) * width * 3;
        for (int x = 0; x < width; ++x)
        {
            const double dx = x + 0.5 - halfW, dy = y + 0.5 - halfH;
            const double lamp = 1.0 - 0.08 * (dx * dx + dy * dy) / rMax2;
            const double c = cover[static_cast<size_t>(y) * width + x];
            for (int ch = 0; ch < 3; ++ch)
                row[x * 3 + ch] = static_cast<uint8_t>(std::lround(
                    (kSlide[ch] * shares.slide * (1 - c) + kChrome[ch] * shares.chrome * c) *
                    lamp));
        }
    }
}

void SimulatedCamera::render(Frame& out, double seconds)
{
    out.resize(width_, height_);
    if (width_ == 0)
        return;
    const size_t count = background_.size();
    const uint8_t* in = background_.data();
    uint8_t* o = out.bgr.data();
    // Settings change far less often than frames come, so the toned slide is kept.
    if (toned_.size() != count)
    {
        toned_.resize(count);
        uint8_t* t = toned_.data();
        for (size_t i = 0; i < count; i += 3)
        {
            t[i] = tables_[0][in[i]];
            t[i + 1] = tables_[1][in[i + 1]];
            t[i + 2] = tables_[2][in[i + 2]];
        }
    }
    std::memcpy(o, toned_.data(), count);
    if (options_.deterministic)
    {
        seconds = 0;
    }
    else
    {
        // Sensor noise: a window at a new place in a fixed table of normal values each frame.
        noiseSeed_ = noiseSeed_ * 1664525u + 1013904223u;
        const size_t period = noiseUp_.size() - 16;
        size_t k = (noiseSeed_ >> 8) % period;
        for (size_t i = 0; i < count;)
        {
            const size_t len = std::min(count - i, period - k);
            addSaturated(o + i, noiseUp_.data() + k, noiseDown_.data() + k, len);
            i += len;
            k = 0;
        }
    }

    const double scale = width_ / kFieldWidthUm;
    const double halfW = width_ / 2.0, halfH = height_ / 2.0;
    constexpr double kSub[2] = {0.25, 0.75};
    const double particleLight = lightShares(lights_).particle;
    for (const Particle& p : particles())
    {
        const double w = 2 * kPi / p.period;
        const double cx =
            p.x + p.drift * std::sin(w * seconds + p.phase) - p.drift * std::sin(p.phase);
        const double cy =
            p.y + p.drift * std::cos(w * seconds + p.phase) - p.drift * std::cos(p.phase);
        const double r = particleRadius(p) + 1.0 / scale;
        const int x0 = std::max(0, static_cast<int>(std::floor((cx - r) * scale + halfW)));
        const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil((cx + r) * scale + halfW)));
        const int y0 = std::max(0, static_cast<int>(std::floor((cy - r) * scale + halfH)));
        const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil((cy + r) * scale + halfH)));
        for (int y = y0; y <= y1; ++y)
        {
            const uint8_t* bgRow =
                background_.data() + static_cast<size_t>(height_ - 1 - y) * width_ * 3;
            uint8_t* row = out.topRow(y);
            for (int x = x0; x <= x1; ++x)
            {
                int hits = 0;
                for (double sy : kSub)
                    for (double sx : kSub)
                        hits += insideParticle(p, cx, cy, (x + sx - halfW) / scale,
                                               (y + sy - halfH) / scale);
                if (hits == 0)
                    continue;
                const double a = p.opacity * hits / 4.0;
                for (int c = 0; c < 3; ++c)
                {
                    const double ref = bgRow[x * 3 + c] * (1 - a) + p.colour[c] * particleLight * a;
                    row[x * 3 + c] = tables_[c][static_cast<int>(ref + 0.5)];
                }
            }
        }
    }
    if (lights_ & kLightLaser)
        drawLaserSpot(out, scale);
}

void SimulatedCamera::drawLaserSpot(Frame& out, double scale) const
{
    // A red spot that fades to its rim, over whatever is there.
    const double radius = std::max(kLaserRadiusUm * scale, 1.5);
    const double cx = width_ / 2.0, cy = height_ / 2.0;
    const int x0 = std::max(0, static_cast<int>(std::floor(cx - radius)));
    const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(cx + radius)));
    const int y0 = std::max(0, static_cast<int>(std::floor(cy - radius)));
    const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(cy + radius)));
    for (int y = y0; y <= y1; ++y)
    {
        uint8_t* row = out.topRow(y);
        for (int x = x0; x <= x1; ++x)
        {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double d = std::sqrt(dx * dx + dy * dy) / radius;
            if (d >= 1)
                continue;
            const double glow = 1 - d * d;
            uint8_t* px = row + x * 3;
            px[2] = static_cast<uint8_t>(std::lround(px[2] + (255 - px[2]) * glow));
            px[1] = static_cast<uint8_t>(std::lround(px[1] * (1 - 0.6 * glow)));
            px[0] = static_cast<uint8_t>(std::lround(px[0] * (1 - 0.6 * glow)));
        }
    }
}

} // namespace zcap
