#pragma once

#include <array>
#include <cstdint>

#include "foundation/threads/PerformanceCounter.h"

// When the main loop may draw its next frame. Where the buffer swap waits for
// the display's refresh, the swap paces the frames and a frame may be drawn
// whenever one is needed. Where it does not (the driver refused the swap
// interval, or took it and still returns from every swap at once, as software
// renderers on virtual displays do) the pacer keeps the frames one refresh
// interval apart itself, on a steady grid of frame times, so that the loop
// waits for the next frame time instead of drawing as fast as it can.
//
// Whether swaps wait is watched on the frames drawn: eight swaps in a row
// that return within less than half of seven refresh intervals cannot have
// waited for the display (not even with a few frames queued in the driver),
// and the pacer takes over for the rest of the run.
//
// What that leaves: frames that come half a refresh apart or more, on
// average over eight, are never taken for swaps that return at once. Where
// swaps do return at once, frames that cost that much are drawn as they
// come, up to two a refresh; so are those of swaps that wait only now and
// then. A display that does not tell its rate is taken for one of 60 Hz: a
// slower one may get more than one frame a refresh, and on one faster than
// 120 Hz swaps that wait look like swaps that return at once, so the pacer
// takes over and holds the frames to 60 a second.
class FramePacer {
public:
    // The refresh rate assumed for a display that does not tell its own.
    static constexpr int defaultRefreshRate = 60;
    // The frames watched to tell whether swaps wait.
    static constexpr std::uint32_t watchedFrames = 8;

    // Counter ticks of one refresh of a display of the rate in Hz; a rate of
    // 0 or less (unknown) counts as the default rate. At least one tick.
    static long long intervalTicks(int refreshRate, long long ticksPerSecond);

    // interval: the refresh interval in counter ticks (at least one);
    // swapWaits: the driver took the swap interval.
    FramePacer(long long interval, bool swapWaits);

    // Whether a frame may be drawn at the reading. A next frame time more
    // than an interval ahead can only come from a counter that went back: a
    // frame is due then too.
    bool due(TAVO::PerformanceCounter now) const;
    // The time of the next frame while the pacer paces; before any frame
    // and while the swap paces, a time already past.
    TAVO::PerformanceCounter next() const { return next_; }
    // A frame was begun at begin (a reading at which it was due) and its
    // swap returned at end. The next frame time moves on by one interval;
    // when the frame came an interval or more late (the loop was idle or
    // drawing is slower than the display), the grid starts again at begin.
    void drawn(TAVO::PerformanceCounter begin, TAVO::PerformanceCounter end);

    // Whether the pacer keeps the frames apart (the swap does not).
    bool pacing() const { return pacing_; }
    long long interval() const { return interval_; }

private:
    long long interval_;
    bool pacing_;
    TAVO::PerformanceCounter next_;
    // The return times of the last swaps, a ring of watchedFrames entries.
    std::array<long long, watchedFrames> swaps_{};
    std::uint32_t swapCount_ = 0;
};
