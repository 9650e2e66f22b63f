#include "foundation/threads/PerformanceCounter.h"

#include "foundation/platform/MonotonicClock.h"
#include "foundation/threads/PerformanceCounterException.h"

namespace TAVO {

namespace {

long long frequency() {
    long long value = 0;
    if (!MonotonicClock::frequency(value) || value <= 0)
        throw PerformanceCounterException(SourceLocation(), "frequency");
    return value;
}

// ticks * 1000 / frequency without overflowing the intermediate product.
unsigned long long ticksToMilliseconds(unsigned long long ticks, unsigned long long perSecond) {
    return ticks / perSecond * 1000 + ticks % perSecond * 1000 / perSecond;
}

} // namespace

PerformanceCounter PerformanceCounter::now() {
    long long ticks = 0;
    if (!MonotonicClock::counter(ticks))
        throw PerformanceCounterException(SourceLocation(), "counter");
    return PerformanceCounter(ticks);
}

Duration PerformanceCounter::elapsed(const PerformanceCounter& a, const PerformanceCounter& b) {
    const unsigned long long perSecond = static_cast<unsigned long long>(frequency());
    const unsigned long long distance = a.ticks_ > b.ticks_
                                            ? static_cast<unsigned long long>(a.ticks_) - static_cast<unsigned long long>(b.ticks_)
                                            : static_cast<unsigned long long>(b.ticks_) - static_cast<unsigned long long>(a.ticks_);
    const unsigned long long milliseconds = ticksToMilliseconds(distance, perSecond);
    return Duration(milliseconds > 0xFFFFFFFFull ? 0xFFFFFFFFu : unsigned(milliseconds));
}

long long PerformanceCounter::toTicks(const Duration& duration) {
    const long long perSecond = frequency();
    const long long ms = duration.count();
    return ms / 1000 * perSecond + ms % 1000 * perSecond / 1000;
}

Duration PerformanceCounter::remaining(const PerformanceCounter& stamp, const Duration& duration) {
    const PerformanceCounter current = now();
    const unsigned long long passed = elapsed(current, stamp).count();
    if (current < stamp) {
        // The stamp lies ahead: the wait is the duration plus the time until the stamp.
        const unsigned long long total = passed + duration.count();
        return Duration(total > 0xFFFFFFFFull ? 0xFFFFFFFFu : unsigned(total));
    }
    if (passed >= duration.count())
        return Duration(0);
    return Duration(duration.count() - unsigned(passed));
}

PerformanceCounter PerformanceCounter::operator+(const Duration& duration) const {
    return PerformanceCounter(ticks_ + toTicks(duration));
}

PerformanceCounter PerformanceCounter::operator-(const Duration& duration) const {
    return PerformanceCounter(ticks_ - toTicks(duration));
}

PerformanceCounter& PerformanceCounter::operator+=(const Duration& duration) {
    ticks_ += toTicks(duration);
    return *this;
}

PerformanceCounter& PerformanceCounter::operator-=(const Duration& duration) {
    ticks_ -= toTicks(duration);
    return *this;
}

} // namespace TAVO
