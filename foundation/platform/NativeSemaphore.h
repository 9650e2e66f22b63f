#pragma once

#include <condition_variable>
#include <mutex>

namespace TAVO {

// A counting semaphore with a maximum count. Releasing beyond the maximum is
// refused and leaves the count unchanged.
class NativeSemaphore {
public:
    // The initial count must not exceed the maximum.
    NativeSemaphore(unsigned int initial, unsigned int maximum);
    NativeSemaphore(const NativeSemaphore&) = delete;
    NativeSemaphore& operator=(const NativeSemaphore&) = delete;

    // Waits without time limit until the count is above zero, then takes one.
    void acquire();
    // Adds one; false when the count is already at its maximum.
    bool release();

private:
    std::mutex guard_;
    std::condition_variable available_;
    unsigned int count_;
    unsigned int maximum_;
};

} // namespace TAVO
