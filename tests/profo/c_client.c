/* A plain C program using Profo, as any C caller would: no C++ on its side. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "profo.h"

int main(void)
{
    char folder[] = "/tmp/profo_c.XXXXXX";
    char path[PF_VALUE_BUFFER_SIZE];
    char value[PF_VALUE_BUFFER_SIZE];
    void* store = NULL;
    int number = 0;
    int failures = 0;

    if (mkdtemp(folder) == NULL)
        return 2;
    snprintf(path, sizeof path, "%s/c.ini", folder);
    failures += PFInitialize(path, &store) != 0;
    failures += PFSetInt(store, "Main", "nCount", -7) != 0;
    failures += PFGetDWORD(store, "MAIN", "NCOUNT", 0, &number) != 0 || number != -7;
    failures += PFGetString(store, "Main", "strMissing", NULL, value) != 31;
    failures += PFGetString(store, "Main", "nCount", NULL, value) != 0 || strcmp(value, "-7") != 0;
    failures += PFUnInitialize(&store) != 0 || store != NULL;
    unlink(path);
    rmdir(folder);
    if (failures != 0)
        fprintf(stderr, "%d checks failed\n", failures);
    return failures == 0 ? 0 : 1;
}
