#include "platform/draw/vector_drawing.h"

#include "platform/platform_state_data.h"

namespace kwz {

bool vectorDrawingEnabled()
{
    return platformState().vectorDrawing.load(std::memory_order_relaxed);
}

void setVectorDrawingEnabled(bool enabled)
{
    platformState().vectorDrawing.store(enabled, std::memory_order_relaxed);
}

} // namespace kwz
