#include "app/image/tools/figure_tool.h"

#include "app/image/tools/tool_context.h"
#include "rast.h"

void FigureTool::press(POINT p)
{
    if (building())
        RASTAddPointToGraphic(bitmap(), p);
    else
        RASTStartGraphic(bitmap(), p, type_);
    context().touch();
}

void FigureTool::hover(POINT p)
{
    // The open figure's next point follows the pointer.
    RASTChangePointToGraphic(bitmap(), p);
}

void FigureTool::cancel()
{
    // Finishing drops a figure that lacks points, and only that one.
    if (building())
        RASTFinishGraphic(bitmap());
}
