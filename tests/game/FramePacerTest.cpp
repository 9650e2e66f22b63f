// The main loop's frame pacing, on counter readings made up here (a counter
// of 1000 ticks a second, one tick a millisecond, unless said otherwise):
// where the swap waits for the display nothing is held back; where it does
// not, frames keep one refresh interval apart on a steady grid; and swaps
// that come back at once are found out and the pacer takes over.
#include <gtest/gtest.h>

#include "game/FramePacer.h"
#include "game/GameProgram.h"

using TAVO::PerformanceCounter;

namespace {

PerformanceCounter at(long long ticks) { return PerformanceCounter(ticks); }

} // namespace

TEST(FramePacer, TheIntervalIsOneRefreshOfTheDisplayOrOfSixtyHertzWhenItIsUnknown) {
    EXPECT_EQ(FramePacer::intervalTicks(60, 6000), 100);
    EXPECT_EQ(FramePacer::intervalTicks(144, 1440000), 10000);
    EXPECT_EQ(FramePacer::intervalTicks(0, 6000), 100);
    EXPECT_EQ(FramePacer::intervalTicks(-5, 6000), 100);
    // A coarse counter still keeps frames at least a tick apart.
    EXPECT_EQ(FramePacer::intervalTicks(240, 100), 1);
}

TEST(FramePacer, WhereTheSwapWaitsEveryFrameIsDueAtOnce) {
    FramePacer pacer(16, true);
    EXPECT_FALSE(pacer.pacing());
    long long t = 1000;
    for (int i = 0; i < 20; ++i, t += 17) {
        EXPECT_TRUE(pacer.due(at(t)));
        pacer.drawn(at(t), at(t + 16));
    }
    EXPECT_FALSE(pacer.pacing());
}

TEST(FramePacer, WithoutAWaitingSwapFramesKeepOneIntervalApartOnASteadyGrid) {
    FramePacer pacer(16, false);
    ASSERT_TRUE(pacer.pacing());
    // The first frame at once.
    EXPECT_TRUE(pacer.due(at(1000)));
    pacer.drawn(at(1000), at(1003));
    EXPECT_EQ(pacer.next(), at(1016));
    EXPECT_FALSE(pacer.due(at(1003)));
    EXPECT_FALSE(pacer.due(at(1015)));
    EXPECT_TRUE(pacer.due(at(1016)));
    // Drawn a little late (a wait ends on a whole millisecond): the next
    // frame time stays on the grid, so the rate does not drop.
    pacer.drawn(at(1018), at(1020));
    EXPECT_EQ(pacer.next(), at(1032));
    pacer.drawn(at(1032), at(1034));
    EXPECT_EQ(pacer.next(), at(1048));
}

TEST(FramePacer, AFrameAnIntervalLateOrMoreStartsTheGridAgain) {
    FramePacer pacer(16, false);
    pacer.drawn(at(1000), at(1001));
    // The loop was idle: the next frame comes an interval after this one,
    // not at once to catch up.
    pacer.drawn(at(5000), at(5002));
    EXPECT_EQ(pacer.next(), at(5016));
    EXPECT_FALSE(pacer.due(at(5010)));
    // Drawing slower than the display: frames follow each other at once.
    pacer.drawn(at(5040), at(5070));
    EXPECT_EQ(pacer.next(), at(5056));
    EXPECT_TRUE(pacer.due(at(5070)));
}

TEST(FramePacer, ACounterThatWentBackDoesNotHoldFramesBack) {
    FramePacer pacer(16, false);
    pacer.drawn(at(100000), at(100002));
    EXPECT_FALSE(pacer.due(at(100001)));
    // Far before the next frame time: only a counter that went back gives that.
    EXPECT_TRUE(pacer.due(at(40)));
    pacer.drawn(at(40), at(42));
    EXPECT_EQ(pacer.next(), at(56));
}

TEST(FramePacer, SwapsThatReturnAtOnceHandThePacingToThePacer) {
    FramePacer pacer(16, true);
    long long t = 0;
    // Seven frames 2 ms apart: not yet eight to judge by.
    for (int i = 0; i < 7; ++i, t += 2) {
        EXPECT_TRUE(pacer.due(at(t)));
        pacer.drawn(at(t), at(t + 1));
    }
    EXPECT_FALSE(pacer.pacing());
    pacer.drawn(at(t), at(t + 1));
    ASSERT_TRUE(pacer.pacing());
    EXPECT_EQ(pacer.next(), at(t + 16));
    EXPECT_FALSE(pacer.due(at(t + 2)));
    EXPECT_TRUE(pacer.due(at(t + 16)));
}

TEST(FramePacer, SwapsThatWaitKeepThePacingWithTheSwapAlsoWithFramesQueued) {
    // A driver that queues up to three frames: the first swaps return at
    // once, then each waits for a refresh.
    FramePacer pacer(16, true);
    const long long returns[] = {1, 2, 3, 16, 32, 48, 64, 80, 96, 112, 128, 144, 160};
    long long begin = 0;
    for (long long end : returns) {
        pacer.drawn(at(begin), at(end));
        begin = end;
    }
    EXPECT_FALSE(pacer.pacing());
    // Frames drawn now and then, each on its own, neither.
    FramePacer sparse(16, true);
    for (long long t = 0; t < 2000; t += 250)
        sparse.drawn(at(t), at(t + 1));
    EXPECT_FALSE(sparse.pacing());
}

TEST(GameProgramRest, TheLoopWaitsForTheNextStepOrFrameAndNeverLongerThanAStep) {
    const long long step = 20, ms = 1;
    // Nothing to draw and no jobs: until the next step.
    EXPECT_EQ(GameProgram::restTicks(1005, 1020, step, false, 0, false, ms), 15);
    // A frame waits for its time before the step.
    EXPECT_EQ(GameProgram::restTicks(1005, 1020, step, true, 1011, false, ms), 6);
    // A frame time after the step does not lengthen the wait.
    EXPECT_EQ(GameProgram::restTicks(1005, 1020, step, true, 1030, false, ms), 15);
    // A job on its way: a millisecond at most.
    EXPECT_EQ(GameProgram::restTicks(1005, 1020, step, false, 0, true, ms), 1);
    // A step that is due, or a frame: no wait.
    EXPECT_LE(GameProgram::restTicks(1025, 1020, step, false, 0, false, ms), 0);
    EXPECT_LE(GameProgram::restTicks(1005, 1020, step, true, 1004, false, ms), 0);
    // A counter that went back leaves the next step far ahead: still one
    // step at most, so that a stop signal is seen soon.
    EXPECT_EQ(GameProgram::restTicks(100, 1020, step, false, 0, false, ms), step);
}
