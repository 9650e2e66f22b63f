#include "foundation/serialization/SwapEndianess.h"

#include <algorithm>
#include <cstdint>

namespace TAVO {

void SwapEndianess::reverse(void* bytes, unsigned count) {
    auto* p = static_cast<std::uint8_t*>(bytes);
    std::reverse(p, p + count);
}

} // namespace TAVO
