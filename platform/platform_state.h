#pragma once
// Process-wide state of the platform layer (the hooks: message-box handler, trace sink,
// fake clock, message pump).
//
// kwzplatform is a static library linked into each shared library and program, so each
// would otherwise have hooks of its own and a handler the program installs would never
// reach the libraries. The executable exports kwz_platform_state (the link option comes
// with the kwzplatform target); every copy of this code looks it up through the dynamic
// linker at first use and shares the executable's state. A library loaded where no such
// executable exists (ctypes from Python) keeps its own state.

namespace kwz {

struct PlatformState;
PlatformState& platformState();

} // namespace kwz
