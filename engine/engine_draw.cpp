#include "engine/engine_draw.h"

#include "engine/gaugit_engine.h"
#include "engine/graphic_draw.h"
#include "platform/draw/draw_context.h"

namespace gaugit {

namespace {

template <typename T>
void drawList(GaugitEngine& engine, kwz::DrawContext& dc, const GraphicList<T>& list, int kind)
{
    for (size_t i = 0; i < list.size(); ++i)
    {
        int index = static_cast<int>(i);
        Graphic& graphic = *list[i];
        graphic.setListNumber(index);
        // Hovered wins over selected for graphics (the ruler is the other way round).
        int state = kStateNormal;
        if (engine.hoverKind() == kind && engine.hoverIndex() == index)
            state = kStateHovered;
        else if (engine.selectionKind() == kind && engine.selectionIndex() == index)
            state = kStateSelected;
        graphic.draw(dc, state);
    }
}

} // namespace

void drawEngine(GaugitEngine& engine, kwz::DrawContext& dc)
{
    RulerGraphic* ruler = engine.ruler();
    if (!ruler)
        return;
    int saved = dc.saveDC();
    dc.setMapMode(kwz::kMapModeText);
    if (!engine.rulerHidden())
    {
        int state = engine.selectionKind() == kHitRuler ? kStateSelected
                    : engine.hoverKind() == kHitRuler   ? kStateHovered
                                                        : kStateNormal;
        ruler->draw(dc, state);
    }
    for (HitKind kind : kDrawOrder)
        engine.lists().visit(kind, [&](const auto& list) { drawList(engine, dc, list, kind); });
    dc.restoreDC(saved);
}

} // namespace gaugit
