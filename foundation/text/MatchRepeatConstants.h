#pragma once

#include <cstdint>

namespace TAVO {

// Bounds shared by the repetition patterns.
struct MatchRepeatConstants {
    // A maximum repetition count meaning "no upper bound".
    static constexpr std::uint32_t unbounded = 0xFFFFFFFFu;
};

} // namespace TAVO
