#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "foundation/threads/Mutex.h"
#include "foundation/threads/Runnable.h"
#include "foundation/threads/Thread.h"

namespace TAVO {

// Starts a runnable on its own thread and stops it again.
class Runner : public Runnable {
public:
    Runner();
    // Stops a started thread. A subclass whose run uses its own members, or
    // whose wake matters, stops in its own destructor.
    ~Runner() override;

    // Starts the thread when none exists (AllocateException "thread" when it
    // cannot be created; the runner then stays not started).
    void start();
    // Clears running, wakes the body and waits until the thread has ended.
    // Nothing happens when no thread exists. Called on the runner's own thread
    // it only clears running and wakes: the thread ends after the current step
    // and a later stop from another thread collects it.
    void stop();
    // Whether a thread exists (started and not stopped).
    bool started() const;

private:
    bool onOwnThread() const { return threadId_.load() == std::this_thread::get_id(); }

    mutable Mutex mutex_;
    std::unique_ptr<Thread> thread_;
    std::atomic<std::thread::id> threadId_{};
};

} // namespace TAVO
