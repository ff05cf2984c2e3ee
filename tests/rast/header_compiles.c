/* The public header is plain C. */
#include "rast.h"

/* The values are fixed by the call format: programs compare against the numbers. */
_Static_assert(RAST_OK == 0 && RAST_NULL_HANDLE == 1 && RAST_NO_MEMORY == 2 &&
                   RAST_NO_RULER == 25 && RAST_FAILED == 31,
               "Rast result codes");

int rastHeaderCompiles(void)
{
    SHOWRECT r = {0, 0, 1, 1};
    void* object = 0;
    return RASTInitialize(&object) + r.width;
}
