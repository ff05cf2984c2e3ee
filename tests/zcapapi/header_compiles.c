/* The public header must stay plain C. */
#include "zcapapi.h"

int zcapHeaderIsC(void)
{
    ZCAPINFO info = {0, 0, 0, 0, 0, 0, 0, 0, 0, {0}};
    ZcapInfoSetFrameBuffer(&info, &info);
    return ZcapInfoFrameBuffer(&info) == (void*)&info && sizeof(ZCAPINFO) == 36;
}
