// The main loop's frame pacing, on counter readings made up here (a counter
// of 1000 ticks a second, one tick a millisecond, unless said otherwise):
// where the swap waits for the display nothing is held back; where it does
// not, frames keep one refresh interval apart on a steady grid; and swaps
// that come back at once are found out, where frames come less than half a
// refresh apart, and the pacer takes over.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "game/FramePacer.h"

using TAVO::PerformanceCounter;

namespace {

PerformanceCounter at(long long ticks) { return PerformanceCounter(ticks); }

// When a swap begun at the reading returns, for the frame's number.
using Swap = std::function<long long(long long, std::size_t)>;

long long atOnce(long long t, std::size_t) { return t; }

// A swap that waits for the next refresh of a display of the period.
Swap refreshEvery(long long period) {
    return [period](long long t, std::size_t) { return (t / period + 1) * period; };
}

// The main loop with a frame asked for on every pass, as while a part is
// dragged: when no frame is due it rests until the pacer's next frame time;
// each frame takes cost ticks to draw, then the swap. The times the frames
// begin at, until the end.
std::vector<long long> drag(FramePacer& pacer, long long cost, const Swap& swap, long long end) {
    std::vector<long long> begins;
    long long t = 0;
    for (;;) {
        if (!pacer.due(at(t)))
            t = pacer.next().ticks();
        if (t >= end)
            return begins;
        const long long returned = swap(t + cost, begins.size());
        pacer.drawn(at(t), at(returned));
        begins.push_back(t);
        t = returned;
    }
}

// The most frames begun within any span of the interval.
std::size_t mostInOneInterval(const std::vector<long long>& begins, long long interval) {
    std::size_t most = 0;
    for (std::size_t i = 0, j = 0; j < begins.size(); ++j) {
        while (begins[j] - begins[i] >= interval)
            ++i;
        most = std::max(most, j - i + 1);
    }
    return most;
}

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

// Swaps that return at once are found out only while the frames come less
// than half a refresh apart: eight of them within three and a half
// refreshes. Slower frames are drawn as they come, up to two a refresh.
TEST(FramePacer, SwapsThatReturnAtOnceHandThePacingOverWhileFramesCostUnderHalfARefresh) {
    FramePacer cheap(16, true);
    const std::vector<long long> fast = drag(cheap, 7, atOnce, 200);
    ASSERT_TRUE(cheap.pacing());
    // Eight frames back to back, the last swap at 56: then on the grid.
    const std::vector<long long> expected = {0, 7, 14, 21, 28, 35, 42, 49, 65, 81, 97, 113, 129, 145, 161, 177, 193};
    EXPECT_EQ(fast, expected);

    // Seven gaps of 8: half of seven refreshes exactly.
    FramePacer dear(16, true);
    const std::vector<long long> slow = drag(dear, 8, atOnce, 1600);
    EXPECT_FALSE(dear.pacing());
    EXPECT_EQ(slow.size(), 200u) << "two frames a refresh";
    EXPECT_EQ(mostInOneInterval(slow, 16), 2u);
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

// Swaps that wait only now and then: when some eight of them in a row come
// back within three and a half refreshes the pacer takes over, else the
// frames come as the swaps let them, up to two a refresh.
TEST(FramePacer, SwapsThatWaitOnlySometimesAreHeldToTwoFramesARefreshAtMost) {
    const Swap display = refreshEvery(16);
    // Every other swap waits: two frames a refresh, found out.
    FramePacer alternate(16, true);
    std::vector<long long> begins = drag(
        alternate, 1, [&](long long t, std::size_t frame) { return frame % 2 == 0 ? t : display(t, frame); }, 1600);
    ASSERT_TRUE(alternate.pacing());
    begins.erase(begins.begin(), begins.begin() + FramePacer::watchedFrames);
    EXPECT_EQ(mostInOneInterval(begins, 16), 1u);
    EXPECT_EQ(begins.size(), 96u) << "from 64 on, one a refresh";

    // Two of three wait: three frames in two refreshes, left so.
    FramePacer mostly(16, true);
    begins = drag(
        mostly, 1, [&](long long t, std::size_t frame) { return frame % 3 == 0 ? t : display(t, frame); }, 1600);
    EXPECT_FALSE(mostly.pacing());
    EXPECT_EQ(begins.size(), 150u);
    EXPECT_EQ(mostInOneInterval(begins, 16), 2u);
}

// A display that does not tell its rate is taken for one of 60 Hz: one that
// refreshes faster than 120 Hz then looks like swaps that return at once, and
// its frames are held to 60 a second; one of 100 Hz keeps its own pace.
TEST(FramePacer, ADisplayOfUnknownRateIsTakenForOneOfSixtyHertz) {
    const long long second = 1000000;
    const long long interval = FramePacer::intervalTicks(0, second);
    ASSERT_EQ(interval, second / 60);
    FramePacer fast(interval, true);
    std::vector<long long> begins = drag(fast, 100, refreshEvery(second / 144), second);
    ASSERT_TRUE(fast.pacing());
    begins.erase(begins.begin(), begins.begin() + FramePacer::watchedFrames);
    EXPECT_EQ(mostInOneInterval(begins, interval), 1u);
    EXPECT_GE(begins.size(), 55u);
    EXPECT_LE(begins.size(), 60u);

    FramePacer hundred(interval, true);
    begins = drag(hundred, 100, refreshEvery(second / 100), second);
    EXPECT_FALSE(hundred.pacing());
    EXPECT_EQ(begins.size(), 100u);
}
