#pragma once
// An axis-parallel ellipse by two corners of its bounding box (variant 7) or by its centre
// and one corner (8).

#include "engine/graphic.h"

namespace gaugit {

class EllipseGraphic : public Graphic
{
  public:
    explicit EllipseGraphic(int variant = kTypeEllipseBox);

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
    int typeCode() const override { return variant_; }
    // Drawing (engine/figures_draw.cpp).
    void draw(kwz::DrawContext& dc, int state) override;
    void drawDescriptor(kwz::DrawContext& dc, int x, int y) const override;

    int variant() const { return variant_; }
    // 7 or 8; anything else is ignored.
    void setVariant(int variant);

    POINT point(int i) const { return points_[i]; }
    // Sets a defining point (0 or 1) as it is; the caller recomputes.
    void setPoint(int i, POINT p);

    POINT centre() const { return centre_; }
    int semiAxisXPixels() const { return semiAxisX_; }
    int semiAxisYPixels() const { return semiAxisY_; }
    PointF centreUnits() const { return centreUnits_; }
    // The label calls the horizontal one the long radius, whichever is longer.
    float horizontalSemiAxis() const { return horizontal_; }
    float verticalSemiAxis() const { return vertical_; }
    float area() const { return area_; }
    float perimeter() const { return perimeter_; }

  protected:
    int beginRows() const override { return 6; }
    int beginColumns() const override { return 10; }

  private:
    POINT points_[2]{};
    PointF centreUnits_;
    float horizontal_ = 0.0f;
    float vertical_ = 0.0f;
    float area_ = 0.0f;
    float perimeter_ = 0.0f;
    int variant_;
    POINT centre_{0, 0};
    int semiAxisX_ = 0;
    int semiAxisY_ = 0;
};

// Perimeter of an ellipse with semi-axes a and b (Ramanujan-like approximation that gives
// 2 pi r for a circle); 0 for an ellipse of no size.
double ellipsePerimeter(double a, double b);

} // namespace gaugit
