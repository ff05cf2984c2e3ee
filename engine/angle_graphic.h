#pragma once
// The angle at a vertex between two arms: arm end, vertex, arm end.

#include "engine/graphic.h"

namespace gaugit {

class AngleGraphic : public Graphic
{
  public:
    void begin(POINT p) override;
    void changePoint(POINT p) override;
    void addPoint(POINT p) override;
    bool isComplete() const override { return pointCount_ >= 3; }
    void moveBy(int dx, int dy) override;
    void moveEditPoint(int dx, int dy) override;
    bool hitBody(int x, int y) const override;
    HitBox hitBox() const override;
    bool hitEditPoint(int x, int y) override;
    void recompute() override;
    int typeCode() const override { return kTypeAngle; }
    // Drawing (engine/figures_draw.cpp).
    void draw(kwz::DrawContext& dc, int state) override;
    void drawDescriptor(kwz::DrawContext& dc, int x, int y) const override;

    POINT point(int i) const { return points_[i]; }
    // Sets point 0 to 2 as it is; the caller recomputes.
    void setPoint(int i, POINT p);

    // In the angle unit.
    float angle() const { return angle_; }
    int angleUnit() const { return angleUnit_; }
    // Recomputes when the unit changes.
    void setAngleUnit(int unit);

  private:
    POINT points_[3]{};
    float angle_ = 0.0f;
    int angleUnit_ = 0;
};

// Angle between the arms from the vertex, in radians; 0 when an arm has no length.
double armAngle(POINT arm0, POINT vertex, POINT arm2);

} // namespace gaugit
