/* The public header is plain C. */
#include "tikko.h"

/* The values are fixed by the call format: programs compare against the numbers. */
_Static_assert(TIKKO_OK == 0 && TIKKO_NULL_HANDLE == 1, "Tikko result codes");

int tikkoHeaderCompilesAsC(void)
{
    void* timer = 0;
    int (*delay)(void*, double) = TKDelayS;
    (void)delay;
    return TKUnInitialize(&timer);
}
