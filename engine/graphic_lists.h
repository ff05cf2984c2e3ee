#pragma once
// The seven graphic lists of an instance, one per class, and the orders they are walked in.
// Where the data stream or the hit rules fix an order, it is named here once, with its reason;
// every other walk goes in the instance's own order.

#include <array>
#include <memory>
#include <tuple>
#include <type_traits>
#include <vector>

#include "engine/angle_graphic.h"
#include "engine/circle_graphic.h"
#include "engine/ellipse_graphic.h"
#include "engine/line_graphic.h"
#include "engine/polygon_graphic.h"
#include "engine/rect_graphic.h"
#include "engine/text_graphic.h"

namespace gaugit {

// What a hover or selection points at. Not the type codes.
enum HitKind : int
{
    kHitNone = 0,
    kHitRuler = 1,
    kHitLine = 2,
    kHitCircle = 3,
    kHitRect = 4,
    kHitText = 5,
    kHitPolygon = 6,
    kHitEllipse = 7,
    kHitAngle = 8,
};

using KindOrder = std::array<HitKind, 7>;

// The instance's own order: settings reach the lists in it, and destruction runs it backwards.
inline constexpr KindOrder kListOrder{kHitLine,  kHitCircle, kHitRect,   kHitEllipse,
                                      kHitAngle, kHitText,   kHitPolygon};
// Fixed by the data stream: its count block gives texts before angles and polygons.
inline constexpr KindOrder kCountOrder{kHitLine, kHitCircle, kHitRect,   kHitEllipse,
                                       kHitText, kHitAngle,  kHitPolygon};
// Fixed by the data stream: the records follow in this order, texts last.
inline constexpr KindOrder kRecordOrder{kHitLine,  kHitCircle,  kHitRect, kHitEllipse,
                                        kHitAngle, kHitPolygon, kHitText};
// Which graphic answers a click or a hover where several could: after the ruler, an earlier
// list wins over a later one, and texts answer last.
inline constexpr KindOrder kHitOrder{kHitLine,  kHitCircle,  kHitRect, kHitEllipse,
                                     kHitAngle, kHitPolygon, kHitText};
// What lies on top where graphics overlap: after the ruler, each list is painted over the
// ones before it.
inline constexpr KindOrder kDrawOrder{kHitLine,    kHitCircle, kHitText,   kHitRect,
                                      kHitEllipse, kHitAngle,  kHitPolygon};

// The list a GRAPHICTYPE creates its graphic in; none for the ruler, which is never started.
inline constexpr std::array<HitKind, 12> kKindOfType{
    kHitNone,   kHitNone,    kHitLine,    kHitRect,  kHitCircle,  kHitCircle,
    kHitCircle, kHitEllipse, kHitEllipse, kHitAngle, kHitPolygon, kHitText};

template <typename T> using GraphicList = std::vector<std::unique_ptr<T>>;
// The class of graphic a list holds.
template <typename List>
using GraphicOf = typename std::remove_cvref_t<List>::value_type::element_type;
template <typename G>
inline constexpr bool kIsText = std::is_same_v<std::remove_cvref_t<G>, TextGraphic>;
// Units and scale concern the graphics that measure lengths: not angles, not texts.
template <typename G>
inline constexpr bool kMeasuresLength =
    !kIsText<G> && !std::is_same_v<std::remove_cvref_t<G>, AngleGraphic>;

class GraphicLists
{
  public:
    template <typename T> GraphicList<T>& of() { return std::get<GraphicList<T>>(lists_); }
    template <typename T> const GraphicList<T>& of() const
    {
        return std::get<GraphicList<T>>(lists_);
    }

    // Calls f with the list of a hit kind; false (f not called) for none and the ruler.
    template <typename F> bool visit(int kind, F&& f) { return visitIn(*this, kind, f); }
    template <typename F> bool visit(int kind, F&& f) const { return visitIn(*this, kind, f); }
    template <typename F> void forEach(const KindOrder& order, F&& f)
    {
        for (HitKind kind : order)
            visit(kind, f);
    }
    template <typename F> void forEach(const KindOrder& order, F&& f) const
    {
        for (HitKind kind : order)
            visit(kind, f);
    }
    // Calls f with every graphic, the lists in the given order, each from index 0.
    template <typename F> void forEachGraphic(const KindOrder& order, F&& f)
    {
        forEach(order, [&](auto& list) {
            for (auto& g : list)
                f(*g);
        });
    }

    int size(int kind) const
    {
        int count = 0;
        visit(kind, [&](const auto& list) { count = static_cast<int>(list.size()); });
        return count;
    }
    // Destroys every graphic, the lists in the reverse of the instance's order.
    void clear()
    {
        for (auto kind = kListOrder.rbegin(); kind != kListOrder.rend(); ++kind)
            visit(*kind, [](auto& list) { list.clear(); });
    }

  private:
    template <typename Self, typename F> static bool visitIn(Self& self, int kind, F& f)
    {
        switch (kind)
        {
        case kHitLine:
            f(self.template of<LineGraphic>());
            return true;
        case kHitCircle:
            f(self.template of<CircleGraphic>());
            return true;
        case kHitRect:
            f(self.template of<RectGraphic>());
            return true;
        case kHitText:
            f(self.template of<TextGraphic>());
            return true;
        case kHitPolygon:
            f(self.template of<PolygonGraphic>());
            return true;
        case kHitEllipse:
            f(self.template of<EllipseGraphic>());
            return true;
        case kHitAngle:
            f(self.template of<AngleGraphic>());
            return true;
        default:
            return false;
        }
    }

    std::tuple<GraphicList<LineGraphic>, GraphicList<CircleGraphic>, GraphicList<RectGraphic>,
               GraphicList<EllipseGraphic>, GraphicList<AngleGraphic>, GraphicList<TextGraphic>,
               GraphicList<PolygonGraphic>>
        lists_;
};

} // namespace gaugit
