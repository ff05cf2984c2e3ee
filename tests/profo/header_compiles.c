/* The public header is plain C. */
#include "profo.h"

/* The values are fixed by the call format: programs compare against the numbers. */
_Static_assert(PROFO_OK == 0 && PROFO_NULL_HANDLE == 1 && PROFO_FAILED == 31, "Profo result codes");

int profoHeaderCompilesAsC(void)
{
    void* store = 0;
    char buffer[PF_VALUE_BUFFER_SIZE];
    int (*get)(void*, const char*, const char*, const char*, char*) = PFGetString;
    (void)buffer;
    (void)get;
    return PFUnInitialize(&store);
}
