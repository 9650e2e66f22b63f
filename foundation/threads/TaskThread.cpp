#include "foundation/threads/TaskThread.h"

#include <new>
#include <system_error>

#include "foundation/platform/NativeThread.h"

namespace TAVO {

TaskThread::TaskThread(std::function<void()> function) : function_(std::move(function)) {
    auto body = [this] {
        try {
            function_();
        } catch (...) {
            failure_ = std::current_exception();
        }
    };
    try {
        native_ = std::make_unique<NativeThread>(body);
    } catch (const std::system_error&) {
        body();
    } catch (const std::bad_alloc&) {
        body();
    }
}

TaskThread::~TaskThread() {
    if (native_)
        native_->join();
}

void TaskThread::join() {
    if (joined_)
        return;
    joined_ = true;
    if (native_)
        native_->join();
    if (failure_) {
        std::exception_ptr failure = failure_;
        failure_ = nullptr;
        std::rethrow_exception(failure);
    }
}

} // namespace TAVO
