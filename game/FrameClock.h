#pragma once

#include <cstdint>

#include "foundation/threads/PerformanceCounter.h"

// The main loop's fixed update step. The clock keeps a reference reading of
// the performance counter; each pass asks how many whole 20 ms steps lie
// between the reference and now, and the reference moves on by exactly that
// many steps, so the time below one step is carried into the next pass.
// Every missed step is run: after a stall the loop catches up before it
// draws again.
class FrameClock {
public:
    static constexpr std::uint32_t stepMilliseconds = 20;

    // The step handed to every update, in seconds.
    static float stepSeconds() { return float(stepMilliseconds) / 1000.0f; }

    explicit FrameClock(TAVO::PerformanceCounter reference) : reference_(reference) {}

    // The number of steps due at the reading; the reference moves on by that
    // many steps. A reading before the reference (a counter that went back)
    // gives none and leaves the reference where it is.
    std::uint32_t advance(TAVO::PerformanceCounter now);

    TAVO::PerformanceCounter reference() const { return reference_; }

private:
    TAVO::PerformanceCounter reference_;
};
