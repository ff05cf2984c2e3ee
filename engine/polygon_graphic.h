#pragma once
// A closed polygon of up to 31 vertices.

#include "engine/graphic.h"

namespace gaugit {

constexpr int kMaxPolygonVertices = 31;
// One more slot holds the floating vertex while the polygon is built.
constexpr int kPolygonRoom = 32;

class PolygonGraphic : public Graphic
{
  public:
    void begin(POINT p) override;
    void changePoint(POINT p) override;
    void addPoint(POINT p) override;
    // Closes the outline: the floating vertex no longer counts.
    void finish() override;
    bool isComplete() const override { return pointCount_ > 1; }
    void moveBy(int dx, int dy) override;
    void moveEditPoint(int dx, int dy) override;
    bool hitBody(int x, int y) const override;
    HitBox hitBox() const override;
    bool hitEditPoint(int x, int y) override;
    void recompute() override;
    int typeCode() const override { return kTypePolygon; }
    // Drawing (engine/figures_draw.cpp).
    void draw(kwz::DrawContext& dc, int state) override;
    void drawDescriptor(kwz::DrawContext& dc, int x, int y) const override;
    // Polygons keep no bounds: the box of the vertices (and the floating one).
    RECT extentRect() const override;

    int vertexCount() const { return pointCount_; }
    // Clamped to 0..31 so the vertices never leave their room.
    void setVertexCount(int count);
    POINT vertex(int i) const { return vertices_[i]; }
    // Sets vertex 0 to 31 as it is; the caller recomputes.
    void setVertex(int i, POINT p);
    // Vertices in use: the placed ones, plus the floating one while not finished.
    int activeVertexCount() const;

    float perimeter() const { return perimeter_; }
    float area() const { return area_; }

  private:
    float perimeter_ = 0.0f;
    float area_ = 0.0f;
    POINT vertices_[kPolygonRoom]{};
};

} // namespace gaugit
