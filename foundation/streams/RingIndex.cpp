#include "foundation/streams/RingIndex.h"

#include "foundation/exceptions/BoundException.h"

namespace TAVO {

std::uint32_t RingIndex::of(std::uint64_t offset, std::uint32_t& length, std::uint32_t n) {
    if (length > n || n == 0)
        throw BoundException<unsigned int>(SourceLocation(), length, n);
    const std::uint32_t index = std::uint32_t(offset % n);
    if (length > n - index)
        length = n - index;
    return index;
}

} // namespace TAVO
