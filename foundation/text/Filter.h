#pragma once

#include <cstdint>
#include <string>

#include "foundation/exceptions/BoundException.h"

namespace TAVO {

// A character filter: takes some characters out of a text.
template <class C>
class Filter {
public:
    virtual ~Filter() = default;

    // In place: the text may move forward and shrink, its characters may be rewritten.
    virtual void filter(C*& text, std::uint32_t& length) = 0;
    // Copying: length holds the input length and receives the output length.
    // The output has room for the input length.
    virtual void filter(const C* input, C* output, std::uint32_t& length) = 0;

    // The filtered characters of a text as a new text. Texts longer than
    // 32 bits of length throw BoundException<unsigned long long>.
    std::basic_string<C> apply(const std::basic_string<C>& text) {
        if (text.empty())
            return std::basic_string<C>();
        if (text.size() > 0xFFFFFFFFull)
            throw BoundException<unsigned long long>(SourceLocation(), text.size(), 0xFFFFFFFFull);
        std::basic_string<C> output(text.size(), C());
        std::uint32_t length = std::uint32_t(text.size());
        filter(text.data(), output.data(), length);
        output.resize(length);
        return output;
    }
};

} // namespace TAVO
