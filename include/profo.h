/* Profo: named values in INI files.
 *
 * A store is bound to one file path; every call goes to the file at once (no cache, nothing
 * to save), so two stores on one file see each other's writes. Section and key names match
 * without regard to case; lines a write does not concern stay as they are, comments
 * included; writing to a missing file, section or key creates it. Texts are narrow bytes
 * (GBK), passed through unchanged. Every write replaces the file atomically: a write that
 * fails or is interrupted leaves the previous file whole.
 *
 * Result codes (the values of kwztypes.h):
 *   PROFO_OK (0)           done;
 *   PROFO_NULL_HANDLE (1)  null handle (or, for PFInitialize, no memory or no place to store
 *                          the handle);
 *   PROFO_FAILED (31)      the operation failed or found nothing. */
#ifndef PROFO_H
#define PROFO_H

#include "kwztypes.h"

#define PROFO_OK KWZ_OK
#define PROFO_NULL_HANDLE KWZ_ERR_NULL_HANDLE
#define PROFO_FAILED KWZ_ERR_FAILED

/* Values read are cut to this many bytes, terminator included. */
#define PF_VALUE_BUFFER_SIZE 260

/* Creates a store bound to path (not opened or checked here). Sets *out to null first.
 * 0; 1 when out is null or the store cannot be allocated; 31 when path is null or longer
 * than 259 bytes (a cut path would name another file). */
KWZ_API int PFInitialize(const char* path, void** out);

/* Destroys the store and sets *out to null. 0; 1 when out or *out is null. */
KWZ_API int PFUnInitialize(void** out);

/* Writes key=value. A null value removes the key (and succeeds when it was not there).
 * 0; 1 null handle; 31 when the file system refuses the write (read-only file, missing
 * folder, unreadable existing file), when section or key is null or empty, or when a name
 * or value would break the file's lines (a line break anywhere, ']' in the section, '='
 * in the key, a key starting with '[', ';' or '#'). On 31 the file is unchanged. */
KWZ_API int PFSetString(void* store, const char* section, const char* key, const char* value);

/* Writes the value as signed decimal text. 0; 1; 31 as PFSetString. */
KWZ_API int PFSetInt(void* store, const char* section, const char* key, int value);

/* Writes "1" when flag is not 0, else "0". 0; 1; 31 as PFSetString. */
KWZ_API int PFSetBOOL(void* store, const char* section, const char* key, int flag);

/* Reads the value into buffer (PF_VALUE_BUFFER_SIZE bytes: at most 259 bytes and the
 * terminator; longer values are cut). A missing or empty value reads as defaultValue
 * (itself cut to 259 bytes). 0; 1 null handle; 31 when the value is missing or empty and
 * defaultValue is null (buffer then holds ""), or when buffer is null. */
KWZ_API int PFGetString(void* store, const char* section, const char* key, const char* defaultValue,
                        char* buffer);

/* *out = 1 when the value read as an integer is not 0, else 0; a missing or empty value
 * reads as defaultValue. 0; 1 null handle; 31 when out is null. */
KWZ_API int PFGetBOOL(void* store, const char* section, const char* key, int defaultValue,
                      int* out);

/* *out = the value read as an integer: an optional minus sign and the digits at its start
 * (a value starting otherwise reads as 0; values beyond the int range saturate); a missing
 * or empty value or an unreadable file gives defaultValue. 0; 1 null handle; 31 when out
 * is null. */
KWZ_API int PFGetDWORD(void* store, const char* section, const char* key, int defaultValue,
                       int* out);

#endif /* PROFO_H */
