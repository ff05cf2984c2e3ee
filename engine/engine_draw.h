#pragma once
// Draws an engine instance's ruler and graphics onto a drawing context, in image pixels.

namespace kwz {
class DrawContext;
}

namespace gaugit {

class GaugitEngine;

// Nothing without a ruler. Sets each graphic's list number to its index as it goes.
void drawEngine(GaugitEngine& engine, kwz::DrawContext& dc);

} // namespace gaugit
