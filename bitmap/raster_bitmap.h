#pragma once
// The bitmap object: one image (pristine pixels and a working surface that the engine draws
// on before every display), its measurement-engine instance, and its BMP and measurement
// files.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "bitmap/bmp_image.h"
#include "bitmap/overlay_probe.h"
#include "gaugit.h"
#include "kwztypes.h"

namespace kwz {
class DrawContext;
class RasterContext;
class Window;
} // namespace kwz

namespace kwz::rast {

struct ShowRect
{
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// What a call on the bitmap object came to; the exports turn it into their result codes.
enum class Outcome
{
    Done,
    Failed,   // no image, a file not read or written, nothing to draw
    NoWindow, // the window to draw in is missing
    NoEngine, // the call needs an engine instance and the object has none
};

struct EngineDeleter
{
    void operator()(GaugitInstance* engine) const;
};
using EnginePtr = std::unique_ptr<GaugitInstance, EngineDeleter>;

class RasterBitmap
{
  public:
    RasterBitmap();
    ~RasterBitmap();
    RasterBitmap(const RasterBitmap&) = delete;
    RasterBitmap& operator=(const RasterBitmap&) = delete;

    // A failed read leaves the object as it was; a successful one replaces any earlier image
    // and gives it a fresh engine instance.
    Outcome readFile(const char* path);
    Outcome readPixels(const uint8_t* rows, int width, int height, int bitCount);
    Outcome readMeasureFile(const char* path);
    // Writes beside the target and renames over it only when every byte went out, so a
    // failed save leaves the previous file whole.
    Outcome writeFile(const char* path, bool overlay) const;
    Outcome writeMeasureFile(const char* path) const;

    // The engine's data stream alone (what a measurement file holds before its image), so
    // a caller can keep the figures as they stand and put them back exactly. NoEngine
    // without an instance, Failed when the stream could not be made.
    Outcome writeGraphicData(std::vector<uint8_t>& out) const;
    // Replaces settings, ruler and figures by a stream that writeGraphicData gave. A stream
    // that does not read back to the same bytes (damaged, cut short, of another version)
    // is Failed and changes nothing.
    Outcome readGraphicData(const uint8_t* data, size_t size);

    bool loaded() const { return image_.has_value(); }
    int width() const { return image_ ? image_->width() : 0; }
    int height() const { return image_ ? image_->height() : 0; }
    int bitCount() const { return image_ ? image_->bitCount() : 0; }
    const BmpImage* image() const { return image_ ? &*image_ : nullptr; }

    // A null target rebuilds the working surface and copies nothing.
    Outcome draw(DrawContext* target, int x, int y, int width, int height);
    Outcome show(DrawContext* target, const ShowRect& dest, const ShowRect& source);
    Outcome showRegion(Window* window, int x, int y, int r);

    // Frees the working surface; the next display paints it afresh.
    void releaseWorkingSurface();
    // Bands of rows, top-down, bottom excluded.
    struct Rows
    {
        int64_t top;
        int64_t bottom;
    };
    // At most this many bands are kept apart; more are merged where they lie closest.
    static constexpr size_t kChangedBands = 8;
    // Brings the working surface up to date and gives the bands of rows that every repaint
    // since the last call may have changed, in order and apart; none when nothing changed.
    Outcome takeChangedRows(std::vector<Rows>& bands);

    // The pixels as last displayed (pristine plus overlay); null before the first display
    // and after a release.
    const uint8_t* workingPixels() const { return memoryContext_ ? workingBits_.data() : nullptr; }
    // How many displays repainted only the rows that changed.
    uint64_t partialRepaints() const { return partialRepaints_; }

    HGAUGIT engine() const { return engine_.get(); }
    // The engine for a call that may change what it draws: the next display looks again.
    HGAUGIT engineForChange()
    {
        engineTouched_ = true;
        return engine_.get();
    }
    // The label language is shared by every engine instance: every object looks again.
    static void languageChanged();
    // Creates an instance if there is none (unit and length go to its ruler, once it has
    // one). Always done.
    Outcome enableMeasure(ZQUNIT unit, float length);
    // NoEngine when there was no instance.
    Outcome disableMeasure();

  private:
    // Installs a decoded image with its engine; false (nothing changed) when no drawing
    // surface can be made on it.
    bool install(BmpImage image, EnginePtr engine);
    // The working surface is made on first use: until then it equals the pristine pixels.
    bool ensureWorkingSurface();
    // Brings the working surface to the pristine pixels plus the engine's graphics as they
    // stand now. False when no surface can be made.
    bool rebuildWorkingSurface();
    // Restores and repaints only the rows where `ops` can differ from what the surface shows;
    // false when a whole repaint is the better (or only) way.
    bool repaintChangedRows(const std::vector<OverlayProbe::Op>& ops);

    std::optional<BmpImage> image_;
    PixelBuffer workingBits_;
    std::unique_ptr<RasterContext> memoryContext_;
    EnginePtr engine_;
    // What the working surface holds: the pristine pixels, or the overlay of this signature.
    bool overlayKnown_ = false;
    uint64_t overlaySignature_ = 0;
    // Whether a call since the last display may have changed the engine's drawing.
    bool engineTouched_ = true;
    uint32_t languageSeen_ = 0;
    // The calls that painted the overlay the surface holds; empty for the pristine pixels.
    std::vector<OverlayProbe::Op> paintedOps_;
    uint64_t partialRepaints_ = 0;
    // The surface was displayed and then released: it no longer equals the pristine pixels.
    bool released_ = false;
    // Rows repainted since the last takeChangedRows.
    void addChangedRows(int64_t top, int64_t bottom);
    std::vector<Rows> changed_;
};

} // namespace kwz::rast
