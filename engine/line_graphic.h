#pragma once
// A straight line between two points, measured in length and end points.

#include "engine/graphic.h"

namespace gaugit {

class LineGraphic : public Graphic
{
  public:
    void begin(POINT p) override;
    void changePoint(POINT p) override;
    void addPoint(POINT p) override;
    bool isComplete() const override { return pointCount_ >= 2; }
    void moveBy(int dx, int dy) override;
    void moveEditPoint(int dx, int dy) override;
    bool hitBody(int x, int y) const override;
    HitBox hitBox() const override;
    bool hitEditPoint(int x, int y) override;
    void recompute() override;
    int typeCode() const override { return kTypeLine; }
    // Drawing (engine/figures_draw.cpp).
    void draw(kwz::DrawContext& dc, int state) override;
    void drawDescriptor(kwz::DrawContext& dc, int x, int y) const override;

    POINT start() const { return start_; }
    POINT end() const { return end_; }
    // Sets the points as they are; the caller recomputes.
    void setPoints(POINT start, POINT end);

    PointF startUnits() const { return startUnits_; }
    PointF endUnits() const { return endUnits_; }
    float length() const { return length_; }
    float slope() const { return slope_; }
    float intercept() const { return intercept_; }

  protected:
    POINT start_{0, 0};
    POINT end_{0, 0};
    PointF startUnits_;
    PointF endUnits_;
    float length_ = 0.0f;
    // Of the line y = k x + b through the points; kept from before while the line is vertical.
    float slope_ = 0.0f;
    float intercept_ = 0.0f;
};

} // namespace gaugit
