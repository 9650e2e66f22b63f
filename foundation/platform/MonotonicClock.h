#pragma once

namespace TAVO {

// A steady high-resolution counter that never goes backwards.
class MonotonicClock {
public:
    // The current count; false when the clock cannot be read.
    static bool counter(long long& ticks);
    // Counts per second; false when unknown.
    static bool frequency(long long& ticksPerSecond);
};

} // namespace TAVO
