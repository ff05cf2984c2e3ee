#include "engine/gaugit_engine.h"

#include <atomic>

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

template <typename T> bool eraseAt(GraphicList<T>& list, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        return false;
    list.erase(list.begin() + index);
    return true;
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
    polygons_.clear();
    texts_.clear();
    angles_.clear();
    ellipses_.clear();
    rects_.clear();
    circles_.clear();
    lines_.clear();
}

// Units and scale concern the graphics that measure lengths: not angles, not texts.
template <typename F> void GaugitEngine::forEachMeasured(F&& f)
{
    for (auto& g : lines_)
        f(*g);
    for (auto& g : circles_)
        f(*g);
    for (auto& g : rects_)
        f(*g);
    for (auto& g : ellipses_)
        f(*g);
    for (auto& g : polygons_)
        f(*g);
}

void GaugitEngine::setMeasureUnit(int unit)
{
    measureUnit_ = unit;
    unitsPerPixel_ = ruler_ ? ruler_->unitsPerPixelIn(measureUnit_) : 0.0f;
    forEachMeasured([this](Graphic& g) {
        g.setMeasureUnit(measureUnit_);
        g.setScale(unitsPerPixel_);
    });
}

void GaugitEngine::recalibrate()
{
    unitsPerPixel_ = ruler_ ? ruler_->unitsPerPixelIn(measureUnit_) : 0.0f;
    forEachMeasured([this](Graphic& g) { g.setScale(unitsPerPixel_); });
}

void GaugitEngine::setAngleUnit(int unit)
{
    angleUnit_ = unit;
    for (auto& g : angles_)
        g->setAngleUnit(unit);
}

bool GaugitEngine::setPrecision(int decimals)
{
    if (!ruler_)
        return false;
    precision_ = static_cast<int16_t>(static_cast<uint16_t>(decimals & 0xFFFF));
    ruler_->setPrecision(precision_);
    forEachMeasured([this](Graphic& g) { g.setPrecision(precision_); });
    for (auto& g : angles_)
        g->setPrecision(precision_);
    return true;
}

bool GaugitEngine::hideDescriptor(int hide)
{
    if (!ruler_)
        return false;
    hideDescriptor_ = hide;
    switch (selectionKind_)
    {
    case kHitNone:
        forEachMeasured([hide](Graphic& g) { g.setLabelHidden(hide); });
        for (auto& g : angles_)
            g->setLabelHidden(hide);
        break;
    case kHitText:
        break;
    default:
        if (Graphic* g = graphicAt(selectionKind_, selectionIndex_))
            g->setLabelHidden(hide);
        break;
    }
    return true;
}

void GaugitEngine::setPen(const PenSpec& pen)
{
    pen_ = pen;
    if (selectionKind_ == kHitNone || selectionKind_ == kHitText)
        return;
    if (Graphic* g = graphicAt(selectionKind_, selectionIndex_))
        g->setPen(pen);
}

void GaugitEngine::setTextFont(const char* face, int height, COLORREF normal, COLORREF hovered,
                               COLORREF selected)
{
    copyFace(textFont_.face, face);
    textFont_.height = height;
    textFont_.normal = normal;
    textFont_.hovered = hovered;
    textFont_.selected = selected;
    if (selectionKind_ != kHitText)
        return;
    if (Graphic* g = graphicAt(kHitText, selectionIndex_))
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
template <typename T>
bool GaugitEngine::applyMark(uint32_t& slot, GraphicList<T>& list, uint32_t mark)
{
    if (!ruler_)
        return false;
    slot = mark;
    for (auto& g : list)
        g->setMark(mark);
    return true;
}

bool GaugitEngine::setLineMark(uint32_t mark)
{
    return applyMark(marks_.line, lines_, mark);
}

bool GaugitEngine::setRectMark(uint32_t mark)
{
    return applyMark(marks_.rect, rects_, mark);
}

bool GaugitEngine::setCircleMark(uint32_t mark)
{
    return applyMark(marks_.circle, circles_, mark);
}

bool GaugitEngine::setEllipseMark(uint32_t mark)
{
    return applyMark(marks_.ellipse, ellipses_, mark);
}

bool GaugitEngine::setAngleMark(uint32_t mark)
{
    return applyMark(marks_.angle, angles_, mark);
}

bool GaugitEngine::setPolygonMark(uint32_t mark)
{
    return applyMark(marks_.polygon, polygons_, mark);
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

void GaugitEngine::append(std::unique_ptr<LineGraphic> graphic)
{
    if (graphic)
        lines_.push_back(std::move(graphic));
}

void GaugitEngine::append(std::unique_ptr<CircleGraphic> graphic)
{
    if (graphic)
        circles_.push_back(std::move(graphic));
}

void GaugitEngine::append(std::unique_ptr<RectGraphic> graphic)
{
    if (graphic)
        rects_.push_back(std::move(graphic));
}

void GaugitEngine::append(std::unique_ptr<EllipseGraphic> graphic)
{
    if (graphic)
        ellipses_.push_back(std::move(graphic));
}

void GaugitEngine::append(std::unique_ptr<AngleGraphic> graphic)
{
    if (graphic)
        angles_.push_back(std::move(graphic));
}

void GaugitEngine::append(std::unique_ptr<TextGraphic> graphic)
{
    if (graphic)
        texts_.push_back(std::move(graphic));
}

void GaugitEngine::append(std::unique_ptr<PolygonGraphic> graphic)
{
    if (graphic)
        polygons_.push_back(std::move(graphic));
}

Graphic* GaugitEngine::graphicAt(int kind, int index)
{
    switch (kind)
    {
    case kHitRuler:
        return ruler_.get();
    case kHitLine:
        return itemAt(lines_, index);
    case kHitCircle:
        return itemAt(circles_, index);
    case kHitRect:
        return itemAt(rects_, index);
    case kHitText:
        return itemAt(texts_, index);
    case kHitPolygon:
        return itemAt(polygons_, index);
    case kHitEllipse:
        return itemAt(ellipses_, index);
    case kHitAngle:
        return itemAt(angles_, index);
    default:
        return nullptr;
    }
}

int GaugitEngine::listSize(int kind) const
{
    switch (kind)
    {
    case kHitLine:
        return static_cast<int>(lines_.size());
    case kHitCircle:
        return static_cast<int>(circles_.size());
    case kHitRect:
        return static_cast<int>(rects_.size());
    case kHitText:
        return static_cast<int>(texts_.size());
    case kHitPolygon:
        return static_cast<int>(polygons_.size());
    case kHitEllipse:
        return static_cast<int>(ellipses_.size());
    case kHitAngle:
        return static_cast<int>(angles_.size());
    default:
        return 0;
    }
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
    return graphicAt(selectionKind_, listSize(selectionKind_) - 1);
}

void GaugitEngine::removeLastOfSelection()
{
    const int kind = selectionKind_;
    const int last = listSize(kind) - 1;
    switch (kind)
    {
    case kHitLine:
        eraseAt(lines_, last);
        break;
    case kHitCircle:
        eraseAt(circles_, last);
        break;
    case kHitRect:
        eraseAt(rects_, last);
        break;
    case kHitText:
        eraseAt(texts_, last);
        break;
    case kHitPolygon:
        eraseAt(polygons_, last);
        break;
    case kHitEllipse:
        eraseAt(ellipses_, last);
        break;
    case kHitAngle:
        eraseAt(angles_, last);
        break;
    default:
        return;
    }
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
    finishGraphic();
    if (!ruler_)
        return Outcome::NoRuler;
    lastEventTime_ = kwz::tickCount();
    int kind = kHitNone;
    Graphic* created = nullptr;
    switch (type)
    {
    case kTypeLine: {
        auto g = std::make_unique<LineGraphic>();
        prepare(*g, marks_.line);
        created = g.get();
        kind = kHitLine;
        lines_.push_back(std::move(g));
        break;
    }
    case kTypeRect: {
        auto g = std::make_unique<RectGraphic>();
        prepare(*g, marks_.rect);
        created = g.get();
        kind = kHitRect;
        rects_.push_back(std::move(g));
        break;
    }
    case kTypeCircleDiameter:
    case kTypeCircleCentre:
    case kTypeCircleThreePoints: {
        auto g = std::make_unique<CircleGraphic>(type);
        prepare(*g, marks_.circle);
        created = g.get();
        kind = kHitCircle;
        circles_.push_back(std::move(g));
        break;
    }
    case kTypeEllipseBox:
    case kTypeEllipseCentre: {
        auto g = std::make_unique<EllipseGraphic>(type);
        prepare(*g, marks_.ellipse);
        created = g.get();
        kind = kHitEllipse;
        ellipses_.push_back(std::move(g));
        break;
    }
    case kTypeAngle: {
        auto g = std::make_unique<AngleGraphic>();
        prepare(*g, marks_.angle);
        g->setAngleUnit(angleUnit_);
        created = g.get();
        kind = kHitAngle;
        angles_.push_back(std::move(g));
        break;
    }
    case kTypePolygon: {
        auto g = std::make_unique<PolygonGraphic>();
        prepare(*g, marks_.polygon);
        created = g.get();
        kind = kHitPolygon;
        polygons_.push_back(std::move(g));
        break;
    }
    case kTypeText: {
        auto g = std::make_unique<TextGraphic>();
        g->setFont(textFont_.face, textFont_.height);
        g->setTextColors(textFont_.normal, textFont_.hovered, textFont_.selected);
        created = g.get();
        kind = kHitText;
        texts_.push_back(std::move(g));
        break;
    }
    default:
        return Outcome::Done;
    }
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
    if (selectionKind_ == kHitText)
        return;
    if (Graphic* g = lastOfSelection())
        g->addPoint(p);
}

Outcome GaugitEngine::addString(const char* text)
{
    if (selectionKind_ != kHitText || texts_.empty())
        return Outcome::NothingToActOn;
    TextGraphic& last = *texts_.back();
    if (!last.finished() && !last.setText(text))
        last.finish();
    return Outcome::Done;
}

void GaugitEngine::changePoint(POINT p)
{
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
    // Within a list an edit point anywhere beats a body, a body beats a label; an earlier
    // list beats a later one.
    auto searchList = [&](const auto& list, int kind) {
        const int count = static_cast<int>(list.size());
        for (int i = 0; i < count; ++i)
        {
            if (list[i]->hitEditPoint(x, y))
                return select(kind, i, kModeEditPoint);
        }
        for (int i = 0; i < count; ++i)
        {
            if (list[i]->hitBody(x, y))
                return select(kind, i, kModeBody);
        }
        for (int i = 0; i < count; ++i)
        {
            if (list[i]->hitLabel(x, y))
                return select(kind, i, kModeLabel);
        }
        return false;
    };
    if (searchList(lines_, kHitLine) || searchList(circles_, kHitCircle) ||
        searchList(rects_, kHitRect) || searchList(ellipses_, kHitEllipse) ||
        searchList(angles_, kHitAngle) || searchList(polygons_, kHitPolygon))
        return true;
    for (int i = 0; i < static_cast<int>(texts_.size()); ++i)
    {
        if (texts_[i]->hitBody(x, y))
            return select(kHitText, i, kModeBody);
    }
    return false;
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
    auto searchList = [&](const auto& list, int kind) {
        for (int i = 0; i < static_cast<int>(list.size()); ++i)
        {
            if (list[i]->hitBody(x, y))
                return hover(kind, i);
        }
        return false;
    };
    return searchList(lines_, kHitLine) || searchList(circles_, kHitCircle) ||
           searchList(rects_, kHitRect) || searchList(ellipses_, kHitEllipse) ||
           searchList(angles_, kHitAngle) || searchList(polygons_, kHitPolygon) ||
           searchList(texts_, kHitText);
}

void GaugitEngine::moveGraphic(int dx, int dy)
{
    lastEventTime_ = kwz::tickCount();
    Graphic* g = graphicAt(selectionKind_, selectionIndex_);
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
    finishGraphic();
    switch (selectionKind_)
    {
    case kHitLine:
        eraseAt(lines_, selectionIndex_);
        break;
    case kHitCircle:
        eraseAt(circles_, selectionIndex_);
        break;
    case kHitRect:
        eraseAt(rects_, selectionIndex_);
        break;
    case kHitText:
        eraseAt(texts_, selectionIndex_);
        break;
    case kHitPolygon:
        eraseAt(polygons_, selectionIndex_);
        break;
    case kHitEllipse:
        eraseAt(ellipses_, selectionIndex_);
        break;
    case kHitAngle:
        eraseAt(angles_, selectionIndex_);
        break;
    default:
        break;
    }
    resetHover();
    resetSelection();
}

void GaugitEngine::clearAllGraphics()
{
    finishGraphic();
    polygons_.clear();
    texts_.clear();
    angles_.clear();
    ellipses_.clear();
    rects_.clear();
    circles_.clear();
    lines_.clear();
    resetHover();
    resetSelection();
}

bool GaugitEngine::boundingRect(RECT* rect) const
{
    const Graphic* g = const_cast<GaugitEngine*>(this)->graphicAt(selectionKind_, selectionIndex_);
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
