#include "foundation/platform/NativeMutex.h"

#include <limits>

namespace TAVO {

bool NativeMutex::acquire() {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(guard_);
    if (depth_ > 0 && owner_ == self) {
        if (depth_ == std::numeric_limits<unsigned int>::max())
            return false;
        ++depth_;
        return true;
    }
    freed_.wait(lock, [this] { return depth_ == 0; });
    owner_ = self;
    depth_ = 1;
    return true;
}

bool NativeMutex::release() {
    const std::thread::id self = std::this_thread::get_id();
    std::lock_guard<std::mutex> lock(guard_);
    if (depth_ == 0 || owner_ != self)
        return false;
    if (--depth_ > 0)
        return true;
    owner_ = std::thread::id();
    // Notified under the lock: once it is released, the next owner may
    // destroy the mutex.
    freed_.notify_one();
    return true;
}

} // namespace TAVO
