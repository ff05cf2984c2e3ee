#include "engine/graphic_draw.h"

#include "engine/gaugit_engine.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace gaugit {

namespace {

// Labels are formatted into buffers of 128 wide characters: longer lines are cut.
constexpr size_t kLineRoom = 127;
// Keeps a stray precision (negative, or thousands) from making a malformed or giant format.
constexpr int kMaxPrecision = 99;

// "%.*f" of printf, without its cost: labels are formatted on every repaint. Both give the
// exactly rounded decimal, and the same "nan"/"inf" words.
void appendFixed(std::string& out, double value, int precision)
{
    char buffer[400]; // FLT_MAX has 39 digits; the precision is at most 99
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                precision);
    if (result.ec == std::errc())
        out.append(buffer, result.ptr);
}

// The lines are built from the engine's own UTF-8 words and numbers, so they are valid;
// decoding them here spares a converter per line on every repaint.
std::u16string toUtf16(const std::string& utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
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
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        }
        else
        {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

} // namespace

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

DescriptorLines::DescriptorLines(kwz::DrawContext& dc, int x, int y, int lineHeight, int precision)
    : dc_(dc), x_(x), y_(y), lineHeight_(lineHeight),
      precision_(std::clamp(precision, 0, kMaxPrecision)), language_(measureLanguage())
{
}

const char* DescriptorLines::pick(const Word& word) const
{
    return language_ == 0 ? word.chinese : word.english;
}

void DescriptorLines::emit(const std::string& utf8)
{
    std::u16string line = toUtf16(utf8);
    if (line.size() > kLineRoom)
        line.resize(kLineRoom);
    dc_.textOutW(x_, y_, line);
    y_ = static_cast<int>(
        std::clamp<long long>(static_cast<long long>(y_) + lineHeight_, INT32_MIN, INT32_MAX));
}

void DescriptorLines::name(const Word& word, int number)
{
    if (active())
        emit(std::string(pick(word)) + ' ' + std::to_string(number));
}

void DescriptorLines::point(const Word& word, PointF point, bool blankBeforeParenthesis)
{
    if (!active())
        return;
    std::string line = pick(word);
    line += ": ( X:";
    appendFixed(line, static_cast<double>(point.x), precision_);
    line += " Y:";
    appendFixed(line, static_cast<double>(point.y), precision_);
    line += blankBeforeParenthesis ? " )" : ")";
    emit(line);
}

void DescriptorLines::value(const Word& word, float value, int unit)
{
    if (!active())
        return;
    std::string line = pick(word);
    line += ": ";
    appendFixed(line, static_cast<double>(value), precision_);
    line += unitText(unit);
    emit(line);
}

void DescriptorLines::area(const Word& word, float value, int unit)
{
    if (!active())
        return;
    std::string line = pick(word);
    line += ": ";
    appendFixed(line, static_cast<double>(value), precision_);
    line += unitText(unit);
    line += "²";
    emit(line);
}

void DescriptorLines::count(const Word& word, int count)
{
    if (active())
        emit(std::string(pick(word)) + ": " + std::to_string(count));
}

void DescriptorLines::angle(const Word& word, float value, int angleUnit)
{
    if (!active())
        return;
    std::string line = pick(word);
    line += ": ";
    appendFixed(line, static_cast<double>(value), precision_);
    line += angleUnit == 0 ? "º" : "Radian";
    emit(line);
}

void DescriptorLines::word(const Word& word)
{
    if (active())
        emit(pick(word));
}

void DescriptorLines::wordAndText(const Word& word, const char* text)
{
    if (active())
        emit(std::string(pick(word)) + ": " + text);
}

} // namespace gaugit
