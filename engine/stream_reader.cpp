#include "engine/stream_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/stream_writer.h"
#include "platform/byte_order.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace gaugit {
namespace {

// Little-endian fields taken one by one from a record's bytes.
class Fields
{
  public:
    explicit Fields(const uint8_t* bytes) : p_(bytes) {}
    uint32_t u32()
    {
        const uint32_t v = kwz::readU32le(p_);
        p_ += 4;
        return v;
    }
    int32_t i32() { return int32_t(u32()); }
    uint16_t u16()
    {
        const uint16_t v = kwz::readU16le(p_);
        p_ += 2;
        return v;
    }
    float f32()
    {
        const float v = kwz::readF32le(p_);
        p_ += 4;
        return v;
    }
    POINT point()
    {
        const int32_t x = i32();
        return POINT{x, i32()};
    }
    void skip(size_t n) { p_ += n; }
    // A zero-filled text field; the copy always ends in a NUL.
    void text(char* out, size_t size)
    {
        std::memcpy(out, p_, size);
        out[size - 1] = '\0';
        p_ += size;
    }

  private:
    const uint8_t* p_;
};

// The tail every graphic record shares: label position, pen, colours, hidden flag.
struct Tail
{
    POINT label;
    PenSpec pen;
    int labelHidden;
};

Tail readTail(Fields& f)
{
    Tail t;
    t.label = f.point();
    t.pen.style = f.i32();
    t.pen.width = f.i32();
    t.pen.normal = f.u32();
    t.pen.hovered = f.u32();
    t.pen.selected = f.u32();
    t.labelHidden = f.i32();
    return t;
}

// Pen, hidden flag and the label at its stored place with the pen's colours.
void applyTail(Graphic& g, const Tail& t, int rows, int columns)
{
    g.setPen(t.pen);
    g.setLabelHidden(t.labelHidden);
    g.recompute();
    g.createLabel(t.label, rows, columns);
}

} // namespace

bool StreamReader::take(void* buffer, uint32_t size)
{
    if (ended_)
        return false;
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t total = 0;
    while (total < size)
    {
        uint32_t done = 0;
        if (!kwz::readFile(file_, out + total, size - total, &done) || done == 0)
            break;
        total += done;
    }
    taken_ += total;
    if (total < size)
    {
        ended_ = true;
        // What did not arrive reads as zero rather than as stale memory.
        std::memset(out + total, 0, size - total);
        return false;
    }
    return true;
}

void StreamReader::skip(uint64_t size)
{
    uint8_t scratch[4096];
    while (size > 0 && !ended_)
    {
        const uint32_t n = uint32_t(std::min<uint64_t>(size, sizeof scratch));
        take(scratch, n);
        size -= n;
    }
}

bool StreamReader::countsFit(const int32_t (&counts)[7]) const
{
    // Only a regular file tells its size; other sources are read until their data ends.
    const int64_t size = kwz::fileSize(file_);
    if (size <= 0)
        return true;
    // In count-block order: lines, circles, rectangles, ellipses, texts, angles, polygons.
    // Polygons are counted without their vertices, the least they can take.
    static constexpr uint32_t kLeast[7] = {kLineRecordSize,   kCircleRecordSize, kLineRecordSize,
                                           kLineRecordSize,   kTextRecordSize,   kCircleRecordSize,
                                           kPolygonRecordSize};
    uint64_t needed = kRulerRecordSize;
    for (int i = 0; i < 7; ++i)
        needed += counts[i] > 0 ? uint64_t(counts[i]) * kLeast[i] : 0;
    // The stream may start anywhere in the file: what was read is the least that is gone.
    const uint64_t left = uint64_t(size) > taken_ ? uint64_t(size) - taken_ : 0;
    return needed <= left;
}

bool StreamReader::readRuler(RulerGraphic& ruler)
{
    uint8_t bytes[kRulerRecordSize];
    if (!take(bytes, sizeof bytes))
        return false;
    Fields f(bytes);
    if (f.i32() != kTypeRuler)
        return false;
    const POINT start = f.point();
    const POINT end = f.point();
    const int unit = f.i32();
    const float length = f.f32();
    const Tail t = readTail(f);
    ruler.setPoints(start, end);
    ruler.setRulerUnitAndLength(unit, length);
    ruler.setPointCount(2);
    applyTail(ruler, t, 2, 10);
    // The ruler's label keeps the label colours, not the pen's.
    ruler.label()->setColors(kLabelNormalColor, kLabelHoveredColor, kLabelSelectedColor);
    return true;
}

bool StreamReader::readLine(LineGraphic& line)
{
    uint8_t bytes[kLineRecordSize];
    if (!take(bytes, sizeof bytes))
        return false;
    Fields f(bytes);
    if (f.i32() != kTypeLine)
        return false;
    const POINT start = f.point();
    const POINT end = f.point();
    line.setPoints(start, end);
    line.setPointCount(2);
    applyTail(line, readTail(f), 5, 5);
    return true;
}

bool StreamReader::readRect(RectGraphic& rect)
{
    uint8_t bytes[kLineRecordSize];
    if (!take(bytes, sizeof bytes))
        return false;
    Fields f(bytes);
    if (f.i32() != kTypeRect)
        return false;
    const POINT first = f.point();
    const POINT second = f.point();
    rect.setCorners(first, second);
    rect.setPointCount(2);
    applyTail(rect, readTail(f), 5, 5);
    return true;
}

bool StreamReader::readEllipse(EllipseGraphic& ellipse)
{
    uint8_t bytes[kLineRecordSize];
    if (!take(bytes, sizeof bytes))
        return false;
    Fields f(bytes);
    const int tag = f.i32();
    if (tag != kTypeEllipseBox && tag != kTypeEllipseCentre)
        return false;
    ellipse.setVariant(tag);
    ellipse.setPoint(0, f.point());
    ellipse.setPoint(1, f.point());
    ellipse.setPointCount(2);
    applyTail(ellipse, readTail(f), 5, 5);
    return true;
}

bool StreamReader::readCircle(CircleGraphic& circle)
{
    uint8_t bytes[kCircleRecordSize];
    if (!take(bytes, sizeof bytes))
        return false;
    Fields f(bytes);
    const int tag = f.i32();
    if (tag < kTypeCircleDiameter || tag > kTypeCircleThreePoints)
        return false;
    circle.setVariant(tag);
    for (int i = 0; i < 3; ++i)
        circle.setPoint(i, f.point());
    circle.setPointCount(circle.pointsNeeded());
    applyTail(circle, readTail(f), 5, 5);
    return true;
}

bool StreamReader::readAngle(AngleGraphic& angle)
{
    uint8_t bytes[kCircleRecordSize];
    if (!take(bytes, sizeof bytes))
        return false;
    Fields f(bytes);
    if (f.i32() != kTypeAngle)
        return false;
    for (int i = 0; i < 3; ++i)
        angle.setPoint(i, f.point());
    angle.setPointCount(3);
    applyTail(angle, readTail(f), 5, 5);
    return true;
}

bool StreamReader::readPolygon(PolygonGraphic& polygon)
{
    uint8_t bytes[kPolygonRecordSize];
    if (!take(bytes, sizeof bytes))
        return false;
    Fields f(bytes);
    if (f.i32() != kTypePolygon)
        return false;
    const int32_t count = f.i32();
    // A count the writer never produces marks the record as damaged: its vertices are passed
    // over so the next record is read from where it starts, and the polygon keeps the class
    // defaults, as with a wrong tag.
    if (count < 0 || count > kMaxPolygonVertices)
    {
        if (count > 0)
            skip(uint64_t(count) * 8);
        return false;
    }
    const Tail t = readTail(f);
    uint8_t vertexBytes[kMaxPolygonVertices * 8];
    const bool whole = take(vertexBytes, uint32_t(count) * 8);
    Fields v(vertexBytes);
    for (int i = 0; i < count; ++i)
        polygon.setVertex(i, v.point());
    polygon.setVertexCount(count);
    // Vertices that fell short leave the polygon unfinished, with the count read.
    polygon.setFinished(whole ? 1 : 0);
    applyTail(polygon, t, 5, 5);
    return whole;
}

bool StreamReader::readText(TextGraphic& text)
{
    uint8_t bytes[kTextRecordSize];
    if (!take(bytes, sizeof bytes))
        return false;
    Fields f(bytes);
    if (f.i32() != kTypeText)
        return false;
    const POINT position = f.point();
    char face[kFaceSize];
    f.text(face, sizeof face);
    char content[kTextSize];
    f.text(content, sizeof content);
    const int height = f.i32();
    const COLORREF normal = f.u32();
    const COLORREF hovered = f.u32();
    const COLORREF selected = f.u32();
    text.setPosition(position);
    text.setText(content);
    text.setTextColors(normal, hovered, selected);
    text.setFont(face, height);
    text.setFinished(1);
    return true;
}

StreamReader::Outcome StreamReader::read(GaugitEngine& e)
{
    uint8_t head[kStreamHeaderSize];
    if (!take(head, sizeof head))
        return Outcome::ShortHeader;
    Fields h(head);
    h.skip(8); // magic and a reserved word: not examined
    const uint16_t mainVersion = h.u16();
    const uint16_t minorVersion = h.u16();
    if (mainVersion != kStreamMainVersion || minorVersion != kStreamMinorVersion)
    {
        char text[64];
        std::snprintf(text, sizeof text, "MainVersion %x, MinVersion %x",
                      unsigned(kStreamMainVersion), unsigned(kStreamMinorVersion));
        kwz::messageBox(nullptr, text, "Version Error!", kwz::MB_OK);
        return Outcome::WrongVersion;
    }
    h.skip(4);
    const int measureUnit = h.i32();
    PenSpec pen;
    pen.style = h.i32();
    pen.width = h.i32();
    pen.normal = h.u32();
    pen.selected = h.u32();
    pen.hovered = h.u32();
    h.skip(80);
    const int angleUnit = h.i32();
    const int16_t precision = int16_t(h.u32() & 0xFFFF);
    const int hideDescriptor = h.i32();
    MarkWords marks;
    marks.line = h.u32();
    marks.rect = h.u32();
    marks.circle = h.u32();
    marks.ellipse = h.u32();
    marks.angle = h.u32();
    marks.polygon = h.u32();
    e.setDefaults(measureUnit, pen, angleUnit, precision, hideDescriptor, marks);

    uint8_t countBytes[kStreamCountsSize];
    if (!take(countBytes, sizeof countBytes))
        return Outcome::ShortCounts;
    Fields c(countBytes);
    int32_t counts[7];
    for (int32_t& count : counts)
        count = c.i32();
    const auto [lines, circles, rects, ellipses, texts, angles, polygons] = counts;
    // A graphic takes several times the bytes of its record: counts the file cannot hold
    // (one damaged word says two billion lines) would build up to the data's end, out of all
    // proportion to the file, only for the file to be refused after.
    if (!countsFit(counts))
        return Outcome::CountsBeyondData;

    auto ruler = std::make_unique<RulerGraphic>();
    damaged_ = !readRuler(*ruler) || damaged_;
    ruler->setPrecision(e.precision());
    e.replaceRuler(std::move(ruler));

    // Graphics are created and appended while data arrives; once it has ended no further
    // record can be whole, so counts beyond the data create nothing.
    const auto prepare = [&](Graphic& g, uint32_t mark) {
        g.setMark(mark);
        g.setMeasureUnit(e.measureUnit());
        g.setScale(e.unitsPerPixel());
    };
    for (int32_t i = 0; i < lines && !ended_; ++i)
    {
        auto g = std::make_unique<LineGraphic>();
        prepare(*g, e.marks().line);
        damaged_ = !readLine(*g) || damaged_;
        g->setPrecision(e.precision());
        e.append(std::move(g));
    }
    for (int32_t i = 0; i < circles && !ended_; ++i)
    {
        auto g = std::make_unique<CircleGraphic>(kTypeCircleDiameter);
        prepare(*g, e.marks().circle);
        damaged_ = !readCircle(*g) || damaged_;
        g->setPrecision(e.precision());
        e.append(std::move(g));
    }
    for (int32_t i = 0; i < rects && !ended_; ++i)
    {
        auto g = std::make_unique<RectGraphic>();
        prepare(*g, e.marks().rect);
        damaged_ = !readRect(*g) || damaged_;
        g->setPrecision(e.precision());
        e.append(std::move(g));
    }
    for (int32_t i = 0; i < ellipses && !ended_; ++i)
    {
        auto g = std::make_unique<EllipseGraphic>(kTypeEllipseBox);
        prepare(*g, e.marks().ellipse);
        damaged_ = !readEllipse(*g) || damaged_;
        g->setPrecision(e.precision());
        e.append(std::move(g));
    }
    for (int32_t i = 0; i < angles && !ended_; ++i)
    {
        auto g = std::make_unique<AngleGraphic>();
        g->setMark(e.marks().angle);
        damaged_ = !readAngle(*g) || damaged_;
        g->setAngleUnit(e.angleUnit());
        g->setPrecision(e.precision());
        g->recompute();
        e.append(std::move(g));
    }
    for (int32_t i = 0; i < polygons && !ended_; ++i)
    {
        auto g = std::make_unique<PolygonGraphic>();
        prepare(*g, e.marks().polygon);
        damaged_ = !readPolygon(*g) || damaged_;
        g->setPrecision(e.precision());
        e.append(std::move(g));
    }
    for (int32_t i = 0; i < texts && !ended_; ++i)
    {
        auto g = std::make_unique<TextGraphic>();
        damaged_ = !readText(*g) || damaged_;
        e.append(std::move(g));
    }
    return damaged_ ? Outcome::DamagedRecord : Outcome::Whole;
}

} // namespace gaugit
