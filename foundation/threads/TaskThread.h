#pragma once

#include <exception>
#include <functional>
#include <memory>

namespace TAVO {

class NativeThread;

// Runs one function on a thread of its own beside the caller's work. join
// waits for its end and rethrows whatever escaped it, so the caller sees
// what the function made (and how it failed) only after joining, as if it
// had run the function itself. Its thread is drawn from the ThreadBudget
// and given back when the function ends. When none is free there, or no
// thread can be made, the function waits and runs on the thread that joins
// it (or destroys it), with the same results.
class TaskThread {
public:
    explicit TaskThread(std::function<void()> function);
    // The function on a thread of its own when the budget grants one and
    // the system makes it; null otherwise, and the function never runs.
    static std::unique_ptr<TaskThread> startIfGranted(std::function<void()> function);
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;
    // Joins a task not joined yet; what escaped it is dropped.
    ~TaskThread();

    // Waits until the function has returned, then rethrows what escaped it.
    // Later calls return at once and throw nothing.
    void join();
    // Whether the function runs on a thread of its own (false when it waits
    // for the join).
    bool separate() const { return native_ != nullptr; }

private:
    struct Granted {};
    // With a thread the budget granted already: given back when none is made.
    TaskThread(std::function<void()> function, Granted);
    void start();
    void runFunction();

    std::function<void()> function_;
    std::exception_ptr failure_;
    std::unique_ptr<NativeThread> native_;
    bool joined_ = false;
};

} // namespace TAVO
