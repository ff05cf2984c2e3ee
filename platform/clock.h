#pragma once
// The 32-bit millisecond tick and the performance counter. Both read a fake clock instead
// while a test runs one (platform/testing/fake_clock.h), so throttles and timers are tested
// without sleeping.

#include <cstdint>

namespace kwz {

// Milliseconds since an arbitrary start, wrapping at 2^32 (GetTickCount).
uint32_t tickCount();
// High-resolution counter and its ticks per second.
int64_t performanceCounter();
int64_t performanceFrequency();

} // namespace kwz
