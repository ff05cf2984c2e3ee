#include "engine/graphic_draw.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "engine/gaugit_engine.h"

namespace gaugit {

namespace {

// Labels are formatted into buffers of 128 wide characters: longer lines are cut.
constexpr size_t kLineRoom = 127;
// Keeps a stray precision (negative, or thousands) from making a malformed or giant format.
constexpr int kMaxPrecision = 99;

} // namespace

// A descriptor line, built straight into the wide characters it is drawn with: labels are
// formatted on every repaint, and this needs no allocation. Past kLineRoom characters the
// rest is cut.
class DescriptorLine
{
  public:
    // The engine's own UTF-8 words and the texts it was given; a broken sequence ends the
    // text.
    DescriptorLine& operator<<(std::string_view utf8)
    {
        for (size_t i = 0; i < utf8.size();)
        {
            auto byte = static_cast<unsigned char>(utf8[i]);
            char32_t code = byte;
            size_t length = 1;
            if (byte >= 0xF0)
            {
                code = byte & 0x07;
                length = 4;
            }
            else if (byte >= 0xE0)
            {
                code = byte & 0x0F;
                length = 3;
            }
            else if (byte >= 0xC0)
            {
                code = byte & 0x1F;
                length = 2;
            }
            if (i + length > utf8.size())
                break;
            for (size_t k = 1; k < length; ++k)
                code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            i += length;
            if (code >= 0x10000)
            {
                code -= 0x10000;
                add(static_cast<char16_t>(0xD800 + (code >> 10)));
                add(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
            }
            else
            {
                add(static_cast<char16_t>(code));
            }
        }
        return *this;
    }

    DescriptorLine& operator<<(int number)
    {
        char buffer[16];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
        return *this << std::string_view(buffer, static_cast<size_t>(result.ptr - buffer));
    }

    // "%.*f" of printf, without its cost. Both give the exactly rounded decimal, and the same
    // "nan"/"inf" words.
    DescriptorLine& fixed(double value, int precision)
    {
        char buffer[400]; // FLT_MAX has 39 digits; the precision is at most 99
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                    precision);
        if (result.ec == std::errc())
            *this << std::string_view(buffer, static_cast<size_t>(result.ptr - buffer));
        return *this;
    }

    std::u16string_view text() const { return {text_, size_}; }

  private:
    void add(char16_t character)
    {
        if (size_ < kLineRoom)
            text_[size_++] = character;
    }

    char16_t text_[kLineRoom];
    size_t size_ = 0;
};

kwz::Pen penFor(const Graphic& graphic, int state)
{
    switch (state)
    {
    case kStateSelected:
        return kwz::Pen{graphic.penStyle(), graphic.selectedWidth(), graphic.selectedColor()};
    case kStateHovered:
        return kwz::Pen{graphic.penStyle(), graphic.hoveredWidth(), graphic.hoveredColor()};
    default:
        return kwz::Pen{graphic.penStyle(), graphic.normalWidth(), graphic.normalColor()};
    }
}

COLORREF labelColorFor(const DescLabel& label, int state)
{
    switch (state)
    {
    case kStateSelected:
        return label.selectedColor();
    case kStateHovered:
        return label.hoveredColor();
    default:
        return label.normalColor();
    }
}

FigurePen::FigurePen(kwz::DrawContext& dc, const kwz::Pen& pen) : dc_(dc)
{
    previous_ = dc_.selectPen(pen);
    dc_.selectHollowBrush();
}

FigurePen::~FigurePen()
{
    dc_.selectPen(previous_);
}

void drawHandle(kwz::DrawContext& dc, POINT p)
{
    // Far-off points saturate instead of overflowing.
    auto moved = [](LONG v, int by) {
        return static_cast<int>(
            std::clamp<long long>(static_cast<long long>(v) + by, INT32_MIN, INT32_MAX));
    };
    dc.rectangle(moved(p.x, -4), moved(p.y, -4), moved(p.x, 4), moved(p.y, 4));
}

void drawSegment(kwz::DrawContext& dc, POINT from, POINT to)
{
    dc.moveTo(from.x, from.y);
    dc.lineTo(to.x, to.y);
}

void drawLabel(kwz::DrawContext& dc, const Graphic& graphic, int state)
{
    const DescLabel* label = graphic.label();
    if (!label || graphic.labelHidden())
        return;
    const kwz::Font* previous = dc.selectFont(label->font());
    dc.setTextColor(labelColorFor(*label, state));
    dc.setBkMode(kwz::kBackgroundTransparent);
    POINT at = label->position();
    graphic.drawDescriptor(dc, at.x, at.y);
    dc.selectFont(previous);
}

DescriptorLines::DescriptorLines(kwz::DrawContext& dc, int x, int y, int lineHeight, int precision,
                                 DescriptorCache* cache)
    : dc_(dc), cache_(cache), x_(x), y_(y), lineHeight_(lineHeight),
      precision_(std::clamp(precision, 0, kMaxPrecision)), language_(measureLanguage())
{
}

namespace {

enum LineKind : int
{
    kLineName,
    kLinePoint,
    kLineValue,
    kLineArea,
    kLineCount,
    kLineAngle,
};

uint64_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

const char* DescriptorLines::pick(const Word& word) const
{
    return language_ == 0 ? word.chinese : word.english;
}

void DescriptorLines::emit(std::u16string_view text)
{
    dc_.textOutW(x_, y_, text);
    y_ = static_cast<int>(
        std::clamp<long long>(static_cast<long long>(y_) + lineHeight_, INT32_MIN, INT32_MAX));
}

bool DescriptorLines::emitCached(const DescriptorCache::Key& key)
{
    if (cache_ == nullptr || index_ >= cache_->lines.size() || !(cache_->lines[index_].key == key))
        return false;
    emit(cache_->lines[index_++].text);
    return true;
}

void DescriptorLines::emitNew(const DescriptorCache::Key& key, const DescriptorLine& line)
{
    if (cache_ != nullptr)
    {
        if (cache_->lines.size() <= index_)
            cache_->lines.resize(index_ + 1);
        DescriptorCache::Line& kept = cache_->lines[index_++];
        kept.key = key;
        kept.text.assign(line.text());
    }
    emit(line.text());
}

void DescriptorLines::name(const Word& word, int number)
{
    if (!active())
        return;
    const DescriptorCache::Key key{kLineName, pick(word), uint64_t(uint32_t(number)), 0, 0, 0};
    if (!emitCached(key))
        emitNew(key, DescriptorLine() << pick(word) << " " << number);
}

void DescriptorLines::point(const Word& word, PointF point, bool blankBeforeParenthesis)
{
    if (!active())
        return;
    const DescriptorCache::Key key{
        kLinePoint, pick(word), bitsOf(point.x), bitsOf(point.y), blankBeforeParenthesis,
        precision_};
    if (emitCached(key))
        return;
    DescriptorLine line;
    line << pick(word) << ": ( X:";
    line.fixed(static_cast<double>(point.x), precision_) << " Y:";
    line.fixed(static_cast<double>(point.y), precision_) << (blankBeforeParenthesis ? " )" : ")");
    emitNew(key, line);
}

void DescriptorLines::value(const Word& word, float value, int unit)
{
    if (!active())
        return;
    const DescriptorCache::Key key{kLineValue, pick(word), bitsOf(value), 0, unit, precision_};
    if (emitCached(key))
        return;
    DescriptorLine line;
    line << pick(word) << ": ";
    line.fixed(static_cast<double>(value), precision_) << unitText(unit);
    emitNew(key, line);
}

void DescriptorLines::area(const Word& word, float value, int unit)
{
    if (!active())
        return;
    const DescriptorCache::Key key{kLineArea, pick(word), bitsOf(value), 0, unit, precision_};
    if (emitCached(key))
        return;
    DescriptorLine line;
    line << pick(word) << ": ";
    line.fixed(static_cast<double>(value), precision_) << unitText(unit) << "²";
    emitNew(key, line);
}

void DescriptorLines::count(const Word& word, int count)
{
    if (!active())
        return;
    const DescriptorCache::Key key{kLineCount, pick(word), uint64_t(uint32_t(count)), 0, 0, 0};
    if (!emitCached(key))
        emitNew(key, DescriptorLine() << pick(word) << ": " << count);
}

void DescriptorLines::angle(const Word& word, float value, int angleUnit)
{
    if (!active())
        return;
    const DescriptorCache::Key key{kLineAngle, pick(word), bitsOf(value), 0, angleUnit, precision_};
    if (emitCached(key))
        return;
    DescriptorLine line;
    line << pick(word) << ": ";
    line.fixed(static_cast<double>(value), precision_) << (angleUnit == 0 ? "º" : "Radian");
    emitNew(key, line);
}

void DescriptorLines::word(const Word& word)
{
    if (active())
        emit((DescriptorLine() << pick(word)).text());
}

void DescriptorLines::wordAndText(const Word& word, const char* text)
{
    if (active())
        emit((DescriptorLine() << pick(word) << ": " << text).text());
}

} // namespace gaugit
