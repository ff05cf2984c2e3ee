#include "engine/gaugit_engine.h"

#include <atomic>
#include <type_traits>

#include "engine/geometry.h"
#include "platform/clock.h"

namespace gaugit {

namespace {

// One value for the whole library, read by every instance when it draws.
std::atomic<int> gLanguage{0};

constexpr int kRepaintMargin = 10;

template <typename T> Graphic* itemAt(const GraphicList<T>& list, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        return nullptr;
    return list[static_cast<std::size_t>(index)].get();
}

template <typename T> void eraseAt(GraphicList<T>& list, int index)
{
    if (index >= 0 && static_cast<std::size_t>(index) < list.size())
        list.erase(list.begin() + index);
}

// A new graphic of a class; circles and ellipses take the type code as their variant.
template <typename T> std::unique_ptr<T> makeGraphic(int type)
{
    if constexpr (std::is_constructible_v<T, int>)
        return std::make_unique<T>(type);
    else
        return std::make_unique<T>();
}

} // namespace

int measureLanguage()
{
    return gLanguage.load(std::memory_order_relaxed);
}

void setMeasureLanguage(int language)
{
    gLanguage.store(language, std::memory_order_relaxed);
}

GaugitEngine::GaugitEngine() = default;

GaugitEngine::~GaugitEngine()
{
    // The ruler first, then the lists from the last to the first.
    ruler_.reset();
    lists_.clear();
}

template <typename F> void GaugitEngine::forEachMeasured(F&& f)
{
    lists_.forEachGraphic(kListOrder, [&](auto& g) {
        if constexpr (kMeasuresLength<decltype(g)>)
            f(g);
    });
}

void GaugitEngine::setMeasureUnit(int unit)
{
    hitIndex_.invalidate();
    measureUnit_ = unit;
    unitsPerPixel_ = ruler_ ? ruler_->unitsPerPixelIn(measureUnit_) : 0.0f;
    forEachMeasured([this](Graphic& g) {
        g.setMeasureUnit(measureUnit_);
        g.setScale(unitsPerPixel_);
    });
}

void GaugitEngine::recalibrate()
{
    hitIndex_.invalidate();
    unitsPerPixel_ = ruler_ ? ruler_->unitsPerPixelIn(measureUnit_) : 0.0f;
    forEachMeasured([this](Graphic& g) { g.setScale(unitsPerPixel_); });
}

void GaugitEngine::setAngleUnit(int unit)
{
    hitIndex_.invalidate();
    angleUnit_ = unit;
    for (auto& g : lists_.of<AngleGraphic>())
        g->setAngleUnit(unit);
}

bool GaugitEngine::setPrecision(int decimals)
{
    hitIndex_.invalidate();
    if (!ruler_)
        return false;
    precision_ = static_cast<int16_t>(static_cast<uint16_t>(decimals & 0xFFFF));
    ruler_->setPrecision(precision_);
    lists_.forEachGraphic(kListOrder, [this](auto& g) {
        if constexpr (!kIsText<decltype(g)>)
            g.setPrecision(precision_);
    });
    return true;
}

bool GaugitEngine::hideDescriptor(int hide)
{
    hitIndex_.invalidate();
    if (!ruler_)
        return false;
    hideDescriptor_ = hide;
    if (selectionKind_ == kHitNone)
    {
        lists_.forEachGraphic(kListOrder, [hide](auto& g) {
            if constexpr (!kIsText<decltype(g)>)
                g.setLabelHidden(hide);
        });
    }
    else if (selectionKind_ != kHitText)
    {
        if (Graphic* g = findGraphic(selectionKind_, selectionIndex_))
            g->setLabelHidden(hide);
    }
    return true;
}

void GaugitEngine::setPen(const PenSpec& pen)
{
    hitIndex_.invalidate();
    pen_ = pen;
    if (selectionKind_ == kHitNone || selectionKind_ == kHitText)
        return;
    if (Graphic* g = findGraphic(selectionKind_, selectionIndex_))
        g->setPen(pen);
}

void GaugitEngine::setTextFont(const char* face, int height, COLORREF normal, COLORREF hovered,
                               COLORREF selected)
{
    hitIndex_.invalidate();
    copyFace(textFont_.face, face);
    textFont_.height = height;
    textFont_.normal = normal;
    textFont_.hovered = hovered;
    textFont_.selected = selected;
    if (selectionKind_ != kHitText)
        return;
    if (Graphic* g = findGraphic(kHitText, selectionIndex_))
    {
        auto* text = static_cast<TextGraphic*>(g);
        text->setFont(textFont_.face, height);
        text->setTextColors(normal, hovered, selected);
    }
}

void GaugitEngine::setDescFont(const char* face, int height)
{
    copyFace(descFont_.face, face);
    descFont_.height = height;
}

// A mark word needs a ruler; it becomes the default of its kind and reaches every graphic of it.
template <typename T> bool GaugitEngine::applyMark(uint32_t mark)
{
    hitIndex_.invalidate();
    if (!ruler_)
        return false;
    marks_.*kMarkOf<T> = mark;
    for (auto& g : lists_.of<T>())
        g->setMark(mark);
    return true;
}

bool GaugitEngine::setLineMark(uint32_t mark)
{
    return applyMark<LineGraphic>(mark);
}

bool GaugitEngine::setRectMark(uint32_t mark)
{
    return applyMark<RectGraphic>(mark);
}

bool GaugitEngine::setCircleMark(uint32_t mark)
{
    return applyMark<CircleGraphic>(mark);
}

bool GaugitEngine::setEllipseMark(uint32_t mark)
{
    return applyMark<EllipseGraphic>(mark);
}

bool GaugitEngine::setAngleMark(uint32_t mark)
{
    return applyMark<AngleGraphic>(mark);
}

bool GaugitEngine::setPolygonMark(uint32_t mark)
{
    return applyMark<PolygonGraphic>(mark);
}

void GaugitEngine::setDefaults(int measureUnit, const PenSpec& pen, int angleUnit,
                               int16_t precision, int hideDescriptor, const MarkWords& marks)
{
    measureUnit_ = measureUnit;
    pen_ = pen;
    angleUnit_ = angleUnit;
    precision_ = precision;
    hideDescriptor_ = hideDescriptor;
    marks_ = marks;
}

void GaugitEngine::setRuler(POINT start, POINT end, int unit, float length)
{
    if (!ruler_)
    {
        // The ruler keeps the class defaults for pen, precision and label font.
        auto ruler = std::make_unique<RulerGraphic>();
        ruler->begin(start);
        ruler->setRulerUnitAndLength(unit, length);
        ruler->addPoint(end);
        ruler_ = std::move(ruler);
    }
    else
    {
        ruler_->setPoints(start, end);
        ruler_->setRulerUnitAndLength(unit, length);
        ruler_->recompute();
    }
    recalibrate();
}

bool GaugitEngine::setRulerUnitAndLength(int unit, float length)
{
    if (!ruler_)
        return false;
    ruler_->setRulerUnitAndLength(unit, length);
    ruler_->recompute();
    recalibrate();
    return true;
}

void GaugitEngine::replaceRuler(std::unique_ptr<RulerGraphic> ruler)
{
    if (!ruler)
        return;
    ruler_ = std::move(ruler);
    recalibrate();
}

bool GaugitEngine::setRulerPen(const PenSpec& pen)
{
    if (!ruler_)
        return false;
    ruler_->setPen(pen);
    return true;
}

Graphic* GaugitEngine::graphicAt(int kind, int index)
{
    // The caller may change the graphic.
    hitIndex_.invalidate();
    return findGraphic(kind, index);
}

Graphic* GaugitEngine::findGraphic(int kind, int index) const
{
    if (kind == kHitRuler)
        return ruler_.get();
    Graphic* found = nullptr;
    lists_.visit(kind, [&](const auto& list) { found = itemAt(list, index); });
    return found;
}

void GaugitEngine::resetHover()
{
    hoverKind_ = kHitNone;
    hoverIndex_ = -1;
}

void GaugitEngine::resetSelection()
{
    selectionKind_ = kHitNone;
    selectionIndex_ = -1;
    selectionMode_ = kModeNone;
}

Graphic* GaugitEngine::lastOfSelection()
{
    if (selectionKind_ == kHitNone || selectionKind_ == kHitRuler)
        return nullptr;
    return findGraphic(selectionKind_, listSize(selectionKind_) - 1);
}

void GaugitEngine::removeLastOfSelection()
{
    hitIndex_.invalidate();
    const int kind = selectionKind_;
    if (!lists_.visit(kind, [](auto& list) { eraseAt(list, static_cast<int>(list.size()) - 1); }))
        return;
    // A hover on the graphic just removed would point past its list.
    if (hoverKind_ == kind && hoverIndex_ >= listSize(kind))
        resetHover();
}

void GaugitEngine::prepare(Graphic& graphic, uint32_t mark)
{
    graphic.setMark(mark);
    graphic.setPen(pen_);
    graphic.setMeasureUnit(measureUnit_);
    graphic.setScale(unitsPerPixel_);
    graphic.setLabelHidden(hideDescriptor_);
    graphic.setPrecision(precision_);
}

Outcome GaugitEngine::startGraphic(POINT p, int type)
{
    hitIndex_.invalidate();
    finishGraphic();
    if (!ruler_)
        return Outcome::NoRuler;
    lastEventTime_ = kwz::tickCount();
    const int kind = type >= 0 && static_cast<std::size_t>(type) < kKindOfType.size()
                         ? kKindOfType[static_cast<std::size_t>(type)]
                         : kHitNone;
    Graphic* created = nullptr;
    lists_.visit(kind, [&](auto& list) {
        using T = GraphicOf<decltype(list)>;
        auto g = makeGraphic<T>(type);
        if constexpr (kIsText<T>)
        {
            g->setFont(textFont_.face, textFont_.height);
            g->setTextColors(textFont_.normal, textFont_.hovered, textFont_.selected);
        }
        else
        {
            prepare(*g, marks_.*kMarkOf<T>);
            if constexpr (std::is_same_v<T, AngleGraphic>)
                g->setAngleUnit(angleUnit_);
        }
        created = g.get();
        list.push_back(std::move(g));
    });
    if (!created)
        return Outcome::Done;
    selectionKind_ = kind;
    selectionIndex_ = listSize(kind) - 1;
    created->begin(p);
    // The label exists once the graphic is begun.
    if (kind != kHitText)
        created->setDescFont(descFont_.face, descFont_.height);
    return Outcome::Done;
}

void GaugitEngine::addPoint(POINT p)
{
    hitIndex_.invalidate();
    if (selectionKind_ == kHitText)
        return;
    if (Graphic* g = lastOfSelection())
        g->addPoint(p);
}

Outcome GaugitEngine::addString(const char* text)
{
    hitIndex_.invalidate();
    const GraphicList<TextGraphic>& texts = lists_.of<TextGraphic>();
    if (selectionKind_ != kHitText || texts.empty())
        return Outcome::NothingToActOn;
    TextGraphic& last = *texts.back();
    if (!last.finished() && !last.setText(text))
        last.finish();
    return Outcome::Done;
}

void GaugitEngine::changePoint(POINT p)
{
    hitIndex_.invalidate();
    if (!acceptEvent())
        return;
    if (selectionKind_ == kHitText)
        return;
    if (Graphic* g = lastOfSelection())
        g->changePoint(p);
}

bool GaugitEngine::acceptEvent()
{
    currentEventTime_ = kwz::tickCount();
    // Unsigned difference: right across the wrap of the 32-bit tick.
    if (currentEventTime_ - lastEventTime_ < kThrottleMs)
        return false;
    lastEventTime_ = currentEventTime_;
    return true;
}

void GaugitEngine::finishGraphic()
{
    hitIndex_.invalidate();
    Graphic* last = lastOfSelection();
    if (last && last->isComplete())
    {
        last->finish();
        return;
    }
    if (last)
        removeLastOfSelection();
    selectionKind_ = kHitNone;
}

const Graphic* GaugitEngine::graphicUnderConstruction() const
{
    if (selectionKind_ == kHitNone || selectionKind_ == kHitRuler)
        return nullptr;
    const Graphic* last = nullptr;
    lists_.visit(selectionKind_, [&](const auto& list) {
        if (!list.empty())
            last = list.back().get();
    });
    if (last == nullptr || last->finished())
        return nullptr;
    // A figure of a fixed number of points is complete exactly when its last point is placed.
    const int type = last->typeCode();
    if (type != kTypePolygon && type != kTypeText && last->isComplete())
        return nullptr;
    return last;
}

bool GaugitEngine::hitGraphic(int x, int y)
{
    if (!ruler_)
        return false;
    resetSelection();
    auto select = [this](int kind, int index, int mode) {
        selectionKind_ = kind;
        selectionIndex_ = index;
        selectionMode_ = mode;
        return true;
    };
    if (!rulerHidden_)
    {
        if (ruler_->hitEditPoint(x, y))
            return select(kHitRuler, -1, kModeEditPoint);
        if (ruler_->hitBody(x, y))
            return select(kHitRuler, -1, kModeBody);
        if (ruler_->hitLabel(x, y))
            return select(kHitRuler, -1, kModeLabel);
    }
    // Within a list an edit point anywhere beats a body, a body beats a label; texts answer
    // with their bodies only. One pass over the boxes finds all three: the first edit point
    // ends it, the first body and label of a list are kept until the next list begins.
    int kind = kHitNone;
    int body = -1;
    int label = -1;
    auto settle = [&] {
        if (body >= 0)
            return select(kind, body, kModeBody);
        if (label >= 0)
            return select(kind, label, kModeLabel);
        return false;
    };
    const bool found = hitIndex().find(x, y, [&](const HitIndex::Entry& e) {
        if (e.kind != kind)
        {
            if (settle())
                return true;
            kind = e.kind;
            body = label = -1;
        }
        Graphic& g = *e.graphic;
        if (e.kind != kHitText)
        {
            if (g.hitEditPoint(x, y))
                return select(kind, e.index, kModeEditPoint);
            if (label < 0 && g.hitLabel(x, y))
                label = e.index;
        }
        if (body < 0 && g.hitBody(x, y))
            body = e.index;
        return false;
    });
    return found || settle();
}

const HitIndex& GaugitEngine::hitIndex()
{
    if (!hitIndex_.current())
        hitIndex_.rebuild(lists_);
    return hitIndex_;
}

bool GaugitEngine::selectGraphic(int kind, int index)
{
    if (graphicUnderConstruction())
        return false;
    if (kind == kHitNone)
    {
        resetSelection();
        return true;
    }
    if (kind == kHitRuler || index < 0 || index >= listSize(kind))
        return false;
    selectionKind_ = kind;
    selectionIndex_ = index;
    selectionMode_ = kModeBody;
    return true;
}

bool GaugitEngine::passGraphic(int x, int y)
{
    currentEventTime_ = kwz::tickCount();
    if (currentEventTime_ - lastEventTime_ < kThrottleMs)
        return false;
    resetHover();
    if (!ruler_)
        return false;
    auto hover = [this](int kind, int index) {
        hoverKind_ = kind;
        hoverIndex_ = index;
        lastEventTime_ = currentEventTime_;
        return true;
    };
    if (!rulerHidden_ && ruler_->hitBody(x, y))
        return hover(kHitRuler, -1);
    return hitIndex().find(x, y, [&](const HitIndex::Entry& e) {
        return e.graphic->hitBody(x, y) && hover(e.kind, e.index);
    });
}

void GaugitEngine::moveGraphic(int dx, int dy)
{
    hitIndex_.invalidate();
    lastEventTime_ = kwz::tickCount();
    Graphic* g = findGraphic(selectionKind_, selectionIndex_);
    if (!g)
        return;
    const bool text = selectionKind_ == kHitText;
    switch (selectionMode_)
    {
    case kModeBody:
        g->moveBy(dx, dy);
        break;
    case kModeEditPoint:
        if (text)
            return;
        g->moveEditPoint(dx, dy);
        if (selectionKind_ == kHitRuler)
            recalibrate();
        break;
    case kModeLabel:
        if (!text)
            g->moveLabel(dx, dy);
        break;
    default:
        break;
    }
}

void GaugitEngine::clearHitGraphic()
{
    hitIndex_.invalidate();
    finishGraphic();
    // The ruler is not in a list: a selected ruler stays.
    lists_.visit(selectionKind_, [this](auto& list) { eraseAt(list, selectionIndex_); });
    resetHover();
    resetSelection();
}

void GaugitEngine::clearAllGraphics()
{
    hitIndex_.invalidate();
    finishGraphic();
    lists_.clear();
    resetHover();
    resetSelection();
}

bool GaugitEngine::boundingRect(RECT* rect) const
{
    const Graphic* g = findGraphic(selectionKind_, selectionIndex_);
    if (selectionKind_ == kHitNone || !g)
    {
        *rect = RECT{0, 0, 0, 0};
        return true;
    }
    // Corners come in point order; the repaint area is the same either way.
    RECT area = normalizedRect(g->extentRect());
    if (const DescLabel* label = g->label())
        area = unitedRect(area, inflatedRect(normalizedRect(label->rect()), kRepaintMargin));
    *rect = inflatedRect(area, kRepaintMargin);
    return true;
}

} // namespace gaugit
