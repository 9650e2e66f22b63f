#pragma once

#include <cstdint>

namespace TAVO {

// Positions in a ring of n bytes, so that one read into the ring never wraps.
class RingIndex {
public:
    // The index of `offset` in a ring of n bytes; cuts `length` down to the bytes
    // left before the end of the ring. A length above n throws BoundException.
    static std::uint32_t of(std::uint64_t offset, std::uint32_t& length, std::uint32_t n);
};

} // namespace TAVO
