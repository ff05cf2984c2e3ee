#include "platform/draw/raster_context.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/bmp_format.h"
#include "platform/draw/coverage_blend.h"
#include "platform/draw/dib_reader.h"
#include "platform/draw/ellipse_ends.h"
#include "platform/draw/font.h"
#include "platform/encoding.h"

namespace kwz {

namespace {

// Cosmetic dash patterns in pixels, on first.
const std::vector<int> kDash{18, 6};
const std::vector<int> kDot{3, 3};
const std::vector<int> kDashDot{9, 6, 3, 6};
const std::vector<int> kDashDotDot{9, 3, 3, 3, 3, 3};

using Channel = DibChannel;

} // namespace

// Pixels are written as the little-endian words the formats store.
static_assert(std::endian::native == std::endian::little);

// How pixels of one DIB are packed. Used for the context's own image and for every source of
// a DIB copy.
struct RasterContext::Format
{
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    size_t stride = 0;
    bool bitfields = false;
    std::vector<RGBQUAD> palette;
    Channel red, green, blue;
    std::vector<uint8_t> infoBytes; // header, then masks or colour table

    bool parse(const BITMAPINFO* info)
    {
        const std::optional<DibLayout> dib = readDib(info);
        if (!dib)
            return false;
        width = dib->width;
        height = dib->height;
        topDown = dib->topDown;
        bitCount = dib->bitCount;
        stride = dib->stride;
        bitfields = dib->bitfields;
        palette = dib->palette;
        red.setMask(dib->redMask);
        green.setMask(dib->greenMask);
        blue.setMask(dib->blueMask);

        BITMAPINFOHEADER copy = info->bmiHeader;
        copy.biSize = BMP_INFO_HEADER_SIZE;
        copy.biClrUsed = static_cast<DWORD>(palette.size());
        size_t extra = bitfields ? 12 : palette.size() * sizeof(RGBQUAD);
        infoBytes.assign(sizeof(BITMAPINFOHEADER) + std::max<size_t>(extra, sizeof(RGBQUAD)), 0);
        std::memcpy(infoBytes.data(), &copy, sizeof copy);
        if (bitfields)
        {
            uint32_t masks[3] = {red.mask, green.mask, blue.mask};
            std::memcpy(infoBytes.data() + sizeof copy, masks, sizeof masks);
        }
        else if (!palette.empty())
        {
            std::memcpy(infoBytes.data() + sizeof copy, palette.data(), extra);
        }
        return true;
    }

    const uint8_t* rowOf(const uint8_t* bits, int y) const
    {
        return bits + static_cast<size_t>(topDown ? y : height - 1 - y) * stride;
    }

    uint32_t raw(const uint8_t* row, int x) const
    {
        switch (bitCount)
        {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        case 8:
            return row[x];
        case 16:
            return readU16le(row + 2 * x);
        case 24:
            return row[3 * x] | (uint32_t{row[3 * x + 1]} << 8) | (uint32_t{row[3 * x + 2]} << 16);
        default:
            return readU32le(row + 4 * x);
        }
    }

    COLORREF colorOf(uint32_t value) const
    {
        if (bitCount <= 8)
        {
            if (value >= palette.size())
                return 0;
            const RGBQUAD& q = palette[value];
            return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
        }
        if (bitCount == 24)
            return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
        return RGB(red.unpack(value), green.unpack(value), blue.unpack(value));
    }

    int nearest(COLORREF color) const
    {
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (size_t i = 0; i < palette.size(); ++i)
        {
            int dr = palette[i].rgbRed - GetRValue(color);
            int dg = palette[i].rgbGreen - GetGValue(color);
            int db = palette[i].rgbBlue - GetBValue(color);
            int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance)
            {
                best = static_cast<int>(i);
                bestDistance = distance;
                if (distance == 0)
                    break;
            }
        }
        return best;
    }

    uint32_t encode(COLORREF color) const
    {
        if (bitCount <= 8)
            return static_cast<uint32_t>(nearest(color));
        if (bitCount == 24)
            return GetBValue(color) | (uint32_t{GetGValue(color)} << 8) |
                   (uint32_t{GetRValue(color)} << 16);
        return red.pack(GetRValue(color)) | green.pack(GetGValue(color)) |
               blue.pack(GetBValue(color));
    }

    bool samePacking(const Format& other) const
    {
        if (bitCount != other.bitCount)
            return false;
        if (bitCount <= 8)
            return palette.size() == other.palette.size() &&
                   std::equal(palette.begin(), palette.end(), other.palette.begin(),
                              [](const RGBQUAD& a, const RGBQUAD& b) {
                                  return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen &&
                                         a.rgbBlue == b.rgbBlue;
                              });
        return red.mask == other.red.mask && green.mask == other.green.mask &&
               blue.mask == other.blue.mask;
    }
};

RasterContext::RasterContext() : format_(std::make_unique<Format>()) {}
RasterContext::~RasterContext() = default;

std::unique_ptr<RasterContext> RasterContext::wrap(void* bits, const BITMAPINFO* info)
{
    if (!bits)
        return nullptr;
    std::unique_ptr<RasterContext> context(new RasterContext);
    if (!context->setUp(static_cast<uint8_t*>(bits), info))
        return nullptr;
    return context;
}

std::unique_ptr<RasterContext> RasterContext::create(int width, int height, int bitCount,
                                                     bool topDown, const RGBQUAD* palette,
                                                     int paletteSize)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    std::vector<uint8_t> infoBytes(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFOHEADER header{};
    header.biSize = BMP_INFO_HEADER_SIZE;
    header.biWidth = width;
    header.biHeight = topDown ? -height : height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitCount);
    header.biCompression = BI_RGB;
    if (bitCount > 0 && bitCount <= 8)
    {
        int entries = 1 << bitCount;
        auto* table = reinterpret_cast<RGBQUAD*>(infoBytes.data() + sizeof header);
        if (palette && paletteSize > 0)
        {
            entries = std::min(entries, paletteSize);
            std::memcpy(table, palette, entries * sizeof(RGBQUAD));
        }
        else
        {
            for (int i = 0; i < entries; ++i)
            {
                BYTE level = static_cast<BYTE>(i * 255 / (entries - 1));
                table[i] = RGBQUAD{level, level, level, 0};
            }
        }
        header.biClrUsed = static_cast<DWORD>(entries);
    }
    std::memcpy(infoBytes.data(), &header, sizeof header);

    std::unique_ptr<RasterContext> context(new RasterContext);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(infoBytes.data());
    if (!context->format_->parse(info))
        return nullptr;
    context->ownedBits_.assign(context->format_->stride * context->format_->height, 0);
    if (!context->setUp(context->ownedBits_.data(), info))
        return nullptr;
    return context;
}

bool RasterContext::setUp(uint8_t* bits, const BITMAPINFO* info)
{
    if (!format_->parse(info))
        return false;
    bits_ = bits;
    width_ = format_->width;
    height_ = format_->height;
    bitCount_ = format_->bitCount;
    topDown_ = format_->topDown;
    stride_ = format_->stride;
    return true;
}

const BITMAPINFO* RasterContext::info() const
{
    return reinterpret_cast<const BITMAPINFO*>(format_->infoBytes.data());
}

uint32_t RasterContext::rawPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return format_->raw(row(y), x);
}

COLORREF RasterContext::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return format_->colorOf(format_->raw(row(y), x));
}

void RasterContext::setPixel(int x, int y, COLORREF color)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    put(row(y), x, encode(color));
}

void RasterContext::fill(COLORREF color)
{
    uint32_t value = encode(color);
    for (int y = 0; y < height_; ++y)
        fillSpan(y, 0, width_ - 1, value);
}

int RasterContext::nearestPaletteIndex(COLORREF color) const
{
    return format_->nearest(color);
}

uint32_t RasterContext::encode(COLORREF color) const
{
    color &= 0x00FFFFFF;
    if (color != lastColor_)
    {
        lastValue_ = format_->encode(color);
        lastColor_ = color;
    }
    return lastValue_;
}

void RasterContext::put(uint8_t* row, int x, uint32_t value)
{
    switch (bitCount_)
    {
    case 1: {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = (value & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit;
        break;
    }
    case 4:
        if (x & 1)
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (value & 0x0F));
        else
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | ((value & 0x0F) << 4));
        break;
    case 8:
        row[x] = static_cast<uint8_t>(value);
        break;
    case 16:
        row[2 * x] = static_cast<uint8_t>(value);
        row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
        break;
    case 24:
        row[3 * x] = static_cast<uint8_t>(value);
        row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
        break;
    default:
        std::memcpy(row + 4 * x, &value, 4); // little-endian machine, as the formats are
        break;
    }
}

void RasterContext::fillSpan(int y, int64_t x0, int64_t x1, uint32_t value)
{
    if (y < 0 || y >= height_)
        return;
    x0 = std::max<int64_t>(x0, 0);
    x1 = std::min<int64_t>(x1, width_ - 1);
    uint8_t* r = row(y);
    if (x0 > x1)
        return;
    if (bitCount_ == 8)
    {
        std::memset(r + x0, static_cast<int>(value), static_cast<size_t>(x1 - x0 + 1));
        return;
    }
    if (bitCount_ == 24)
    {
        const uint16_t lowBytes = static_cast<uint16_t>(value);
        const auto highByte = static_cast<uint8_t>(value >> 16);
        uint8_t* p = r + 3 * x0;
        for (int64_t n = x1 - x0 + 1; n > 0; --n, p += 3)
        {
            std::memcpy(p, &lowBytes, 2);
            p[2] = highByte;
        }
        return;
    }
    if (bitCount_ == 32)
    {
        for (int64_t x = x0; x <= x1; ++x)
            std::memcpy(r + 4 * x, &value, 4);
        return;
    }
    for (int64_t x = x0; x <= x1; ++x)
        put(r, static_cast<int>(x), value);
}

bool RasterContext::penDraws() const
{
    return state_.pen.style != kPenNull;
}

// Pixels of the line: step i of n along the major axis, the minor coordinate rounded with
// ties away from the start. Written in closed form so a far-off line is clipped by search
// instead of walked.
void RasterContext::thinLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t value)
{
    int64_t dx = x1 - x0;
    int64_t dy = y1 - y0;
    bool xMajor = std::llabs(dx) >= std::llabs(dy);
    int64_t n = xMajor ? std::llabs(dx) : std::llabs(dy);
    if (n == 0)
        return;
    // The dash pattern runs on whether or not this segment shows.
    int64_t step = styleStep_;
    styleStep_ += n;
    int64_t major0 = xMajor ? x0 : y0;
    int64_t minor0 = xMajor ? y0 : x0;
    int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    int64_t minorDelta = xMajor ? dy : dx;
    int64_t minorStep = minorDelta < 0 ? -1 : 1;
    int64_t minorAbs = std::llabs(minorDelta);
    int64_t majorLimit = xMajor ? width_ : height_;
    int64_t minorLimit = xMajor ? height_ : width_;

    // Lines on the image fit 64-bit arithmetic; only far-off ones need 128 bits.
    bool narrow = n < (int64_t{1} << 30) && minorAbs < (int64_t{1} << 30);
    auto minorOffset = [&](int64_t i) {
        if (narrow)
            return (2 * i * minorAbs + n) / (2 * n);
        __int128 numerator = static_cast<__int128>(2) * i * minorAbs + n;
        return static_cast<int64_t>(numerator / (2 * n));
    };
    // Steps whose major coordinate is inside the image.
    int64_t first = 0;
    int64_t last = n - 1;
    if (majorStep > 0)
    {
        first = std::max(first, -major0);
        last = std::min(last, majorLimit - 1 - major0);
    }
    else
    {
        first = std::max(first, major0 - (majorLimit - 1));
        last = std::min(last, major0);
    }
    if (first > last)
        return;
    // The minor offset only grows with i: find the steps where it lies inside the image.
    int64_t lowOffset = minorStep > 0 ? -minor0 : minor0 - (minorLimit - 1);
    int64_t highOffset = minorStep > 0 ? minorLimit - 1 - minor0 : minor0;
    if (minorOffset(first) < lowOffset)
    {
        int64_t lo = first, hi = last + 1;
        while (lo < hi)
        {
            int64_t mid = lo + (hi - lo) / 2;
            if (minorOffset(mid) >= lowOffset)
                hi = mid;
            else
                lo = mid + 1;
        }
        first = lo;
    }
    if (first <= last && minorOffset(last) > highOffset)
    {
        int64_t lo = first - 1, hi = last;
        while (lo < hi)
        {
            int64_t mid = lo + (hi - lo + 1) / 2;
            if (minorOffset(mid) <= highOffset)
                lo = mid;
            else
                hi = mid - 1;
        }
        last = lo;
    }

    const std::vector<int>* pattern = dashPattern_;
    int period = 0;
    if (pattern)
    {
        for (int length : *pattern)
            period += length;
    }
    if (!pattern && minorAbs == 0 && xMajor && first <= last)
    {
        // A level line is one span.
        int64_t from = major0 + majorStep * first;
        int64_t to = major0 + majorStep * last;
        fillSpan(static_cast<int>(minor0), std::min(from, to), std::max(from, to), value);
        return;
    }
    if (!pattern && narrow && first <= last)
    {
        // Solid lines step the rounded offset instead of dividing for every pixel: the
        // numerator 2 i |minor| + n grows by 2 |minor| <= 2 n a step.
        int64_t twiceN = 2 * n;
        int64_t numerator = 2 * first * minorAbs + n;
        int64_t offset = numerator / twiceN;
        int64_t rest = numerator % twiceN;
        // Local copies: the compiler cannot tell pixel stores from stores to the members.
        uint8_t* const bits = bits_;
        const int64_t stride = static_cast<int64_t>(stride_);
        const int64_t rowBase = topDown_ ? 0 : (height_ - 1) * stride;
        const int64_t rowStep = topDown_ ? stride : -stride;
        const uint16_t lowBytes = static_cast<uint16_t>(value);
        const auto highByte = static_cast<uint8_t>(value >> 16);
        if (bitCount_ == 24)
        {
            // Walk the pixels by address: one step along, and one across whenever the
            // rounded offset moves on, decided without a branch.
            int64_t x = xMajor ? major0 + majorStep * first : minor0 + minorStep * offset;
            int64_t y = xMajor ? minor0 + minorStep * offset : major0 + majorStep * first;
            uint8_t* p = bits + rowBase + y * rowStep + 3 * x;
            const int64_t along = xMajor ? 3 * majorStep : rowStep * majorStep;
            const int64_t across = xMajor ? rowStep * minorStep : 3 * minorStep;
            const int64_t grow = 2 * minorAbs;
            for (int64_t i = first;;)
            {
                std::memcpy(p, &lowBytes, 2);
                p[2] = highByte;
                if (++i > last)
                    break; // no step past the last pixel, which may be the image's last
                rest += grow;
                int64_t carry = rest >= twiceN ? 1 : 0;
                rest -= carry * twiceN;
                p += along + carry * across;
            }
            return;
        }
        for (int64_t i = first; i <= last; ++i)
        {
            int64_t major = major0 + majorStep * i;
            int64_t minor = minor0 + minorStep * offset;
            int64_t x = xMajor ? major : minor;
            int64_t y = xMajor ? minor : major;
            put(bits + rowBase + y * rowStep, static_cast<int>(x), value);
            rest += 2 * minorAbs;
            if (rest >= twiceN)
            {
                rest -= twiceN;
                ++offset;
            }
        }
        return;
    }
    for (int64_t i = first; i <= last; ++i)
    {
        if (pattern)
        {
            int phase = static_cast<int>((step + i) % period);
            size_t part = 0;
            while (phase >= (*pattern)[part])
                phase -= (*pattern)[part++];
            if (part % 2 == 1)
                continue; // a gap
        }
        int64_t major = major0 + majorStep * i;
        int64_t minor = minor0 + minorStep * minorOffset(i);
        if (xMajor)
            put(row(static_cast<int>(minor)), static_cast<int>(major), value);
        else
            put(row(static_cast<int>(major)), static_cast<int>(minor), value);
    }
}

// Every pixel whose centre lies within `radius` of the segment: round ends and joins.
void RasterContext::wideLine(double x0, double y0, double x1, double y1, double radius,
                             uint32_t value)
{
    double top = std::max(std::floor(std::min(y0, y1) - radius), 0.0);
    double bottom = std::min(std::ceil(std::max(y0, y1) + radius), height_ - 1.0);
    double dx = x1 - x0;
    double dy = y1 - y0;
    double length2 = dx * dx + dy * dy;
    double reach = radius * std::sqrt(length2);
    constexpr double kEpsilon = 1e-9;
    for (double y = top; y <= bottom; ++y)
    {
        double lo = std::numeric_limits<double>::infinity();
        double hi = -lo;
        auto unite = [&](double a, double b) {
            if (a <= b)
            {
                lo = std::min(lo, a);
                hi = std::max(hi, b);
            }
        };
        for (auto [px, py] : {std::pair{x0, y0}, std::pair{x1, y1}})
        {
            double off = y - py;
            double rest = radius * radius - off * off;
            if (rest >= 0)
                unite(px - std::sqrt(rest), px + std::sqrt(rest));
        }
        if (length2 > 0)
        {
            // Along the segment: 0 <= (p - p0).d <= |d|^2; across it: |(p - p0) x d| <= r|d|.
            double a = -1e300, b = 1e300;
            auto clampLinear = [&](double slope, double constant, double min, double max) {
                if (slope == 0)
                {
                    if (constant < min - kEpsilon || constant > max + kEpsilon)
                        b = a - 1;
                    return;
                }
                double u = (min - constant) / slope;
                double v = (max - constant) / slope;
                a = std::max(a, std::min(u, v));
                b = std::min(b, std::max(u, v));
            };
            double across = y - y0;
            clampLinear(dx, -x0 * dx + across * dy, 0, length2);
            clampLinear(dy, -x0 * dy - across * dx, -reach, reach);
            unite(a, b);
        }
        if (lo <= hi)
            fillSpan(static_cast<int>(y),
                     static_cast<int64_t>(std::ceil(std::max(lo, -1e12) - kEpsilon)),
                     static_cast<int64_t>(std::floor(std::min(hi, 1e12) + kEpsilon)), value);
    }
}

void RasterContext::strokeSegment(int x0, int y0, int x1, int y1)
{
    uint32_t value = encode(state_.pen.color);
    if (state_.pen.width <= 1)
        thinLine(x0, y0, x1, y1, value);
    else
        wideLine(x0, y0, x1, y1, state_.pen.width / 2.0, value);
}

void RasterContext::strokePath(const POINT* points, int count, bool closed)
{
    if (!penDraws() || !points || count < 2)
        return;
    const std::vector<int>* patterns[] = {nullptr, &kDash, &kDot, &kDashDot, &kDashDotDot};
    dashPattern_ =
        state_.pen.width <= 1 && state_.pen.style >= kPenDash && state_.pen.style <= kPenDashDotDot
            ? patterns[state_.pen.style]
            : nullptr;
    styleStep_ = 0;
    for (int i = 1; i < count; ++i)
        strokeSegment(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    if (closed)
        strokeSegment(points[count - 1].x, points[count - 1].y, points[0].x, points[0].y);
    dashPattern_ = nullptr;
}

int RasterContext::saveDC()
{
    return saved_.save(state_);
}

bool RasterContext::restoreDC(int savedLevel)
{
    return saved_.restore(savedLevel, state_);
}

int RasterContext::setMapMode(int mode)
{
    if (mode != kMapModeText)
        return 0;
    int previous = state_.mapMode;
    state_.mapMode = mode;
    return previous;
}

Pen RasterContext::selectPen(const Pen& pen)
{
    Pen previous = state_.pen;
    state_.pen = pen;
    return previous;
}

void RasterContext::selectHollowBrush() {}

POINT RasterContext::moveTo(int x, int y)
{
    POINT previous = state_.position;
    state_.position = POINT{x, y};
    return previous;
}

void RasterContext::lineTo(int x, int y)
{
    POINT path[2] = {state_.position, POINT{x, y}};
    strokePath(path, 2, false);
    state_.position = path[1];
}

void RasterContext::rectangle(int left, int top, int right, int bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (int64_t{right} - left < 1 || int64_t{bottom} - top < 1 || !penDraws())
        return;
    int64_t inset =
        state_.pen.style == kPenInsideFrame && state_.pen.width > 1 ? state_.pen.width / 2 : 0;
    auto narrow = [](int64_t v) {
        return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    int64_t l = left + inset, t = top + inset;
    int64_t r = std::max(l, right - 1 - inset), b = std::max(t, bottom - 1 - inset);
    POINT path[4] = {{narrow(l), narrow(t)},
                     {narrow(r), narrow(t)},
                     {narrow(r), narrow(b)},
                     {narrow(l), narrow(b)}};
    strokePath(path, 4, true);
}

namespace {
// floor() for values well inside the int64 range, without a call into the maths library.
inline int64_t floorToInt(double value)
{
    auto truncated = static_cast<int64_t>(value);
    return truncated - (value < static_cast<double>(truncated) ? 1 : 0);
}

} // namespace

void RasterContext::strokeEllipse(double cx, double cy, double a, double b, uint32_t value)
{
    // Mirror columns and rows about the centre so the outline is symmetric; each row of the
    // upper half reaches toward the next row's end so the outline has no gaps.
    int64_t mirrorX = static_cast<int64_t>(std::lround(2 * cx));
    int64_t mirrorY = static_cast<int64_t>(std::lround(2 * cy));
    int64_t lastUpper = static_cast<int64_t>(std::floor(cy));
    int64_t top = static_cast<int64_t>(std::lround(cy - b));
    int64_t middle = floorToInt(cx + a + 0.5);
    int64_t firstRow = std::max<int64_t>(top, 0);
    int64_t lastRow = std::min<int64_t>(mirrorY - top, height_ - 1);
    if (firstRow > lastRow)
        return;
    auto upperOf = [&](int64_t y) { return y <= lastUpper ? y : mirrorY - y; };
    // Rows below the centre use the ends of the rows above: find which upper rows the visible
    // rows need (at most about one image height of them) and work out their ends first, in a
    // loop without branches, before any pixel is touched.
    int64_t lowest = INT64_MAX, highest = INT64_MIN;
    auto need = [&](int64_t from, int64_t to) {
        if (from > to)
            return;
        for (int64_t y : {from, to})
        {
            lowest = std::min(lowest, upperOf(y));
            highest = std::max(highest, upperOf(y));
        }
    };
    need(firstRow, std::min(lastRow, lastUpper));
    need(std::max(firstRow, lastUpper + 1), lastRow);
    highest = std::min(highest + 1, lastUpper);
    std::vector<int64_t>& ends = ellipseEnds_;
    ends.resize(static_cast<size_t>(highest - lowest + 1));
    ellipseEnds(cx, cy, a, b, lowest, ends.size(), ends.data());
    // Local copies: the compiler cannot tell pixel stores from stores to the members.
    uint8_t* const bits = bits_;
    const int64_t width = width_;
    const int64_t stride = static_cast<int64_t>(stride_);
    const int64_t rowBase = topDown_ ? 0 : (height_ - 1) * stride;
    const int64_t rowStep = topDown_ ? stride : -stride;
    const uint16_t lowBytes = static_cast<uint16_t>(value);
    const auto highByte = static_cast<uint8_t>(value >> 16);
    for (int64_t y = firstRow; y <= lastRow; ++y)
    {
        int64_t upper = upperOf(y);
        int64_t from = ends[static_cast<size_t>(upper - lowest)];
        int64_t to = upper < lastUpper ? ends[static_cast<size_t>(upper + 1 - lowest)] - 1 : middle;
        to = std::max(from, to);
        if (bitCount_ == 24)
        {
            // The common case, kept free of fillSpan's general checks.
            uint8_t* r = bits + rowBase + y * rowStep;
            // Clipped in integers before any pointer is formed: the ends of a figure around
            // the image lie hundreds of millions of pixels outside the row.
            auto span = [&](int64_t x0, int64_t x1) {
                x0 = std::max<int64_t>(x0, 0);
                x1 = std::min<int64_t>(x1, width - 1);
                if (x0 > x1)
                    return;
                uint8_t* p = r + 3 * x0;
                for (int64_t n = x1 - x0 + 1; n > 0; --n, p += 3)
                {
                    std::memcpy(p, &lowBytes, 2);
                    p[2] = highByte;
                }
            };
            span(from, to);
            span(mirrorX - to, mirrorX - from);
            continue;
        }
        fillSpan(static_cast<int>(y), from, to, value);
        fillSpan(static_cast<int>(y), mirrorX - to, mirrorX - from, value);
    }
}

void RasterContext::strokeEllipseWide(double cx, double cy, double a, double b, double radius,
                                      uint32_t value)
{
    double outerA = a + radius, outerB = b + radius;
    double innerA = a - radius, innerB = b - radius;
    double top = std::max(std::floor(cy - outerB), 0.0);
    double bottom = std::min(std::ceil(cy + outerB), height_ - 1.0);
    constexpr double kEpsilon = 1e-9;
    for (double y = top; y <= bottom; ++y)
    {
        double off = (y - cy) / outerB;
        if (off * off > 1.0 + kEpsilon)
            continue;
        double outer = outerA * std::sqrt(std::max(0.0, 1.0 - off * off));
        int64_t outerLeft = static_cast<int64_t>(std::ceil(cx - outer - kEpsilon));
        int64_t outerRight = static_cast<int64_t>(std::floor(cx + outer + kEpsilon));
        double innerOff = innerB > 0 ? (y - cy) / innerB : 2.0;
        if (innerA <= 0 || innerOff * innerOff >= 1.0)
        {
            fillSpan(static_cast<int>(y), outerLeft, outerRight, value);
            continue;
        }
        // Pixels strictly inside the inner ellipse stay untouched.
        double inner = innerA * std::sqrt(1.0 - innerOff * innerOff);
        int64_t innerLeft = static_cast<int64_t>(std::floor(cx - inner + kEpsilon)) + 1;
        int64_t innerRight = static_cast<int64_t>(std::ceil(cx + inner - kEpsilon)) - 1;
        fillSpan(static_cast<int>(y), outerLeft, std::min(outerRight, innerLeft - 1), value);
        fillSpan(static_cast<int>(y), std::max(outerLeft, innerRight + 1), outerRight, value);
    }
}

void RasterContext::ellipse(int left, int top, int right, int bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (int64_t{right} - left < 1 || int64_t{bottom} - top < 1 || !penDraws())
        return;
    double cx = (static_cast<double>(left) + right - 1) / 2;
    double cy = (static_cast<double>(top) + bottom - 1) / 2;
    double a = (static_cast<double>(right) - left - 1) / 2;
    double b = (static_cast<double>(bottom) - top - 1) / 2;
    uint32_t value = encode(state_.pen.color);
    if (state_.pen.width <= 1)
    {
        if (b == 0)
            fillSpan(top, left, right - 1, value);
        else
            strokeEllipse(cx, cy, a, b, value);
        return;
    }
    double radius = state_.pen.width / 2.0;
    if (state_.pen.style == kPenInsideFrame)
    {
        // The outer edge of the stroke stays on the box.
        double inset = (state_.pen.width - 1) / 2.0;
        a = std::max(0.0, a - inset);
        b = std::max(0.0, b - inset);
        radius = std::min(radius, std::min(a, b) + radius);
    }
    strokeEllipseWide(cx, cy, a, b, radius, value);
}

void RasterContext::polygon(const POINT* points, int count)
{
    strokePath(points, count, true);
}

void RasterContext::polyline(const POINT* points, int count)
{
    strokePath(points, count, false);
}

const Font* RasterContext::currentFont()
{
    if (state_.font)
        return state_.font;
    if (!defaultFont_)
        defaultFont_ = createFont(labelLogFont("", 0));
    return defaultFont_.get();
}

const Font* RasterContext::selectFont(const Font* font)
{
    const Font* previous = state_.font;
    state_.font = font;
    return previous;
}

TextMetrics RasterContext::textMetrics()
{
    return currentFont()->metrics();
}

COLORREF RasterContext::setTextColor(COLORREF color)
{
    COLORREF previous = state_.textColor;
    state_.textColor = color & 0x00FFFFFF;
    return previous;
}

COLORREF RasterContext::setBkColor(COLORREF color)
{
    COLORREF previous = state_.bkColor;
    state_.bkColor = color & 0x00FFFFFF;
    return previous;
}

int RasterContext::setBkMode(int mode)
{
    if (mode != kBackgroundTransparent && mode != kBackgroundOpaque)
        return 0;
    int previous = state_.bkMode;
    state_.bkMode = mode;
    return previous;
}

namespace {
struct BlendTarget
{
    RasterContext* context;
    COLORREF color;
    uint32_t value;
};
} // namespace

int RasterContext::blendBytesPerPixel() const
{
    // Bytes blue, green, red at the start of each pixel: blended in place.
    if (bitCount_ == 24)
        return 3;
    if (bitCount_ == 32 && format_->red.mask == 0x00FF0000 && format_->green.mask == 0x0000FF00 &&
        format_->blue.mask == 0x000000FF)
        return 4;
    return 0;
}

// Coverage for `count` pixels of row y from column x on, all inside the image.
void RasterContext::blendRow(int y, int x, const uint8_t* coverage, int count, COLORREF color,
                             uint32_t value)
{
    uint8_t* r = row(y);
    if (int bytes = blendBytesPerPixel())
    {
        blendCoverageRow(r + static_cast<size_t>(x) * bytes, bytes, coverage, count,
                         GetBValue(color), GetGValue(color), GetRValue(color));
        return;
    }
    bool palette = bitCount_ <= 8;
    int textR = GetRValue(color), textG = GetGValue(color), textB = GetBValue(color);
    for (int i = 0; i < count; ++i)
    {
        int c = coverage[i];
        if (c == 0)
            continue;
        if (palette)
        {
            // Palette images have no in-between colours: half coverage decides.
            if (c >= 128)
                put(r, x + i, value);
            continue;
        }
        if (c == 255)
        {
            put(r, x + i, value);
            continue;
        }
        COLORREF under = format_->colorOf(format_->raw(r, x + i));
        COLORREF mixed =
            RGB(mixCoverage(textR, GetRValue(under), c), mixCoverage(textG, GetGValue(under), c),
                mixCoverage(textB, GetBValue(under), c));
        put(r, x + i, format_->encode(mixed));
    }
}

void RasterContext::blendGlyph(void* opaque, const GlyphCoverage& glyph)
{
    auto* target = static_cast<BlendTarget*>(opaque);
    RasterContext& self = *target->context;
    int x0 = std::max(glyph.left, 0);
    int x1 = std::min<int64_t>(int64_t{glyph.left} + glyph.width, self.width_);
    int y0 = std::max(glyph.top, 0);
    int y1 = std::min<int64_t>(int64_t{glyph.top} + glyph.height, self.height_);
    for (int y = y0; y < y1 && x0 < x1; ++y)
    {
        const uint8_t* coverage =
            glyph.coverage + static_cast<size_t>(y - glyph.top) * glyph.pitch + (x0 - glyph.left);
        self.blendRow(y, x0, coverage, x1 - x0, target->color, target->value);
    }
}

void RasterContext::blendRun(const TextRun& run, int x, int y)
{
    COLORREF color = state_.textColor;
    uint32_t value = encode(color);
    int bytes = blendBytesPerPixel();
    int64_t left = int64_t{x} + run.left;
    int64_t top = int64_t{y} + run.top;
    // On 24- and 32-bit images the rows go to the blender together, which sets up once.
    constexpr size_t kSpans = 32;
    CoverageSpan spans[kSpans];
    size_t held = 0;
    auto flush = [&] {
        blendCoverageSpans(spans, held, bytes, GetBValue(color), GetGValue(color),
                           GetRValue(color));
        held = 0;
    };
    for (int r = 0; r < run.height; ++r)
    {
        int64_t rowY = top + r;
        if (rowY < 0)
            continue;
        if (rowY >= height_)
            break;
        const TextRun::Ink& ink = run.ink[static_cast<size_t>(r)];
        int64_t from = std::max<int64_t>(left + ink.first, 0);
        int64_t to = std::min<int64_t>(left + ink.end, width_);
        if (from >= to)
            continue;
        const uint8_t* coverage =
            run.coverage.data() + static_cast<size_t>(r) * run.width + (from - left);
        if (!bytes)
        {
            blendRow(static_cast<int>(rowY), static_cast<int>(from), coverage,
                     static_cast<int>(to - from), color, value);
            continue;
        }
        uint8_t* pixels = row(static_cast<int>(rowY)) + from * bytes;
        // The rows lie far apart in memory: ask for them while the rest of the text is listed.
        for (int64_t offset = 0; offset < (to - from) * bytes; offset += 64)
            __builtin_prefetch(pixels + offset, 1);
        spans[held++] = CoverageSpan{pixels, coverage, static_cast<int>(to - from)};
        if (held == kSpans)
            flush();
    }
    if (held)
        flush();
}

void RasterContext::textOutW(int x, int y, std::u16string_view text)
{
    const Font* font = currentFont();
    if (!font || text.empty())
        return;
    // Glyphs may reach a little outside their cell and no advance is wider than `reach`:
    // text beyond this cannot show, and labels far off the image cost nothing.
    TextMetrics metrics = font->metrics();
    int64_t reach = 2 * std::max(metrics.maxCharWidth, metrics.height);
    int64_t widest = static_cast<int64_t>(text.size()) * reach;
    if (int64_t{x} + widest + reach <= 0 || int64_t{y} + metrics.height + reach <= 0 ||
        int64_t{x} - reach >= width_ || int64_t{y} - reach >= height_)
        return;
    std::shared_ptr<const TextRun> run = font->layout(text);
    if (state_.bkMode == kBackgroundOpaque)
    {
        SIZE size = run ? run->extent : font->extent(text);
        uint32_t back = encode(state_.bkColor);
        int64_t first = std::max<int64_t>(y, 0);
        int64_t last = std::min<int64_t>(int64_t{y} + size.cy, height_);
        for (int64_t row = first; row < last; ++row)
            fillSpan(static_cast<int>(row), x, int64_t{x} + size.cx - 1, back);
    }
    if (run)
    {
        blendRun(*run, x, y);
        return;
    }
    BlendTarget target{this, state_.textColor, encode(state_.textColor)};
    font->render(text, x, y, &RasterContext::blendGlyph, &target);
}

void RasterContext::textOut(int x, int y, std::string_view gbk)
{
    textOutW(x, y, gbkToUtf16(gbk));
}

SIZE RasterContext::textExtentW(std::u16string_view text)
{
    const Font* font = currentFont();
    return font ? font->extent(text) : SIZE{0, 0};
}

SIZE RasterContext::textExtent(std::string_view gbk)
{
    return textExtentW(gbkToUtf16(gbk));
}

int RasterContext::setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSrc,
                                     int ySrc, const void* bits, const BITMAPINFO* info)
{
    return stretchDIBits(xDest, yDest, width, height, xSrc, ySrc, width, height, bits, info);
}

int RasterContext::stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                                 int ySrc, int srcWidth, int srcHeight, const void* bits,
                                 const BITMAPINFO* info)
{
    Format source;
    if (!bits || !source.parse(info) || destWidth == 0 || destHeight == 0 || srcWidth <= 0 ||
        srcHeight <= 0)
        return 0;
    const auto* sourceBits = static_cast<const uint8_t*>(bits);
    // A negative destination size mirrors, as the platform does.
    bool mirrorX = destWidth < 0;
    bool mirrorY = destHeight < 0;
    int64_t dx0 = mirrorX ? int64_t{xDest} + destWidth + 1 : xDest;
    int64_t dy0 = mirrorY ? int64_t{yDest} + destHeight + 1 : yDest;
    int64_t dw = std::llabs(destWidth);
    int64_t dh = std::llabs(destHeight);

    // Destination pixels (within the image) whose source pixel lies inside the source image.
    auto sourceOf = [](int64_t d, int64_t destSize, int64_t src0, int64_t srcSize, bool mirror) {
        int64_t offset = mirror ? destSize - 1 - d : d;
        return src0 + offset * srcSize / destSize;
    };
    std::vector<int> columns;
    std::vector<int64_t> destColumns;
    for (int64_t d = std::max<int64_t>(0, -dx0); d < dw && dx0 + d < width_; ++d)
    {
        int64_t sx = sourceOf(d, dw, xSrc, srcWidth, mirrorX);
        if (sx < 0 || sx >= source.width)
            continue;
        columns.push_back(static_cast<int>(sx));
        destColumns.push_back(dx0 + d);
    }
    bool identity = !mirrorX && dw == srcWidth && source.samePacking(*format_) && bitCount_ >= 8 &&
                    !columns.empty() &&
                    columns.back() - columns.front() + 1 == static_cast<int>(columns.size());
    int bytesPerPixel = bitCount_ / 8;
    std::vector<uint32_t> paletteMap;
    if (source.bitCount <= 8)
    {
        paletteMap.resize(source.palette.size());
        for (size_t i = 0; i < source.palette.size(); ++i)
            paletteMap[i] = encode(source.colorOf(static_cast<uint32_t>(i)));
    }

    // Nearest-entry searches are slow; a true-colour image onto a palette repeats colours.
    std::vector<std::pair<COLORREF, uint32_t>> nearestCache;
    auto cachedNearest = [&](COLORREF color) {
        if (nearestCache.empty())
            nearestCache.assign(4096, {0xFFFFFFFF, 0});
        auto& slot = nearestCache[(color ^ (color >> 12) ^ (color >> 20)) & 4095];
        if (slot.first != color)
            slot = {color, static_cast<uint32_t>(format_->nearest(color))};
        return slot.second;
    };

    int lines = 0;
    int64_t lastSourceRow = -1;
    for (int64_t d = std::max<int64_t>(0, -dy0); d < dh && dy0 + d < height_; ++d)
    {
        int64_t sy = sourceOf(d, dh, ySrc, srcHeight, mirrorY);
        if (sy < 0 || sy >= source.height)
            continue;
        if (sy != lastSourceRow)
            ++lines;
        lastSourceRow = sy;
        const uint8_t* from = source.rowOf(sourceBits, static_cast<int>(sy));
        uint8_t* to = row(static_cast<int>(dy0 + d));
        if (identity)
        {
            std::memcpy(to + destColumns.front() * bytesPerPixel,
                        from + static_cast<size_t>(columns.front()) * bytesPerPixel,
                        columns.size() * bytesPerPixel);
            continue;
        }
        for (size_t i = 0; i < columns.size(); ++i)
        {
            uint32_t raw = source.raw(from, columns[i]);
            uint32_t value;
            if (!paletteMap.empty())
                value = raw < paletteMap.size() ? paletteMap[raw] : encode(0);
            else if (bitCount_ == 24 && source.bitCount == 24)
                value = raw;
            else if (bitCount_ <= 8)
                value = cachedNearest(source.colorOf(raw));
            else
                value = format_->encode(source.colorOf(raw));
            put(to, static_cast<int>(destColumns[i]), value);
        }
    }
    return lines;
}

} // namespace kwz
