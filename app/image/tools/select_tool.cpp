#include "app/image/tools/select_tool.h"

#include "app/image/tools/tool_context.h"
#include "rast.h"

void SelectTool::press(POINT p)
{
    anchor_ = p;
    picked_ = context().selectAt(p.x, p.y);
}

void SelectTool::drag(POINT p)
{
    moveSelection(p.x - anchor_.x, p.y - anchor_.y);
    anchor_ = p;
}

void SelectTool::hover(POINT p)
{
    RASTIsPassGraphic(bitmap(), p.x, p.y);
}

bool SelectTool::key(int key)
{
    struct Step
    {
        int key, dx, dy;
    };
    static constexpr Step kSteps[] = {
        {Qt::Key_Left, -1, 0}, {Qt::Key_Up, 0, -1}, {Qt::Key_Right, 1, 0}, {Qt::Key_Down, 0, 1}};
    for (const Step& s : kSteps)
    {
        if (s.key == key)
        {
            moveSelection(s.dx, s.dy);
            return true;
        }
    }
    return MeasureTool::key(key);
}

void SelectTool::moveSelection(int dx, int dy)
{
    RASTMoveGraphic(bitmap(), dx, dy);
    if (picked_)
        context().touch();
}
