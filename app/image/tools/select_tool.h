#pragma once
// Selecting and moving: a press selects what lies under it, a drag or the arrows move it.

#include "app/image/tools/measure_tool.h"

class SelectTool final : public MeasureTool
{
  public:
    explicit SelectTool(ToolContext& context) : MeasureTool(context, kSelect) {}
    bool key(int key) override;

  protected:
    void press(POINT p) override;
    void drag(POINT p) override;
    void hover(POINT p) override;

  private:
    void moveSelection(int dx, int dy);

    POINT anchor_{0, 0};
    // Whether the last press picked something, so that moving changes the document.
    bool picked_ = false;
};
