// The exported C functions: argument checks and result codes around GaugitEngine. Nothing
// thrown inside may cross the library boundary.

#include <cstring>

#include "engine/engine_draw.h"
#include "engine/figure_values.h"
#include "engine/gaugit_engine.h"
#include "engine/stream_reader.h"
#include "engine/stream_writer.h"
#include "gaugit.h"
#include "platform/c_boundary.h"
#include "platform/draw/draw_context.h"

struct GaugitInstance
{
    gaugit::GaugitEngine engine;
};

namespace {

using gaugit::GaugitEngine;

// The engine has no code of its own for memory that ran out.
constexpr kwz::FailureCodes kFailures{GAUGIT_FAILED, GAUGIT_FAILED};

template <typename F> int guarded(HGAUGIT handle, F&& f)
{
    if (!handle)
        return GAUGIT_NULL_HANDLE;
    return kwz::guardedCall(kFailures, [&] { return f(handle->engine); });
}

int codeOf(gaugit::Outcome outcome)
{
    switch (outcome)
    {
    case gaugit::Outcome::Done:
        return GAUGIT_OK;
    case gaugit::Outcome::NoRuler:
        return GAUGIT_NO_RULER;
    case gaugit::Outcome::NothingToActOn:
        return GAUGIT_FAILED;
    }
    return GAUGIT_FAILED;
}

template <typename T> void put(T* out, const T& value)
{
    if (out)
        *out = value;
}

gaugit::PenSpec penOf(int style, int width, COLORREF normal, COLORREF hovered, COLORREF selected)
{
    return gaugit::PenSpec{style, width, normal, hovered, selected};
}

void putPen(const gaugit::PenSpec& pen, int* style, int* width, COLORREF* normal, COLORREF* hovered,
            COLORREF* selected)
{
    put(style, pen.style);
    put(width, pen.width);
    put(normal, pen.normal);
    put(hovered, pen.hovered);
    put(selected, pen.selected);
}

void putFace(char* out, const char* face)
{
    if (out)
        std::memcpy(out, face, std::strlen(face) + 1);
}

template <typename F> int setMark(HGAUGIT handle, const uint32_t* mark, F setter)
{
    return guarded(handle, [&](GaugitEngine& e) {
        if (!mark)
            return GAUGIT_FAILED;
        return (e.*setter)(*mark) ? GAUGIT_OK : GAUGIT_FAILED;
    });
}

} // namespace

int GaugitInitial(HGAUGIT* handle)
{
    if (!handle)
        return GAUGIT_FAILED;
    *handle = nullptr;
    return kwz::guardedCall(kFailures, [&] {
        *handle = new GaugitInstance;
        return GAUGIT_OK;
    });
}

int GaugitUnInitialize(HGAUGIT* handle)
{
    if (!handle || !*handle)
        return GAUGIT_NULL_HANDLE;
    delete *handle;
    *handle = nullptr;
    return GAUGIT_OK;
}

int GtSetMeasureLanguage(HGAUGIT handle, ZQLANGUAGE language)
{
    return guarded(handle, [&](GaugitEngine&) {
        gaugit::setMeasureLanguage(language);
        return GAUGIT_OK;
    });
}

int GtSetMeasureUnit(HGAUGIT handle, ZQUNIT unit)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.setMeasureUnit(unit);
        return GAUGIT_OK;
    });
}

int GtGetMeasureUnit(HGAUGIT handle, ZQUNIT* unit)
{
    return guarded(handle, [&](GaugitEngine& e) {
        put(unit, static_cast<ZQUNIT>(e.measureUnit()));
        return GAUGIT_OK;
    });
}

int GtSetAngleUnit(HGAUGIT handle, ZQANGLEUNIT unit)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.setAngleUnit(unit);
        return GAUGIT_OK;
    });
}

int GtGetAngleUnit(HGAUGIT handle, ZQANGLEUNIT* unit)
{
    return guarded(handle, [&](GaugitEngine& e) {
        put(unit, static_cast<ZQANGLEUNIT>(e.angleUnit()));
        return GAUGIT_OK;
    });
}

int GtSetPrecision(HGAUGIT handle, int decimals)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.setPrecision(decimals);
        return GAUGIT_OK;
    });
}

int GtGetPrecision(HGAUGIT handle, short* decimals)
{
    return guarded(handle, [&](GaugitEngine& e) {
        if (e.ruler())
            put(decimals, static_cast<short>(e.precision()));
        return GAUGIT_OK;
    });
}

int GtHideDescriptor(HGAUGIT handle, int hide)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.hideDescriptor(hide);
        return GAUGIT_OK;
    });
}

int GtSetRuler(HGAUGIT handle, POINT start, POINT end, ZQUNIT unit, float length)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.setRuler(start, end, unit, length);
        return GAUGIT_OK;
    });
}

int GtGetRuler(HGAUGIT handle, POINT* start, POINT* end, ZQUNIT* unit, float* length)
{
    return guarded(handle, [&](GaugitEngine& e) {
        if (const gaugit::RulerGraphic* r = e.ruler())
        {
            put(start, r->start());
            put(end, r->end());
            put(unit, static_cast<ZQUNIT>(r->rulerUnit()));
            put(length, r->rulerLength());
        }
        return GAUGIT_OK;
    });
}

int GtSetRulerUnitAndLength(HGAUGIT handle, ZQUNIT unit, float length)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.setRulerUnitAndLength(unit, length);
        return GAUGIT_OK;
    });
}

int GtGetRulerUnitAndLength(HGAUGIT handle, ZQUNIT* unit, float* length)
{
    return guarded(handle, [&](GaugitEngine& e) {
        if (const gaugit::RulerGraphic* r = e.ruler())
        {
            put(unit, static_cast<ZQUNIT>(r->rulerUnit()));
            put(length, r->rulerLength());
        }
        return GAUGIT_OK;
    });
}

int GtHideRuler(HGAUGIT handle, int hide)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.setRulerHidden(hide);
        return GAUGIT_OK;
    });
}

int GtSetTxtFont(HGAUGIT handle, const char* face, int height, COLORREF normal, COLORREF hovered,
                 COLORREF selected)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.setTextFont(face, height, normal, hovered, selected);
        return GAUGIT_OK;
    });
}

int GtGetTxtFont(HGAUGIT handle, char* face, int* height, COLORREF* normal, COLORREF* hovered,
                 COLORREF* selected)
{
    return guarded(handle, [&](GaugitEngine& e) {
        const gaugit::TextFont& font = e.textFont();
        putFace(face, font.face);
        put(height, font.height);
        put(normal, font.normal);
        put(hovered, font.hovered);
        put(selected, font.selected);
        return GAUGIT_OK;
    });
}

int GtSetDescFont(HGAUGIT handle, const char* face, int height)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.setDescFont(face, height);
        return GAUGIT_OK;
    });
}

int GtGetDescFont(HGAUGIT handle, char* face, int* height)
{
    return guarded(handle, [&](GaugitEngine& e) {
        putFace(face, e.descFont().face);
        put(height, e.descFont().height);
        return GAUGIT_OK;
    });
}

int GaugitSetPen(HGAUGIT handle, int style, int width, COLORREF normal, COLORREF hovered,
                 COLORREF selected)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.setPen(penOf(style, width, normal, hovered, selected));
        return GAUGIT_OK;
    });
}

int GaugitGetPen(HGAUGIT handle, int* style, int* width, COLORREF* normal, COLORREF* hovered,
                 COLORREF* selected)
{
    return guarded(handle, [&](GaugitEngine& e) {
        putPen(e.pen(), style, width, normal, hovered, selected);
        return GAUGIT_OK;
    });
}

int GaugitSetRulerPen(HGAUGIT handle, int style, int width, COLORREF normal, COLORREF hovered,
                      COLORREF selected)
{
    return guarded(handle, [&](GaugitEngine& e) {
        return e.setRulerPen(penOf(style, width, normal, hovered, selected)) ? GAUGIT_OK
                                                                             : GAUGIT_FAILED;
    });
}

int GaugitGetRulerPen(HGAUGIT handle, int* style, int* width, COLORREF* normal, COLORREF* hovered,
                      COLORREF* selected)
{
    return guarded(handle, [&](GaugitEngine& e) {
        const gaugit::RulerGraphic* r = e.ruler();
        if (!r)
            return GAUGIT_FAILED;
        putPen(r->pen(), style, width, normal, hovered, selected);
        return GAUGIT_OK;
    });
}

int GtGetBoundingRect(HGAUGIT handle, RECT* rect)
{
    return guarded(handle, [&](GaugitEngine& e) {
        if (rect)
            e.boundingRect(rect);
        return GAUGIT_OK;
    });
}

int GtMoveGraphic(HGAUGIT handle, int dx, int dy)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.moveGraphic(dx, dy);
        return GAUGIT_OK;
    });
}

int GtIsHitGraphic(HGAUGIT handle, int x, int y)
{
    return guarded(handle,
                   [&](GaugitEngine& e) { return e.hitGraphic(x, y) ? GAUGIT_OK : GAUGIT_FAILED; });
}

int GtIsPassGraphic(HGAUGIT handle, int x, int y)
{
    return guarded(
        handle, [&](GaugitEngine& e) { return e.passGraphic(x, y) ? GAUGIT_OK : GAUGIT_FAILED; });
}

int GtClearHitGraphic(HGAUGIT handle)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.clearHitGraphic();
        return GAUGIT_OK;
    });
}

int GtClearAllGraphic(HGAUGIT handle)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.clearAllGraphics();
        return GAUGIT_OK;
    });
}

int GtStartGraphic(HGAUGIT handle, POINT point, GRAPHICTYPE type)
{
    return guarded(handle, [&](GaugitEngine& e) { return codeOf(e.startGraphic(point, type)); });
}

int GtAddPointToGraphic(HGAUGIT handle, POINT point)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.addPoint(point);
        return GAUGIT_OK;
    });
}

int GtAddStringToGraphic(HGAUGIT handle, const char* text)
{
    return guarded(handle, [&](GaugitEngine& e) { return codeOf(e.addString(text)); });
}

int GtChangePointToGraphic(HGAUGIT handle, POINT point)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.changePoint(point);
        return GAUGIT_OK;
    });
}

int GtFinishGraphic(HGAUGIT handle)
{
    return guarded(handle, [&](GaugitEngine& e) {
        e.finishGraphic();
        return GAUGIT_OK;
    });
}

int GtGetConstruction(HGAUGIT handle, GRAPHICTYPE* type, int* points)
{
    return guarded(handle, [&](GaugitEngine& e) {
        const gaugit::Graphic* g = e.graphicUnderConstruction();
        if (type)
            *type = g ? static_cast<GRAPHICTYPE>(g->typeCode()) : GT_NULL;
        if (points)
            *points = !g ? 0 : g->typeCode() == gaugit::kTypeText ? 1 : g->pointCount();
        return GAUGIT_OK;
    });
}

int GaugitSetLineMark(HGAUGIT handle, LineMark* mark)
{
    return setMark(handle, mark, &GaugitEngine::setLineMark);
}

int GaugitSetRectMark(HGAUGIT handle, RectMark* mark)
{
    return setMark(handle, mark, &GaugitEngine::setRectMark);
}

int GaugitSetCircleMark(HGAUGIT handle, CircleMark* mark)
{
    return setMark(handle, mark, &GaugitEngine::setCircleMark);
}

int GaugitSetEllipseMark(HGAUGIT handle, EllipseMark* mark)
{
    return setMark(handle, mark, &GaugitEngine::setEllipseMark);
}

int GaugitSetAngleMark(HGAUGIT handle, AngleMark* mark)
{
    return setMark(handle, mark, &GaugitEngine::setAngleMark);
}

int GaugitSetPolyLineMark(HGAUGIT handle, PolyLineMark* mark)
{
    return setMark(handle, mark, &GaugitEngine::setPolygonMark);
}

int GtDraw(HGAUGIT handle, HDC dc)
{
    return guarded(handle, [&](GaugitEngine& e) {
        if (dc)
            gaugit::drawEngine(e, *kwz::fromHdc(dc));
        return GAUGIT_OK;
    });
}

int GaugitWrite(HGAUGIT handle, HANDLE file)
{
    return guarded(handle, [&](GaugitEngine& e) {
        gaugit::StreamWriter(file).write(e);
        return GAUGIT_OK;
    });
}

int GaugitRead(HGAUGIT handle, HANDLE file)
{
    return guarded(handle, [&](GaugitEngine& e) {
        gaugit::StreamReader(file).read(e);
        return GAUGIT_OK;
    });
}

int GtGetFigureCount(HGAUGIT handle, int* count)
{
    return guarded(handle, [&](GaugitEngine& e) {
        if (!count)
            return GAUGIT_FAILED;
        *count = gaugit::figureCount(e);
        return GAUGIT_OK;
    });
}

int GtGetFigureValues(HGAUGIT handle, int index, GTFIGUREVALUES* values)
{
    static_assert(gaugit::kValueSlotCount <= GT_VALUE_COUNT);
    return guarded(handle, [&](GaugitEngine& e) {
        if (!values)
            return GAUGIT_FAILED;
        const std::optional<gaugit::FigureValues> v = gaugit::figureValues(e, index);
        if (!v)
            return GAUGIT_FAILED;
        GTFIGUREVALUES out{};
        out.kind = static_cast<GRAPHICTYPE>(v->kind);
        out.number = v->number;
        out.present = v->present;
        out.shown = v->shown;
        out.unit = static_cast<ZQUNIT>(v->unit);
        out.angleUnit = static_cast<ZQANGLEUNIT>(v->angleUnit);
        out.precision = v->precision;
        for (int i = 0; i < gaugit::kValueSlotCount; ++i)
            out.values[i] = v->value[i];
        *values = out;
        return GAUGIT_OK;
    });
}

int GtSelectFigure(HGAUGIT handle, int index)
{
    return guarded(handle, [&](GaugitEngine& e) {
        int kind = gaugit::kHitNone;
        int listIndex = -1;
        if (index != -1 && !gaugit::figureAt(e, index, &kind, &listIndex))
            return GAUGIT_FAILED;
        return e.selectGraphic(kind, listIndex) ? GAUGIT_OK : GAUGIT_FAILED;
    });
}

int GtGetSelectedFigure(HGAUGIT handle, int* index)
{
    return guarded(handle, [&](GaugitEngine& e) {
        if (!index)
            return GAUGIT_FAILED;
        *index = gaugit::figureIndexOf(e, e.selectionKind(), e.selectionIndex());
        return GAUGIT_OK;
    });
}
