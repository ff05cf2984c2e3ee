#pragma once
// The calibration ruler: a line of known length that turns pixels into units.

#include "engine/line_graphic.h"

namespace gaugit {

class RulerGraphic : public LineGraphic
{
  public:
    void recompute() override;
    int typeCode() const override { return kTypeRuler; }
    // Drawing (engine/figures_draw.cpp): the figure is the line's.
    void drawDescriptor(kwz::DrawContext& dc, int x, int y) const override;

    int rulerUnit() const { return rulerUnit_; }
    float rulerLength() const { return rulerLength_; }
    // Takes effect at the next recompute.
    void setRulerUnitAndLength(int unit, float length);
    // Ruler units per pixel; 0 while the ruler has no length in pixels.
    float rulerUnitsPerPixel() const { return rulerUnitsPerPixel_; }
    float pixelLength() const { return pixelLength_; }
    // Measure units per pixel for a measure unit; 0 when either unit is unknown.
    float unitsPerPixelIn(int measureUnit) const;

  private:
    int rulerUnit_ = 0;
    float rulerUnitsPerPixel_ = 0.0f;
    float pixelLength_ = 0.0f;
    float rulerLength_ = 0.0f;
};

} // namespace gaugit
