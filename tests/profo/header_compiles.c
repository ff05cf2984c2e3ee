/* The public header is plain C. */
#include "profo.h"

int profoHeaderCompilesAsC(void)
{
    void* store = 0;
    char buffer[PF_VALUE_BUFFER_SIZE];
    int (*get)(void*, const char*, const char*, const char*, char*) = PFGetString;
    (void)buffer;
    (void)get;
    return PFUnInitialize(&store);
}
