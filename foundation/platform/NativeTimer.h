#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace TAVO {

// A timer with its own thread: calls the callback on that thread once after
// the due time and then every period (a period of 0 fires once), from the
// moment it is armed.
// Destroying it cancels the timer and waits until a running callback has
// returned; when the callback itself destroys the timer, the thread is let go
// and ends as soon as the callback returns.
class NativeTimer {
public:
    // Throws std::system_error when the thread cannot be created.
    NativeTimer(unsigned int dueMilliseconds, unsigned int periodMilliseconds, std::function<void()> callback);
    // Lets the timer run: until then the callback is held back, so that the
    // owner can store the timer before its callback may look at it.
    void arm();
    NativeTimer(const NativeTimer&) = delete;
    NativeTimer& operator=(const NativeTimer&) = delete;
    ~NativeTimer();

private:
    struct Shared {
        std::mutex guard;
        std::condition_variable changed;
        bool cancelled = false;
        bool armed = false;
    };

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace TAVO
