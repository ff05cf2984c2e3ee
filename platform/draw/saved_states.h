#pragma once
// The stack behind SaveDC/RestoreDC, shared by every DrawContext that keeps drawing state.

#include <vector>

namespace kwz {

template <typename State> class SavedStates
{
  public:
    // Returns the new save level, counted from 1.
    int save(const State& state)
    {
        stack_.push_back(state);
        return static_cast<int>(stack_.size());
    }

    // A positive level names a save; a negative one counts back from the last (-1 is the last).
    // Restores that state into `state` and drops it and every later save.
    bool restore(int savedLevel, State& state)
    {
        const int depth = static_cast<int>(stack_.size());
        const int level = savedLevel < 0 ? depth + 1 + savedLevel : savedLevel;
        if (level < 1 || level > depth)
            return false;
        state = stack_[static_cast<size_t>(level) - 1];
        stack_.resize(static_cast<size_t>(level) - 1);
        return true;
    }

    int depth() const { return static_cast<int>(stack_.size()); }

  private:
    std::vector<State> stack_;
};

} // namespace kwz
