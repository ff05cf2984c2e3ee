#include "engine/hit_index.h"

namespace gaugit {

void HitIndex::rebuild(const GraphicLists& lists)
{
    entries_.clear();
    left_.clear();
    top_.clear();
    right_.clear();
    bottom_.clear();
    for (HitKind kind : kHitOrder)
    {
        lists.visit(kind, [&](const auto& list) {
            for (std::size_t i = 0; i < list.size(); ++i)
            {
                const HitBox box = list[i]->hitBox();
                entries_.push_back(Entry{list[i].get(), kind, static_cast<int>(i)});
                left_.push_back(box.left);
                top_.push_back(box.top);
                right_.push_back(box.right);
                bottom_.push_back(box.bottom);
            }
        });
    }
    const std::size_t padded = (entries_.size() + kBlock - 1) / kBlock * kBlock;
    // Empty boxes (right < left) hold no point.
    left_.resize(padded, 1);
    top_.resize(padded, 1);
    right_.resize(padded, 0);
    bottom_.resize(padded, 0);
    current_ = true;
}

} // namespace gaugit
