// The exported C functions of Rast: argument checks and result mapping around RasterBitmap.
// Nothing thrown inside gets past these wrappers.

#include <algorithm>
#include <vector>

#include <dlfcn.h>

#include "bitmap/raster_bitmap.h"
#include "platform/c_boundary.h"
#include "platform/draw/draw_context.h"
#include "platform/draw/window.h"
#include "rast.h"

namespace {

using kwz::rast::Outcome;
using kwz::rast::RasterBitmap;

constexpr kwz::FailureCodes kFailures{RAST_NO_MEMORY, RAST_FAILED};

struct RastObject
{
    RasterBitmap bitmap;
};

RasterBitmap* bitmapOf(void* object)
{
    return &static_cast<RastObject*>(object)->bitmap;
}

template <typename F> int guarded(void* object, F&& body)
{
    if (object == nullptr)
        return RAST_NULL_HANDLE;
    return kwz::guardedCall(kFailures, [&] { return body(bitmapOf(object)); });
}

int codeOf(Outcome outcome)
{
    switch (outcome)
    {
    case Outcome::Done:
        return RAST_OK;
    case Outcome::Failed:
        return RAST_FAILED;
    case Outcome::NoWindow:
    case Outcome::NoEngine:
        return RAST_NULL_HANDLE;
    }
    return RAST_FAILED;
}

// Calls on the bitmap object.
#define CALL(object, call) guarded(object, [&](RasterBitmap* bitmap) { return codeOf(call); })
// Engine calls whose result the bitmap object passes on.
#define FORWARD(object, call) guarded(object, [&](RasterBitmap* bitmap) { return call; })
// Engine calls whose result is dropped.
#define FORWARD_OK(object, call)                                                                   \
    guarded(object, [&](RasterBitmap* bitmap) {                                                    \
        call;                                                                                      \
        return RAST_OK;                                                                            \
    })

int getValue(void* object, int* out, int (RasterBitmap::*query)() const)
{
    return guarded(object, [&](RasterBitmap* bitmap) {
        if (out == nullptr)
            return RAST_FAILED;
        *out = (bitmap->*query)();
        return RAST_OK;
    });
}

// The engine's own function of that name: Rast exports it too, so look past this library.
void* engineSymbol(const char* name)
{
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&engineSymbol), &self) == 0)
        return nullptr;
    for (void* scope : {RTLD_NEXT, RTLD_DEFAULT})
    {
        void* symbol = dlsym(scope, name);
        Dl_info where{};
        if (symbol != nullptr && dladdr(symbol, &where) != 0 && where.dli_fbase != self.dli_fbase)
            return symbol;
    }
    return nullptr;
}

using MarkSetter = int (*)(HGAUGIT, uint32_t*);

} // namespace

#define REEXPORT_MARK_SETTER(name, type)                                                           \
    KWZ_API int name(HGAUGIT engine, type* mark)                                                   \
    {                                                                                              \
        static const auto real = reinterpret_cast<MarkSetter>(engineSymbol(#name));                \
        return real != nullptr ? real(engine, mark) : GAUGIT_FAILED;                               \
    }

REEXPORT_MARK_SETTER(GaugitSetRectMark, RectMark)
REEXPORT_MARK_SETTER(GaugitSetCircleMark, CircleMark)
REEXPORT_MARK_SETTER(GaugitSetEllipseMark, EllipseMark)
REEXPORT_MARK_SETTER(GaugitSetAngleMark, AngleMark)
REEXPORT_MARK_SETTER(GaugitSetPolyLineMark, PolyLineMark)

KWZ_API int RASTInitialize(void** out)
{
    if (out == nullptr)
        return RAST_NULL_HANDLE;
    *out = nullptr;
    return kwz::guardedCall({RAST_NO_MEMORY, RAST_NO_MEMORY}, [&] {
        *out = new RastObject;
        return RAST_OK;
    });
}

KWZ_API int RASTUnInitialize(void** object)
{
    if (object == nullptr || *object == nullptr)
        return RAST_NULL_HANDLE;
    delete static_cast<RastObject*>(*object);
    *object = nullptr;
    return RAST_OK;
}

KWZ_API int RASTReadFile(void* object, const char* path)
{
    return CALL(object, bitmap->readFile(path));
}

KWZ_API int RASTWriteFile(void* object, const char* path, int overlay)
{
    return CALL(object, bitmap->writeFile(path, overlay != 0));
}

KWZ_API int RASTReadPixels(void* object, const BYTE* pixels, int width, int height, int bitCount)
{
    return CALL(object, bitmap->readPixels(pixels, width, height, bitCount));
}

KWZ_API int RASTGetWidth(void* object, int* width)
{
    return getValue(object, width, &RasterBitmap::width);
}

KWZ_API int RASTGetHeight(void* object, int* height)
{
    return getValue(object, height, &RasterBitmap::height);
}

KWZ_API int RASTGetBitCount(void* object, int* bitCount)
{
    return getValue(object, bitCount, &RasterBitmap::bitCount);
}

KWZ_API int RASTDraw(void* object, HDC dc, int x, int y, int width, int height)
{
    return CALL(object, bitmap->draw(kwz::fromHdc(dc), x, y, width, height));
}

KWZ_API int RASTShow(void* object, HDC dc, SHOWRECT dest, SHOWRECT source)
{
    return CALL(object, bitmap->show(kwz::fromHdc(dc), {dest.x, dest.y, dest.width, dest.height},
                                     {source.x, source.y, source.width, source.height}));
}

KWZ_API int RASTShowRegion(void* object, HWND window, int x, int y, int r)
{
    return CALL(object, bitmap->showRegion(kwz::fromHwnd(window), x, y, r));
}

KWZ_API int RASTReleaseSurface(void* object)
{
    return FORWARD_OK(object, bitmap->releaseWorkingSurface());
}

KWZ_API int RASTUpdateSurface(void* object, RECT* changed, int room, int* count)
{
    return guarded(object, [&](RasterBitmap* bitmap) {
        if (changed == nullptr || count == nullptr || room < 1)
            return RAST_FAILED;
        *count = 0;
        std::vector<RasterBitmap::Rows> bands;
        if (bitmap->takeChangedRows(bands) != Outcome::Done)
            return RAST_FAILED;
        for (const RasterBitmap::Rows& band : bands)
        {
            RECT part{0, LONG(band.top), bitmap->width(), LONG(band.bottom)};
            if (*count < room)
                changed[(*count)++] = part;
            else
                changed[room - 1].bottom = part.bottom;
        }
        return RAST_OK;
    });
}

KWZ_API int RASTStartGraphic(void* object, POINT point, GRAPHICTYPE type)
{
    return FORWARD(object, GtStartGraphic(bitmap->engineForChange(), point, type));
}

KWZ_API int RASTAddPointToGraphic(void* object, POINT point)
{
    return FORWARD(object, GtAddPointToGraphic(bitmap->engineForChange(), point));
}

KWZ_API int RASTChangePointToGraphic(void* object, POINT point)
{
    return FORWARD(object, GtChangePointToGraphic(bitmap->engineForChange(), point));
}

KWZ_API int RASTAddStringToGraphic(void* object, const char* text)
{
    return FORWARD(object, GtAddStringToGraphic(bitmap->engineForChange(), text));
}

KWZ_API int RASTFinishGraphic(void* object)
{
    return FORWARD(object, GtFinishGraphic(bitmap->engineForChange()));
}

KWZ_API int RASTGetConstruction(void* object, GRAPHICTYPE* type, int* points)
{
    return FORWARD(object, GtGetConstruction(bitmap->engine(), type, points));
}

KWZ_API int RASTIsHitGraphic(void* object, int x, int y)
{
    return FORWARD(object, GtIsHitGraphic(bitmap->engineForChange(), x, y));
}

KWZ_API int RASTIsPassGraphic(void* object, int x, int y)
{
    return FORWARD(object, GtIsPassGraphic(bitmap->engineForChange(), x, y));
}

KWZ_API int RASTMoveGraphic(void* object, int dx, int dy)
{
    return FORWARD_OK(object, GtMoveGraphic(bitmap->engineForChange(), dx, dy));
}

KWZ_API int RASTClearHitGraphic(void* object)
{
    return FORWARD_OK(object, GtClearHitGraphic(bitmap->engineForChange()));
}

KWZ_API int RASTClearAllGraphic(void* object)
{
    return FORWARD_OK(object, GtClearAllGraphic(bitmap->engineForChange()));
}

KWZ_API int RASTGetBoundingRect(void* object, RECT* rect)
{
    return FORWARD(object, GtGetBoundingRect(bitmap->engine(), rect));
}

KWZ_API int RASTSetRuler(void* object, POINT start, POINT end, ZQUNIT unit, float length)
{
    return FORWARD(object, GtSetRuler(bitmap->engineForChange(), start, end, unit, length));
}

KWZ_API int RASTGetRuler(void* object, POINT* start, POINT* end, ZQUNIT* unit, float* length)
{
    return FORWARD(object, GtGetRuler(bitmap->engine(), start, end, unit, length));
}

KWZ_API int RASTHideRuler(void* object, int hide)
{
    return FORWARD(object, GtHideRuler(bitmap->engineForChange(), hide));
}

KWZ_API int RASTSetRulerUnitAndLength(void* object, ZQUNIT unit, float length)
{
    return FORWARD_OK(object, GtSetRulerUnitAndLength(bitmap->engineForChange(), unit, length));
}

KWZ_API int RASTGetRulerUnitAndLength(void* object, ZQUNIT* unit, float* length)
{
    return FORWARD_OK(object, GtGetRulerUnitAndLength(bitmap->engine(), unit, length));
}

KWZ_API int RASTSetMeasureUnit(void* object, ZQUNIT unit)
{
    return FORWARD_OK(object, GtSetMeasureUnit(bitmap->engineForChange(), unit));
}

KWZ_API int RASTGetMeasureUnit(void* object, ZQUNIT* unit)
{
    return FORWARD_OK(object, GtGetMeasureUnit(bitmap->engine(), unit));
}

KWZ_API int RASTSetMeasurePen(void* object, int style, int width, COLORREF normal, COLORREF hovered,
                              COLORREF selected)
{
    return FORWARD_OK(
        object, GaugitSetPen(bitmap->engineForChange(), style, width, normal, hovered, selected));
}

KWZ_API int RASTGetMeasurePen(void* object, int* style, int* width, COLORREF* normal,
                              COLORREF* hovered, COLORREF* selected)
{
    return FORWARD_OK(object,
                      GaugitGetPen(bitmap->engine(), style, width, normal, hovered, selected));
}

KWZ_API int RASTSetTxtFont(void* object, const char* face, int height, COLORREF normal,
                           COLORREF hovered, COLORREF selected)
{
    return FORWARD_OK(
        object, GtSetTxtFont(bitmap->engineForChange(), face, height, normal, hovered, selected));
}

KWZ_API int RASTGetTxtFont(void* object, char* face, int* height, COLORREF* normal,
                           COLORREF* hovered, COLORREF* selected)
{
    return FORWARD_OK(object,
                      GtGetTxtFont(bitmap->engine(), face, height, normal, hovered, selected));
}

KWZ_API int RASTSetDescFont(void* object, const char* face, int size)
{
    return FORWARD_OK(object, GtSetDescFont(bitmap->engineForChange(), face, size));
}

KWZ_API int RASTGetDescFont(void* object, char* face, int* size)
{
    return FORWARD_OK(object, GtGetDescFont(bitmap->engine(), face, size));
}

KWZ_API int RASTSetPrecision(void* object, int decimals)
{
    return FORWARD(object, GtSetPrecision(bitmap->engineForChange(), decimals));
}

KWZ_API int RASTGetPrecision(void* object, short* decimals)
{
    return FORWARD(object, GtGetPrecision(bitmap->engine(), decimals));
}

KWZ_API int RASTHideDescriptor(void* object, int hide)
{
    return FORWARD(object, GtHideDescriptor(bitmap->engineForChange(), hide));
}

KWZ_API int RASTSetLineMark(void* object, LineMark* mark)
{
    return FORWARD(object, GaugitSetLineMark(bitmap->engineForChange(), mark));
}

KWZ_API int RASTSetRectMark(void* object, RectMark* mark)
{
    return FORWARD(object, GaugitSetRectMark(bitmap->engineForChange(), mark));
}

KWZ_API int RASTSetCircleMark(void* object, CircleMark* mark)
{
    return FORWARD(object, GaugitSetCircleMark(bitmap->engineForChange(), mark));
}

KWZ_API int RASTSetEllipseMark(void* object, EllipseMark* mark)
{
    return FORWARD(object, GaugitSetEllipseMark(bitmap->engineForChange(), mark));
}

KWZ_API int RASTSetAngleMark(void* object, AngleMark* mark)
{
    return FORWARD(object, GaugitSetAngleMark(bitmap->engineForChange(), mark));
}

KWZ_API int RASTSetPolyLineMark(void* object, PolyLineMark* mark)
{
    return FORWARD(object, GaugitSetPolyLineMark(bitmap->engineForChange(), mark));
}

KWZ_API int RASTSetLanguage(void* object, ZQLANGUAGE language)
{
    return guarded(object, [&](RasterBitmap* bitmap) {
        if (bitmap->engine() == nullptr)
            return RAST_FAILED;
        RasterBitmap::languageChanged();
        return GtSetMeasureLanguage(bitmap->engine(), language);
    });
}

KWZ_API int RASTEnableMeasure(void* object, POINT, POINT, ZQUNIT unit, float length)
{
    return CALL(object, bitmap->enableMeasure(unit, length));
}

KWZ_API int RASTDisableMeasure(void* object)
{
    return CALL(object, bitmap->disableMeasure());
}

KWZ_API int RASTReadMeasureFile(void* object, const char* path)
{
    return CALL(object, bitmap->readMeasureFile(path));
}

KWZ_API int RASTWriteMeasureFile(void* object, const char* path)
{
    return CALL(object, bitmap->writeMeasureFile(path));
}

KWZ_API int RASTWriteGraphicData(void* object, BYTE* buffer, int capacity, int* size)
{
    return guarded(object, [&](RasterBitmap* bitmap) {
        if (size == nullptr || capacity < 0)
            return RAST_FAILED;
        std::vector<uint8_t> stream;
        const Outcome outcome = bitmap->writeGraphicData(stream);
        if (outcome != Outcome::Done)
            return codeOf(outcome);
        *size = int(stream.size());
        if (buffer == nullptr || size_t(capacity) < stream.size())
            return RAST_FAILED;
        std::copy(stream.begin(), stream.end(), buffer);
        return RAST_OK;
    });
}

KWZ_API int RASTReadGraphicData(void* object, const BYTE* data, int size)
{
    return guarded(object, [&](RasterBitmap* bitmap) {
        if (size < 0 || (data == nullptr && size > 0))
            return RAST_FAILED;
        return codeOf(bitmap->readGraphicData(data, size_t(size)));
    });
}

KWZ_API int RASTGetFigureCount(void* object, int* count)
{
    return FORWARD(object, GtGetFigureCount(bitmap->engine(), count));
}

KWZ_API int RASTGetFigureValues(void* object, int index, GTFIGUREVALUES* values)
{
    return FORWARD(object, GtGetFigureValues(bitmap->engine(), index, values));
}

KWZ_API int RASTSelectFigure(void* object, int index)
{
    return FORWARD(object, GtSelectFigure(bitmap->engineForChange(), index));
}

KWZ_API int RASTGetSelectedFigure(void* object, int* index)
{
    return FORWARD(object, GtGetSelectedFigure(bitmap->engine(), index));
}
