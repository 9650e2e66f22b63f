#pragma once

#include <atomic>
#include <string>

#include "foundation/threads/Semaphore.h"

namespace TAVO {

class Duration;
class Exception;
class ExceptionHandler;

// The body of a thread. An exception that escapes run goes to the runnable's
// exception handler (the shared discarder when none is set).
class Runnable {
public:
    // AllocateException "thread sleep semaphore" when the sleep semaphore cannot be made.
    Runnable();
    Runnable(const Runnable&) = delete;
    Runnable& operator=(const Runnable&) = delete;
    virtual ~Runnable();

    // The thread body.
    virtual void run() = 0;
    // Called by stop to wake a body that waits for work; by default nothing.
    virtual void wake() {}
    // The class name and the object's address, naming the runnable in reports.
    virtual std::string context() const;

    // Not owned; null restores the shared discarder. The handler is called
    // from the runnable's thread.
    void setExceptionHandler(ExceptionHandler* handler);
    ExceptionHandler& exceptionHandler() const;

    // True while the body is to continue.
    bool running() const { return running_.load(); }
    // True from the start of a thread until its entry function returns.
    bool active() const { return active_.load(); }

    // Suspends the calling thread for the duration.
    static void sleep(const Duration& duration);

    // Hands an exception to the handler; a failure of the handler itself is dropped.
    void report(const Exception& exception) const;
    void reportStdException(const std::exception& exception) const;
    // Reports an exception of a type outside both families.
    void reportUnknownException() const;

protected:
    friend class Runner;
    friend class Thread;

    std::atomic<bool> running_{false};
    std::atomic<bool> active_{false};
    std::atomic<ExceptionHandler*> handler_{nullptr};
    // Released by Runner::stop while it waits for the thread to end.
    Semaphore sleepSemaphore_;
};

} // namespace TAVO
