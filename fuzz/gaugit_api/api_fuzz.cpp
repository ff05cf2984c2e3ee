// Each input is a script: one byte picks an export, the next bytes give its arguments.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "gaugit.h"
#include "platform/draw/raster_context.h"
#include "platform/testing/fake_clock.h"

namespace {

class Script
{
  public:
    Script(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool done() const { return pos_ >= size_; }

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // Mostly small coordinates, sometimes any 32-bit value.
    int32_t value()
    {
        const uint8_t tag = byte();
        if (tag & 0x80)
        {
            uint32_t v = 0;
            for (int i = 0; i < 4; ++i)
                v |= static_cast<uint32_t>(byte()) << (8 * i);
            return static_cast<int32_t>(v);
        }
        return static_cast<int32_t>(static_cast<int16_t>(tag << 8 | byte())) / 64;
    }

    float real()
    {
        const int32_t bits = value();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return (bits & 1) ? f : static_cast<float>(bits) / 16.0f;
    }

    POINT point() { return POINT{value(), value()}; }

    std::string text()
    {
        const size_t length = byte() * 2u;
        std::string s;
        for (size_t i = 0; i < length && !done(); ++i)
            s.push_back(static_cast<char>(byte() | 1));
        return s;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// The overlay on a small surface of any bit count and row order: whatever the calls built,
// with coordinates anywhere in the int range, must draw without leaving it.
void draw(HGAUGIT h, Script& script)
{
    static const int kDepths[] = {1, 4, 8, 16, 24, 32};
    const uint8_t shape = script.byte();
    auto surface = kwz::RasterContext::create(1 + script.byte() % 64, 1 + script.byte() % 64,
                                              kDepths[shape % 6], shape & 0x80);
    GtDraw(h, kwz::toHdc(surface.get()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static kwz::FakeClock clock(1);
    Script script(data, size);
    HGAUGIT h = nullptr;
    if (GaugitInitial(&h) != GAUGIT_OK)
        return 0;
    POINT a, b;
    RECT r;
    int i;
    short s;
    float f;
    COLORREF c;
    ZQUNIT u;
    char face[64];
    uint32_t mark;
    while (!script.done())
    {
        clock.advance(script.byte() & 0x3F);
        switch (script.byte() % 27)
        {
        case 0:
            a = script.point();
            b = script.point();
            GtSetRuler(h, a, b, static_cast<ZQUNIT>(script.byte() % 7 - 1), script.real());
            break;
        case 1:
            a = script.point();
            GtStartGraphic(h, a, static_cast<GRAPHICTYPE>(script.byte() % 14 - 1));
            break;
        case 2:
            GtAddPointToGraphic(h, script.point());
            break;
        case 3:
            GtChangePointToGraphic(h, script.point());
            break;
        case 4:
            GtAddStringToGraphic(h, script.text().c_str());
            break;
        case 5: {
            GRAPHICTYPE building = GT_NULL;
            int points = 0;
            GtGetConstruction(h, &building, &points);
            GtFinishGraphic(h);
            GtGetConstruction(h, &building, &points);
            break;
        }
        case 6:
            a = script.point();
            GtIsHitGraphic(h, a.x, a.y);
            break;
        case 7:
            a = script.point();
            GtIsPassGraphic(h, a.x, a.y);
            break;
        case 8:
            a = script.point();
            GtMoveGraphic(h, a.x, a.y);
            break;
        case 9:
            GtClearHitGraphic(h);
            break;
        case 10:
            GtClearAllGraphic(h);
            break;
        case 11:
            GtSetMeasureUnit(h, static_cast<ZQUNIT>(script.byte() % 7 - 1));
            break;
        case 12:
            GtSetAngleUnit(h, static_cast<ZQANGLEUNIT>(script.byte() % 3));
            break;
        case 13:
            GtSetPrecision(h, script.value());
            GtGetPrecision(h, &s);
            break;
        case 14:
            GtHideDescriptor(h, script.byte() & 1);
            break;
        case 15:
            GtHideRuler(h, script.byte() & 1);
            break;
        case 16:
            GaugitSetPen(h, script.byte() % 8, script.value(), script.value(), script.value(),
                         script.value());
            GaugitGetPen(h, &i, &i, &c, &c, &c);
            break;
        case 17:
            GaugitSetRulerPen(h, script.byte() % 8, script.value(), 1, 2, 3);
            GaugitGetRulerPen(h, &i, &i, &c, &c, &c);
            break;
        case 18:
            GtSetRulerUnitAndLength(h, static_cast<ZQUNIT>(script.byte() % 7 - 1), script.real());
            GtGetRulerUnitAndLength(h, &u, &f);
            break;
        case 19:
            GtGetBoundingRect(h, &r);
            break;
        case 20:
            mark = static_cast<uint32_t>(script.value());
            switch (script.byte() % 6)
            {
            case 0:
                GaugitSetLineMark(h, &mark);
                break;
            case 1:
                GaugitSetRectMark(h, &mark);
                break;
            case 2:
                GaugitSetCircleMark(h, &mark);
                break;
            case 3:
                GaugitSetEllipseMark(h, &mark);
                break;
            case 4:
                GaugitSetAngleMark(h, &mark);
                break;
            default:
                GaugitSetPolyLineMark(h, &mark);
                break;
            }
            break;
        case 21:
            GtSetTxtFont(h, script.text().c_str(), script.value(), 1, 2, 3);
            GtGetTxtFont(h, face, &i, &c, &c, &c);
            break;
        case 22:
            GtSetDescFont(h, script.text().c_str(), script.value());
            GtGetDescFont(h, face, &i);
            break;
        case 23:
            GtGetRuler(h, &a, &b, &u, &f);
            break;
        case 24:
            GtSetMeasureLanguage(h, static_cast<ZQLANGUAGE>(script.byte() % 3));
            break;
        case 25:
            draw(h, script);
            break;
        default:
            // A run of floating moves, as a dragging mouse gives.
            for (int k = script.byte() % 16; k > 0; --k)
            {
                clock.advance(45);
                GtChangePointToGraphic(h, script.point());
            }
            break;
        }
    }
    draw(h, script);
    GaugitUnInitialize(&h);
    return 0;
}
