/* ZCAPAPI: the camera interface of kwzview. One library drives either a simulated microscope
 * camera (the default) or a V4L2 camera named by the environment variable KWZ_CAMERA
 * ("/dev/video0"). Pure C; every function returns an int result code (ZCAP_*), never throws,
 * and accepts a 0 handle or null pointers without crashing.
 *
 * Threads: frames are produced on a capture thread of the library's own. The frame routine
 * and the white-balance completion routine run on that thread; the live view paints the
 * window given to ZcapStartView from it too. All functions may be called from any thread. */
#ifndef ZCAPAPI_H
#define ZCAPAPI_H

#include "kwztypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes: 0 to 2 are those of kwztypes.h; 3 to 8 belong to this library alone, their
 * values fixed like the shared ones.
 *   ZCAP_OK (0)             done
 *   ZCAP_ERR_HANDLE (1)     handle 0, unknown or already released; null handle address
 *   ZCAP_ERR_NO_MEMORY (2)  out of memory
 *   ZCAP_ERR_ARGUMENT (3)   null pointer or value out of range
 *   ZCAP_ERR_DEVICE (4)     device absent, busy, or it stopped delivering frames
 *   ZCAP_ERR_FILE (5)       file could not be written (nothing is left behind)
 *   ZCAP_ERR_NO_FRAME (6)   no frame arrived in time
 *   ZCAP_ERR_VIEW (7)       the live view could not be started
 *   ZCAP_ERR_STATE (8)      not possible now (already recording, not recording) */
#define ZCAP_OK KWZ_OK
#define ZCAP_ERR_HANDLE KWZ_ERR_NULL_HANDLE
#define ZCAP_ERR_NO_MEMORY KWZ_ERR_NO_MEMORY
#define ZCAP_ERR_ARGUMENT 3
#define ZCAP_ERR_DEVICE 4
#define ZCAP_ERR_FILE 5
#define ZCAP_ERR_NO_FRAME 6
#define ZCAP_ERR_VIEW 7
#define ZCAP_ERR_STATE 8

/* The device handle: a 32-bit value, 0 means no camera. */
typedef DWORD ZCAPHANDLE;

/* The capture description, 36 bytes, laid out as 32-bit words:
 *   word 0    low 32 bits of the raw frame buffer address (kept for the layout only)
 *   word 1    picture height in pixels
 *   word 2    picture width in pixels
 *   words 3-4 the full 64-bit raw frame buffer address (low word first); the build is
 *             64-bit, so word 0 alone cannot hold it. Set both through
 *             ZcapInfoSetFrameBuffer, never by hand.
 *   word 5    exposure (1 to 1000; 150 exposes the simulated scene fully)
 *   byte 24   red gain, byte 25 green gain, byte 26 blue gain (1 to 255; 32 is unity)
 *   bytes 27-35 unused, left as the caller set them.
 * The library reads it field by field and never writes into it. The raw frame buffer is not
 * used by this library; a null address is fine. */
typedef struct tagZCAPINFO
{
    DWORD dwFrameBuffer;     /* word 0 */
    DWORD dwHeight;          /* word 1 */
    DWORD dwWidth;           /* word 2 */
    DWORD dwFrameBufferLow;  /* word 3 */
    DWORD dwFrameBufferHigh; /* word 4 */
    DWORD dwExposure;        /* word 5 */
    BYTE byRedGain;          /* byte 24 */
    BYTE byGreenGain;        /* byte 25 */
    BYTE byBlueGain;         /* byte 26 */
    BYTE byReserved[9];      /* bytes 27-35 */
} ZCAPINFO;

#ifdef __cplusplus
static_assert(sizeof(ZCAPINFO) == 36, "the capture description is 36 bytes");
#else
_Static_assert(sizeof(ZCAPINFO) == 36, "the capture description is 36 bytes");
#endif

static inline void ZcapInfoSetFrameBuffer(ZCAPINFO* info, void* buffer)
{
    uint64_t address = (uint64_t)(uintptr_t)buffer;
    info->dwFrameBuffer = (DWORD)address;
    info->dwFrameBufferLow = (DWORD)address;
    info->dwFrameBufferHigh = (DWORD)(address >> 32);
}

static inline void* ZcapInfoFrameBuffer(const ZCAPINFO* info)
{
    uint64_t address = ((uint64_t)info->dwFrameBufferHigh << 32) | info->dwFrameBufferLow;
    return (void*)(uintptr_t)address;
}

/* Placement of the live picture in the view window, in window pixels. */
typedef struct tagZCAPVIEWWIN
{
    LONG x;
    LONG y;
    LONG width;
    LONG height;
} ZCAPVIEWWIN;

/* White balance finished: byte 0 red gain, byte 1 green gain, byte 2 blue gain, byte 3 half
 * the exposure. Called once per started balance, on the capture thread. */
typedef void (*ZCAPAWBPROC)(DWORD packed, void* context);

/* Called for every frame before it is shown, captured or recorded; may change the frame in
 * place. The frame is width x height x 3 bytes of blue-green-red rows, bottom row first, no
 * row padding, at the size of the last ZcapStartView (before the first view: of the last
 * ZcapSetCapInfo). `bytes` is the frame's size in bytes. Runs on the capture thread. */
typedef void (*ZCAPFRAMEPROC)(BYTE* frame, DWORD bytes, void* context);

/* Called for every frame that goes into a recording, on the recording's own copy, before it
 * is encoded: what it draws is recorded, never shown, grabbed or captured. The frame is
 * width x height x 3 bytes of blue-green-red rows, bottom row first, no row padding, at the
 * recording's size. Frames the recorder drops are not passed. Runs on the capture thread,
 * after the frame routine; ZcapCaptureToAvi called from it returns ZCAP_ERR_STATE. */
typedef void (*ZCAPRECORDPROC)(BYTE* frame, DWORD width, DWORD height, void* context);

/* Opens the camera. `brand` is informational (may be null). *deviceKind receives 1 for the
 * simulated camera, 2 for a V4L2 camera (may be null). `info` gives the first picture size,
 * exposure and gains. *handle receives the new handle, 0 on failure.
 * Returns ZCAP_OK; ZCAP_ERR_HANDLE (handle null); ZCAP_ERR_ARGUMENT (info null or size out of
 * range); ZCAP_ERR_DEVICE (the V4L2 device is missing, busy or offers no usable format);
 * ZCAP_ERR_NO_MEMORY. */
KWZ_API int ZcapInitialize(const char* brand, DWORD* deviceKind, const ZCAPINFO* info,
                           ZCAPHANDLE* handle);

/* Stops view, recording (the file is closed properly) and balance, releases the device and
 * sets *handle to 0. Returns ZCAP_OK or ZCAP_ERR_HANDLE. */
KWZ_API int ZcapUninitialize(ZCAPHANDLE* handle);

/* Applies exposure and gains, and the size that grabs and files are made at. Until the first
 * ZcapStartView it also sets the size frames are taken at; after that the view's size does.
 * Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT (null, or width/height 0, width or
 * height above 4096, or more than 2048 x 1536 pixels; nothing is applied then). */
KWZ_API int ZcapSetCapInfo(ZCAPHANDLE handle, const ZCAPINFO* info);

/* Starts painting every frame into `parent` (an HWND, a kwz::Window) at the placement of
 * ZcapSetViewWin, {0, 0, width, height} until that is called. The stream switches to
 * width x height. `title`, `style`, `x`, `y` and `reserved` are accepted and ignored.
 * Returns ZCAP_OK or ZCAP_ERR_VIEW (7) for every failure: bad handle, null window, size out of
 * range, device error. Starting again while started only changes window and size. */
KWZ_API int ZcapStartView(ZCAPHANDLE handle, const char* title, DWORD style, int x, int y,
                          int width, int height, HWND parent, DWORD reserved);

/* Stops painting. Returns ZCAP_OK (also when not started) or ZCAP_ERR_HANDLE. */
KWZ_API int ZcapStopView(ZCAPHANDLE handle);

/* Sets where the picture is painted, scaled to width x height (both above 0).
 * Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT. */
KWZ_API int ZcapSetViewWin(ZCAPHANDLE handle, const ZCAPVIEWWIN* placement);

/* Copies the latest frame, at the size of info (scaled when the stream runs at another size),
 * into `dest` (width x height x 3 bytes, bottom row first). Takes a frame itself when the
 * stream is not running. Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT,
 * ZCAP_ERR_NO_FRAME, ZCAP_ERR_DEVICE. */
KWZ_API int ZcapGetRgbFrame(ZCAPHANDLE handle, const ZCAPINFO* info, BYTE* dest);

/* Writes the latest frame at the size of info as a 24-bit BMP file. `work` (may be null)
 * receives the frame like ZcapGetRgbFrame's dest and must then hold width x height x 3 bytes.
 * The file appears whole or not at all. Returns the codes of ZcapGetRgbFrame and
 * ZCAP_ERR_FILE. */
KWZ_API int ZcapGetRgbFrameToBmp(ZCAPHANDLE handle, const ZCAPINFO* info, BYTE* work,
                                 const char* fileName);

/* As ZcapGetRgbFrameToBmp, as a baseline JPEG file of the given quality (1 to 100). */
KWZ_API int ZcapGetRgbFrameToJpeg(ZCAPHANDLE handle, const ZCAPINFO* info, BYTE* work,
                                  const char* fileName, int quality);

/* start 1: records every following frame as MJPEG into a new AVI file (OpenDML, so it may
 * pass 1 GiB); its frame rate is the rate the frames really arrived at. start 0: finishes
 * and closes the recording (fileName is then ignored and may be null).
 * Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT, ZCAP_ERR_STATE (start while recording,
 * stop while not), ZCAP_ERR_FILE (cannot be created: no file is left), ZCAP_ERR_DEVICE. */
KWZ_API int ZcapCaptureToAvi(ZCAPHANDLE handle, int start, const char* fileName);

/* Why a running recording stopped writing by itself. The library finishes such a file at once
 * up to its last whole frame, with its index; ZcapCaptureToAvi(handle, 0, ...) then still
 * ends the recording and returns ZCAP_ERR_FILE. */
#define ZCAP_RECORD_OK 0          /* writing, or no recording */
#define ZCAP_RECORD_DISK_FULL 1   /* no space left on the disk */
#define ZCAP_RECORD_FOLDER_GONE 2 /* the file, its folder or the medium went away */
#define ZCAP_RECORD_PERMISSION 3  /* writing was refused */
#define ZCAP_RECORD_WRITE_ERROR 4 /* any other failure of the disk */
#define ZCAP_RECORD_DEVICE_GONE                                                                    \
    5 /* the camera went away; the file holds what it sent and is                                  \
         whole: ZcapCaptureToAvi(handle, 0, ...) returns ZCAP_OK */

/* *fault receives one of the ZCAP_RECORD_ values above.
 * Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT (fault null). */
KWZ_API int ZcapGetRecordFault(ZCAPHANDLE handle, int* fault);

/* Whether the camera is still there. It is gone when it stopped delivering frames and could
 * not be started again (unplugged, or errors that persist); a running recording is then
 * finished at once (ZCAP_RECORD_DEVICE_GONE). ZcapStartView, ZcapSetCapInfo and the grabs try
 * the device again (reopening it), and it counts as present again once it streams. */
#define ZCAP_DEVICE_PRESENT 0
#define ZCAP_DEVICE_GONE 1

/* *state receives ZCAP_DEVICE_PRESENT or ZCAP_DEVICE_GONE.
 * Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT (state null). */
KWZ_API int ZcapGetDeviceState(ZCAPHANDLE handle, int* state);

/* Finishes a recording that was cut off (the program killed, the power gone): the file is cut
 * back to its last whole frame and gets its index, so players show its length. *frames (may
 * be null) receives the frames kept. Returns ZCAP_OK when the file was finished now,
 * ZCAP_ERR_STATE when it was whole already (nothing changed), ZCAP_ERR_ARGUMENT (null name,
 * or not an AVI file of this library), ZCAP_ERR_FILE (cannot be opened or written). */
KWZ_API int ZcapFinishCutAvi(const char* fileName, int* frames);

/* *fps receives the frames per second delivered over about the last second; 0 while the
 * stream is stopped. Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT. */
KWZ_API int ZcapGetFrameRate(ZCAPHANDLE handle, float* fps);

/* Gamma 0.01 to 2.00 (values beyond are clamped): out = in ^ (1 / gamma), so a larger gamma
 * brightens the mid-tones; 1.0 leaves the picture. enable 0 switches gamma off.
 * Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT (not a number). */
KWZ_API int ZcapSetGammaValue(ZCAPHANDLE handle, float gamma, int enable);

/* Adds red, green and blue offsets (-255 to 255, clamped) after gains and gamma; enable 0
 * switches them off. Returns ZCAP_OK or ZCAP_ERR_HANDLE. */
KWZ_API int ZcapEnableColorOffset(ZCAPHANDLE handle, int red, int green, int blue, int enable);

/* start 1: balances the gains on the live picture (about a second) and then calls `done` once
 * with the result; the gains stay applied. `maxFrames` bounds the frames the balance may take
 * (0: 180); the routine is called with the best gains found when the bound is reached.
 * start 0: cancels a running balance without calling the routine and restores the gains it
 * started from. While balancing, gains from ZcapSetCapInfo are kept for that restore.
 * Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT (start 1 without a routine),
 * ZCAP_ERR_DEVICE. */
KWZ_API int ZcapSetDoAWB(ZCAPHANDLE handle, int start, int maxFrames, ZCAPAWBPROC done,
                         void* context);

/* The lamps of the microscope, as bits of ZcapSetLights' `lights`. */
#define ZCAP_LIGHT_TOP_INNER 0x1u
#define ZCAP_LIGHT_TOP_OUTER 0x2u
#define ZCAP_LIGHT_BOTTOM 0x4u
#define ZCAP_LIGHT_LASER 0x8u
#define ZCAP_LIGHT_ALL 0xFu

/* Switches the lamps: a set bit is a lamp on. Until this is called the top and bottom lamps are
 * on and the laser is off. The simulated camera's scene follows them: the two top lamps light
 * it from above, the bottom lamp shines through the slide (opaque parts turn dark against it),
 * the laser marks the centre with a red spot. A V4L2 camera has no lamps to switch; its picture
 * stays as it is.
 * Returns ZCAP_OK, ZCAP_ERR_HANDLE, ZCAP_ERR_ARGUMENT (a bit beyond ZCAP_LIGHT_ALL). */
KWZ_API int ZcapSetLights(ZCAPHANDLE handle, unsigned lights);

/* Sets the routine called for every frame (null removes it). When this returns, a routine
 * that was replaced is no longer running. Returns ZCAP_OK or ZCAP_ERR_HANDLE. */
KWZ_API int ZcapSetFrameCallback(ZCAPHANDLE handle, ZCAPFRAMEPROC routine, void* context);

/* Sets the routine called for every recorded frame (null removes it); it stays set from one
 * recording to the next. When this returns, a routine that was replaced is no longer running.
 * Returns ZCAP_OK or ZCAP_ERR_HANDLE. */
KWZ_API int ZcapSetRecordCallback(ZCAPHANDLE handle, ZCAPRECORDPROC routine, void* context);

#ifdef __cplusplus
}
#endif

#endif /* ZCAPAPI_H */
