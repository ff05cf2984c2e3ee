#pragma once
// What the graphics share when they draw: the pen of a drawing state, edit handles, the
// label, and the descriptor lines with their two-step formats.

#include <string>

#include "engine/descriptor_cache.h"
#include "engine/graphic.h"
#include "engine/unit_factor.h"
#include "platform/draw/draw_context.h"

namespace gaugit {

enum DrawState : int
{
    kStateNormal = 0,
    kStateHovered = 1,
    kStateSelected = 2,
};

// Width and colour of the state, in the graphic's style.
kwz::Pen penFor(const Graphic& graphic, int state);
COLORREF labelColorFor(const DescLabel& label, int state);

// Selects the state's pen and the hollow brush; puts the previous pen back when it ends.
class FigurePen
{
  public:
    FigurePen(kwz::DrawContext& dc, const kwz::Pen& pen);
    ~FigurePen();
    FigurePen(const FigurePen&) = delete;
    FigurePen& operator=(const FigurePen&) = delete;

  private:
    kwz::DrawContext& dc_;
    kwz::Pen previous_;
};

// A hollow square of 8 pixels around the point, in the current pen.
void drawHandle(kwz::DrawContext& dc, POINT p);
void drawSegment(kwz::DrawContext& dc, POINT from, POINT to);
// The label of a graphic, unless hidden: its font, the state's colour, transparent.
void drawLabel(kwz::DrawContext& dc, const Graphic& graphic, int state);

// The words of a descriptor line in both languages.
struct Word
{
    const char* chinese;
    const char* english;
};

class DescriptorLine;

// Writes descriptor lines one below the other from a label position. Each line reads as the
// two-step format gives it (a template formatted with the precision, then formatted with the
// word and the values); it is put together directly, which costs far less on every repaint.
// Only languages 0 and 1 write anything.
class DescriptorLines
{
  public:
    // With a cache, a line whose word and values are those it held last time is written from
    // it as it stands.
    DescriptorLines(kwz::DrawContext& dc, int x, int y, int lineHeight, int precision,
                    DescriptorCache* cache = nullptr);

    // Whether the library-wide language writes descriptor text at all.
    bool active() const { return language_ == 0 || language_ == 1; }

    void name(const Word& word, int number);
    // Rectangles, circles and ellipses put a blank before the closing parenthesis; lines not.
    void point(const Word& word, PointF point, bool blankBeforeParenthesis);
    void value(const Word& word, float value, int unit);
    void area(const Word& word, float value, int unit);
    void count(const Word& word, int count);
    void angle(const Word& word, float value, int angleUnit);
    // The ruler's name, alone.
    void word(const Word& word);
    // The ruler's unit line: "%s: %s".
    void wordAndText(const Word& word, const char* text);

    int y() const { return y_; }

  private:
    const char* pick(const Word& word) const;
    void emit(std::u16string_view text);
    // Writes the cached line when its key is the same; false when it must be formatted.
    bool emitCached(const DescriptorCache::Key& key);
    // Writes a formatted line and keeps it under the key.
    void emitNew(const DescriptorCache::Key& key, const DescriptorLine& line);

    kwz::DrawContext& dc_;
    DescriptorCache* cache_;
    size_t index_ = 0; // the next line's place in the cache
    int x_;
    int y_;
    int lineHeight_;
    int precision_;
    int language_;
};

} // namespace gaugit
