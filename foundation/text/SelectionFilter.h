#pragma once

#include <algorithm>

#include "foundation/text/Filter.h"

namespace TAVO {

// A filter that keeps one sub-range of its text, chosen by select.
template <class C>
class SelectionFilter : public Filter<C> {
public:
    // Narrows the range to the part that is kept.
    virtual void select(const C*& begin, std::uint32_t& length) = 0;

    void filter(C*& text, std::uint32_t& length) override {
        const C* begin = text;
        select(begin, length);
        text += begin - text;
    }

    void filter(const C* input, C* output, std::uint32_t& length) override {
        select(input, length);
        std::copy(input, input + length, output);
    }
};

} // namespace TAVO
