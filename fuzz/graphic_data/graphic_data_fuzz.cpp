// Any bytes as figure data: RASTReadGraphicData must refuse them and leave the figures as
// they were, or take them so that the object gives back exactly these bytes.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "rast.h"

namespace {

std::vector<uint8_t> dataOf(void* object)
{
    int size = 0;
    RASTWriteGraphicData(object, nullptr, 0, &size);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (RASTWriteGraphicData(object, bytes.data(), size, &size) != RAST_OK)
        std::abort();
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    void* object = nullptr;
    if (RASTInitialize(&object) != RAST_OK)
        std::abort();
    std::vector<uint8_t> pixels(size_t(32 * 3) * 24, 0x80);
    RASTReadPixels(object, pixels.data(), 32, 24, 24);
    RASTEnableMeasure(object, POINT{2, 2}, POINT{22, 2}, ZQ_MM, 1.0f);
    const std::vector<uint8_t> before = dataOf(object);
    if (RASTReadGraphicData(object, data, int(size)) == RAST_OK)
    {
        const std::vector<uint8_t> now = dataOf(object);
        if (now.size() != size || !std::equal(now.begin(), now.end(), data))
            std::abort();
        // What was taken draws.
        RASTDraw(object, nullptr, 0, 0, 32, 24);
    }
    else if (dataOf(object) != before)
    {
        std::abort();
    }
    RASTUnInitialize(&object);
    return 0;
}
