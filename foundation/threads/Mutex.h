#pragma once

#include <memory>

namespace TAVO {

class NativeMutex;

// A re-entrant mutex: the owning thread may acquire it again while holding it;
// each acquire needs its own release on the same thread.
class Mutex {
public:
    // Acquires a mutex for the lifetime of the guard.
    class Guard {
    public:
        explicit Guard(Mutex& mutex) : mutex_(mutex) { mutex_.acquire(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        ~Guard();

    private:
        Mutex& mutex_;
    };

    // AllocateException "mutex" when the mutex cannot be made.
    Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    ~Mutex();

    // AcquireException "mutex" on failure.
    void acquire();
    // ReleaseException "mutex" when the calling thread does not hold the mutex.
    void release();

private:
    std::unique_ptr<NativeMutex> native_;
};

} // namespace TAVO
