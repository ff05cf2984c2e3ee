/* Tikko: stop-watches and waits.
 *
 * A timer object holds a millisecond stop-watch (on the 32-bit millisecond clock) and a fine
 * stop-watch (on the performance counter). A timer belongs to one thread.
 *
 * Result codes (the values of kwztypes.h):
 *   TIKKO_OK (0)           done;
 *   TIKKO_NULL_HANDLE (1)  null handle (or, for TKInitialize, no memory); also what a
 *                          failure inside a wait reports. */
#ifndef TIKKO_H
#define TIKKO_H

#include "kwztypes.h"

#define TIKKO_OK KWZ_OK
#define TIKKO_NULL_HANDLE KWZ_ERR_NULL_HANDLE

/* Creates a timer; sets *out to null first. 0; 1 when out is null or memory is short. */
KWZ_API int TKInitialize(void** out);

/* Destroys the timer and sets *out to null. 0; 1 when out or *out is null. */
KWZ_API int TKUnInitialize(void** out);

/* Notes the millisecond clock as the start time. 0; 1. */
KWZ_API int TKStartTimer(void* timer);

/* Notes the clock as the stop time; *out = stop - start in milliseconds (unsigned
 * difference, so one wrap of the clock is harmless; measured from 0 when the timer was never
 * started). 0; 1. A null out is allowed. */
KWZ_API int TKStopTimer(void* timer, int* out);

/* Notes the performance counter as the start of the fine stop-watch. 0; 1. */
KWZ_API int TKBeginTimer(void* timer);

/* *out = whole milliseconds since TKBeginTimer (truncated), also traced to the debug
 * output. 0; 1. A null out is allowed. */
KWZ_API int TKEndTimer(void* timer, int* out);

/* Waits the given milliseconds while handling the calling thread's messages: each message
 * that arrives is handled at once, at least one that is already queued is handled, and the
 * call returns when the time is up even if no message comes. 0; 1. */
KWZ_API int TKDelayMS(void* timer, int milliseconds);

/* Busy-waits the given seconds on the performance counter, keeping one processor busy.
 * A zero, negative or not-a-number time returns at once. 0; 1. */
KWZ_API int TKDelayS(void* timer, double seconds);

#endif /* TIKKO_H */
