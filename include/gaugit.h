/* Gaugit: the measurement engine. One instance per image holds the calibration ruler and the
 * measurement graphics drawn over it, computes their values in real units and lets a client
 * build and edit them with image points.
 *
 * Every export returns an int result code of kwztypes.h, under these names:
 *   GAUGIT_OK (0)           done;
 *   GAUGIT_NULL_HANDLE (1)  the handle was null; nothing was touched;
 *   GAUGIT_NO_RULER (25)    GtStartGraphic without a calibration ruler;
 *   GAUGIT_FAILED (31)      nothing to act on (no ruler, no such graphic, nothing hit), or
 *                           the engine failed inside (memory ran out).
 * Each export lists the codes it returns. 0 means done for a valid handle, whether or not
 * anything changed. Getters leave their outputs untouched when there is nothing to report; a
 * null output pointer is skipped. Coordinates are image pixels; colours are 0x00BBGGRR. */
#ifndef GAUGIT_H
#define GAUGIT_H

#include "kwztypes.h"

#ifdef __cplusplus
extern "C" {
#endif

#define GAUGIT_OK KWZ_OK
#define GAUGIT_NULL_HANDLE KWZ_ERR_NULL_HANDLE
#define GAUGIT_NO_RULER KWZ_ERR_NO_RULER
#define GAUGIT_FAILED KWZ_ERR_FAILED

/* The enumerations are 32-bit signed values. Each carries two bounds enumerators so that any
 * int a caller passes is a value of its type, in C and in C++ alike. */

/* Kind of graphic, as given to GtStartGraphic; also the record tag of the data stream. */
typedef enum
{
    GT_NULL = 0,
    GT_RULER = 1, /* never created by GtStartGraphic: see GtSetRuler */
    GT_LINE = 2,
    GT_RECT = 3,
    GT_CIRCLE_DIAMETER = 4, /* two end points of a diameter */
    GT_CIRCLE_CENTRE = 5,   /* centre and one point on the circle */
    GT_CIRCLE_3POINTS = 6,  /* three points on the circle */
    GT_ELLIPSE_BOX = 7,     /* two opposite corners of the bounding box */
    GT_ELLIPSE_CENTRE = 8,  /* centre and one corner of the bounding box */
    GT_ANGLE = 9,           /* arm end, vertex, arm end */
    GT_POLYGON = 10,
    GT_TEXT = 11,
    GRAPHICTYPE_MIN_ = -2147483647 - 1,
    GRAPHICTYPE_MAX_ = 2147483647
} GRAPHICTYPE;

typedef enum
{
    ZQ_UM = 0,
    ZQ_MM = 1,
    ZQ_CM = 2,
    ZQ_M = 3,
    ZQ_INCH = 4,
    ZQUNIT_MIN_ = -2147483647 - 1,
    ZQUNIT_MAX_ = 2147483647
} ZQUNIT;

typedef enum
{
    ZQ_DEGREE = 0,
    ZQ_RADIAN = 1,
    ZQANGLEUNIT_MIN_ = -2147483647 - 1,
    ZQANGLEUNIT_MAX_ = 2147483647
} ZQANGLEUNIT;

/* Any value but these two makes the graphics draw no descriptor text. */
typedef enum
{
    ZQ_CHINESE = 0,
    ZQ_ENGLISH = 1,
    ZQLANGUAGE_MIN_ = -2147483647 - 1,
    ZQLANGUAGE_MAX_ = 2147483647
} ZQLANGUAGE;

/* Descriptor choices: one 32-bit word per kind of graphic; a set bit shows that line of the
 * graphic's label, bit 0 first. Bits above those listed are ignored. */
typedef uint32_t LineMark;
typedef uint32_t RectMark;
typedef uint32_t CircleMark;
typedef uint32_t EllipseMark;
typedef uint32_t AngleMark;
typedef uint32_t PolyLineMark;

#define LINEMARK_NAME 0x01u
#define LINEMARK_START 0x02u
#define LINEMARK_END 0x04u
#define LINEMARK_LENGTH 0x08u

#define RECTMARK_NAME 0x01u
#define RECTMARK_START 0x02u
#define RECTMARK_END 0x04u
#define RECTMARK_WIDTH 0x08u
#define RECTMARK_HEIGHT 0x10u
#define RECTMARK_PERIMETER 0x20u
#define RECTMARK_AREA 0x40u

#define CIRCLEMARK_NAME 0x01u
#define CIRCLEMARK_CENTRE 0x02u
#define CIRCLEMARK_RADIUS 0x04u
#define CIRCLEMARK_PERIMETER 0x08u
#define CIRCLEMARK_AREA 0x10u

#define ELLIPSEMARK_NAME 0x01u
#define ELLIPSEMARK_CENTRE 0x02u
#define ELLIPSEMARK_LONG_RADIUS 0x04u
#define ELLIPSEMARK_SHORT_RADIUS 0x08u
#define ELLIPSEMARK_PERIMETER 0x10u
#define ELLIPSEMARK_AREA 0x20u

#define ANGLEMARK_NAME 0x01u
#define ANGLEMARK_ANGLE 0x02u

#define POLYLINEMARK_NAME 0x01u
#define POLYLINEMARK_VERTICES 0x02u
#define POLYLINEMARK_PERIMETER 0x04u
#define POLYLINEMARK_AREA 0x08u

/* Opaque handle of one engine instance. */
typedef struct GaugitInstance* HGAUGIT;

/* Creates an instance with the defaults and stores its handle in *handle.
 * 0; 31 when out of memory or handle is null (*handle is then null when it can be set). */
KWZ_API int GaugitInitial(HGAUGIT* handle);
/* Destroys the instance with its ruler and graphics and sets *handle to null.
 * 0; 1 when handle or *handle is null. */
KWZ_API int GaugitUnInitialize(HGAUGIT* handle);

/* The display language of every instance of the library. 0; 1. */
KWZ_API int GtSetMeasureLanguage(HGAUGIT handle, ZQLANGUAGE language);
/* Sets the measure unit and recomputes every graphic in it. 0; 1. */
KWZ_API int GtSetMeasureUnit(HGAUGIT handle, ZQUNIT unit);
/* 0; 1. */
KWZ_API int GtGetMeasureUnit(HGAUGIT handle, ZQUNIT* unit);
/* Degrees or radians for the angles. 0; 1. */
KWZ_API int GtSetAngleUnit(HGAUGIT handle, ZQANGLEUNIT unit);
/* 0; 1. */
KWZ_API int GtGetAngleUnit(HGAUGIT handle, ZQANGLEUNIT* unit);
/* Decimals of descriptor values (low 16 bits kept). Without a ruler nothing changes and
 * the getter writes nothing. 0; 1. */
KWZ_API int GtSetPrecision(HGAUGIT handle, int decimals);
KWZ_API int GtGetPrecision(HGAUGIT handle, short* decimals);
/* Hides (1) or shows (0) the labels of the selected graphic, or of all graphics when nothing
 * is selected; also the default for new graphics. Needs a ruler. 0; 1. */
KWZ_API int GtHideDescriptor(HGAUGIT handle, int hide);

/* Creates the calibration ruler, or moves the existing one, and recalibrates. 0; 1. */
KWZ_API int GtSetRuler(HGAUGIT handle, POINT start, POINT end, ZQUNIT unit, float length);
/* Without a ruler nothing is written. 0; 1. */
KWZ_API int GtGetRuler(HGAUGIT handle, POINT* start, POINT* end, ZQUNIT* unit, float* length);
/* The ruler's true length and unit; recalibrates. Without a ruler nothing changes. 0; 1. */
KWZ_API int GtSetRulerUnitAndLength(HGAUGIT handle, ZQUNIT unit, float length);
/* Without a ruler nothing is written. 0; 1. */
KWZ_API int GtGetRulerUnitAndLength(HGAUGIT handle, ZQUNIT* unit, float* length);
/* Hides the ruler from drawing, hit-testing and hovering. 0; 1. */
KWZ_API int GtHideRuler(HGAUGIT handle, int hide);

/* Font for new texts (face of at most 63 characters: longer names are cut); also applied to
 * the selected text. 0; 1. */
KWZ_API int GtSetTxtFont(HGAUGIT handle, const char* face, int height, COLORREF normal,
                         COLORREF hovered, COLORREF selected);
/* face must hold 64 bytes. 0; 1. */
KWZ_API int GtGetTxtFont(HGAUGIT handle, char* face, int* height, COLORREF* normal,
                         COLORREF* hovered, COLORREF* selected);
/* Label font for graphics begun afterwards. 0; 1. */
KWZ_API int GtSetDescFont(HGAUGIT handle, const char* face, int height);
/* face must hold 64 bytes. 0; 1. */
KWZ_API int GtGetDescFont(HGAUGIT handle, char* face, int* height);

/* Default pen for new graphics; also given to the selected graphic or ruler (not texts).
 * 0; 1. */
KWZ_API int GaugitSetPen(HGAUGIT handle, int style, int width, COLORREF normal, COLORREF hovered,
                         COLORREF selected);
/* 0; 1. */
KWZ_API int GaugitGetPen(HGAUGIT handle, int* style, int* width, COLORREF* normal,
                         COLORREF* hovered, COLORREF* selected);
/* The ruler's pen. 0; 1; 31 without a ruler. */
KWZ_API int GaugitSetRulerPen(HGAUGIT handle, int style, int width, COLORREF normal,
                              COLORREF hovered, COLORREF selected);
KWZ_API int GaugitGetRulerPen(HGAUGIT handle, int* style, int* width, COLORREF* normal,
                              COLORREF* hovered, COLORREF* selected);

/* Area to repaint around the selected graphic; all zero when nothing is selected. 0; 1. */
KWZ_API int GtGetBoundingRect(HGAUGIT handle, RECT* rect);
/* Moves the selection by its hit mode: whole, one edit point, or its label. 0; 1. */
KWZ_API int GtMoveGraphic(HGAUGIT handle, int dx, int dy);
/* Selects the graphic under the point. 0 when one was hit; 1; 31 when none. */
KWZ_API int GtIsHitGraphic(HGAUGIT handle, int x, int y);
/* Marks the graphic under the point as hovered; at most one search per 40 ms.
 * 0 when one is under the point; 1; 31 when none (or too soon). */
KWZ_API int GtIsPassGraphic(HGAUGIT handle, int x, int y);
/* Deletes the selected graphic (never the ruler). 0; 1. */
KWZ_API int GtClearHitGraphic(HGAUGIT handle);
/* Deletes every graphic but the ruler. 0; 1. */
KWZ_API int GtClearAllGraphic(HGAUGIT handle);

/* Construction: start a graphic of a kind at a point (finishing any under construction),
 * add points, drag the floating point (at most once per 40 ms), set a text, finish.
 * GtStartGraphic: 0; 1; 25 without a ruler.
 * GtAddStringToGraphic: 0; 1; 31 when no text is being built (texts of 128 characters or
 * more are refused and finish the text with its previous content).
 * GtAddPointToGraphic, GtChangePointToGraphic, GtFinishGraphic: 0; 1. */
KWZ_API int GtStartGraphic(HGAUGIT handle, POINT point, GRAPHICTYPE type);
KWZ_API int GtAddPointToGraphic(HGAUGIT handle, POINT point);
KWZ_API int GtAddStringToGraphic(HGAUGIT handle, const char* text);
KWZ_API int GtChangePointToGraphic(HGAUGIT handle, POINT point);
KWZ_API int GtFinishGraphic(HGAUGIT handle);
/* The graphic under construction: the last one started while it still takes points (a
 * polygon until it is finished, a text until its text is finished). *type gets its kind and
 * *points the points placed so far (1 for a text); GT_NULL and 0 when nothing is being
 * built. 0; 1. */
KWZ_API int GtGetConstruction(HGAUGIT handle, GRAPHICTYPE* type, int* points);

/* Descriptor choices for every graphic of a kind and for new ones.
 * 0; 1; 31 without a ruler or with a null mark pointer. */
KWZ_API int GaugitSetLineMark(HGAUGIT handle, LineMark* mark);
KWZ_API int GaugitSetRectMark(HGAUGIT handle, RectMark* mark);
KWZ_API int GaugitSetCircleMark(HGAUGIT handle, CircleMark* mark);
KWZ_API int GaugitSetEllipseMark(HGAUGIT handle, EllipseMark* mark);
KWZ_API int GaugitSetAngleMark(HGAUGIT handle, AngleMark* mark);
KWZ_API int GaugitSetPolyLineMark(HGAUGIT handle, PolyLineMark* mark);

/* Draws the ruler and every graphic with their labels onto a drawing context in image
 * pixels; nothing without a ruler or with a null context. 0; 1. */
KWZ_API int GtDraw(HGAUGIT handle, HDC dc);

/* The measurement data stream: settings, ruler and graphics, written or read sequentially at
 * the current position of an open platform file (owned by the caller).
 * GaugitWrite: 0; 1. Whether every byte was written is not reported.
 * GaugitRead: appends what it finds to the instance. 0; 1. A stream of another version is
 * refused with a message box and changes nothing. */
KWZ_API int GaugitWrite(HGAUGIT handle, HANDLE file);
KWZ_API int GaugitRead(HGAUGIT handle, HANDLE file);

/* --- The values as data ---
 * Every figure but the ruler, numbered 0 .. count - 1 in a fixed order: lines, circles,
 * rectangles, ellipses, angles, polygons, texts, each kind in the order it was drawn. The
 * values are the 32-bit floats that the figure's label formats, in the measure unit (areas
 * in its square, angles in the angle unit), before rounding to the precision. */

/* Slots of GTFIGUREVALUES.values. */
#define GT_VALUE_X 0 /* line and rectangle: first point; circle and ellipse: centre */
#define GT_VALUE_Y 1
#define GT_VALUE_X2 2 /* line: end point; rectangle: second corner */
#define GT_VALUE_Y2 3
#define GT_VALUE_LENGTH 4
#define GT_VALUE_WIDTH 5
#define GT_VALUE_HEIGHT 6
#define GT_VALUE_RADIUS 7
#define GT_VALUE_LONG_RADIUS 8  /* an ellipse's horizontal semi-axis, as its label names it */
#define GT_VALUE_SHORT_RADIUS 9 /* its vertical semi-axis */
#define GT_VALUE_PERIMETER 10
#define GT_VALUE_AREA 11
#define GT_VALUE_ANGLE 12
#define GT_VALUE_VERTICES 13 /* a polygon's vertex count, exact as a float */
#define GT_VALUE_COUNT 16    /* room in the record; slots 14 and 15 stay 0 */

typedef struct _tagGTFIGUREVALUES
{
    GRAPHICTYPE kind; /* as given to GtStartGraphic (a circle keeps its way of drawing) */
    int32_t number;   /* the number its label's name line prints: its index among its kind */
    uint32_t present; /* bit (1u << GT_VALUE_...) for every slot its kind has */
    uint32_t shown;   /* the slots its label prints now: marked lines, label not hidden */
    ZQUNIT unit;      /* of lengths and points */
    ZQANGLEUNIT angleUnit;
    int32_t precision;            /* decimals the label prints the values with */
    float values[GT_VALUE_COUNT]; /* 0 in slots the kind does not have */
} GTFIGUREVALUES;

/* Figures held, the ruler not counted (a figure being drawn counts). 0; 1; 31 when count is
 * null. */
KWZ_API int GtGetFigureCount(HGAUGIT handle, int* count);
/* The values of figure `index`. 0; 1; 31 when values is null or no figure has the index
 * (*values is then untouched). */
KWZ_API int GtGetFigureValues(HGAUGIT handle, int index, GTFIGUREVALUES* values);
/* Selects figure `index` as a click on its body would; -1 clears the selection. 0; 1;
 * 31 when no figure has the index or a figure is being drawn (nothing changes). */
KWZ_API int GtSelectFigure(HGAUGIT handle, int index);
/* The index of the selected figure; -1 when nothing, or the ruler, is selected. 0; 1;
 * 31 when index is null. */
KWZ_API int GtGetSelectedFigure(HGAUGIT handle, int* index);

#ifdef __cplusplus
}
#endif

#endif /* GAUGIT_H */
