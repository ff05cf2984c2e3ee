#pragma once
// The hit boxes of every graphic of an instance in the order the hit rules walk the lists,
// edge by edge in columns, so a search rejects a block of graphics at a time and tests
// exactly only the few whose box holds the point.

#include <cstdint>
#include <vector>

#include "engine/graphic_lists.h"

namespace gaugit {

class HitIndex
{
  public:
    struct Entry
    {
        Graphic* graphic;
        int kind;
        int index;
    };

    // Whether the boxes still describe the graphics; any change of a graphic, a list or a font
    // clears it.
    bool current() const { return current_; }
    void invalidate() { current_ = false; }
    void rebuild(const GraphicLists& lists);

    // Calls f(entry) for every graphic whose box holds the point, in the lists' hit order and
    // each list from its start, until f answers true; true when it did.
    template <typename F> bool find(int x, int y, F&& f) const
    {
        const std::size_t count = entries_.size();
        for (std::size_t block = 0; block < count; block += kBlock)
        {
            // Branch-free over the block: most blocks hold no candidate at all.
            int any = 0;
            for (std::size_t i = block; i < block + kBlock; ++i)
                any |= (x >= left_[i]) & (x <= right_[i]) & (y >= top_[i]) & (y <= bottom_[i]);
            if (!any)
                continue;
            const std::size_t end = std::min(block + kBlock, count);
            for (std::size_t i = block; i < end; ++i)
            {
                if (x >= left_[i] && x <= right_[i] && y >= top_[i] && y <= bottom_[i] &&
                    f(entries_[i]))
                    return true;
            }
        }
        return false;
    }

  private:
    static constexpr std::size_t kBlock = 16;
    bool current_ = false;
    std::vector<Entry> entries_;
    // Padded to whole blocks with empty boxes.
    std::vector<int> left_, top_, right_, bottom_;
};

} // namespace gaugit
