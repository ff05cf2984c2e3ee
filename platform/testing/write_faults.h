#pragma once
// Write faults for tests: the disk fills up, or the process is killed, in the middle of a
// write. They act on writeFile (platform/files.h) everywhere in the process, inside the
// shared libraries too, through the shared platform state.

#include <cstdint>

namespace kwz::testing {

// After `bytes` more bytes have been written through writeFile in this process, every write
// fails (the partial write is done, as a full disk would). A negative value turns it off.
void failWritesAfter(int64_t bytes);
// The same, but reaching the limit ends the process at once with exitCode, as a kill in the
// middle of a write would (for death tests).
void exitWritesAfter(int64_t bytes, int exitCode);

} // namespace kwz::testing
