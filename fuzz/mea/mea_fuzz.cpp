// Any bytes as a measurement file: RASTReadMeasureFile (and with it the engine's stream
// reader) must refuse them or load image and graphics that draw, write and read back to the
// same file, and that survive being pointed at, selected, dragged, drawn and saved again.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/bmp/rast_fuzz_support.h"
#include "rast.h"

namespace {

// The stream's header and count block; graphic coordinates start behind them.
constexpr size_t kRecordsStart = 156 + 28;

// What the object writes reads back and writes again as the same bytes.
void checkRoundTrip(void* object, const rastfuzz::Scratch& scratch)
{
    rastfuzz::check(RASTWriteMeasureFile(object, scratch.output().c_str()) == RAST_OK,
                    "a loaded file writes");
    const std::vector<uint8_t> first = rastfuzz::slurp(scratch.output());
    void* again = nullptr;
    RASTInitialize(&again);
    rastfuzz::check(RASTReadMeasureFile(again, scratch.output().c_str()) == RAST_OK &&
                        RASTWriteMeasureFile(again, scratch.output().c_str()) == RAST_OK &&
                        rastfuzz::slurp(scratch.output()) == first,
                    "a written file reads back as written");
    RASTUnInitialize(&again);
}

} // namespace

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
        checkRoundTrip(object, scratch);
        rastfuzz::work(object, scratch, width, height,
                       rastfuzz::Points(data, size, kRecordsStart + 4));
        checkRoundTrip(object, scratch);
    }
    RASTUnInitialize(&object);
    return 0;
}
