/* Rast: the bitmap object. It holds one image (from a BMP file, raw pixel rows or a ".Mea"
 * measurement file), draws it with the measurement graphics of its own engine instance, and
 * writes BMP and measurement files.
 *
 * Result codes, common to every export (the values of kwztypes.h):
 *   RAST_OK (0)           done;
 *   RAST_NULL_HANDLE (1)  the object handle (or the window) is null, or the call needs an
 *                         engine instance and the object has none;
 *   RAST_NO_MEMORY (2)    out of memory;
 *   RAST_NO_RULER (25)    RASTStartGraphic before a ruler was set;
 *   RAST_FAILED (31)      no image loaded, file not opened or not valid, nothing to draw.
 * Exports marked "engine's" return the engine operation's result unchanged (see gaugit.h).
 * Paths are narrow strings owned by the caller. */
#ifndef RAST_H
#define RAST_H

#include "gaugit.h"
#include "kwztypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define RAST_OK KWZ_OK
#define RAST_NULL_HANDLE KWZ_ERR_NULL_HANDLE
#define RAST_NO_MEMORY KWZ_ERR_NO_MEMORY
#define RAST_NO_RULER KWZ_ERR_NO_RULER
#define RAST_FAILED KWZ_ERR_FAILED

/* A display rectangle. In a source rectangle y is the row as the bitmap counts it: from the
 * bottom row for a bottom-up image. */
typedef struct _tagSHOWRECT
{
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
} SHOWRECT;

/* --- The object and BMP files --- */

/* Sets *out to null, then to a new empty object. 0; 1 when out is null; 2 out of memory. */
KWZ_API int RASTInitialize(void** out);
/* Destroys the object and its engine instance, sets *object to null. 0; 1 when null. */
KWZ_API int RASTUnInitialize(void** object);
/* Loads an uncompressed BMP file (1, 4, 8, 16, 24 or 32 bits; colour masks allowed) and
 * gives the object a fresh engine instance, replacing any earlier image. 0 loaded; 1; 2;
 * 31 when the file is missing, not a BMP, inconsistent, compressed or cut short: the object
 * then stays as it was. */
KWZ_API int RASTReadFile(void* object, const char* path);
/* Writes the image as a BMP file: the working surface (the image with the graphics as last
 * displayed) when overlay is not 0, else the pixels as loaded. The file is replaced only
 * once it was written whole. 0; 1; 2; 31 no image or the file cannot be written (an existing
 * file is then left as it was). */
KWZ_API int RASTWriteFile(void* object, const char* path, int overlay);
/* Loads bottom-up rows padded to (bitCount * width + 31) / 32 * 4 bytes (24 bits: blue, green,
 * red). 0; 1; 2; 31 for a null buffer, a size of 0 or less, or a bit count other than 1, 4,
 * 8, 16, 24, 32. */
KWZ_API int RASTReadPixels(void* object, const BYTE* pixels, int width, int height, int bitCount);
/* 0 with the value, or 0 when no image is loaded; 1; 31 when the output pointer is null. */
KWZ_API int RASTGetWidth(void* object, int* width);
KWZ_API int RASTGetHeight(void* object, int* height);
KWZ_API int RASTGetBitCount(void* object, int* bitCount);

/* --- Display ---
 * Each first rebuilds the working surface: the pixels as loaded with every graphic of the
 * engine drawn over them. A null target context rebuilds it and copies nothing. */

/* Copies the image rectangle (x, y, width, height), clipped to the image and widened by one
 * pixel to the right and below where the image goes on, to the same place of dc.
 * 0; 1; 31 no image, or nothing of the rectangle lies on the image. */
KWZ_API int RASTDraw(void* object, HDC dc, int x, int y, int width, int height);
/* Stretches the source rectangle of the image onto the destination rectangle of dc.
 * 0; 1; 31 no image. */
KWZ_API int RASTShow(void* object, HDC dc, SHOWRECT dest, SHOWRECT source);
/* Stretches the square of side 2r around image point (x, y) (y from the top), kept inside
 * the image, over the whole client area of the window. 0; 1 null object or window;
 * 31 no image or r of 0 or less. */
KWZ_API int RASTShowRegion(void* object, HWND window, int x, int y, int r);
/* Gives back the memory of the working surface, for an image that is not being worked on
 * (a window in the background). The next display paints it afresh, with the same pixels;
 * RASTWriteFile with overlay draws the graphics on a copy of its own until then.
 * 0; 1 null object. */
KWZ_API int RASTReleaseSurface(void* object);
/* Brings the working surface up to date, as a display does, and gives the parts of the image
 * whose pixels may differ from what earlier displays showed: everything a repaint touched
 * since the image was loaded or since the last call. `changed` receives up to `room` separate
 * rectangles (left and top included, right and bottom excluded, rows from the top), *count
 * how many; parts beyond the room come merged into the last ones. *count is 0 when nothing
 * changed. A view repaints only those parts. 0; 1; 31 no image, changed or count null, or a
 * room below 1. */
KWZ_API int RASTUpdateSurface(void* object, RECT* changed, int room, int* count);

/* --- Measuring: each is passed to the engine instance of the object --- */

KWZ_API int RASTStartGraphic(void* object, POINT point, GRAPHICTYPE type); /* engine's */
KWZ_API int RASTAddPointToGraphic(void* object, POINT point);              /* engine's */
KWZ_API int RASTChangePointToGraphic(void* object, POINT point);           /* engine's */
KWZ_API int RASTAddStringToGraphic(void* object, const char* text);        /* engine's */
KWZ_API int RASTFinishGraphic(void* object);                               /* engine's */
KWZ_API int RASTIsHitGraphic(void* object, int x, int y);                  /* engine's */
KWZ_API int RASTIsPassGraphic(void* object, int x, int y);                 /* engine's */
KWZ_API int RASTMoveGraphic(void* object, int dx, int dy);                 /* 0; 1 */
KWZ_API int RASTClearHitGraphic(void* object);                             /* 0; 1 */
KWZ_API int RASTClearAllGraphic(void* object);                             /* 0; 1 */
KWZ_API int RASTGetBoundingRect(void* object, RECT* rect);                 /* engine's */
KWZ_API int RASTSetRuler(void* object, POINT start, POINT end, ZQUNIT unit,
                         float length); /* engine's */
KWZ_API int RASTGetRuler(void* object, POINT* start, POINT* end, ZQUNIT* unit,
                         float* length);                                          /* engine's */
KWZ_API int RASTHideRuler(void* object, int hide);                                /* engine's */
KWZ_API int RASTSetRulerUnitAndLength(void* object, ZQUNIT unit, float length);   /* 0; 1 */
KWZ_API int RASTGetRulerUnitAndLength(void* object, ZQUNIT* unit, float* length); /* 0; 1 */
KWZ_API int RASTSetMeasureUnit(void* object, ZQUNIT unit);                        /* 0; 1 */
KWZ_API int RASTGetMeasureUnit(void* object, ZQUNIT* unit);                       /* 0; 1 */
KWZ_API int RASTSetMeasurePen(void* object, int style, int width, COLORREF normal, COLORREF hovered,
                              COLORREF selected); /* 0; 1 */
KWZ_API int RASTGetMeasurePen(void* object, int* style, int* width, COLORREF* normal,
                              COLORREF* hovered, COLORREF* selected); /* 0; 1 */
KWZ_API int RASTSetTxtFont(void* object, const char* face, int height, COLORREF normal,
                           COLORREF hovered, COLORREF selected); /* 0; 1 */
/* face must hold 64 bytes. 0; 1 */
KWZ_API int RASTGetTxtFont(void* object, char* face, int* height, COLORREF* normal,
                           COLORREF* hovered, COLORREF* selected);
KWZ_API int RASTSetDescFont(void* object, const char* face, int size); /* 0; 1 */
KWZ_API int RASTGetDescFont(void* object, char* face, int* size);      /* 0; 1 */
KWZ_API int RASTSetPrecision(void* object, int decimals);              /* engine's */
KWZ_API int RASTGetPrecision(void* object, short* decimals);           /* engine's */
KWZ_API int RASTHideDescriptor(void* object, int hide);                /* engine's */
KWZ_API int RASTSetLineMark(void* object, LineMark* mark);             /* engine's */
KWZ_API int RASTSetRectMark(void* object, RectMark* mark);             /* engine's */
KWZ_API int RASTSetCircleMark(void* object, CircleMark* mark);         /* engine's */
KWZ_API int RASTSetEllipseMark(void* object, EllipseMark* mark);       /* engine's */
KWZ_API int RASTSetAngleMark(void* object, AngleMark* mark);           /* engine's */
KWZ_API int RASTSetPolyLineMark(void* object, PolyLineMark* mark);     /* engine's */
/* The label language of every engine instance. 0; 1; 31 when the object has no instance. */
KWZ_API int RASTSetLanguage(void* object, ZQLANGUAGE language);
/* Creates an engine instance if the object has none and gives unit and length to its ruler
 * (a new instance has none yet: nothing changes); the points are not used. 0; 1. */
KWZ_API int RASTEnableMeasure(void* object, POINT start, POINT end, ZQUNIT unit, float length);
/* Destroys the engine instance; the image stays. 0; 1 null object or no instance. */
KWZ_API int RASTDisableMeasure(void* object);
/* The figure under construction, as the engine reports it (GtGetConstruction). Engine's. */
KWZ_API int RASTGetConstruction(void* object, GRAPHICTYPE* type, int* points);
/* The values of the figures as data (see gaugit.h): engine's. A null engine handle answers 1,
 * so an object without an instance gives 1. */
KWZ_API int RASTGetFigureCount(void* object, int* count);                         /* engine's */
KWZ_API int RASTGetFigureValues(void* object, int index, GTFIGUREVALUES* values); /* engine's */
KWZ_API int RASTSelectFigure(void* object, int index);                            /* engine's */
KWZ_API int RASTGetSelectedFigure(void* object, int* index);                      /* engine's */

/* --- Measurement files (".Mea"): the engine's data stream, then the image as a BMP file --- */

/* Loads image and graphics into a fresh engine instance, replacing any earlier image and
 * instance. 0; 1; 2; 31 when the file is missing or damaged (a refused stream shows the
 * engine's version message): the object then stays as it was. */
KWZ_API int RASTReadMeasureFile(void* object, const char* path);
/* Writes the graphics and the pixels as loaded (never the overlay). The file is replaced
 * only once it was written whole. 0; 1; 2; 31 no image or the file cannot be written. */
KWZ_API int RASTWriteMeasureFile(void* object, const char* path);

/* --- The figure data: the engine's data stream of a measurement file, without the image ---
 * For keeping the figures as they stand and putting them back exactly (undo).
 *
 * RASTWriteGraphicData: sets *size to the stream's length in bytes and copies the stream into
 * buffer. 0; 1 null object, or no engine instance; 2 out of memory; 31 size is null,
 * capacity is negative, or buffer is null or shorter than the stream (*size is then set, so
 * a call with a null buffer asks for the length).
 * RASTReadGraphicData: replaces settings, ruler and figures of the engine instance by a
 * stream that RASTWriteGraphicData gave; what the stream does not hold (a hidden ruler, the
 * label font, the language) stays. 0; 1 null object, or no engine instance; 2 out of memory;
 * 31 data is null with a positive size, size is negative, or the stream is damaged, cut
 * short or of another version (that one shows the engine's version message): nothing then
 * changes. */
KWZ_API int RASTWriteGraphicData(void* object, BYTE* buffer, int capacity, int* size);
KWZ_API int RASTReadGraphicData(void* object, const BYTE* data, int size);

/* Rast also exports GaugitSetRectMark, GaugitSetCircleMark, GaugitSetEllipseMark,
 * GaugitSetAngleMark and GaugitSetPolyLineMark (declared in gaugit.h): the engine's own
 * operations, taking an engine handle, for programs linked against Rast alone. */

#ifdef __cplusplus
}
#endif

#endif /* RAST_H */
