#include "engine/figure_values.h"

#include <algorithm>

#include "engine/gaugit_engine.h"

namespace gaugit {

namespace {

// Labels clamp their decimals the same way.
constexpr int kMaxPrecision = 99;

class Collector
{
  public:
    explicit Collector(FigureValues& out) : out_(out) {}

    // A slot the kind has, shown when its descriptor line's mark bit is set.
    void put(int slot, float value, int markBit)
    {
        out_.value[slot] = value;
        out_.present |= 1u << slot;
        if ((mark_ >> markBit) & 1u)
            out_.shown |= 1u << slot;
    }
    void setMark(uint32_t mark) { mark_ = mark; }

  private:
    FigureValues& out_;
    uint32_t mark_ = 0;
};

void collect(const LineGraphic& g, Collector& c)
{
    c.put(kValueX, g.startUnits().x, 1);
    c.put(kValueY, g.startUnits().y, 1);
    c.put(kValueX2, g.endUnits().x, 2);
    c.put(kValueY2, g.endUnits().y, 2);
    c.put(kValueLength, g.length(), 3);
}

void collect(const RectGraphic& g, Collector& c)
{
    c.put(kValueX, g.firstUnits().x, 1);
    c.put(kValueY, g.firstUnits().y, 1);
    c.put(kValueX2, g.secondUnits().x, 2);
    c.put(kValueY2, g.secondUnits().y, 2);
    c.put(kValueWidth, g.width(), 3);
    c.put(kValueHeight, g.height(), 4);
    c.put(kValuePerimeter, g.perimeter(), 5);
    c.put(kValueArea, g.area(), 6);
}

void collect(const CircleGraphic& g, Collector& c)
{
    c.put(kValueX, g.centreUnits().x, 1);
    c.put(kValueY, g.centreUnits().y, 1);
    c.put(kValueRadius, g.radius(), 2);
    c.put(kValuePerimeter, g.perimeter(), 3);
    c.put(kValueArea, g.area(), 4);
}

void collect(const EllipseGraphic& g, Collector& c)
{
    c.put(kValueX, g.centreUnits().x, 1);
    c.put(kValueY, g.centreUnits().y, 1);
    // The label calls the horizontal semi-axis the long one whichever is longer; the data
    // says what the label says.
    c.put(kValueLongRadius, g.horizontalSemiAxis(), 2);
    c.put(kValueShortRadius, g.verticalSemiAxis(), 3);
    c.put(kValuePerimeter, g.perimeter(), 4);
    c.put(kValueArea, g.area(), 5);
}

void collect(const AngleGraphic& g, Collector& c)
{
    c.put(kValueAngle, g.angle(), 1);
}

void collect(const PolygonGraphic& g, Collector& c)
{
    c.put(kValueVertices, static_cast<float>(g.vertexCount()), 1);
    c.put(kValuePerimeter, g.perimeter(), 2);
    c.put(kValueArea, g.area(), 3);
}

void collect(const TextGraphic&, Collector&) {}

template <typename T> FigureValues valuesOf(const T& g, int number, int angleUnit)
{
    FigureValues out;
    out.kind = g.typeCode();
    out.number = number;
    out.unit = g.measureUnit();
    out.angleUnit = angleUnit;
    out.precision = std::clamp<int>(g.precision(), 0, kMaxPrecision);
    Collector c(out);
    // A polygon of one vertex draws no label yet; a hidden label prints nothing.
    bool labelled = g.label() && !g.labelHidden();
    if constexpr (std::is_same_v<T, PolygonGraphic>)
        labelled = labelled && g.vertexCount() > 1;
    c.setMark(labelled ? g.mark() : 0u);
    collect(g, c);
    if constexpr (std::is_same_v<T, AngleGraphic>)
        out.angleUnit = g.angleUnit();
    return out;
}

} // namespace

int figureCount(const GaugitEngine& engine)
{
    int count = 0;
    for (HitKind kind : kRecordOrder)
        count += engine.listSize(kind);
    return count;
}

bool figureAt(const GaugitEngine& engine, int index, int* kind, int* listIndex)
{
    if (index < 0)
        return false;
    for (HitKind k : kRecordOrder)
    {
        const int size = engine.listSize(k);
        if (index < size)
        {
            *kind = k;
            *listIndex = index;
            return true;
        }
        index -= size;
    }
    return false;
}

int figureIndexOf(const GaugitEngine& engine, int kind, int listIndex)
{
    int before = 0;
    for (HitKind k : kRecordOrder)
    {
        if (k == kind)
            return listIndex >= 0 && listIndex < engine.listSize(k) ? before + listIndex : -1;
        before += engine.listSize(k);
    }
    return -1;
}

std::optional<FigureValues> figureValues(const GaugitEngine& engine, int index)
{
    int kind = 0;
    int listIndex = 0;
    if (!figureAt(engine, index, &kind, &listIndex))
        return std::nullopt;
    std::optional<FigureValues> out;
    engine.lists().visit(kind, [&](const auto& list) {
        out = valuesOf(*list[static_cast<size_t>(listIndex)], listIndex, engine.angleUnit());
    });
    return out;
}

} // namespace gaugit
