#pragma once
// Figures of a fixed number of points: lines, rectangles, circles and ellipses of both kinds
// (two points), circles through three points and angles (three). Each press places the next
// point; the engine says when the last one is placed, and the press after it starts anew.

#include "app/image/tools/measure_tool.h"

class FigureTool final : public MeasureTool
{
  public:
    FigureTool(ToolContext& context, GRAPHICTYPE type) : MeasureTool(context, type), type_(type) {}
    Qt::CursorShape cursor() const override { return Qt::CrossCursor; }
    void cancel() override;

  protected:
    void press(POINT p) override;
    void hover(POINT p) override;

  private:
    bool building() const { return construction() == type_; }

    GRAPHICTYPE type_;
};
