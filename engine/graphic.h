#pragma once
// The base of every measurement graphic: pen, scale, bounds, construction state and the
// descriptor label, with the operations the engine instance drives.

#include <cstdint>
#include <memory>

#include "engine/desc_label.h"
#include "engine/descriptor_cache.h"
#include "engine/geometry.h"
#include "kwztypes.h"

namespace kwz {
class DrawContext;
}

namespace gaugit {

// A pen as the instance hands it to graphics, its colours in the order the exports take them.
// The three widths of a graphic always follow the one width given here.
struct PenSpec
{
    int style = 0;
    int width = 1;
    COLORREF normal = 0xFF0000;
    COLORREF hovered = 0x0000FF;
    COLORREF selected = 0x00FF00;
};

struct PointF
{
    float x = 0.0f;
    float y = 0.0f;
};

// Type codes: the GRAPHICTYPE that creates a graphic and its record tag in a data stream.
enum TypeCode : int
{
    kTypeRuler = 1,
    kTypeLine = 2,
    kTypeRect = 3,
    kTypeCircleDiameter = 4,
    kTypeCircleCentre = 5,
    kTypeCircleThreePoints = 6,
    kTypeEllipseBox = 7,
    kTypeEllipseCentre = 8,
    kTypeAngle = 9,
    kTypePolygon = 10,
    kTypeText = 11,
};

class Graphic
{
  public:
    Graphic() = default;
    virtual ~Graphic();
    Graphic(const Graphic&) = delete;
    Graphic& operator=(const Graphic&) = delete;

    // Construction: the first point, the floating (rubber-band) point, a placed point.
    virtual void begin(POINT /*p*/) {}
    virtual void changePoint(POINT /*p*/) {}
    virtual void addPoint(POINT /*p*/) {}
    virtual void finish() { finished_ = 1; }
    // Whether finishing keeps the graphic: enough points (or text) are placed.
    virtual bool isComplete() const = 0;

    // Editing.
    virtual void moveBy(int /*dx*/, int /*dy*/) {}
    // Moves the edit point found by the last hitEditPoint.
    virtual void moveEditPoint(int /*dx*/, int /*dy*/) {}
    virtual void moveLabel(int dx, int dy);

    virtual bool hitBody(int /*x*/, int /*y*/) const { return false; }
    // Remembers the edit point hit (-1 when none).
    virtual bool hitEditPoint(int /*x*/, int /*y*/)
    {
        editPoint_ = -1;
        return false;
    }
    virtual bool hitLabel(int x, int y) const;
    // Holds every point at which hitBody, hitEditPoint or hitLabel can answer yes.
    virtual HitBox hitBox() const { return labelBox(); }

    // Recomputes bounds and every unit value from the points.
    virtual void recompute() {}
    virtual int typeCode() const = 0;

    // Area the graphic covers, corners in order, for repainting.
    virtual RECT extentRect() const;

    // Draws the figure, its handles and its label in a state (0 normal, 1 hovered,
    // 2 selected); the label calls drawDescriptor at its position.
    virtual void draw(kwz::DrawContext& /*dc*/, int /*state*/) {}
    virtual void drawDescriptor(kwz::DrawContext& /*dc*/, int /*x*/, int /*y*/) const {}

    // Settings handed down by the instance.
    void setScale(float unitsPerPixel);
    float unitsPerPixel() const { return unitsPerPixel_; }
    // Takes effect at the next recompute.
    void setMeasureUnit(int unit) { measureUnit_ = unit; }
    int measureUnit() const { return measureUnit_; }
    void setPrecision(int16_t precision) { precision_ = precision; }
    int16_t precision() const { return precision_; }
    void setLabelHidden(int hidden) { labelHidden_ = hidden; }
    int labelHidden() const { return labelHidden_; }
    // Also sets the label's colours.
    void setPen(const PenSpec& pen);
    PenSpec pen() const;
    int penStyle() const { return penStyle_; }
    int normalWidth() const { return normalWidth_; }
    int hoveredWidth() const { return hoveredWidth_; }
    int selectedWidth() const { return selectedWidth_; }
    COLORREF normalColor() const { return normalColor_; }
    COLORREF hoveredColor() const { return hoveredColor_; }
    COLORREF selectedColor() const { return selectedColor_; }
    // Passed to the label; a graphic without a label yet ignores it.
    void setDescFont(const char* face, int height);
    // Descriptor choices of the graphic's kind (bit 0 the name line).
    void setMark(uint32_t mark) { mark_ = mark; }
    uint32_t mark() const { return mark_; }

    // Label: absent until the graphic is begun or restored.
    DescLabel* label() { return label_.get(); }
    const DescLabel* label() const { return label_.get(); }
    // Creates (or replaces) the label at a position with the pen's colours as its colours.
    DescLabel& createLabel(POINT position, int rows, int columns);

    // Index in its list, set before each drawing.
    void setListNumber(int number) { listNumber_ = number; }
    int listNumber() const { return listNumber_; }

    const RECT& bounds() const { return bounds_; }
    int editPoint() const { return editPoint_; }
    int pointCount() const { return pointCount_; }
    void setPointCount(int count) { pointCount_ = count; }
    int finished() const { return finished_; }
    void setFinished(int finished) { finished_ = finished; }
    int labelInBounds() const { return labelInBounds_; }
    int fill() const { return fill_; }
    // The label's lines as last written; filled while drawing.
    DescriptorCache& descriptorCache() const { return descriptorCache_; }

  protected:
    // Label rows and columns when begun by the user.
    virtual int beginRows() const { return 5; }
    virtual int beginColumns() const { return 5; }
    // Creates the label at p on first use, otherwise moves it there.
    void placeLabel(POINT p);
    void moveLabelTo(POINT p);
    // Where hitLabel can answer yes.
    HitBox labelBox() const;

    std::unique_ptr<DescLabel> label_;
    float unitsPerPixel_ = 0.0f;
    int measureUnit_ = 0;
    int penStyle_ = 0;
    int normalWidth_ = 1;
    int hoveredWidth_ = 1;
    int selectedWidth_ = 1;
    COLORREF normalColor_ = 0xFF0000;
    COLORREF hoveredColor_ = 0x0000FF;
    COLORREF selectedColor_ = 0x00FF00;
    int labelInBounds_ = 1;
    int fill_ = 0;
    RECT bounds_{0, 0, 0, 0};
    int editPoint_ = -1;
    int pointCount_ = 0;
    int finished_ = 0;
    int16_t precision_ = 2;
    int labelHidden_ = 0;
    int listNumber_ = 0;
    uint32_t mark_ = 0xFFFFFFFFu;
    mutable DescriptorCache descriptorCache_;
};

// Scales a pixel quantity to units as the engine stores it: a 32-bit float.
inline float toUnits(double pixels, float unitsPerPixel)
{
    return static_cast<float>(pixels * static_cast<double>(unitsPerPixel));
}

// Moves a coordinate by an offset without signed overflow (saturating).
int movedCoordinate(int v, int by);
POINT movedPoint(POINT p, int dx, int dy);

} // namespace gaugit
