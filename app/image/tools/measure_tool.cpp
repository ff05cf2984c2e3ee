#include "app/image/tools/measure_tool.h"

#include "app/image/tools/figure_tool.h"
#include "app/image/tools/polygon_tool.h"
#include "app/image/tools/select_tool.h"
#include "app/image/tools/text_tool.h"
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

namespace {

// The ruler tool, and any number that draws nothing.
class PassiveTool final : public MeasureTool
{
  public:
    using MeasureTool::MeasureTool;
};

} // namespace

std::unique_ptr<MeasureTool> makeMeasureTool(int id, ToolContext& context)
{
    switch (id)
    {
    case MeasureTool::kSelect:
        return std::make_unique<SelectTool>(context);
    case GT_LINE:
    case GT_RECT:
    case GT_CIRCLE_DIAMETER:
    case GT_CIRCLE_CENTRE:
    case GT_CIRCLE_3POINTS:
    case GT_ELLIPSE_BOX:
    case GT_ELLIPSE_CENTRE:
    case GT_ANGLE:
        return std::make_unique<FigureTool>(context, static_cast<GRAPHICTYPE>(id));
    case GT_POLYGON:
        return std::make_unique<PolygonTool>(context);
    case GT_TEXT:
        return std::make_unique<TextTool>(context);
    default:
        return std::make_unique<PassiveTool>(context, id);
    }
}
