/* Shared records of the kwzview libraries: the Win32-shaped types their interfaces and file
 * formats are defined in. Pure C; every library header includes it. */
#ifndef KWZTYPES_H
#define KWZTYPES_H

#include <stdint.h>

#ifdef __cplusplus
#define KWZ_EXTERN_C extern "C"
#else
#define KWZ_EXTERN_C
#endif

/* Marks a function that a shared library exports; everything else stays hidden. */
#define KWZ_API KWZ_EXTERN_C __attribute__((visibility("default")))

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int32_t BOOL;
typedef uint32_t UINT;
typedef uint32_t COLORREF; /* 0x00BBGGRR */

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define RGB(r, g, b)                                                                               \
    ((COLORREF)(((BYTE)(r)) | ((COLORREF)((BYTE)(g)) << 8) | ((COLORREF)((BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)((c)&0xFF))
#define GetGValue(c) ((BYTE)(((c) >> 8) & 0xFF))
#define GetBValue(c) ((BYTE)(((c) >> 16) & 0xFF))

typedef struct tagPOINT
{
    LONG x;
    LONG y;
} POINT;

typedef struct tagRECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT;

typedef struct tagSIZE
{
    LONG cx;
    LONG cy;
} SIZE;

/* In-memory forms of the BMP records. On disk they are always read and written field by
 * field, little-endian (14 and 40 bytes), never by copying these structs. */
typedef struct tagBITMAPFILEHEADER
{
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER;

typedef struct tagBITMAPINFOHEADER
{
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER;

typedef struct tagRGBQUAD
{
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

/* Header followed by its colour table (or three colour masks for BI_BITFIELDS). */
typedef struct tagBITMAPINFO
{
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO;

#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3
#define BI_JPEG 4
#define BI_PNG 5

#define BMP_FILE_HEADER_SIZE 14
#define BMP_INFO_HEADER_SIZE 40

/* Opaque handles. HANDLE is an open platform file; HDC a drawing context; HWND a window. */
typedef void* HANDLE;
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
typedef struct KwzDrawContext* HDC;
typedef struct KwzWindow* HWND;

/* Result codes of the library exports: one table for every library. The names in gaugit.h,
 * rast.h, profo.h, tikko.h and zcapapi.h are aliases of these. The values are fixed by the
 * call formats that programs were built against, so a code is never renumbered and never
 * given another meaning.
 *
 *   KWZ_OK               0   done
 *   KWZ_ERR_NULL_HANDLE  1   a handle (or a required window) was null or unknown; nothing
 *                            was touched
 *   KWZ_ERR_NO_MEMORY    2   memory ran out; nothing was created
 *   KWZ_ERR_NO_RULER    25   a graphic was started before a calibration ruler was set
 *   KWZ_ERR_FAILED      31   the operation failed or found nothing to act on
 *
 * The camera library adds the codes 3 to 8 of its own (zcapapi.h). */
#define KWZ_OK 0
#define KWZ_ERR_NULL_HANDLE 1
#define KWZ_ERR_NO_MEMORY 2
#define KWZ_ERR_NO_RULER 25
#define KWZ_ERR_FAILED 31

#endif /* KWZTYPES_H */
