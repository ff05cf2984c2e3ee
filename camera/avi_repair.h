#pragma once
// Finishes an AVI recording that its writer could not finish (a full disk, a kill, a power
// cut): the file is cut back to its last whole frame and gets the index and frame counts that
// were never written, so that players know its length and can seek in it.

#include <string>

namespace zcap {

enum class AviRepair
{
    Whole,    // the file was finished properly; nothing changed
    Repaired, // cut back to its last whole frame and indexed
    NotAvi,   // not an AVI file of this library's layout; nothing changed
    Failed,   // could not be opened or written
};

struct AviRepairResult
{
    AviRepair outcome = AviRepair::Failed;
    int frames = 0; // frames in the file afterwards; -1 when a whole file was not counted
};

// When the disk is full, frames are given up from the end until the index fits.
AviRepairResult repairAvi(const std::string& path);

} // namespace zcap
