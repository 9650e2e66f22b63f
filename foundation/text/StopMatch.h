#pragma once

#include <memory>

#include "foundation/text/Filter.h"
#include "foundation/text/Match.h"

namespace TAVO {

template <class C>
class StopMatch;

// Removes from a text every stretch that a stop pattern matches, scanning
// from the start: where the pattern matches (its first, greedy alternative)
// the matched characters are dropped, elsewhere one character is kept. A match
// of the empty text removes nothing, so every step moves on.
template <>
class StopMatch<char> : public Filter<char> {
public:
    explicit StopMatch(std::unique_ptr<Match<char>::Pattern> pattern);
    StopMatch(const StopMatch&) = delete;
    StopMatch& operator=(const StopMatch&) = delete;

    void filter(char*& text, std::uint32_t& length) override;
    void filter(const char* input, char* output, std::uint32_t& length) override;

private:
    // The length of a non-empty match at the text, or 0.
    std::uint32_t matchAt(const char* text, std::uint32_t remaining);

    std::unique_ptr<Match<char>::Pattern> pattern_;
    Match<char> matcher_;
};

} // namespace TAVO
