#include "foundation/threads/Timer.h"

#include <system_error>

#include "foundation/platform/NativeTimer.h"
#include "foundation/threads/TimerException.h"

namespace TAVO {

Timer::Timer() = default;

Timer::~Timer() {
    try {
        stop();
    } catch (const TimerException&) {
    }
}

void Timer::start(const Duration& due, const Duration& period) {
    stop();
    std::unique_ptr<NativeTimer> handle;
    try {
        handle = std::make_unique<NativeTimer>(due.count(), period.count(), [this] { elapsed(); });
    } catch (const std::system_error&) {
        throw TimerException(SourceLocation());
    }
    std::unique_ptr<NativeTimer> replaced;
    {
        Mutex::Guard guard(mutex_);
        replaced = std::move(handle_);
        handle_ = std::move(handle);
        handle_->arm();
    }
    // Only when another thread started a timer meanwhile; waited for outside the lock.
    replaced.reset();
}

void Timer::start(const Duration& due) {
    start(due, Duration(0));
}

void Timer::startAt(const PerformanceCounter& stamp, const Duration& due, const Duration& period) {
    start(PerformanceCounter::remaining(stamp, due), period);
}

void Timer::startAt(const PerformanceCounter& stamp, const Duration& due) {
    startAt(stamp, due, Duration(0));
}

void Timer::stop() {
    // Destroying the native timer cancels it and waits for a running callback.
    std::unique_ptr<NativeTimer> handle;
    {
        Mutex::Guard guard(mutex_);
        handle = std::move(handle_);
    }
    handle.reset();
}

} // namespace TAVO
