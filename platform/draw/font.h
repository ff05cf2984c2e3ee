#pragma once
// A font made from a LogFont. Faces are matched by name with fontconfig ("Times New Roman"
// finds its metric twin), and a character the face lacks is taken from the first fallback
// font that has it, so Chinese labels always show. Glyphs are drawn with FreeType and cached
// per font: labels are redrawn on every repaint.
//
// kwzplatform is linked statically into every library, so a font made in one library may be
// drawn by a context made in another. Every operation is virtual so that it runs in the copy
// of this code that made the font, with that copy's FreeType state.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/draw/draw_context.h"

namespace kwz {

// A glyph's coverage (0 none, 255 full) placed in device pixels; rows are `pitch` apart.
struct GlyphCoverage
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int pitch = 0;
    const uint8_t* coverage = nullptr;
};

using GlyphSink = void (*)(void* context, const GlyphCoverage& glyph);

// A whole line of text in one coverage mask, placed relative to the text's origin (the top-left
// of its first cell). Labels are redrawn with the same texts on every repaint; a ready mask is
// blended row by row instead of glyph by glyph. Where glyphs overlap, coverage combines as if
// they were drawn one after the other.
struct TextRun
{
    struct Ink
    {
        int first = 0; // first column with coverage
        int end = 0;   // one past the last; equal to first when the row has none
    };
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    SIZE extent{0, 0};             // as Font::extent gives it
    std::vector<uint8_t> coverage; // width * height, rows top to bottom
    std::vector<Ink> ink;          // one per row
};

class Font
{
  public:
    virtual ~Font() = default;

    virtual const LogFont& logFont() const = 0;
    virtual TextMetrics metrics() const = 0;
    // Width of the text and the font's line height.
    virtual SIZE extent(std::u16string_view text) const = 0;
    // Hands every glyph of the text, its cell's top-left at (x, y), to the sink (underline
    // and strike-out bars too). Returns the extent. The sink must not call back into fonts.
    virtual SIZE render(std::u16string_view text, int x, int y, GlyphSink sink,
                        void* context) const = 0;
    // The text drawn into one mask, or null when the mask would be unreasonably large (a huge
    // font): draw such text with render(), which hands over one glyph at a time.
    virtual std::shared_ptr<const TextRun> layout(std::u16string_view text) const;
    // Whether the face or one of its fallbacks draws the character with a real glyph.
    virtual bool hasGlyph(char32_t character) const = 0;
    // File of the face that draws the character (empty when none does); for diagnostics.
    virtual std::string faceFile(char32_t character) const = 0;
};

// Never fails for want of a face: with no font installed at all the font draws nothing and
// reports metrics from the requested height. Like any allocation it may throw bad_alloc.
std::unique_ptr<Font> createFont(const LogFont& request);

namespace testing {
// What the fonts of this copy of the platform layer keep besides themselves: bytes of glyph
// and text masks, open sizes and lookups (within `budget`), and matched faces by request
// (at most `maxMatches`) and by content.
struct FontCaches
{
    size_t bytes = 0;
    size_t budget = 0;
    size_t matches = 0;
    size_t maxMatches = 0;
    size_t distinctMatches = 0;
};
FontCaches fontCaches();
} // namespace testing

// The LogFont the engine uses for labels and texts: the given height and face, default
// weight, ANSI character set, variable pitch and Swiss family. The face is cut at 63 bytes.
LogFont labelLogFont(std::string_view face, int height);

} // namespace kwz
