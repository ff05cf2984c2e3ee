#include "app/image/tools/polygon_tool.h"

#include "app/image/tools/tool_context.h"
#include "rast.h"

void PolygonTool::press(POINT p)
{
    if (construction() == GT_POLYGON)
        RASTAddPointToGraphic(bitmap(), p);
    else
        RASTStartGraphic(bitmap(), p, GT_POLYGON);
    context().touch();
}

void PolygonTool::hover(POINT p)
{
    RASTChangePointToGraphic(bitmap(), p);
}

void PolygonTool::cancel()
{
    int points = 0;
    if (construction(&points) != GT_POLYGON)
        return;
    // The engine would keep two vertices as a polygon; a flat one measures nothing.
    if (points >= kFewestVertices)
        RASTFinishGraphic(bitmap());
    else
        RASTClearHitGraphic(bitmap());
}
