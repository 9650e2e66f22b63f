#include "foundation/platform/MonotonicClock.h"

#include <ctime>

namespace TAVO {

bool MonotonicClock::counter(long long& ticks) {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return false;
    ticks = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    return true;
}

bool MonotonicClock::frequency(long long& ticksPerSecond) {
    ticksPerSecond = 1000000000LL;
    return true;
}

} // namespace TAVO
