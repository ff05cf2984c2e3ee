/* The public header is plain C. */
#include "rast.h"

int rastHeaderCompiles(void)
{
    SHOWRECT r = {0, 0, 1, 1};
    void* object = 0;
    return RASTInitialize(&object) + r.width;
}
