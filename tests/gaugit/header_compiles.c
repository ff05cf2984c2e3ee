/* The public header must compile as plain C. */
#include "gaugit.h"

int gaugitHeaderCompilesAsC(void)
{
    HGAUGIT handle = 0;
    LineMark mark = LINEMARK_NAME | LINEMARK_LENGTH;
    POINT p = {1, 2};
    (void)p;
    return GaugitSetLineMark(handle, &mark) == GAUGIT_NULL_HANDLE ? 0 : 1;
}
