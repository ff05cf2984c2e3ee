#pragma once
// The one place that knows every tool: the view asks it by tool number.

#include <memory>

#include "app/image/tools/measure_tool.h"

// The tool for a tool number; numbers without a mouse action (the ruler) get a passive one.
std::unique_ptr<MeasureTool> makeMeasureTool(int id, ToolContext& context);
