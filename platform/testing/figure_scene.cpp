#include "platform/testing/figure_scene.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <string>

namespace kwz::testing {

uint32_t ByteSource::next()
{
    if (data_ == nullptr)
    {
        // xorshift64*: quick, and the same sequence for a seed on every machine.
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Du) >> 32);
    }
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i, ++at_)
        v |= uint32_t(at_ < size_ ? data_[at_] : 0) << (8 * i);
    return v;
}

namespace {

class Writer
{
  public:
    Writer& u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    Writer& i32(int32_t v) { return u32(uint32_t(v)); }
    Writer& point(int32_t x, int32_t y) { return i32(x).i32(y); }
    Writer& zeros(size_t n)
    {
        bytes.insert(bytes.end(), n, 0);
        return *this;
    }
    Writer& text(const std::string& s, size_t field)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return zeros(field - s.size());
    }

    std::vector<uint8_t> bytes;
};

int32_t clampInt(double v)
{
    return static_cast<int32_t>(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

struct Point
{
    int32_t x, y;
};

// Where a figure's points lie, relative to an image of w x h.
class Placement
{
  public:
    Placement(ByteSource& source, int w, int h) : source_(source), w_(w), h_(h)
    {
        mode_ = source.below(4);
        centre_ = {int32_t(source.below(uint32_t(w) + 21)) - 10,
                   int32_t(source.below(uint32_t(h) + 21)) - 10};
        // 1 to 2^31, evenly over the powers of two.
        radius_ = std::ldexp(1.0 + source.below(1000) / 1000.0, int(source.below(31)));
    }

    Point next()
    {
        switch (mode_)
        {
        case 0: // anywhere in the int range, the extremes among them
            switch (source_.below(8))
            {
            case 0:
                return {INT32_MIN, INT32_MAX};
            case 1:
                return {INT32_MAX, int32_t(source_.next())};
            default:
                return {int32_t(source_.next()), int32_t(source_.next())};
            }
        case 1: // around a centre near the image, as far out as the radius
        case 2: {
            double angle = source_.below(3600) * (M_PI / 1800);
            double scale = mode_ == 1 ? 1.0 : 0.2 + source_.below(1000) / 1000.0;
            return {clampInt(centre_.x + std::cos(angle) * radius_ * scale),
                    clampInt(centre_.y + std::sin(angle) * radius_ * scale)};
        }
        default: // on and beside the image
            return {int32_t(source_.below(uint32_t(3 * w_) + 40)) - w_ - 20,
                    int32_t(source_.below(uint32_t(3 * h_) + 40)) - h_ - 20};
        }
    }
    Point centre() const { return centre_; }
    // The centre itself is where circles by centre and ellipses by centre start.
    bool aroundCentre() const { return mode_ == 1 || mode_ == 2; }

  private:
    ByteSource& source_;
    int w_, h_;
    uint32_t mode_;
    Point centre_;
    double radius_;
};

// Style and width of a figure's pen, its label's place and the three colours.
void tail(Writer& out, ByteSource& source, Placement& place)
{
    static constexpr int32_t kWidths[] = {1, 1, 1, 2, 3, 5, 9, 16};
    Point label = source.below(3) ? place.next() : Point{int32_t(source.below(64)), 10};
    out.point(label.x, label.y).i32(int32_t(source.below(7))).i32(kWidths[source.below(8)]);
    out.u32(0x0000FF).u32(0x00FF00).u32(0xFF0000).i32(0);
}

// The record kinds in the stream's order, with their tags.
enum Kind
{
    kLine,
    kCircle,
    kRect,
    kEllipse,
    kAngle,
    kPolygon,
    kText,
    kKinds
};

void record(Writer& out, ByteSource& source, Kind kind, int w, int h)
{
    Placement place(source, w, h);
    auto first = [&] { return place.aroundCentre() ? place.centre() : place.next(); };
    switch (kind)
    {
    case kLine:
    case kRect: {
        Point a = place.next(), b = place.next();
        out.i32(kind == kLine ? 2 : 3).point(a.x, a.y).point(b.x, b.y);
        tail(out, source, place);
        break;
    }
    case kEllipse: {
        bool byCentre = source.below(2);
        Point a = byCentre ? first() : place.next(), b = place.next();
        out.i32(byCentre ? 8 : 7).point(a.x, a.y).point(b.x, b.y);
        tail(out, source, place);
        break;
    }
    case kCircle:
    case kAngle: {
        int32_t tag = kind == kAngle ? 9 : int32_t(4 + source.below(3));
        Point p[3] = {tag == 5 ? first() : place.next(), place.next(), place.next()};
        out.i32(tag);
        for (const Point& q : p)
            out.point(q.x, q.y);
        tail(out, source, place);
        break;
    }
    case kPolygon: {
        int32_t n = int32_t(3 + source.below(6));
        std::vector<Point> v;
        for (int32_t i = 0; i < n; ++i)
            v.push_back(place.next());
        out.i32(10).i32(n);
        tail(out, source, place);
        for (const Point& q : v)
            out.point(q.x, q.y);
        break;
    }
    default: {
        static const char* const kFaces[] = {"", "Arial", "Times New Roman", "SimSun"};
        static const char* const kTexts[] = {"W", "Length 12.5", "\xD6\xB1\xCF\xDF", ""};
        Point at = place.next();
        out.i32(11).point(at.x, at.y).text(kFaces[source.below(4)], 64);
        out.text(kTexts[source.below(4)], 128);
        out.i32(int32_t(6 + source.below(40))).u32(0xFF).u32(0xFF00).u32(0xFF0000);
        break;
    }
    }
}

} // namespace

FigureScene makeFigureScene(ByteSource& source, int maxWidth, int maxHeight)
{
    FigureScene scene;
    // Mostly small images, some as large as the limits.
    uint32_t size = source.below(100);
    int wide = size < 85 ? std::min(maxWidth, 64) : size < 98 ? std::min(maxWidth, 640) : maxWidth;
    int high = size < 85   ? std::min(maxHeight, 64)
               : size < 98 ? std::min(maxHeight, 480)
                           : maxHeight;
    scene.width = 1 + int(source.below(uint32_t(std::max(wide, 1))));
    scene.height = 1 + int(source.below(uint32_t(std::max(high, 1))));
    static constexpr int kBitCounts[] = {1, 4, 8, 16, 24, 32};
    scene.bitCount = kBitCounts[source.below(6)];

    std::array<int32_t, kKinds> counts{};
    std::array<std::vector<uint8_t>, kKinds> records;
    scene.figures = 1 + int(source.below(8));
    for (int i = 0; i < scene.figures; ++i)
    {
        Kind kind = Kind(source.below(kKinds));
        Writer out;
        record(out, source, kind, scene.width, scene.height);
        records[kind].insert(records[kind].end(), out.bytes.begin(), out.bytes.end());
        ++counts[kind];
    }

    // Header: labels shown in Chinese with precision 2 and every mark bit, then the counts,
    // the ruler (100 pixels are 1 mm) and the records.
    Writer out;
    out.u32(0x5247515A).u32(0).u32(5u << 16).u32(0);
    out.i32(1).i32(0).i32(1).u32(0x0000FF).u32(0x00FF00).u32(0xFF0000).zeros(80);
    out.i32(0).u32(2).i32(0);
    for (int i = 0; i < 6; ++i)
        out.u32(0x7F);
    // The count block lists texts before angles and polygons; their records come last.
    for (Kind kind : {kLine, kCircle, kRect, kEllipse, kText, kAngle, kPolygon})
        out.i32(counts[kind]);
    out.i32(1).point(0, 0).point(100, 0).i32(1).u32(0x3F800000);
    out.point(0, 0).i32(0).i32(1).u32(0xFF).u32(0xFF00).u32(0xFF0000).i32(0);
    for (const auto& r : records)
        out.bytes.insert(out.bytes.end(), r.begin(), r.end());
    scene.stream = std::move(out.bytes);
    return scene;
}

std::vector<uint8_t> FigureScene::meaFile(int w, int h) const
{
    Writer out;
    out.bytes = stream;
    const uint32_t stride = (uint32_t(bitCount) * uint32_t(w) + 31) / 32 * 4;
    const uint32_t size = stride * uint32_t(h);
    const uint32_t colours = bitCount <= 8 ? 1u << bitCount : 0;
    const uint32_t offset = 54 + 4 * colours;
    out.bytes.push_back('B');
    out.bytes.push_back('M');
    out.u32(offset + size).u32(0).u32(offset);
    out.u32(40).i32(w).i32(h).u32(1 | (uint32_t(bitCount) << 16)).u32(0).u32(size).zeros(16);
    for (uint32_t i = 0; i < colours; ++i)
    {
        uint32_t grey = colours > 1 ? i * 255 / (colours - 1) : 0;
        out.u32(grey | grey << 8 | grey << 16);
    }
    // One row pattern for every row: a few grey levels across, the padding zero.
    std::vector<uint8_t> row(stride, 0);
    const uint32_t used = (uint32_t(bitCount) * uint32_t(w) + 7) / 8;
    for (uint32_t i = 0; i < used; ++i)
        row[i] = uint8_t(0x40 + (i / 3 % 4) * 0x11);
    for (int y = 0; y < h; ++y)
        out.bytes.insert(out.bytes.end(), row.begin(), row.end());
    return out.bytes;
}

} // namespace kwz::testing
