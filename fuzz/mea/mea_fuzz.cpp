// Any bytes as a measurement file: RASTReadMeasureFile (and with it the engine's stream
// reader) must refuse them or load image and graphics that draw, write and read back to the
// same file.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/bmp/rast_fuzz_support.h"
#include "rast.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const rastfuzz::Scratch scratch("mea");
    scratch.store(data, size);

    void* object = nullptr;
    if (RASTInitialize(&object) != RAST_OK)
        std::abort();
    if (RASTReadMeasureFile(object, scratch.input().c_str()) == RAST_OK)
    {
        int width = 0, height = 0;
        RASTGetWidth(object, &width);
        RASTGetHeight(object, &height);
        rastfuzz::display(object, width, height);
        RASTIsHitGraphic(object, width / 2, height / 2);
        if (RASTWriteMeasureFile(object, scratch.output().c_str()) != RAST_OK)
            std::abort();
        const std::vector<uint8_t> first = rastfuzz::slurp(scratch.output());
        void* again = nullptr;
        RASTInitialize(&again);
        if (RASTReadMeasureFile(again, scratch.output().c_str()) != RAST_OK ||
            RASTWriteMeasureFile(again, scratch.output().c_str()) != RAST_OK ||
            rastfuzz::slurp(scratch.output()) != first)
            std::abort();
        RASTUnInitialize(&again);
    }
    RASTUnInitialize(&object);
    return 0;
}
