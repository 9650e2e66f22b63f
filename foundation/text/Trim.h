#pragma once

#include <set>

#include "foundation/exceptions/BoundException.h"
#include "foundation/text/SelectionFilter.h"

namespace TAVO {

// Strips characters of a set from the start (mode 0), the end (mode 1) or
// both ends (mode 2) of a text.
template <class C>
class Trim : public SelectionFilter<C> {
public:
    static constexpr std::uint32_t start = 0;
    static constexpr std::uint32_t end = 1;
    static constexpr std::uint32_t both = 2;

    // A mode above 2 throws BoundException<unsigned int>(mode, 2).
    Trim(const C* characters, std::uint32_t count, std::uint32_t mode)
        : characters_(characters, characters + count), mode_(mode) {
        if (mode > both)
            throw BoundException<unsigned int>(SourceLocation(), mode, both);
    }

    void select(const C*& begin, std::uint32_t& length) override {
        if (mode_ == start || mode_ == both) {
            while (length > 0 && characters_.count(*begin) != 0) {
                ++begin;
                --length;
            }
        }
        if (mode_ == end || mode_ == both) {
            while (length > 0 && characters_.count(begin[length - 1]) != 0)
                --length;
        }
    }

    std::uint32_t mode() const { return mode_; }

private:
    std::set<C> characters_;
    std::uint32_t mode_;
};

} // namespace TAVO
