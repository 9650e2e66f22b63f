#pragma once

#include <memory>
#include <thread>

namespace TAVO {

class NativeThread;
class Runnable;

// One running thread of a runnable: the thread runs the entry function, which
// calls the runnable's run and reports what escapes it.
class Thread {
public:
    // Starts the thread; AllocateException "thread" when it cannot be created.
    explicit Thread(Runnable& runnable);
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    // Joins the thread; the owner waits for its end first (see Runner::stop).
    ~Thread();

    Runnable& runnable() const { return runnable_; }
    // Waits at most the given milliseconds; true once the entry has returned.
    bool waitForEnd(unsigned int milliseconds);
    // Whether the caller runs on this thread.
    bool isCurrent() const;
    std::thread::id id() const;

    // The entry function: run, report an escaped exception, clear running and active.
    static int entry(Runnable& runnable);

private:
    Runnable& runnable_;
    std::unique_ptr<NativeThread> native_;
};

} // namespace TAVO
