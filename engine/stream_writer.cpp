#include "engine/stream_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/files.h"

namespace gaugit {
namespace {

// Little-endian fields appended one by one.
class Record
{
  public:
    Record& i32(int32_t v)
    {
        kwz::appendI32le(bytes_, v);
        return *this;
    }
    Record& u32(uint32_t v)
    {
        kwz::appendU32le(bytes_, v);
        return *this;
    }
    Record& u16(uint16_t v)
    {
        kwz::appendU16le(bytes_, v);
        return *this;
    }
    Record& f32(float v)
    {
        kwz::appendF32le(bytes_, v);
        return *this;
    }
    Record& point(POINT p) { return i32(p.x).i32(p.y); }
    Record& zeros(size_t n)
    {
        bytes_.insert(bytes_.end(), n, 0);
        return *this;
    }
    // A NUL-terminated text in a zero-filled field of `size` bytes.
    Record& text(const char* s, size_t size)
    {
        const size_t length = strnlen(s, size - 1);
        bytes_.insert(bytes_.end(), s, s + length);
        return zeros(size - length);
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

POINT labelPosition(const Graphic& g)
{
    return g.label() ? g.label()->position() : POINT{0, 0};
}

// Label position, pen, colours and hidden flag: the tail every graphic record shares.
void tail(Record& r, const Graphic& g)
{
    r.point(labelPosition(g))
        .i32(g.penStyle())
        .i32(g.normalWidth())
        .u32(g.normalColor())
        .u32(g.hoveredColor())
        .u32(g.selectedColor())
        .i32(g.labelHidden());
}

Record header(const GaugitEngine& e)
{
    Record r;
    const PenSpec& pen = e.pen();
    const MarkWords& marks = e.marks();
    r.u32(0x5247515A) // "ZQGR"
        .u32(0)
        .u16(kStreamMainVersion)
        .u16(kStreamMinorVersion)
        .u32(0)
        .i32(e.measureUnit())
        .i32(pen.style)
        .i32(pen.width)
        .u32(pen.normal)
        .u32(pen.selected)
        .u32(pen.hovered)
        .zeros(80)
        .i32(e.angleUnit())
        .u32(uint16_t(e.precision()))
        .i32(e.hideDescriptorDefault())
        .u32(marks.line)
        .u32(marks.rect)
        .u32(marks.circle)
        .u32(marks.ellipse)
        .u32(marks.angle)
        .u32(marks.polygon);
    return r;
}

Record rulerRecord(const RulerGraphic& g)
{
    Record r;
    r.i32(kTypeRuler).point(g.start()).point(g.end()).i32(g.rulerUnit()).f32(g.rulerLength());
    tail(r, g);
    return r;
}

Record record(const LineGraphic& g)
{
    Record r;
    r.i32(g.typeCode()).point(g.start()).point(g.end());
    tail(r, g);
    return r;
}

Record record(const RectGraphic& g)
{
    Record r;
    r.i32(g.typeCode()).point(g.first()).point(g.second());
    tail(r, g);
    return r;
}

Record record(const EllipseGraphic& g)
{
    Record r;
    r.i32(g.typeCode()).point(g.point(0)).point(g.point(1));
    tail(r, g);
    return r;
}

Record record(const CircleGraphic& g)
{
    Record r;
    const bool threePoints = g.variant() == kTypeCircleThreePoints;
    r.i32(g.typeCode()).point(g.point(0)).point(g.point(1));
    r.point(threePoints ? g.point(2) : POINT{0, 0});
    tail(r, g);
    return r;
}

Record record(const AngleGraphic& g)
{
    Record r;
    r.i32(g.typeCode()).point(g.point(0)).point(g.point(1)).point(g.point(2));
    tail(r, g);
    return r;
}

Record record(const PolygonGraphic& g)
{
    Record r;
    const int count = std::clamp(g.vertexCount(), 0, kMaxPolygonVertices);
    r.i32(g.typeCode()).i32(count);
    tail(r, g);
    for (int i = 0; i < count; ++i)
        r.point(g.vertex(i));
    return r;
}

Record record(const TextGraphic& g)
{
    Record r;
    r.i32(g.typeCode())
        .point(g.position())
        .text(g.face(), kFaceSize)
        .text(g.text(), kTextSize)
        .i32(g.fontHeight())
        .u32(g.textNormalColor())
        .u32(g.textHoveredColor())
        .u32(g.textSelectedColor());
    return r;
}

} // namespace

bool StreamWriter::put(const std::vector<uint8_t>& bytes)
{
    uint32_t done = 0;
    return kwz::writeFile(file_, bytes.data(), uint32_t(bytes.size()), &done) &&
           done == bytes.size();
}

bool StreamWriter::write(const GaugitEngine& e)
{
    if (!put(header(e).bytes()))
        return false;
    Record counts;
    for (HitKind kind : kCountOrder)
        counts.i32(int32_t(e.listSize(kind)));
    if (!put(counts.bytes()))
        return false;
    // The stream always holds a ruler record; an instance without a ruler writes one of a
    // ruler never placed, which reads back as a ruler of length 0.
    const RulerGraphic unplaced;
    if (!put(rulerRecord(e.ruler() ? *e.ruler() : unplaced).bytes()))
        return false;

    // The first record not written whole stops the writing, except that a text record counts
    // as written whatever the write reports.
    bool stopped = false;
    bool whole = true;
    for (HitKind kind : kRecordOrder)
    {
        e.lists().visit(kind, [&](const auto& list) {
            for (const auto& g : list)
            {
                if (stopped)
                    return;
                const bool written = put(record(*g).bytes());
                whole = written && whole;
                if (!written && !kIsText<decltype(*g)>)
                    stopped = true;
            }
        });
    }
    return whole;
}

} // namespace gaugit
