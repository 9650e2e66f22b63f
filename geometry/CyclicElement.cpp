#include "geometry/CyclicElement.h"

#include "foundation/exceptions/UnexpectedValueException.h"

std::uint32_t cyclicElement(const std::vector<std::uint32_t>& ring, std::int32_t offset) {
    if (ring.empty())
        throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), "An empty ring", "a ring with elements");
    const long long n = static_cast<long long>(ring.size());
    long long index = (n + offset) % n;
    if (index < 0)
        index += n;
    return ring[static_cast<std::size_t>(index)];
}
