#pragma once

#include <memory>

#include "foundation/threads/Duration.h"
#include "foundation/threads/Mutex.h"
#include "foundation/threads/PerformanceCounter.h"

namespace TAVO {

class NativeTimer;

// Calls elapsed on a timer thread when the due time has passed, and then every
// period (0: once). stop waits until a running elapsed has returned, so the
// object may be destroyed after stop; elapsed may itself call stop. A subclass
// stops the timer in its own destructor, before its members go.
class Timer {
public:
    Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    // Stops the timer; a TimerException from stopping is dropped.
    virtual ~Timer();

    // Stops a running timer, then starts anew (TimerException on failure).
    void start(const Duration& due, const Duration& period);
    void start(const Duration& due);
    // The same, firing at stamp + due (at once when that moment has passed).
    void startAt(const PerformanceCounter& stamp, const Duration& due, const Duration& period);
    void startAt(const PerformanceCounter& stamp, const Duration& due);
    void stop();

protected:
    // Runs on the timer thread, concurrently with the owner.
    virtual void elapsed() = 0;

private:
    // Guards the handle only; never held while waiting for a callback.
    Mutex mutex_;
    std::unique_ptr<NativeTimer> handle_;
};

} // namespace TAVO
