// The main loop's fixed 20 ms step: how many steps a pass runs and what it
// carries into the next one.
#include <gtest/gtest.h>

#include "foundation/threads/Duration.h"
#include "game/FrameClock.h"

using TAVO::Duration;
using TAVO::PerformanceCounter;

namespace {

long long ticksOf(unsigned int milliseconds) { return PerformanceCounter::toTicks(Duration(milliseconds)); }

// A reading the given milliseconds after the start reading, plus extra ticks.
PerformanceCounter at(const PerformanceCounter& start, unsigned int milliseconds, long long extraTicks = 0) {
    return PerformanceCounter(start.ticks() + ticksOf(milliseconds) + extraTicks);
}

} // namespace

TEST(FrameClock, FortyFiveMillisecondsRunTwoStepsAndCarryFive) {
    const PerformanceCounter start(1000000);
    FrameClock clock(start);
    EXPECT_EQ(clock.advance(at(start, 45)), 2u);
    EXPECT_EQ(clock.reference().ticks(), start.ticks() + 2 * ticksOf(20));
    // The 5 ms carried make the next step due 15 ms later, not 20.
    EXPECT_EQ(clock.advance(at(start, 59)), 0u);
    EXPECT_EQ(clock.advance(at(start, 60)), 1u);
    EXPECT_EQ(clock.reference().ticks(), start.ticks() + 3 * ticksOf(20));
}

TEST(FrameClock, NineteenMillisecondsRunNoStep) {
    const PerformanceCounter start(5);
    FrameClock clock(start);
    EXPECT_EQ(clock.advance(at(start, 19)), 0u);
    EXPECT_EQ(clock.reference(), start);
    // Nothing was lost: one more millisecond makes the step due.
    EXPECT_EQ(clock.advance(at(start, 20)), 1u);
}

TEST(FrameClock, PartsOfAMillisecondAreCarriedNotLost) {
    const PerformanceCounter start(0);
    FrameClock clock(start);
    // Just short of 40 ms: one step, and the reference moves by exactly 20 ms.
    EXPECT_EQ(clock.advance(at(start, 40, -1)), 1u);
    EXPECT_EQ(clock.reference().ticks(), ticksOf(20));
    EXPECT_EQ(clock.advance(at(start, 40)), 1u);
    // Over many passes the steps follow the clock exactly: 1 s is 50 steps.
    std::uint32_t steps = 2;
    for (unsigned int ms = 41; ms <= 1000; ms += 7)
        steps += clock.advance(at(start, ms, 3));
    steps += clock.advance(at(start, 1000));
    EXPECT_EQ(steps, 50u);
}

TEST(FrameClock, AStallRunsEveryMissedStep) {
    const PerformanceCounter start(42);
    FrameClock clock(start);
    EXPECT_EQ(clock.advance(at(start, 10 * 1000 + 19)), 500u);
    EXPECT_EQ(clock.advance(at(start, 10 * 1000 + 20)), 1u);
}

TEST(FrameClock, AReadingBeforeTheReferenceRunsNothing) {
    const PerformanceCounter start(ticksOf(1000));
    FrameClock clock(start);
    EXPECT_EQ(clock.advance(PerformanceCounter(start.ticks() - ticksOf(100))), 0u);
    EXPECT_EQ(clock.reference(), start);
    EXPECT_EQ(clock.advance(at(start, 25)), 1u);
}

TEST(FrameClock, TheStepIsTwentyMillisecondsInSeconds) { EXPECT_EQ(FrameClock::stepSeconds(), 20 / 1000.0f); }
