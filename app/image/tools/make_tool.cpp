#include "app/image/tools/make_tool.h"

#include "app/image/tools/figure_tool.h"
#include "app/image/tools/polygon_tool.h"
#include "app/image/tools/select_tool.h"
#include "app/image/tools/text_tool.h"

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
