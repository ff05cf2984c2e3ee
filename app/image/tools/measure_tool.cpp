#include "app/image/tools/measure_tool.h"

#include "app/image/tools/tool_context.h"
#include "app/shell/command_ids.h"
#include "rast.h"

void* MeasureTool::bitmap() const
{
    return context_.bitmap();
}

GRAPHICTYPE MeasureTool::construction(int* points) const
{
    GRAPHICTYPE type = GT_NULL;
    int placed = 0;
    // Without a picture or an engine nothing is being built.
    if (RASTGetConstruction(bitmap(), &type, &placed) != RAST_OK)
    {
        type = GT_NULL;
        placed = 0;
    }
    if (points != nullptr)
        *points = placed;
    return type;
}

void MeasureTool::move(POINT p, bool leftDown)
{
    if (leftDown)
        drag(p);
    else
        hover(p);
}

void MeasureTool::release(Qt::MouseButton button, POINT)
{
    // The right button ends the figure as far as it goes and returns to selecting.
    if (button != Qt::RightButton)
        return;
    cancel();
    context_.postCommand(cmd::ID_IMAGE_NORMAL);
}

bool MeasureTool::key(int key)
{
    switch (key)
    {
    case Qt::Key_Escape:
        cancel();
        context_.postCommand(cmd::ID_IMAGE_NORMAL);
        return true;
    // Taken even where they do nothing: the arrows do not scroll the picture.
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}
