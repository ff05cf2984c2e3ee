#pragma once
// An axis-parallel rectangle by two opposite corners.

#include "engine/graphic.h"

namespace gaugit {

class RectGraphic : public Graphic
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
    int typeCode() const override { return kTypeRect; }
    // Drawing (engine/figures_draw.cpp).
    void draw(kwz::DrawContext& dc, int state) override;
    void drawDescriptor(kwz::DrawContext& dc, int x, int y) const override;

    POINT first() const { return first_; }
    POINT second() const { return second_; }
    // Sets the corners as they are; the caller recomputes.
    void setCorners(POINT first, POINT second);

    PointF firstUnits() const { return firstUnits_; }
    PointF secondUnits() const { return secondUnits_; }
    float width() const { return width_; }
    float height() const { return height_; }
    float area() const { return area_; }
    float perimeter() const { return perimeter_; }

  protected:
    int beginRows() const override { return 6; }
    int beginColumns() const override { return 10; }

  private:
    POINT first_{0, 0};
    POINT second_{0, 0};
    PointF firstUnits_;
    PointF secondUnits_;
    float width_ = 0.0f;
    float height_ = 0.0f;
    float area_ = 0.0f;
    float perimeter_ = 0.0f;
};

} // namespace gaugit
