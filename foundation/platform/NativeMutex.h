#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace TAVO {

// A re-entrant mutex that knows its owner: the owning thread may acquire it
// again, each acquire needs its own release, and a release by a thread that
// does not hold it is refused instead of corrupting the lock.
class NativeMutex {
public:
    NativeMutex() = default;
    NativeMutex(const NativeMutex&) = delete;
    NativeMutex& operator=(const NativeMutex&) = delete;

    // Waits until the mutex is free or held by the calling thread. False when
    // the nesting depth cannot grow any further.
    bool acquire();
    // False when the calling thread does not hold the mutex.
    bool release();

private:
    std::mutex guard_;
    std::condition_variable freed_;
    std::thread::id owner_;
    unsigned int depth_ = 0;
};

} // namespace TAVO
