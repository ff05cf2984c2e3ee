#pragma once

namespace kwz {

// Whether drawing takes vector paths where the processor has them (on by default). Shared by
// every copy of the platform layer in the process, so tests can run the libraries' drawing
// on the portable paths as well as on the vector ones.
bool vectorDrawingEnabled();
void setVectorDrawingEnabled(bool enabled);

} // namespace kwz
