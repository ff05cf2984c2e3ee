/* The public header must compile as plain C. */
#include "gaugit.h"

/* The values are fixed by the call format: programs compare against the numbers. */
_Static_assert(GAUGIT_OK == 0 && GAUGIT_NULL_HANDLE == 1 && GAUGIT_NO_RULER == 25 &&
                   GAUGIT_FAILED == 31,
               "Gaugit result codes");

int gaugitHeaderCompilesAsC(void)
{
    HGAUGIT handle = 0;
    LineMark mark = LINEMARK_NAME | LINEMARK_LENGTH;
    POINT p = {1, 2};
    (void)p;
    return GaugitSetLineMark(handle, &mark) == GAUGIT_NULL_HANDLE ? 0 : 1;
}
