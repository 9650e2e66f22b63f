#pragma once

#include <memory>

namespace TAVO {

class NativeSemaphore;

// A counting semaphore with a maximum count (0x7FFFFFFF unless given).
class Semaphore {
public:
    static constexpr unsigned int defaultMaximum = 0x7FFFFFFF;

    // AllocateException "semaphore" when the initial count exceeds the maximum.
    explicit Semaphore(unsigned int initial, unsigned int maximum = defaultMaximum);
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;
    ~Semaphore();

    // Waits without time limit until the count is above zero, then takes one.
    void acquire();
    // Adds one; ReleaseException "semaphore" beyond the maximum count.
    void release();

private:
    std::unique_ptr<NativeSemaphore> native_;
};

} // namespace TAVO
