#include <dlfcn.h>

#include "platform/platform_state_data.h"

// Exported by programs (see platform/CMakeLists.txt); hidden inside shared libraries by their
// version scripts, so the dynamic linker only ever finds the program's copy.
extern "C" __attribute__((visibility("default"))) kwz::PlatformState* kwz_platform_state()
{
    // Never destroyed: libraries may still trace or post while the process exits.
    static kwz::PlatformState* const state = new kwz::PlatformState;
    return state;
}

namespace kwz {

PlatformState::PlatformState()
{
    pthread_key_create(&threadKey, &forgetThread);
}

namespace {

PlatformState* locate()
{
    using Getter = PlatformState* (*)();
    void* symbol = dlsym(RTLD_DEFAULT, "kwz_platform_state");
    if (symbol != nullptr)
    {
        PlatformState* shared = reinterpret_cast<Getter>(symbol)();
        if (shared != nullptr && shared->size == sizeof(PlatformState))
            return shared;
    }
    return kwz_platform_state();
}

} // namespace

PlatformState& platformState()
{
    static PlatformState* const state = locate();
    return *state;
}

} // namespace kwz
