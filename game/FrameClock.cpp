#include "game/FrameClock.h"

std::uint32_t FrameClock::advance(TAVO::PerformanceCounter now) {
    if (now < reference_)
        return 0;
    const std::uint32_t steps = TAVO::PerformanceCounter::elapsed(now, reference_).count() / stepMilliseconds;
    // The reference moves by whole steps of whole counter ticks each.
    const long long stepTicks = TAVO::PerformanceCounter::toTicks(TAVO::Duration(stepMilliseconds));
    reference_ = TAVO::PerformanceCounter(reference_.ticks() + static_cast<long long>(steps) * stepTicks);
    return steps;
}
