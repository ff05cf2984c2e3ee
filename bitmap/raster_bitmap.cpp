#include "bitmap/raster_bitmap.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>

#include "bitmap/overlay_probe.h"
#include "platform/draw/raster_context.h"
#include "platform/draw/window.h"
#include "platform/files.h"
#include "platform/trace.h"

namespace kwz::rast {
namespace {

// Sink over the temporary file of an atomic save.
class AtomicSink : public ByteSink
{
  public:
    explicit AtomicSink(AtomicFileWriter& writer) : writer_(writer) {}
    bool write(const void* data, uint32_t size) override { return writer_.write(data, size); }

  private:
    AtomicFileWriter& writer_;
};

// Closes a file handle on every path.
class OpenFile
{
  public:
    explicit OpenFile(const char* path)
        : handle_(createFile(path, FileAccess::Read, FileDisposition::OpenExisting))
    {
    }
    ~OpenFile()
    {
        if (isOpen())
            closeHandle(handle_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE handle() const { return handle_; }

  private:
    HANDLE handle_;
};

// Signature of a working surface that holds the pristine pixels alone.
constexpr uint64_t kPristine = 0;

// Counts changes of the library-wide label language.
std::atomic<uint32_t> languageGeneration{0};

// Hands the engine's drawing to a surface that holds only the rows from `top` down, moved up
// by `top`: the surface's own edge clipping is then exactly the clipping to those rows.
class RowBandContext final : public DrawContext
{
  public:
    RowBandContext(DrawContext& band, int top) : band_(band), top_(top) {}

    int saveDC() override { return band_.saveDC(); }
    bool restoreDC(int savedLevel) override { return band_.restoreDC(savedLevel); }
    int setMapMode(int mode) override { return band_.setMapMode(mode); }
    Pen selectPen(const Pen& pen) override { return band_.selectPen(pen); }
    void selectHollowBrush() override { band_.selectHollowBrush(); }
    POINT moveTo(int x, int y) override
    {
        const POINT previous = band_.moveTo(x, y - top_);
        return POINT{previous.x, previous.y + top_};
    }
    void lineTo(int x, int y) override { band_.lineTo(x, y - top_); }
    void rectangle(int left, int top, int right, int bottom) override
    {
        band_.rectangle(left, top - top_, right, bottom - top_);
    }
    void ellipse(int left, int top, int right, int bottom) override
    {
        band_.ellipse(left, top - top_, right, bottom - top_);
    }
    void polygon(const POINT* points, int count) override
    {
        band_.polygon(moved(points, count), count);
    }
    void polyline(const POINT* points, int count) override
    {
        band_.polyline(moved(points, count), count);
    }
    const Font* selectFont(const Font* font) override { return band_.selectFont(font); }
    TextMetrics textMetrics() override { return band_.textMetrics(); }
    COLORREF setTextColor(COLORREF color) override { return band_.setTextColor(color); }
    COLORREF setBkColor(COLORREF color) override { return band_.setBkColor(color); }
    int setBkMode(int mode) override { return band_.setBkMode(mode); }
    void textOut(int x, int y, std::string_view gbk) override { band_.textOut(x, y - top_, gbk); }
    void textOutW(int x, int y, std::u16string_view text) override
    {
        band_.textOutW(x, y - top_, text);
    }
    SIZE textExtent(std::string_view gbk) override { return band_.textExtent(gbk); }
    SIZE textExtentW(std::u16string_view text) override { return band_.textExtentW(text); }
    int setDIBitsToDevice(int xDest, int yDest, int width, int height, int xSrc, int ySrc,
                          const void* bits, const BITMAPINFO* info) override
    {
        return band_.setDIBitsToDevice(xDest, yDest - top_, width, height, xSrc, ySrc, bits, info);
    }
    int stretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                      int srcWidth, int srcHeight, const void* bits,
                      const BITMAPINFO* info) override
    {
        return band_.stretchDIBits(xDest, yDest - top_, destWidth, destHeight, xSrc, ySrc, srcWidth,
                                   srcHeight, bits, info);
    }

  private:
    const POINT* moved(const POINT* points, int count)
    {
        if (points == nullptr || count <= 0)
            return points;
        points_.assign(points, points + count);
        for (POINT& p : points_)
            p.y -= top_;
        return points_.data();
    }

    DrawContext& band_;
    int top_;
    std::vector<POINT> points_;
};

struct RowSpan
{
    int64_t top;
    int64_t bottom; // excluded
};

// Which calls of `before` and `after` (between head and tail) the other overlay makes too, in
// the same order among themselves. False when the calls both make are not in the same order:
// then any row between may differ.
bool matchCalls(const std::vector<OverlayProbe::Op>& before,
                const std::vector<OverlayProbe::Op>& after, size_t head, size_t tail,
                std::vector<char>& beforeShared, std::vector<char>& afterShared)
{
    const size_t nb = before.size() - head - tail;
    const size_t na = after.size() - head - tail;
    beforeShared.assign(nb, 0);
    afterShared.assign(na, 0);
    using Entry = std::pair<uint64_t, size_t>; // hash, place
    std::vector<Entry> a(nb), b(na);
    for (size_t i = 0; i < nb; ++i)
        a[i] = {before[head + i].hash, i};
    for (size_t i = 0; i < na; ++i)
        b[i] = {after[head + i].hash, i};
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    // Equal calls pair up in their order: the k-th of a hash before with the k-th after.
    for (size_t i = 0, k = 0; i < nb && k < na;)
    {
        if (a[i].first < b[k].first)
            ++i;
        else if (b[k].first < a[i].first)
            ++k;
        else
        {
            beforeShared[a[i].second] = 1;
            afterShared[b[k].second] = 1;
            ++i, ++k;
        }
    }
    size_t k = 0;
    for (size_t i = 0; i < nb; ++i)
    {
        if (!beforeShared[i])
            continue;
        while (k < na && !afterShared[k])
            ++k;
        if (k == na || after[head + k].hash != before[head + i].hash)
            return false;
        ++k;
    }
    return true;
}

// Rows whose pixels may differ between two overlays. A row's pixels are the calls that reach
// it, in their order, on the pristine pixels: where both overlays make the same calls in the
// same order, only the rows of calls that one makes and the other not can differ. Otherwise
// it is what the calls between their common first and last calls reach. Calls before and
// after those are the same on the same pixels, so rows outside stay as they are. Merged and
// sorted, clamped to the image.
std::vector<RowSpan> changedRows(const std::vector<OverlayProbe::Op>& before,
                                 const std::vector<OverlayProbe::Op>& after, int64_t height)
{
    size_t head = 0;
    while (head < before.size() && head < after.size() && before[head].hash == after[head].hash)
        ++head;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail].hash == after[after.size() - 1 - tail].hash)
        ++tail;
    std::vector<char> beforeShared, afterShared;
    const bool ordered = matchCalls(before, after, head, tail, beforeShared, afterShared);
    std::vector<RowSpan> spans;
    auto add = [&](const std::vector<OverlayProbe::Op>& ops, const std::vector<char>& shared) {
        for (size_t i = head; i + tail < ops.size(); ++i)
        {
            if (ordered && shared[i - head])
                continue;
            const int64_t top = std::max<int64_t>(ops[i].top, 0);
            const int64_t bottom = std::min<int64_t>(ops[i].bottom, height);
            if (top < bottom)
                spans.push_back(RowSpan{top, bottom});
        }
    };
    add(before, beforeShared);
    add(after, afterShared);
    std::sort(spans.begin(), spans.end(),
              [](const RowSpan& a, const RowSpan& b) { return a.top < b.top; });
    std::vector<RowSpan> merged;
    for (const RowSpan& span : spans)
    {
        if (!merged.empty() && span.top <= merged.back().bottom)
            merged.back().bottom = std::max(merged.back().bottom, span.bottom);
        else
            merged.push_back(span);
    }
    return merged;
}

EnginePtr newEngine()
{
    HGAUGIT engine = nullptr;
    if (GaugitInitial(&engine) != GAUGIT_OK)
        return nullptr;
    return EnginePtr(engine);
}

} // namespace

void EngineDeleter::operator()(GaugitInstance* engine) const
{
    GaugitUnInitialize(&engine);
}

RasterBitmap::RasterBitmap() = default;

// The context borrows the working bits, so it goes first; the engine goes with the object.
RasterBitmap::~RasterBitmap()
{
    memoryContext_.reset();
}

bool RasterBitmap::install(BmpImage image, EnginePtr engine)
{
    // Refuse now what could never be displayed; the surface itself is made on first use.
    if (!RasterContext::wrap(const_cast<uint8_t*>(image.pixels().data()), image.bitmapInfo()))
        return false;
    memoryContext_.reset();
    workingBits_ = PixelBuffer();
    overlayKnown_ = false;
    engineTouched_ = true;
    released_ = false;
    image_ = std::move(image);
    changed_.assign(1, Rows{0, image_->height()}); // everything is new
    engine_ = std::move(engine);
    return true;
}

bool RasterBitmap::ensureWorkingSurface()
{
    if (memoryContext_)
        return true;
    PixelBuffer working(image_->pixels());
    std::unique_ptr<RasterContext> context =
        RasterContext::wrap(working.data(), image_->bitmapInfo());
    if (!context)
        return false;
    workingBits_ = std::move(working);
    memoryContext_ = std::move(context);
    overlayKnown_ = true;
    overlaySignature_ = kPristine;
    paintedOps_.clear();
    released_ = false;
    return true;
}

void RasterBitmap::addChangedRows(int64_t top, int64_t bottom)
{
    top = std::max<int64_t>(top, 0);
    bottom = std::min<int64_t>(bottom, height());
    if (top >= bottom)
        return;
    // Kept in order; bands that meet or overlap become one.
    auto at = std::lower_bound(changed_.begin(), changed_.end(), top,
                               [](const Rows& band, int64_t row) { return band.bottom < row; });
    auto last = at;
    while (last != changed_.end() && last->top <= bottom)
    {
        top = std::min(top, last->top);
        bottom = std::max(bottom, last->bottom);
        ++last;
    }
    at = changed_.erase(at, last);
    changed_.insert(at, Rows{top, bottom});
    if (changed_.size() <= kChangedBands)
        return;
    size_t closest = 0;
    for (size_t k = 1; k + 1 < changed_.size(); ++k)
        if (changed_[k + 1].top - changed_[k].bottom <
            changed_[closest + 1].top - changed_[closest].bottom)
            closest = k;
    changed_[closest].bottom = changed_[closest + 1].bottom;
    changed_.erase(changed_.begin() + std::ptrdiff_t(closest) + 1);
}

Outcome RasterBitmap::takeChangedRows(std::vector<Rows>& bands)
{
    bands.clear();
    if (!image_ || !rebuildWorkingSurface())
        return Outcome::Failed;
    bands.swap(changed_);
    return Outcome::Done;
}

void RasterBitmap::releaseWorkingSurface()
{
    if (!memoryContext_)
        return;
    released_ = true;
    memoryContext_.reset(); // it borrows the bits
    workingBits_ = PixelBuffer();
    overlayKnown_ = false;
    engineTouched_ = true;
    std::vector<OverlayProbe::Op>().swap(paintedOps_);
}

Outcome RasterBitmap::readFile(const char* path)
{
    if (path == nullptr)
        return Outcome::Failed;
    std::optional<BmpImage> image;
    {
        OpenFile file(path);
        if (!file.isOpen())
            return Outcome::Failed;
        FileSource source(file.handle());
        image = BmpImage::read(source);
    }
    if (!image)
        return Outcome::Failed;
    EnginePtr engine = newEngine();
    if (!engine || !install(std::move(*image), std::move(engine)))
        return Outcome::Failed;
    return Outcome::Done;
}

Outcome RasterBitmap::readPixels(const uint8_t* rows, int width, int height, int bitCount)
{
    std::optional<BmpImage> image = BmpImage::fromPixels(rows, width, height, bitCount);
    if (!image)
        return Outcome::Failed;
    EnginePtr engine = newEngine();
    if (!engine || !install(std::move(*image), std::move(engine)))
        return Outcome::Failed;
    return Outcome::Done;
}

Outcome RasterBitmap::readMeasureFile(const char* path)
{
    if (path == nullptr)
        return Outcome::Failed;
    // Read into a fresh instance and commit only a whole file, so a damaged file changes
    // nothing here.
    EnginePtr engine = newEngine();
    if (!engine)
        return Outcome::Failed;
    std::optional<BmpImage> image;
    {
        OpenFile file(path);
        if (!file.isOpen())
            return Outcome::Failed;
        GaugitRead(engine.get(), file.handle());
        FileSource source(file.handle());
        image = BmpImage::read(source);
    }
    if (!image || !install(std::move(*image), std::move(engine)))
        return Outcome::Failed;
    return Outcome::Done;
}

Outcome RasterBitmap::writeFile(const char* path, bool overlay) const
{
    if (path == nullptr || !image_)
        return Outcome::Failed;
    AtomicFileWriter writer(path);
    if (!writer.open())
        return Outcome::Failed;
    AtomicSink sink(writer);
    // Until the first display the working surface is the pristine image. Once released, the
    // graphics are drawn again on a copy, as the next display would.
    const uint8_t* pixels =
        overlay && memoryContext_ ? workingBits_.data() : image_->pixels().data();
    PixelBuffer redrawn;
    if (overlay && !memoryContext_ && released_)
    {
        redrawn = PixelBuffer(image_->pixels());
        std::unique_ptr<RasterContext> context =
            RasterContext::wrap(redrawn.data(), image_->bitmapInfo());
        if (!context)
            return Outcome::Failed;
        if (engine_)
            GtDraw(engine_.get(), toHdc(context.get()));
        pixels = redrawn.data();
    }
    if (!image_->write(sink, pixels) || !writer.commit())
        return Outcome::Failed;
    return Outcome::Done;
}

Outcome RasterBitmap::writeMeasureFile(const char* path) const
{
    if (path == nullptr || !image_)
        return Outcome::Failed;
    AtomicFileWriter writer(path);
    if (!writer.open())
        return Outcome::Failed;
    // Without an instance the file still gets an (empty) stream, or it could not be read.
    EnginePtr empty;
    HGAUGIT engine = engine_.get();
    if (engine == nullptr)
    {
        empty = newEngine();
        engine = empty.get();
    }
    GaugitWrite(engine, writer.handle());
    // The stream is at least its header, count block and ruler record; a write that failed
    // inside it shows here or in the writes that follow.
    const int64_t streamSize = fileSize(writer.handle());
    if (streamSize < 244)
        return Outcome::Failed;
    AtomicSink sink(writer);
    if (!image_->write(sink, image_->pixels().data()) || !writer.commit())
        return Outcome::Failed;
    return Outcome::Done;
}

namespace {

// The stream of an instance, through a file that lives in memory only.
bool streamOf(HGAUGIT engine, std::vector<uint8_t>& out)
{
    HANDLE file = createMemoryFile();
    if (file == INVALID_HANDLE_VALUE)
        return false;
    GaugitWrite(engine, file);
    const int64_t size = fileSize(file);
    bool ok = size >= 0 && size <= INT32_MAX && seekFile(file, 0, SEEK_SET) == 0;
    if (ok)
    {
        out.resize(size_t(size));
        uint32_t done = 0;
        ok = readFile(file, out.data(), uint32_t(size), &done) && done == uint32_t(size);
    }
    closeHandle(file);
    return ok;
}

// Reads a stream into an instance; false when the memory file could not be made.
bool readStream(HGAUGIT engine, const uint8_t* data, size_t size)
{
    if (size > INT32_MAX)
        return false;
    HANDLE file = createMemoryFile();
    if (file == INVALID_HANDLE_VALUE)
        return false;
    uint32_t done = 0;
    bool ok = writeFile(file, data, uint32_t(size), &done) && done == uint32_t(size) &&
              seekFile(file, 0, SEEK_SET) == 0;
    if (ok)
        GaugitRead(engine, file);
    closeHandle(file);
    return ok;
}

} // namespace

Outcome RasterBitmap::writeGraphicData(std::vector<uint8_t>& out) const
{
    if (!engine_)
        return Outcome::NoEngine;
    return streamOf(engine_.get(), out) ? Outcome::Done : Outcome::Failed;
}

Outcome RasterBitmap::readGraphicData(const uint8_t* data, size_t size)
{
    if (!engine_)
        return Outcome::NoEngine;
    if (data == nullptr && size > 0)
        return Outcome::Failed;
    // The reader takes what it can of a damaged stream and says nothing; a stream that a
    // fresh instance writes back unchanged is known to have arrived whole.
    EnginePtr scratch = newEngine();
    std::vector<uint8_t> again;
    if (!scratch || !readStream(scratch.get(), data, size) || !streamOf(scratch.get(), again) ||
        again.size() != size || !std::equal(again.begin(), again.end(), data))
        return Outcome::Failed;
    // Into the instance itself, which keeps what the stream does not hold (hidden ruler,
    // label font, language).
    HGAUGIT engine = engineForChange();
    GtClearAllGraphic(engine);
    return readStream(engine, data, size) ? Outcome::Done : Outcome::Failed;
}

void RasterBitmap::languageChanged()
{
    ++languageGeneration;
}

bool RasterBitmap::rebuildWorkingSurface()
{
    if (!ensureWorkingSurface())
        return false;
    // Nothing that could change the drawing happened since the surface was painted.
    const uint32_t language = languageGeneration.load();
    if (overlayKnown_ && !engineTouched_ && language == languageSeen_)
        return true;
    engineTouched_ = false;
    languageSeen_ = language;
    // A dry pass tells what the engine would paint; when the surface already shows exactly
    // that, restoring and repainting it would change no pixel.
    uint64_t signature = kPristine;
    bool comparable = true;
    std::vector<OverlayProbe::Op> ops;
    if (engine_)
    {
        OverlayProbe probe(*memoryContext_);
        GtDraw(engine_.get(), toHdc(&probe));
        if (probe.drewSomething())
            signature = probe.signature();
        comparable = probe.comparable();
        ops = probe.ops();
    }
    if (comparable && overlayKnown_ && signature == overlaySignature_)
        return true;
    if (!(comparable && overlayKnown_ && repaintChangedRows(ops)))
    {
        addChangedRows(0, image_->height());
        std::memcpy(workingBits_.data(), image_->pixels().data(), image_->imageSize());
        if (engine_ && signature != kPristine)
            GtDraw(engine_.get(), toHdc(memoryContext_.get()));
    }
    overlayKnown_ = comparable;
    overlaySignature_ = signature;
    engineTouched_ = !comparable;
    paintedOps_ = comparable ? std::move(ops) : std::vector<OverlayProbe::Op>();
    return true;
}

bool RasterBitmap::repaintChangedRows(const std::vector<OverlayProbe::Op>& ops)
{
    const int64_t height = image_->height();
    const std::vector<RowSpan> spans = changedRows(paintedOps_, ops, height);
    int64_t rows = 0;
    for (const RowSpan& span : spans)
        rows += span.bottom - span.top;
    // Past about half the image, one whole pass costs less than a pass per band.
    if (rows * 2 > height || spans.size() > 8)
        return false;
    const size_t stride = image_->stride();
    std::vector<uint8_t> info(image_->bitmapInfoSize());
    std::memcpy(info.data(), image_->bitmapInfo(), info.size());
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    for (const RowSpan& span : spans)
    {
        addChangedRows(span.top, span.bottom);
        const int64_t count = span.bottom - span.top;
        // Bottom-up rows store the band from its last row on.
        const size_t offset = size_t(image_->topDown() ? span.top : height - span.bottom) * stride;
        const size_t size = size_t(count) * stride;
        std::memcpy(workingBits_.data() + offset, image_->pixels().data() + offset, size);
        if (!engine_)
            continue;
        header->biHeight = LONG(image_->topDown() ? -count : count);
        header->biSizeImage = DWORD(size);
        std::unique_ptr<RasterContext> band = RasterContext::wrap(
            workingBits_.data() + offset, reinterpret_cast<const BITMAPINFO*>(info.data()));
        if (!band)
            return false;
        RowBandContext moved(*band, int(span.top));
        GtDraw(engine_.get(), toHdc(&moved));
    }
    ++partialRepaints_;
    return true;
}

Outcome RasterBitmap::draw(DrawContext* target, int x, int y, int width, int height)
{
    if (!image_)
        return Outcome::Failed;
    const int64_t imageWidth = image_->width();
    const int64_t imageHeight = image_->height();
    int64_t left = std::max<int64_t>(x, 0);
    int64_t top = std::max<int64_t>(y, 0);
    int64_t right = std::min<int64_t>(int64_t(x) + width, imageWidth);
    int64_t bottom = std::min<int64_t>(int64_t(y) + height, imageHeight);
    if (left >= right || top >= bottom)
        return Outcome::Failed;
    // One more column and row than asked, where the image has them: the view's edge pixels
    // then never show stale content when it scrolls by a fraction.
    if (right < imageWidth)
        ++right;
    if (bottom < imageHeight)
        ++bottom;

    if (!rebuildWorkingSurface())
        return Outcome::Failed;
    if (target != nullptr)
        target->setDIBitsToDevice(int(left), int(top), int(right - left), int(bottom - top),
                                  int(left), int(top), workingBits_.data(), image_->bitmapInfo());
    return Outcome::Done;
}

Outcome RasterBitmap::show(DrawContext* target, const ShowRect& dest, const ShowRect& source)
{
    if (!image_ || !rebuildWorkingSurface())
        return Outcome::Failed;
    // Callers count source rows as the bitmap stores them (from the bottom for bottom-up
    // rows); drawing contexts take them from the top.
    const int64_t top = image_->topDown()
                            ? int64_t(source.y)
                            : int64_t(image_->height()) - int64_t(source.y) - source.height;
    if (target != nullptr && top >= INT32_MIN && top <= INT32_MAX)
        target->stretchDIBits(dest.x, dest.y, dest.width, dest.height, source.x, int(top),
                              source.width, source.height, workingBits_.data(),
                              image_->bitmapInfo());
    return Outcome::Done;
}

Outcome RasterBitmap::showRegion(Window* window, int x, int y, int r)
{
    if (window == nullptr)
        return Outcome::NoWindow;
    if (!image_ || r <= 0)
        return Outcome::Failed;
    const int64_t imageWidth = image_->width();
    const int64_t imageHeight = image_->height();
    // A square larger than the image shrinks to fit, so nothing beyond the image shows.
    const int64_t side = std::min({int64_t(r) * 2, imageWidth, imageHeight});
    const int64_t half = side / 2;
    const int64_t left = std::clamp<int64_t>(int64_t(x) - half, 0, imageWidth - side);
    // The trace gives the row as the bitmap counts it: from the bottom for bottom-up rows.
    const int64_t rowFromTop = std::clamp<int64_t>(int64_t(y) - half, 0, imageHeight - side);
    const int64_t row = image_->topDown() ? rowFromTop : imageHeight - side - rowFromTop;
    traceFormat("****Draws %d, %d", int(left), int(row));

    if (!rebuildWorkingSurface())
        return Outcome::Failed;
    DrawContext* dc = window->getDC();
    if (dc == nullptr)
        return Outcome::Failed;
    const RECT client = window->clientRect();
    dc->stretchDIBits(0, 0, client.right - client.left, client.bottom - client.top, int(left),
                      int(rowFromTop), int(side), int(side), workingBits_.data(),
                      image_->bitmapInfo());
    window->releaseDC(dc);
    return Outcome::Done;
}

Outcome RasterBitmap::enableMeasure(ZQUNIT unit, float length)
{
    if (!engine_)
    {
        engine_ = newEngine();
        engineTouched_ = true;
        if (engine_)
            GtSetRulerUnitAndLength(engine_.get(), unit, length);
    }
    return Outcome::Done;
}

Outcome RasterBitmap::disableMeasure()
{
    if (!engine_)
        return Outcome::NoEngine;
    engine_.reset();
    engineTouched_ = true;
    return Outcome::Done;
}

} // namespace kwz::rast
