#pragma once

#include <cstdint>

#include "foundation/text/Filter.h"

namespace TAVO {

template <class C>
class Shrink;

// Collapses every run of one character into a single one; all other
// characters stay as they are.
template <>
class Shrink<char> : public Filter<char> {
public:
    explicit Shrink(char c) : c_(c) {}
    void filter(char*& text, std::uint32_t& length) override;
    void filter(const char* input, char* output, std::uint32_t& length) override;
    char character() const { return c_; }

private:
    char c_;
};

} // namespace TAVO
