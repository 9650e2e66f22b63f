#pragma once

#include "foundation/threads/Duration.h"

namespace TAVO {

// A reading of the high-resolution counter, used for frame timing. The
// counter's frequency is asked for at each conversion.
class PerformanceCounter {
public:
    explicit PerformanceCounter(long long ticks = 0) : ticks_(ticks) {}

    // The current reading (PerformanceCounterException "counter" on failure).
    static PerformanceCounter now();

    long long ticks() const { return ticks_; }

    // The distance between two readings in milliseconds, truncated; a
    // distance beyond the range of a Duration gives the largest Duration.
    static Duration elapsed(const PerformanceCounter& a, const PerformanceCounter& b);
    // The counter ticks of a duration, truncated.
    static long long toTicks(const Duration& duration);
    // The time left until stamp + duration, 0 when that moment has passed.
    static Duration remaining(const PerformanceCounter& stamp, const Duration& duration);

    PerformanceCounter operator+(const Duration& duration) const;
    PerformanceCounter operator-(const Duration& duration) const;
    PerformanceCounter& operator+=(const Duration& duration);
    PerformanceCounter& operator-=(const Duration& duration);
    // Moves the reading forward by the duration (the form the main loop uses
    // to move its frame deadline).
    PerformanceCounter& advance(const Duration& duration) { return *this += duration; }

    bool operator==(const PerformanceCounter& other) const { return ticks_ == other.ticks_; }
    bool operator<(const PerformanceCounter& other) const { return ticks_ < other.ticks_; }
    bool operator>(const PerformanceCounter& other) const { return ticks_ > other.ticks_; }

private:
    long long ticks_;
};

} // namespace TAVO
