#include "platform/draw/font.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

namespace kwz {
namespace {

// Larger runs (only absurd fonts make them) are drawn glyph by glyph instead.
constexpr int64_t kMaxRunPixels = int64_t{1} << 22;
// Runs kept per font, and the bytes of their masks. Every label of an image shares one font
// and holds a handful of lines, so the bound must hold all lines of a thousand labels or a
// repaint that walks them in turn finds none of them kept; a label being dragged or a text
// being typed makes a new one on every change, so old ones must still go.
constexpr size_t kMaxCachedRuns = 8192;
constexpr size_t kMaxCachedRunBytes = size_t{24} << 20;

struct RunBounds
{
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
};

void measureGlyph(void* context, const GlyphCoverage& glyph)
{
    auto& bounds = *static_cast<RunBounds*>(context);
    bounds.left = std::min<int64_t>(bounds.left, glyph.left);
    bounds.top = std::min<int64_t>(bounds.top, glyph.top);
    bounds.right = std::max<int64_t>(bounds.right, int64_t{glyph.left} + glyph.width);
    bounds.bottom = std::max<int64_t>(bounds.bottom, int64_t{glyph.top} + glyph.height);
}

void composeGlyph(void* context, const GlyphCoverage& glyph)
{
    auto& run = *static_cast<TextRun*>(context);
    for (int row = 0; row < glyph.height; ++row)
    {
        uint8_t* target = &run.coverage[static_cast<size_t>(glyph.top - run.top + row) * run.width +
                                        (glyph.left - run.left)];
        const uint8_t* source = glyph.coverage + static_cast<ptrdiff_t>(row) * glyph.pitch;
        for (int column = 0; column < glyph.width; ++column)
        {
            // Two layers a and b leave (1 - a)(1 - b) of what was under them.
            unsigned rest = (255u - target[column]) * (255u - source[column]) + 127;
            target[column] = static_cast<uint8_t>(255u - rest / 255u);
        }
    }
}

// The glyphs are placed twice: once to find the mask's size, once to fill it.
std::shared_ptr<TextRun> buildRun(const Font& font, std::u16string_view text)
{
    RunBounds bounds;
    auto run = std::make_shared<TextRun>();
    run->extent = font.render(text, 0, 0, &measureGlyph, &bounds);
    if (bounds.left > bounds.right)
        return run; // no glyph has pixels
    if ((bounds.right - bounds.left) * (bounds.bottom - bounds.top) > kMaxRunPixels)
        return nullptr;
    run->left = static_cast<int>(bounds.left);
    run->top = static_cast<int>(bounds.top);
    run->width = static_cast<int>(bounds.right - bounds.left);
    run->height = static_cast<int>(bounds.bottom - bounds.top);
    run->coverage.assign(static_cast<size_t>(run->width) * run->height, 0);
    font.render(text, 0, 0, &composeGlyph, run.get());
    run->ink.resize(static_cast<size_t>(run->height));
    for (int row = 0; row < run->height; ++row)
    {
        const uint8_t* line = &run->coverage[static_cast<size_t>(row) * run->width];
        int first = 0, end = run->width;
        while (first < end && line[first] == 0)
            ++first;
        while (end > first && line[end - 1] == 0)
            --end;
        run->ink[static_cast<size_t>(row)] = TextRun::Ink{first, end};
    }
    return run;
}

// Everything the fonts of this copy keep to draw faster (glyph masks, text masks, open sizes,
// character lookups) stays within this many bytes: past it a font draws without keeping
// what it makes, so no file, whatever faces, heights and texts it holds, grows the caches
// without bound.
constexpr size_t kCacheBudget = size_t{64} << 20;
// About what FreeType keeps for a face opened at one size, and for a character lookup.
constexpr size_t kSizeCost = 2048;
constexpr size_t kLookupCost = 32;
// Matches kept for the requests seen last. Face names come from files: a file with ten
// thousand names must not leave ten thousand matches behind.
constexpr size_t kMaxCachedMatches = 64;

constexpr int kDefaultCellHeight = 16;
// Keeps a broken request (a height of millions) from asking FreeType for absurd bitmaps.
constexpr double kMaxPixelsPerEm = 2048.0;

struct FallbackEntry
{
    std::string file;
    int index = 0;
    FcCharSet* charset = nullptr; // owned
};

struct Match
{
    Match() = default;
    Match(Match&&) = default;
    Match& operator=(Match&&) = delete;
    ~Match()
    {
        for (FallbackEntry& entry : entries)
        {
            if (entry.charset)
                FcCharSetDestroy(entry.charset);
        }
    }

    // The faces and the synthesis, as one string: matches that read the same are the same.
    std::string signature() const
    {
        std::string text{synthBold ? 'b' : '-', synthItalic ? 'i' : '-', complete ? 'c' : '-'};
        for (const FallbackEntry& entry : entries)
            text += entry.file + '\n' + std::to_string(entry.index) + '\n';
        return text;
    }

    std::vector<FallbackEntry> entries; // [0] is the matched face
    bool synthBold = false;
    bool synthItalic = false;
    // Whether the fallbacks follow the matched face; finding them costs as much again as the
    // match, and most fonts never need one.
    bool complete = false;
};

// The process-wide (per copy) FreeType and fontconfig state. The mutex guards everything
// here and every face and size: FreeType objects are not thread-safe, and windows may be
// drawn on from any thread.
class FontLibrary
{
  public:
    static FontLibrary& instance()
    {
        static FontLibrary* library = new FontLibrary; // lives to the end of the process
        return *library;
    }

    std::mutex& mutex() { return mutex_; }
    bool ready() const { return freetype_ != nullptr; }

    // Caller holds the mutex.
    FT_Face face(const std::string& file, int index)
    {
        auto key = std::make_pair(file, index);
        auto it = faces_.find(key);
        if (it != faces_.end())
            return it->second;
        FT_Face face = nullptr;
        if (!freetype_ || FT_New_Face(freetype_, file.c_str(), index, &face) != 0)
            face = nullptr;
        if (face && !FT_IS_SCALABLE(face))
        {
            FT_Done_Face(face);
            face = nullptr;
        }
        faces_.emplace(key, face);
        return face;
    }

    // Caller holds the mutex. Matches are shared by every font with the same request, and by
    // every font whose request finds the same faces. The matched face comes first either way;
    // the fallbacks follow it when asked for.
    std::shared_ptr<const Match> match(const LogFont& request, bool withFallbacks)
    {
        std::string family = familyFor(request);
        int weight = request.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
        int slant = request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN;
        std::string key = family + '\n' + std::to_string(weight) + '\n' + std::to_string(slant) +
                          (withFallbacks ? "\nall" : "");
        auto it = matches_.find(key);
        if (it != matches_.end())
        {
            it->second.lastUse = ++matchClock_;
            return it->second.match;
        }

        Match result;
        if (FcConfig* config = fontconfig_)
        {
            FcPattern* pattern = FcPatternCreate();
            FcPatternAddString(pattern, FC_FAMILY,
                               reinterpret_cast<const FcChar8*>(family.c_str()));
            FcPatternAddInteger(pattern, FC_WEIGHT, weight);
            FcPatternAddInteger(pattern, FC_SLANT, slant);
            FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
            FcConfigSubstitute(config, pattern, FcMatchPattern);
            FcDefaultSubstitute(pattern);
            // The first face is the plain match: asking for Chinese there could let a CJK
            // face win over the family's metric twin.
            FcResult status = FcResultNoMatch;
            if (FcPattern* best = FcFontMatch(config, pattern, &status))
            {
                addEntry(result, best);
                int matchedWeight = weight;
                int matchedSlant = slant;
                FcPatternGetInteger(best, FC_WEIGHT, 0, &matchedWeight);
                FcPatternGetInteger(best, FC_SLANT, 0, &matchedSlant);
                result.synthBold = weight >= FC_WEIGHT_BOLD && matchedWeight < FC_WEIGHT_DEMIBOLD;
                result.synthItalic = slant != FC_SLANT_ROMAN && matchedSlant == FC_SLANT_ROMAN;
                FcPatternDestroy(best);
            }
            FcPatternDestroy(pattern);
        }
        result.complete = withFallbacks;
        if (FcConfig* config = fontconfig_; config && withFallbacks)
        {
            // Fallbacks in the order a Simplified Chinese user expects.
            FcResult status = FcResultNoMatch;
            FcPattern* fallback = FcPatternCreate();
            FcPatternAddString(fallback, FC_FAMILY,
                               reinterpret_cast<const FcChar8*>(family.c_str()));
            FcPatternAddString(fallback, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
            FcPatternAddInteger(fallback, FC_WEIGHT, weight);
            FcPatternAddBool(fallback, FC_SCALABLE, FcTrue);
            FcConfigSubstitute(config, fallback, FcMatchPattern);
            FcDefaultSubstitute(fallback);
            if (FcFontSet* set = FcFontSort(config, fallback, FcTrue, nullptr, &status))
            {
                for (int i = 0; i < set->nfont; ++i)
                    addEntry(result, set->fonts[i]);
                FcFontSetDestroy(set);
            }
            FcPatternDestroy(fallback);
        }
        std::shared_ptr<const Match> shared = intern(std::move(result));
        if (matches_.size() >= kMaxCachedMatches)
        {
            auto oldest = std::min_element(
                matches_.begin(), matches_.end(),
                [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
            matches_.erase(oldest);
        }
        matches_.emplace(std::move(key), CachedMatch{shared, ++matchClock_});
        return shared;
    }

    // Caller holds the mutex. Takes `bytes` more for caches when the budget has room.
    bool reserve(size_t bytes)
    {
        if (bytes > kCacheBudget - std::min(cachedBytes_, kCacheBudget))
            return false;
        cachedBytes_ += bytes;
        return true;
    }
    // Caller holds the mutex. What a cache needs whether or not there is room (an open size).
    void charge(size_t bytes) { cachedBytes_ += bytes; }
    void release(size_t bytes) { cachedBytes_ -= std::min(bytes, cachedBytes_); }
    size_t cachedBytes() const { return cachedBytes_; }
    size_t cachedMatches() const { return matches_.size(); }
    size_t distinctMatches() const { return distinct_.size(); }

  private:
    FontLibrary()
    {
        if (FT_Init_FreeType(&freetype_) != 0)
            freetype_ = nullptr;
        if (FcInit())
            fontconfig_ = FcConfigGetCurrent();
    }

    // Caller holds the mutex. Different names often find the same faces (every unknown name
    // finds the default ones): one match serves them all while any font uses it.
    std::shared_ptr<const Match> intern(Match&& result)
    {
        std::string signature = result.signature();
        auto known = distinct_.find(signature);
        if (known != distinct_.end())
        {
            if (std::shared_ptr<const Match> alive = known->second.lock())
                return alive;
        }
        auto shared = std::make_shared<const Match>(std::move(result));
        if (distinct_.size() >= 2 * distinctAfterSweep_ + 16)
        {
            std::erase_if(distinct_, [](const auto& entry) { return entry.second.expired(); });
            distinctAfterSweep_ = distinct_.size();
        }
        distinct_[std::move(signature)] = shared;
        return shared;
    }

    static std::string familyFor(const LogFont& request)
    {
        size_t length = strnlen(request.faceName, sizeof request.faceName);
        if (length > 0)
            return std::string(request.faceName, length);
        // No face: the family bits pick the platform's usual face of that kind, which
        // fontconfig maps to its metric twin.
        switch (request.pitchAndFamily & 0xF0)
        {
        case kFontFamilyRoman:
            return "Times New Roman";
        case kFontFamilyModern:
            return "Courier New";
        default:
            return "Arial";
        }
    }

    static void addEntry(Match& match, FcPattern* pattern)
    {
        FcChar8* file = nullptr;
        if (FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch || !file)
            return;
        int index = 0;
        FcPatternGetInteger(pattern, FC_INDEX, 0, &index);
        std::string path(reinterpret_cast<const char*>(file));
        for (const FallbackEntry& entry : match.entries)
        {
            if (entry.file == path && entry.index == index)
                return;
        }
        FcCharSet* charset = nullptr;
        if (FcPatternGetCharSet(pattern, FC_CHARSET, 0, &charset) == FcResultMatch && charset)
            charset = FcCharSetCopy(charset);
        match.entries.push_back({std::move(path), index, charset});
    }

    std::mutex mutex_;
    FT_Library freetype_ = nullptr;
    FcConfig* fontconfig_ = nullptr;
    // Faces stay open for the life of the process: there is one per font file installed.
    std::map<std::pair<std::string, int>, FT_Face> faces_;
    struct CachedMatch
    {
        std::shared_ptr<const Match> match;
        uint64_t lastUse = 0;
    };
    std::unordered_map<std::string, CachedMatch> matches_;
    uint64_t matchClock_ = 0;
    std::unordered_map<std::string, std::weak_ptr<const Match>> distinct_;
    size_t distinctAfterSweep_ = 0;
    size_t cachedBytes_ = 0;
};

struct CachedGlyph
{
    int left = 0;
    int top = 0; // rows above the baseline
    int width = 0;
    int height = 0;
    int advance = 0;
    std::vector<uint8_t> coverage;
};

// One face of a font at the font's size, with the glyphs drawn so far.
struct FaceSlot
{
    FT_Face face = nullptr;
    FT_Size size = nullptr;
    std::unordered_map<unsigned, CachedGlyph> glyphs;
};

struct GlyphRef
{
    int slot = -1; // -1: no face draws anything
    unsigned index = 0;
};

class FreeTypeFont final : public Font
{
  public:
    // The face is matched when the font is first measured or drawn: a file may name
    // thousands of faces, and matching each one costs far more than reading the file.
    explicit FreeTypeFont(const LogFont& request) : request_(request)
    {
        request_.faceName[kFontFaceSize - 1] = '\0';
    }

    ~FreeTypeFont() override
    {
        FontLibrary& library = FontLibrary::instance();
        std::lock_guard lock(library.mutex());
        for (FaceSlot& slot : slots_)
        {
            if (slot.size)
                FT_Done_Size(slot.size);
        }
        library.release(cacheBytes_);
    }

    const LogFont& logFont() const override { return request_; }
    TextMetrics metrics() const override
    {
        if (!resolved_.load(std::memory_order_acquire))
        {
            std::lock_guard lock(FontLibrary::instance().mutex());
            resolve();
        }
        return metrics_;
    }

    SIZE extent(std::u16string_view text) const override
    {
        std::lock_guard lock(FontLibrary::instance().mutex());
        resolve();
        int width = 0;
        forEachCharacter(text, [&](char32_t character) {
            if (const CachedGlyph* glyph = glyphFor(character))
                width += glyph->advance;
        });
        return SIZE{width, metrics_.height};
    }

    SIZE render(std::u16string_view text, int x, int y, GlyphSink sink,
                void* context) const override
    {
        std::lock_guard lock(FontLibrary::instance().mutex());
        resolve();
        int penX = x;
        int baseline = y + metrics_.ascent;
        forEachCharacter(text, [&](char32_t character) {
            const CachedGlyph* glyph = glyphFor(character);
            if (!glyph)
                return;
            if (glyph->width > 0 && glyph->height > 0)
            {
                GlyphCoverage placed{penX + glyph->left, baseline - glyph->top,
                                     glyph->width,       glyph->height,
                                     glyph->width,       glyph->coverage.data()};
                sink(context, placed);
            }
            penX += glyph->advance;
        });
        int width = penX - x;
        if (width > 0 && (request_.underline || request_.strikeOut))
        {
            int thickness = std::max(1, static_cast<int>(std::lround(pixelsPerEm_ / 14.0)));
            std::vector<uint8_t> bar(static_cast<size_t>(width) * thickness, 255);
            if (request_.underline)
            {
                int top = baseline + std::max(1, metrics_.descent / 2) - thickness / 2;
                sink(context, GlyphCoverage{x, top, width, thickness, width, bar.data()});
            }
            if (request_.strikeOut)
            {
                int top = baseline - metrics_.ascent / 3 - thickness / 2;
                sink(context, GlyphCoverage{x, top, width, thickness, width, bar.data()});
            }
        }
        return SIZE{width, metrics_.height};
    }

    std::shared_ptr<const TextRun> layout(std::u16string_view text) const override
    {
        std::mutex& mutex = FontLibrary::instance().mutex();
        size_t hash = std::hash<std::u16string_view>{}(text);
        {
            std::lock_guard lock(mutex);
            if (CachedRun* cached = findRun(hash, text))
            {
                cached->lastUse = ++runClock_;
                return cached->run;
            }
        }
        // Drawn without the lock: render takes it for itself.
        std::shared_ptr<const TextRun> run = buildRun(*this, text);
        // A text too large for one mask is remembered as such: placing its glyphs again only
        // to learn that would double the cost of every repaint.
        size_t bytes = run ? run->coverage.size() : text.size() * sizeof(char16_t);
        if (run && bytes > kMaxCachedRunBytes / 4)
            return run; // a huge font's text: drawn, not kept
        std::lock_guard lock(mutex);
        if (CachedRun* cached = findRun(hash, text))
            return cached->run; // another thread made it meanwhile
        if (runs_.size() >= kMaxCachedRuns || runBytes_ + bytes > kMaxCachedRunBytes)
        {
            size_t before = runBytes_;
            // Forget the older half.
            std::vector<uint64_t> uses;
            uses.reserve(runs_.size());
            for (const CachedRun& cached : runs_)
                uses.push_back(cached.lastUse);
            auto half = uses.begin() + static_cast<ptrdiff_t>(uses.size() / 2);
            std::nth_element(uses.begin(), half, uses.end());
            uint64_t middle = *half;
            std::erase_if(runs_, [&](const CachedRun& cached) {
                if (cached.lastUse >= middle)
                    return false;
                runBytes_ -= cached.bytes;
                return true;
            });
            runIndex_.clear();
            for (size_t i = 0; i < runs_.size(); ++i)
                runIndex_.emplace(runs_[i].hash, i);
            releaseBytes(before - runBytes_);
        }
        if (!reserveBytes(bytes))
            return run; // the caches are full: drawn, not kept
        runs_.push_back(CachedRun{hash, std::u16string(text), run, ++runClock_, bytes});
        runIndex_.emplace(hash, runs_.size() - 1);
        runBytes_ += bytes;
        return run;
    }

    bool hasGlyph(char32_t character) const override
    {
        std::lock_guard lock(FontLibrary::instance().mutex());
        resolve();
        GlyphRef ref = lookUp(character);
        return ref.slot >= 0 && ref.index != 0;
    }

    std::string faceFile(char32_t character) const override
    {
        std::lock_guard lock(FontLibrary::instance().mutex());
        resolve();
        GlyphRef ref = lookUp(character);
        if (ref.slot < 0 || ref.index == 0)
            return {};
        for (size_t entry = 0; entry < slotOfEntry_.size(); ++entry)
        {
            if (slotOfEntry_[entry] == ref.slot)
                return match_->entries[entry].file;
        }
        return {};
    }

  private:
    // Caller holds the mutex.
    void resolve() const
    {
        if (resolved_.load(std::memory_order_relaxed))
            return;
        FontLibrary& library = FontLibrary::instance();
        match_ = library.match(request_, false);
        slotOfEntry_.assign(match_->entries.size(), -2);
        computeMetrics(library);
        resolved_.store(true, std::memory_order_release);
    }

    // Caller holds the mutex. Cache bytes taken and given back, here and in the library.
    bool reserveBytes(size_t bytes) const
    {
        if (!FontLibrary::instance().reserve(bytes))
            return false;
        cacheBytes_ += bytes;
        return true;
    }
    void releaseBytes(size_t bytes) const
    {
        bytes = std::min(bytes, cacheBytes_);
        FontLibrary::instance().release(bytes);
        cacheBytes_ -= bytes;
    }

    template <typename Visit> static void forEachCharacter(std::u16string_view text, Visit visit)
    {
        for (size_t i = 0; i < text.size(); ++i)
        {
            char32_t unit = text[i];
            if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] < 0xE000)
            {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            }
            visit(unit);
        }
    }

    // Caller holds the mutex. Opens the face of a match entry at this font's size.
    int slotFor(size_t entry) const
    {
        if (slotOfEntry_[entry] != -2)
            return slotOfEntry_[entry];
        slotOfEntry_[entry] = -1;
        const FallbackEntry& source = match_->entries[entry];
        FT_Face face = FontLibrary::instance().face(source.file, source.index);
        if (!face)
            return -1;
        FT_Size size = nullptr;
        if (FT_New_Size(face, &size) != 0)
            return -1;
        FT_Activate_Size(size);
        FT_Size_RequestRec sizeRequest{};
        sizeRequest.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
        sizeRequest.height = static_cast<FT_Long>(std::lround(pixelsPerEm_ * 64.0));
        sizeRequest.width = static_cast<FT_Long>(std::lround(pixelsPerEmX_ * 64.0));
        if (sizeRequest.height <= 0 || FT_Request_Size(face, &sizeRequest) != 0)
        {
            FT_Done_Size(size);
            return -1;
        }
        slots_.push_back(FaceSlot{face, size, {}});
        slotOfEntry_[entry] = static_cast<int>(slots_.size()) - 1;
        // A font cannot draw without its sizes: they count, whether or not there is room.
        FontLibrary::instance().charge(kSizeCost);
        cacheBytes_ += kSizeCost;
        return slotOfEntry_[entry];
    }

    // Caller holds the mutex.
    GlyphRef lookUp(char32_t character) const
    {
        auto known = characters_.find(character);
        if (known != characters_.end())
            return known->second;
        GlyphRef ref;
        for (size_t entry = 0;; ++entry)
        {
            if (entry >= match_->entries.size())
            {
                if (match_->complete)
                    break;
                // The matched face lacks the character: now the fallbacks are worth finding.
                // They follow the same matched face, so the slots opened so far stay right.
                match_ = FontLibrary::instance().match(request_, true);
                slotOfEntry_.resize(match_->entries.size(), -2);
                if (entry >= match_->entries.size())
                    break;
            }
            const FallbackEntry& source = match_->entries[entry];
            // The charset answers without opening the face; the matched face is always tried.
            if (entry > 0 && source.charset && !FcCharSetHasChar(source.charset, character))
                continue;
            int slot = slotFor(entry);
            if (slot < 0)
                continue;
            if (ref.slot < 0)
                ref.slot = slot; // its missing-glyph box if nobody has the character
            unsigned index = FT_Get_Char_Index(slots_[slot].face, character);
            if (index != 0)
            {
                ref = GlyphRef{slot, index};
                break;
            }
        }
        if (reserveBytes(kLookupCost))
            characters_.emplace(character, ref);
        return ref;
    }

    // Caller holds the mutex. Null when no face can draw anything. A glyph the caches have no
    // room for lives until the next call.
    const CachedGlyph* glyphFor(char32_t character) const
    {
        // Labels are mostly Latin: those skip both hash lookups once drawn.
        if (character < kLatin)
        {
            if (latin_ && (*latin_)[character])
                return (*latin_)[character];
            bool kept = false;
            const CachedGlyph* glyph = loadGlyph(character, &kept);
            if (kept)
            {
                if (!latin_)
                    latin_ = std::make_unique<std::array<const CachedGlyph*, kLatin>>();
                (*latin_)[character] = glyph;
            }
            return glyph;
        }
        bool kept = false;
        return loadGlyph(character, &kept);
    }

    const CachedGlyph* loadGlyph(char32_t character, bool* kept) const
    {
        GlyphRef ref = lookUp(character);
        if (ref.slot < 0)
            return nullptr;
        FaceSlot& slot = slots_[ref.slot];
        auto cached = slot.glyphs.find(ref.index);
        if (cached != slot.glyphs.end())
        {
            *kept = true;
            return &cached->second;
        }

        CachedGlyph glyph;
        FT_Activate_Size(slot.size);
        if (FT_Load_Glyph(slot.face, ref.index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) == 0)
        {
            FT_GlyphSlot loaded = slot.face->glyph;
            if (match_->synthBold)
                FT_GlyphSlot_Embolden(loaded);
            if (match_->synthItalic)
                FT_GlyphSlot_Oblique(loaded);
            glyph.advance = static_cast<int>((loaded->advance.x + 32) >> 6);
            if (FT_Render_Glyph(loaded, FT_RENDER_MODE_NORMAL) == 0)
            {
                const FT_Bitmap& bitmap = loaded->bitmap;
                if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.width > 0 && bitmap.rows > 0)
                {
                    glyph.left = loaded->bitmap_left;
                    glyph.top = loaded->bitmap_top;
                    glyph.width = static_cast<int>(bitmap.width);
                    glyph.height = static_cast<int>(bitmap.rows);
                }
            }
        }
        // A glyph of a huge font is megabytes: it is kept only while the caches have room, and
        // otherwise made in one buffer that every such glyph reuses.
        const size_t size = static_cast<size_t>(glyph.width) * glyph.height;
        CachedGlyph* target = &uncached_;
        if (reserveBytes(sizeof(CachedGlyph) + kLookupCost + size))
        {
            *kept = true;
            target = &slot.glyphs.emplace(ref.index, CachedGlyph{}).first->second;
        }
        std::vector<uint8_t> buffer = std::move(target->coverage);
        *target = glyph;
        target->coverage = std::move(buffer);
        target->coverage.resize(size);
        const FT_Bitmap& bitmap = slot.face->glyph->bitmap;
        for (int row = 0; row < glyph.height; ++row)
            std::memcpy(&target->coverage[static_cast<size_t>(row) * glyph.width],
                        bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch, glyph.width);
        return target;
    }

    // Caller holds the mutex. Cell height, ascent and widths as the platform reports them.
    void computeMetrics(FontLibrary& library) const
    {
        FT_Face face = nullptr;
        if (!match_->entries.empty())
            face = library.face(match_->entries[0].file, match_->entries[0].index);

        double units = face ? face->units_per_EM : 2048.0;
        double ascentUnits = units * 0.9;
        double descentUnits = units * 0.25;
        double lineGapUnits = 0;
        double avgWidthUnits = units * 0.5;
        double maxWidthUnits = units;
        if (face)
        {
            auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
            if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
            {
                ascentUnits = os2->usWinAscent;
                descentUnits = os2->usWinDescent;
            }
            else if (face->ascender - face->descender > 0)
            {
                ascentUnits = face->ascender;
                descentUnits = -face->descender;
            }
            if (hhea)
            {
                double hheaHeight = hhea->Ascender - hhea->Descender;
                lineGapUnits =
                    std::max(0.0, hhea->Line_Gap - ((ascentUnits + descentUnits) - hheaHeight));
            }
            if (os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0)
                avgWidthUnits = os2->xAvgCharWidth;
            if (face->max_advance_width > 0)
                maxWidthUnits = face->max_advance_width;
        }
        double cellUnits = std::max(1.0, ascentUnits + descentUnits);

        int height = request_.height;
        if (height == 0)
            height = kDefaultCellHeight;
        double perEm = height > 0 ? height * units / cellUnits : -static_cast<double>(height);
        perEm = std::clamp(perEm, 1.0, kMaxPixelsPerEm);
        pixelsPerEm_ = perEm;
        double scale = perEm / units;

        TextMetrics metrics;
        metrics.ascent = static_cast<int>(std::lround(ascentUnits * scale));
        if (height > 0 && perEm < kMaxPixelsPerEm)
            metrics.descent = std::max(0, height - metrics.ascent);
        else
            metrics.descent = static_cast<int>(std::lround(descentUnits * scale));
        metrics.height = metrics.ascent + metrics.descent;
        metrics.internalLeading =
            std::max(0, metrics.height - static_cast<int>(std::lround(perEm)));
        metrics.externalLeading = static_cast<int>(std::lround(lineGapUnits * scale));
        metrics.aveCharWidth = std::max(1, static_cast<int>(std::lround(avgWidthUnits * scale)));
        metrics.maxCharWidth = std::max(1, static_cast<int>(std::lround(maxWidthUnits * scale)));
        metrics.weight =
            request_.weight == kFontWeightDefault ? kFontWeightNormal : request_.weight;

        pixelsPerEmX_ = pixelsPerEm_;
        if (request_.width > 0)
        {
            // A width asks for that average character width: scale horizontally to it.
            double widthScale = request_.width / (avgWidthUnits * scale);
            pixelsPerEmX_ = std::clamp(pixelsPerEm_ * widthScale, 1.0, kMaxPixelsPerEm);
            metrics.aveCharWidth = request_.width;
            metrics.maxCharWidth =
                std::max(1, static_cast<int>(std::lround(maxWidthUnits * scale * widthScale)));
        }
        metrics_ = metrics;
    }

    LogFont request_;
    // Set once, under the library mutex, when the font is first measured or drawn.
    mutable std::atomic<bool> resolved_{false};
    mutable std::shared_ptr<const Match> match_;
    mutable TextMetrics metrics_;
    mutable double pixelsPerEm_ = 12;
    mutable double pixelsPerEmX_ = 12;
    // Cache bytes this font holds of the library's budget.
    mutable size_t cacheBytes_ = 0;
    mutable CachedGlyph uncached_;
    // Caches, filled while drawing; guarded by the library mutex.
    mutable std::vector<FaceSlot> slots_;
    mutable std::vector<int> slotOfEntry_; // -2 not opened yet, -1 unusable
    mutable std::unordered_map<char32_t, GlyphRef> characters_;
    // Glyphs live in the slots' maps, whose elements never move. Made on the first glyph: most
    // fonts of a file are never drawn.
    static constexpr char32_t kLatin = 256;
    mutable std::unique_ptr<std::array<const CachedGlyph*, kLatin>> latin_;
    // The texts a font keeps, found by their hash.
    struct CachedRun
    {
        size_t hash = 0;
        std::u16string text;
        std::shared_ptr<const TextRun> run; // null: too large for one mask
        uint64_t lastUse = 0;
        size_t bytes = 0;
    };
    // Caller holds the mutex.
    CachedRun* findRun(size_t hash, std::u16string_view text) const
    {
        const auto [first, last] = runIndex_.equal_range(hash);
        for (auto it = first; it != last; ++it)
        {
            if (runs_[it->second].text == text)
                return &runs_[it->second];
        }
        return nullptr;
    }
    mutable std::vector<CachedRun> runs_;
    mutable std::unordered_multimap<size_t, size_t> runIndex_; // hash to index in runs_
    mutable uint64_t runClock_ = 0;
    mutable size_t runBytes_ = 0;
};

} // namespace

std::shared_ptr<const TextRun> Font::layout(std::u16string_view text) const
{
    return buildRun(*this, text);
}

std::unique_ptr<Font> createFont(const LogFont& request)
{
    return std::make_unique<FreeTypeFont>(request);
}

testing::FontCaches testing::fontCaches()
{
    FontLibrary& library = FontLibrary::instance();
    std::lock_guard lock(library.mutex());
    return FontCaches{library.cachedBytes(), kCacheBudget, library.cachedMatches(),
                      kMaxCachedMatches, library.distinctMatches()};
}

LogFont labelLogFont(std::string_view face, int height)
{
    LogFont font;
    font.height = height;
    font.weight = kFontWeightDefault;
    font.charSet = 0;
    font.pitchAndFamily = kFontVariablePitch | kFontFamilySwiss;
    size_t length = std::min(face.size(), sizeof font.faceName - 1);
    length = std::min(length, face.find('\0') == std::string_view::npos ? length : face.find('\0'));
    std::memcpy(font.faceName, face.data(), length);
    font.faceName[length] = '\0';
    return font;
}

} // namespace kwz
