#include "game/FramePacer.h"

#include <algorithm>

long long FramePacer::intervalTicks(int refreshRate, long long ticksPerSecond) {
    const long long rate = refreshRate > 0 ? refreshRate : defaultRefreshRate;
    return std::max(1LL, ticksPerSecond / rate);
}

FramePacer::FramePacer(long long interval, bool swapWaits) : interval_(std::max(1LL, interval)), pacing_(!swapWaits) {}

bool FramePacer::due(TAVO::PerformanceCounter now) const {
    if (!pacing_ || !(now < next_))
        return true;
    return next_.ticks() - now.ticks() > interval_;
}

void FramePacer::drawn(TAVO::PerformanceCounter begin, TAVO::PerformanceCounter end) {
    if (!pacing_) {
        // The oldest of the ring is the swap watchedFrames - 1 frames back.
        const std::uint32_t slot = swapCount_ % watchedFrames;
        swaps_[slot] = end.ticks();
        ++swapCount_;
        if (swapCount_ < watchedFrames)
            return;
        const long long oldest = swaps_[swapCount_ % watchedFrames];
        const long long span = end.ticks() - oldest;
        // Seven gaps in less than three and a half refreshes.
        if (span >= 0 && span * 2 < interval_ * (watchedFrames - 1))
            pacing_ = true;
        else
            return;
        next_ = TAVO::PerformanceCounter(begin.ticks() + interval_);
        return;
    }
    if (begin.ticks() - next_.ticks() < interval_ && !(begin < next_))
        next_ = TAVO::PerformanceCounter(next_.ticks() + interval_);
    else
        next_ = TAVO::PerformanceCounter(begin.ticks() + interval_);
}
