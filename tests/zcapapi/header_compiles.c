/* The public header must stay plain C. */
#include "zcapapi.h"

/* The values are fixed by the call format: programs compare against the numbers. */
_Static_assert(ZCAP_OK == 0 && ZCAP_ERR_HANDLE == 1 && ZCAP_ERR_NO_MEMORY == 2 &&
                   ZCAP_ERR_ARGUMENT == 3 && ZCAP_ERR_DEVICE == 4 && ZCAP_ERR_FILE == 5 &&
                   ZCAP_ERR_NO_FRAME == 6 && ZCAP_ERR_VIEW == 7 && ZCAP_ERR_STATE == 8,
               "ZCAPAPI result codes");

int zcapHeaderIsC(void)
{
    ZCAPINFO info = {0, 0, 0, 0, 0, 0, 0, 0, 0, {0}};
    ZcapInfoSetFrameBuffer(&info, &info);
    return ZcapInfoFrameBuffer(&info) == (void*)&info && sizeof(ZCAPINFO) == 36;
}
