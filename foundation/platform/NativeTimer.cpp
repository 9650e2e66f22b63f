#include "foundation/platform/NativeTimer.h"

#include <chrono>

namespace TAVO {

NativeTimer::NativeTimer(unsigned int dueMilliseconds, unsigned int periodMilliseconds,
                         std::function<void()> callback)
    : shared_(std::make_shared<Shared>()) {
    std::shared_ptr<Shared> shared = shared_;
    thread_ = std::thread([shared, dueMilliseconds, periodMilliseconds, callback = std::move(callback)] {
        using Clock = std::chrono::steady_clock;
        Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(dueMilliseconds);
        {
            std::unique_lock<std::mutex> lock(shared->guard);
            shared->changed.wait(lock, [&] { return shared->armed || shared->cancelled; });
        }
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(shared->guard);
                if (shared->changed.wait_until(lock, deadline, [&] { return shared->cancelled; }))
                    return;
            }
            callback();
            if (periodMilliseconds == 0)
                return;
            std::lock_guard<std::mutex> lock(shared->guard);
            if (shared->cancelled)
                return;
            deadline += std::chrono::milliseconds(periodMilliseconds);
        }
    });
}

void NativeTimer::arm() {
    // Notified under the lock: once it is released the callback may run and
    // destroy this object.
    std::lock_guard<std::mutex> lock(shared_->guard);
    shared_->armed = true;
    shared_->changed.notify_all();
}

NativeTimer::~NativeTimer() {
    {
        std::lock_guard<std::mutex> lock(shared_->guard);
        shared_->cancelled = true;
    }
    shared_->changed.notify_all();
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach();
    else
        thread_.join();
}

} // namespace TAVO
