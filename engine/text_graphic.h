#pragma once
// A free text placed on the image; it has no label and measures nothing.

#include <memory>

#include "engine/font_metrics.h"
#include "engine/graphic.h"

namespace gaugit {

constexpr std::size_t kTextSize = 128; // 127 characters and the NUL

class TextGraphic : public Graphic
{
  public:
    TextGraphic();
    ~TextGraphic() override;

    void begin(POINT p) override { position_ = p; }
    bool isComplete() const override { return text_[0] != '\0'; }
    void moveBy(int dx, int dy) override { position_ = movedPoint(position_, dx, dy); }
    bool hitBody(int x, int y) const override;
    HitBox hitBox() const override;
    int typeCode() const override { return kTypeText; }
    // Drawing (engine/figures_draw.cpp).
    void draw(kwz::DrawContext& dc, int state) override;
    RECT extentRect() const override;

    // Takes a text of at most 127 characters; a longer one is refused (false) and the
    // previous text stays. Null is the empty text.
    bool setText(const char* text);
    const char* text() const { return text_; }

    POINT position() const { return position_; }
    void setPosition(POINT p) { position_ = p; }

    // A text has no font (and is not drawn) until it is given one.
    void setFont(const char* face, int height);
    bool hasFont() const { return hasFont_; }
    const char* face() const { return face_; }
    int fontHeight() const { return fontHeight_; }
    // Read from the font when first asked for: a file's texts may name thousands of faces, and
    // matching them is left to the texts that are drawn or pointed at.
    FontMetrics metrics() const;
    const kwz::Font* font() const { return font_.get(); }

    void setTextColors(COLORREF normal, COLORREF hovered, COLORREF selected);
    COLORREF textNormalColor() const { return textNormal_; }
    COLORREF textHoveredColor() const { return textHovered_; }
    COLORREF textSelectedColor() const { return textSelected_; }

  private:
    char text_[kTextSize] = {};
    POINT position_{0, 0};
    char face_[kFaceSize] = {};
    int fontHeight_ = 0;
    std::shared_ptr<const kwz::Font> font_;
    bool hasFont_ = false;
    COLORREF textNormal_ = 0xFF0000;
    COLORREF textHovered_ = 0x00FF00;
    COLORREF textSelected_ = 0x0000FF;
};

} // namespace gaugit
