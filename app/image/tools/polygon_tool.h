#pragma once
// Polygons: every press adds a vertex until the right button, Escape or another tool ends
// the polygon; fewer than three vertices make no polygon.

#include "app/image/tools/measure_tool.h"

class PolygonTool final : public MeasureTool
{
  public:
    static constexpr int kFewestVertices = 3;

    explicit PolygonTool(ToolContext& context) : MeasureTool(context, GT_POLYGON) {}
    Qt::CursorShape cursor() const override { return Qt::CrossCursor; }
    void cancel() override;

  protected:
    void press(POINT p) override;
    void hover(POINT p) override;
};
