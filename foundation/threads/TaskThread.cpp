#include "foundation/threads/TaskThread.h"

#include <new>
#include <system_error>

#include "foundation/platform/NativeThread.h"
#include "foundation/threads/ThreadBudget.h"

namespace TAVO {

TaskThread::TaskThread(std::function<void()> function) : function_(std::move(function)) {
    if (ThreadBudget::take(1) != 0)
        start();
}

TaskThread::TaskThread(std::function<void()> function, Granted) : function_(std::move(function)) { start(); }

std::unique_ptr<TaskThread> TaskThread::startIfGranted(std::function<void()> function) {
    if (ThreadBudget::take(1) == 0)
        return nullptr;
    std::unique_ptr<TaskThread> task;
    try {
        task.reset(new TaskThread(std::move(function), Granted()));
    } catch (const std::bad_alloc&) {
        ThreadBudget::give(1);
        return nullptr;
    }
    // A thread the system refused: the budget has its thread back already.
    if (!task->separate()) {
        task->joined_ = true;
        return nullptr;
    }
    return task;
}

void TaskThread::start() {
    try {
        native_ = std::make_unique<NativeThread>([this] {
            runFunction();
            ThreadBudget::give(1);
        });
    } catch (const std::system_error&) {
        native_.reset();
        ThreadBudget::give(1);
    } catch (const std::bad_alloc&) {
        native_.reset();
        ThreadBudget::give(1);
    }
}

TaskThread::~TaskThread() {
    try {
        join();
    } catch (...) {
        // A destructor lets nothing out.
    }
}

void TaskThread::runFunction() {
    try {
        function_();
    } catch (...) {
        failure_ = std::current_exception();
    }
}

void TaskThread::join() {
    if (joined_)
        return;
    joined_ = true;
    if (native_)
        native_->join();
    else
        runFunction();
    if (failure_) {
        std::exception_ptr failure = failure_;
        failure_ = nullptr;
        std::rethrow_exception(failure);
    }
}

} // namespace TAVO
