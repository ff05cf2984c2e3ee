/* The public header is plain C. */
#include "tikko.h"

int tikkoHeaderCompilesAsC(void)
{
    void* timer = 0;
    int (*delay)(void*, double) = TKDelayS;
    (void)delay;
    return TKUnInitialize(&timer);
}
