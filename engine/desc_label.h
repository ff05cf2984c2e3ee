#pragma once
// The descriptor label of a graphic: where its text block sits, its font and colours, and
// the rectangle and grab area that hit-testing and repainting use.

#include <memory>

#include "engine/font_metrics.h"
#include "kwztypes.h"

namespace kwz {
class Font;
}

namespace gaugit {

class Graphic;

constexpr COLORREF kLabelNormalColor = 0xFF0000;
constexpr COLORREF kLabelHoveredColor = 0x0000FF;
constexpr COLORREF kLabelSelectedColor = 0x00FF00;
constexpr int kLabelDefaultFontHeight = 14;

class DescLabel
{
  public:
    // The label starts with the default font: empty face, height 14.
    DescLabel(Graphic* owner, int ownerType, POINT position, int rows, int columns);
    ~DescLabel();

    Graphic* owner() const { return owner_; }
    int ownerType() const { return ownerType_; }

    void setFont(const char* face, int height);
    const char* face() const { return face_; }
    int fontHeight() const { return fontHeight_; }
    const FontMetrics& metrics() const { return metrics_; }
    // The font of the last setFont, shared with every label and text of the same face and
    // height; the next setFont lets go of it.
    const kwz::Font* font() const { return font_.get(); }

    void setColors(COLORREF normal, COLORREF hovered, COLORREF selected);
    COLORREF normalColor() const { return normalColor_; }
    COLORREF hoveredColor() const { return hoveredColor_; }
    COLORREF selectedColor() const { return selectedColor_; }

    // Top-left of the first text line.
    POINT position() const { return position_; }
    void moveTo(POINT position);
    void moveBy(int dx, int dy);

    // Nominal size in text rows and columns; it only feeds the label rectangle.
    int rows() const { return rows_; }
    int columns() const { return columns_; }
    void setExtent(int rows, int columns);

    const RECT& rect() const { return rect_; }
    // Two character widths by one line at the position, left and top inclusive.
    bool hitGrabArea(int x, int y) const;

  private:
    void refreshRect();

    std::shared_ptr<const kwz::Font> font_;
    FontMetrics metrics_;
    char face_[kFaceSize] = {};
    int fontHeight_ = kLabelDefaultFontHeight;
    COLORREF normalColor_ = kLabelNormalColor;
    COLORREF hoveredColor_ = kLabelHoveredColor;
    COLORREF selectedColor_ = kLabelSelectedColor;
    int ownerType_;
    Graphic* owner_;
    POINT position_;
    int rows_;
    int columns_;
    RECT rect_{0, 0, 0, 0};
};

} // namespace gaugit
