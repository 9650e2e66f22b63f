#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace TAVO {

// One operating-system thread running one function. The object may be
// destroyed only after the function has ended; the destructor joins.
class NativeThread {
public:
    // Starts the thread; throws std::system_error when it cannot be created.
    explicit NativeThread(std::function<void()> body);
    NativeThread(const NativeThread&) = delete;
    NativeThread& operator=(const NativeThread&) = delete;
    ~NativeThread();

    // Waits at most the given milliseconds; true once the body has returned.
    bool waitForEnd(unsigned int milliseconds);
    // Waits until the body has returned and the thread is gone.
    void join();
    // Whether the caller runs on this thread.
    bool isCurrent() const;
    std::thread::id id() const { return thread_.get_id(); }

    // Suspends the calling thread.
    static void sleep(unsigned int milliseconds);
    // Gives the processor to another ready thread.
    static void yield();

private:
    struct Shared {
        std::mutex guard;
        std::condition_variable ended;
        bool finished = false;
    };

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace TAVO
