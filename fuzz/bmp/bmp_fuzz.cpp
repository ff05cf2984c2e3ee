// Any bytes as a BMP file: RASTReadFile must refuse them or load an image that displays and
// writes back to a file that reads as the same image.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/bmp/rast_fuzz_support.h"
#include "rast.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const rastfuzz::Scratch scratch("bmp");
    scratch.store(data, size);

    void* object = nullptr;
    if (RASTInitialize(&object) != RAST_OK)
        std::abort();
    if (RASTReadFile(object, scratch.input().c_str()) == RAST_OK)
    {
        int width = 0, height = 0, bits = 0;
        RASTGetWidth(object, &width);
        RASTGetHeight(object, &height);
        RASTGetBitCount(object, &bits);
        if (width <= 0 || height <= 0 || bits <= 0)
            std::abort();
        rastfuzz::display(object, width, height);
        // What was accepted writes back and reads back as the same file.
        if (RASTWriteFile(object, scratch.output().c_str(), 0) != RAST_OK)
            std::abort();
        const std::vector<uint8_t> first = rastfuzz::slurp(scratch.output());
        void* again = nullptr;
        RASTInitialize(&again);
        if (RASTReadFile(again, scratch.output().c_str()) != RAST_OK ||
            RASTWriteFile(again, scratch.output().c_str(), 1) != RAST_OK ||
            rastfuzz::slurp(scratch.output()) != first)
            std::abort();
        RASTUnInitialize(&again);
    }
    RASTUnInitialize(&object);
    return 0;
}
