#pragma once
// A circle by a diameter (variant 4), by centre and a point on it (5) or through three
// points (6).

#include "engine/graphic.h"

namespace gaugit {

class CircleGraphic : public Graphic
{
  public:
    explicit CircleGraphic(int variant = kTypeCircleDiameter);

    void begin(POINT p) override;
    void changePoint(POINT p) override;
    void addPoint(POINT p) override;
    bool isComplete() const override { return pointCount_ >= pointsNeeded(); }
    void moveBy(int dx, int dy) override;
    void moveEditPoint(int dx, int dy) override;
    bool hitBody(int x, int y) const override;
    HitBox hitBox() const override;
    bool hitEditPoint(int x, int y) override;
    void recompute() override;
    int typeCode() const override { return variant_; }
    // Drawing (engine/figures_draw.cpp).
    void draw(kwz::DrawContext& dc, int state) override;
    void drawDescriptor(kwz::DrawContext& dc, int x, int y) const override;

    int variant() const { return variant_; }
    // 4, 5 or 6; anything else is ignored.
    void setVariant(int variant);
    int pointsNeeded() const { return variant_ == kTypeCircleThreePoints ? 3 : 2; }

    POINT point(int i) const { return points_[i]; }
    // Sets a defining point (0 to 2) as it is; the caller recomputes.
    void setPoint(int i, POINT p);

    POINT centre() const { return centre_; }
    float radiusPixels() const { return radiusPixels_; }
    PointF centreUnits() const { return centreUnits_; }
    float radius() const { return radius_; }
    float area() const { return area_; }
    float perimeter() const { return perimeter_; }
    // Perpendicular bisectors y = -K x + B of the chords P0P1 and P1P2 (three-point variant).
    float k1() const { return k1_; }
    float k2() const { return k2_; }
    float b1() const { return b1_; }
    float b2() const { return b2_; }

  protected:
    int beginRows() const override { return 6; }
    int beginColumns() const override { return 10; }

  private:
    void computeThreePointCircle();
    void fallbackThreePointCircle();

    POINT points_[3]{};
    float k1_ = 0.0f;
    float k2_ = 0.0f;
    float b1_ = 0.0f;
    float b2_ = 0.0f;
    float radiusPixels_ = 0.0f;
    POINT centre_{0, 0};
    PointF centreUnits_;
    float radius_ = 0.0f;
    float area_ = 0.0f;
    float perimeter_ = 0.0f;
    int variant_;
};

} // namespace gaugit
