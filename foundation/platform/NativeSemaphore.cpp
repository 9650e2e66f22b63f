#include "foundation/platform/NativeSemaphore.h"

namespace TAVO {

NativeSemaphore::NativeSemaphore(unsigned int initial, unsigned int maximum)
    : count_(initial < maximum ? initial : maximum), maximum_(maximum) {}

void NativeSemaphore::acquire() {
    std::unique_lock<std::mutex> lock(guard_);
    available_.wait(lock, [this] { return count_ > 0; });
    --count_;
}

bool NativeSemaphore::release() {
    std::lock_guard<std::mutex> lock(guard_);
    if (count_ >= maximum_)
        return false;
    ++count_;
    // Notified under the lock: once it is released, a waiter may go on and
    // destroy the semaphore.
    available_.notify_one();
    return true;
}

} // namespace TAVO
