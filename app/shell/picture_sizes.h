#pragma once
// The five picture sizes of the live window, by size index, with the size bar's radio button
// of each.

#include <span>

#include "app/shell/command_ids.h"

struct PictureSize
{
    int width;
    int height;
    int controlId;
    const char* label;
};

inline constexpr PictureSize kPictureSizes[] = {
    {320, 240, cmd::IDC_SIZE_320, "320X240"},      {640, 480, cmd::IDC_SIZE_640, "640X480"},
    {1280, 1024, cmd::IDC_SIZE_1280, "1280X1024"}, {1600, 1200, cmd::IDC_SIZE_1600, "1600X1200"},
    {2048, 1536, cmd::IDC_SIZE_2048, "2048X1536"},
};

// The size of a size index; null for an index outside 0 to 4.
inline const PictureSize* pictureSizeAt(int index)
{
    return index >= 0 && index < static_cast<int>(std::size(kPictureSizes)) ? &kPictureSizes[index]
                                                                            : nullptr;
}
