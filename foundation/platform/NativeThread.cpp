#include "foundation/platform/NativeThread.h"

#include <chrono>

namespace TAVO {

NativeThread::NativeThread(std::function<void()> body) : shared_(std::make_shared<Shared>()) {
    std::shared_ptr<Shared> shared = shared_;
    thread_ = std::thread([shared, body = std::move(body)] {
        body();
        {
            std::lock_guard<std::mutex> lock(shared->guard);
            shared->finished = true;
        }
        shared->ended.notify_all();
    });
}

NativeThread::~NativeThread() {
    if (!thread_.joinable())
        return;
    if (isCurrent())
        thread_.detach();
    else
        thread_.join();
}

bool NativeThread::waitForEnd(unsigned int milliseconds) {
    std::unique_lock<std::mutex> lock(shared_->guard);
    return shared_->ended.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                   [this] { return shared_->finished; });
}

void NativeThread::join() {
    if (thread_.joinable() && !isCurrent())
        thread_.join();
}

bool NativeThread::isCurrent() const {
    return thread_.get_id() == std::this_thread::get_id();
}

void NativeThread::sleep(unsigned int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void NativeThread::yield() {
    std::this_thread::yield();
}

} // namespace TAVO
