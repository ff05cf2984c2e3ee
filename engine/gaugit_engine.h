#pragma once
// One engine instance: the calibration ruler, the seven graphic lists and the settings new
// graphics take, with construction, hit-testing and editing driven by image points.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/font_metrics.h"
#include "engine/graphic_lists.h"
#include "engine/hit_index.h"
#include "engine/ruler_graphic.h"

namespace gaugit {

enum HitMode : int
{
    kModeNone = 0,
    kModeBody = 1,
    kModeEditPoint = 2,
    kModeLabel = 3,
};

// What a construction call found; the exports turn it into their result codes.
enum class Outcome
{
    Done,
    NoRuler,        // a graphic needs the calibration ruler first
    NothingToActOn, // no graphic of the kind the call needs
};

// Mouse moves closer than this to the last accepted event are dropped.
constexpr uint32_t kThrottleMs = 40;

// The display language of every instance: 0 Chinese, 1 English, others no descriptor text.
int measureLanguage();
void setMeasureLanguage(int language);

// Colours in the order the exports take them: normal, hovered, selected.
struct TextFont
{
    char face[kFaceSize] = "Times New Roman";
    int height = 14;
    COLORREF normal = 0xFF0000;
    COLORREF hovered = 0x00FF00;
    COLORREF selected = 0x0000FF;
};

struct DescFont
{
    char face[kFaceSize] = "Times New Roman";
    int height = 14;
};

// Descriptor choices for new and restored graphics, one word per kind.
struct MarkWords
{
    uint32_t line = 0xFFFFFFFFu;
    uint32_t rect = 0xFFFFFFFFu;
    uint32_t circle = 0xFFFFFFFFu;
    uint32_t ellipse = 0xFFFFFFFFu;
    uint32_t angle = 0xFFFFFFFFu;
    uint32_t polygon = 0xFFFFFFFFu;
};

// The word of MarkWords that a class of graphic takes.
template <typename T> inline constexpr uint32_t MarkWords::*kMarkOf = nullptr;
template <> inline constexpr uint32_t MarkWords::*kMarkOf<LineGraphic> = &MarkWords::line;
template <> inline constexpr uint32_t MarkWords::*kMarkOf<RectGraphic> = &MarkWords::rect;
template <> inline constexpr uint32_t MarkWords::*kMarkOf<CircleGraphic> = &MarkWords::circle;
template <> inline constexpr uint32_t MarkWords::*kMarkOf<EllipseGraphic> = &MarkWords::ellipse;
template <> inline constexpr uint32_t MarkWords::*kMarkOf<AngleGraphic> = &MarkWords::angle;
template <> inline constexpr uint32_t MarkWords::*kMarkOf<PolygonGraphic> = &MarkWords::polygon;

class GaugitEngine
{
  public:
    GaugitEngine();
    ~GaugitEngine();
    GaugitEngine(const GaugitEngine&) = delete;
    GaugitEngine& operator=(const GaugitEngine&) = delete;

    // Settings.
    int measureUnit() const { return measureUnit_; }
    // Recomputes units per pixel and every graphic.
    void setMeasureUnit(int unit);
    float unitsPerPixel() const { return unitsPerPixel_; }
    int angleUnit() const { return angleUnit_; }
    void setAngleUnit(int unit);
    int16_t precision() const { return precision_; }
    // Needs a ruler; false (nothing changed) without one.
    bool setPrecision(int decimals);
    int hideDescriptorDefault() const { return hideDescriptor_; }
    // Needs a ruler; acts on the selection, or on all graphics when nothing is selected.
    bool hideDescriptor(int hide);
    // Stores the default pen and gives it to the selected graphic or ruler.
    void setPen(const PenSpec& pen);
    const PenSpec& pen() const { return pen_; }
    // Stores the text font and applies it to the selected text.
    void setTextFont(const char* face, int height, COLORREF normal, COLORREF hovered,
                     COLORREF selected);
    const TextFont& textFont() const { return textFont_; }
    void setDescFont(const char* face, int height);
    const DescFont& descFont() const { return descFont_; }
    const MarkWords& marks() const { return marks_; }
    // Each needs a ruler; stores the word and applies it to every graphic of the kind.
    bool setLineMark(uint32_t mark);
    bool setRectMark(uint32_t mark);
    bool setCircleMark(uint32_t mark);
    bool setEllipseMark(uint32_t mark);
    bool setAngleMark(uint32_t mark);
    bool setPolygonMark(uint32_t mark);

    // Header values of a restored stream, applied without touching existing graphics.
    void setDefaults(int measureUnit, const PenSpec& pen, int angleUnit, int16_t precision,
                     int hideDescriptor, const MarkWords& marks);

    // Ruler.
    RulerGraphic* ruler() { return ruler_.get(); }
    const RulerGraphic* ruler() const { return ruler_.get(); }
    // Creates the ruler (begun at start, end added) or moves the existing one; recalibrates.
    void setRuler(POINT start, POINT end, int unit, float length);
    // Needs a ruler; false without one.
    bool setRulerUnitAndLength(int unit, float length);
    // Makes a restored ruler the instance's ruler in place of any previous one; recalibrates.
    void replaceRuler(std::unique_ptr<RulerGraphic> ruler);
    bool rulerHidden() const { return rulerHidden_ != 0; }
    void setRulerHidden(int hidden) { rulerHidden_ = hidden; }
    bool setRulerPen(const PenSpec& pen);
    // Recomputes units per pixel from the ruler and hands it to the graphics.
    void recalibrate();

    // The lists, each in creation order.
    const GraphicLists& lists() const { return lists_; }
    const GraphicList<LineGraphic>& lines() const { return lists_.of<LineGraphic>(); }
    const GraphicList<CircleGraphic>& circles() const { return lists_.of<CircleGraphic>(); }
    const GraphicList<RectGraphic>& rects() const { return lists_.of<RectGraphic>(); }
    const GraphicList<EllipseGraphic>& ellipses() const { return lists_.of<EllipseGraphic>(); }
    const GraphicList<AngleGraphic>& angles() const { return lists_.of<AngleGraphic>(); }
    const GraphicList<TextGraphic>& texts() const { return lists_.of<TextGraphic>(); }
    const GraphicList<PolygonGraphic>& polygons() const { return lists_.of<PolygonGraphic>(); }
    // Appends a restored graphic; it is neither hovered nor selected.
    template <typename T> void append(std::unique_ptr<T> graphic)
    {
        if (graphic)
            lists_.of<T>().push_back(std::move(graphic));
        hitIndex_.invalidate();
    }
    // Graphic of a hit kind at an index (the ruler for kHitRuler); null when there is none.
    // The hit search takes its boxes afresh afterwards, as the caller may change the graphic.
    Graphic* graphicAt(int kind, int index);
    int listSize(int kind) const { return lists_.size(kind); }

    // Hover and selection.
    int hoverKind() const { return hoverKind_; }
    int hoverIndex() const { return hoverIndex_; }
    int selectionKind() const { return selectionKind_; }
    int selectionIndex() const { return selectionIndex_; }
    int selectionMode() const { return selectionMode_; }

    // Construction and editing.
    Outcome startGraphic(POINT p, int type);
    void addPoint(POINT p);
    Outcome addString(const char* text);
    void changePoint(POINT p);
    void finishGraphic();
    // The graphic still being built: the last of the selected kind while it is unfinished and
    // takes further points (a polygon until it is finished, a text until its text is closed);
    // null when none.
    const Graphic* graphicUnderConstruction() const;
    bool hitGraphic(int x, int y);
    bool passGraphic(int x, int y);
    void moveGraphic(int dx, int dy);
    void clearHitGraphic();
    void clearAllGraphics();
    // Selects a whole graphic of a hit kind by its index, as a click on its body would;
    // kHitNone clears the selection. False (nothing changed) for no such graphic or while
    // one is being built.
    bool selectGraphic(int kind, int index);
    // Repaint area around the selection; false leaves the caller's rectangle as it was.
    bool boundingRect(RECT* rect) const;

    uint32_t lastEventTime() const { return lastEventTime_; }

  private:
    template <typename F> void forEachMeasured(F&& f);
    template <typename T> bool applyMark(uint32_t mark);
    bool acceptEvent();
    Graphic* findGraphic(int kind, int index) const;
    const HitIndex& hitIndex();
    Graphic* lastOfSelection();
    void removeLastOfSelection();
    void prepare(Graphic& graphic, uint32_t mark);
    void resetHover();
    void resetSelection();

    uint32_t lastEventTime_ = 0;
    uint32_t currentEventTime_ = 0;
    int rulerHidden_ = 0;
    std::unique_ptr<RulerGraphic> ruler_;
    int measureUnit_ = 0;
    float unitsPerPixel_ = 0.0f;
    int angleUnit_ = 0;
    PenSpec pen_{0, 1, 0xFF0000, 0x00FF00, 0x0000FF};
    TextFont textFont_;
    DescFont descFont_;
    GraphicLists lists_;
    int hoverKind_ = kHitNone;
    int hoverIndex_ = -1;
    int selectionKind_ = kHitNone;
    int selectionIndex_ = -1;
    int selectionMode_ = kModeNone;
    int16_t precision_ = 2;
    int hideDescriptor_ = 0;
    MarkWords marks_;
    HitIndex hitIndex_;
};

} // namespace gaugit
