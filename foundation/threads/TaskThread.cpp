#include "foundation/threads/TaskThread.h"

#include <new>
#include <system_error>

#include "foundation/platform/NativeThread.h"

namespace TAVO {

TaskThread::TaskThread(std::function<void()> function) : function_(std::move(function)) {
    try {
        native_ = std::make_unique<NativeThread>([this] { runFunction(); });
    } catch (const std::system_error&) {
        native_.reset();
    } catch (const std::bad_alloc&) {
        native_.reset();
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
