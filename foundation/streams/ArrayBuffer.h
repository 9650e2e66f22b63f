#pragma once

#include <array>

#include "foundation/streams/Buffer.h"

namespace TAVO {

// N bytes held inline.
template <std::uint32_t N>
class ArrayBuffer : public Buffer {
public:
    ArrayBuffer() : Buffer(N) { bytes_.fill(0); }

    using Buffer::data;
    const std::uint8_t* data() const override { return bytes_.data(); }
    std::uint8_t* data() override { return bytes_.data(); }

private:
    std::array<std::uint8_t, N> bytes_;
};

} // namespace TAVO
