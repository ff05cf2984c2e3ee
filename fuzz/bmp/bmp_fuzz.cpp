// Any bytes as a BMP file: RASTReadFile must refuse them or load an image that displays and
// writes back to a file that reads as the same image. Figures of every kind, placed by the
// file's own bytes, are then drawn over it, pointed at, dragged and saved with the image.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/bmp/rast_fuzz_support.h"
#include "rast.h"

namespace {

// Every kind of figure, from points the file's bytes give (its header holds sizes, offsets
// and, in damaged files, anything), finished or left under construction.
void addFigures(void* object, rastfuzz::Points points, int width, int height)
{
    RASTSetRuler(object, POINT{0, 0}, POINT{width, height}, ZQUNIT(1), 1.0f);
    // Fonts of any height are the measurement fuzzer's; here they stay quick to draw.
    RASTSetTxtFont(object, "", points.next() % 64, RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255));
    RASTSetMeasurePen(object, points.next(), points.next() % 16, RGB(255, 0, 0), RGB(0, 255, 0),
                      RGB(0, 0, 255));
    for (int type = GT_LINE; type <= GT_TEXT; ++type)
    {
        RASTStartGraphic(object, points.point(), GRAPHICTYPE(type));
        const int placed = type == GT_POLYGON ? 4 : 2;
        for (int i = 0; i < placed; ++i)
            RASTAddPointToGraphic(object, points.point());
        if (type == GT_TEXT)
            RASTAddStringToGraphic(object, "Wg");
        if (points.next() & 1)
            RASTFinishGraphic(object);
    }
}

} // namespace

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

        addFigures(object, rastfuzz::Points(data, size, 2), width, height);
        rastfuzz::work(object, scratch, width, height, rastfuzz::Points(data, size, 2));
    }
    RASTUnInitialize(&object);
    return 0;
}
