#include "platform/testing/write_faults.h"

#include "platform/platform_state_data.h"

namespace kwz::testing {

void failWritesAfter(int64_t bytes)
{
    PlatformState& state = platformState();
    state.exitCodeAtLimit.store(-1);
    state.writeBudget.store(bytes < 0 ? -1 : bytes);
}

void exitWritesAfter(int64_t bytes, int exitCode)
{
    PlatformState& state = platformState();
    state.exitCodeAtLimit.store(bytes < 0 ? -1 : exitCode);
    state.writeBudget.store(bytes < 0 ? -1 : bytes);
}

} // namespace kwz::testing
