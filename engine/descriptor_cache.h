#pragma once
// The lines of a label as they were last written, each with what it was made from. A repaint
// writes the same values again, and turning them into text is most of a small label's cost.

#include <cstdint>
#include <string>
#include <vector>

namespace gaugit {

struct DescriptorCache
{
    // Everything a line's text depends on; equal keys give equal texts.
    struct Key
    {
        int kind = -1;
        const char* word = nullptr; // the word of the language in use
        uint64_t first = 0;         // the values' bits
        uint64_t second = 0;
        int unit = 0;
        int precision = 0;

        bool operator==(const Key&) const = default;
    };
    struct Line
    {
        Key key;
        std::u16string text;
    };
    std::vector<Line> lines;
};

} // namespace gaugit
