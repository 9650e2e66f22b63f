#include "foundation/threads/Runner.h"

#include "foundation/exceptions/Exception.h"

namespace TAVO {

namespace {
// How long stop waits between two releases of the sleep semaphore.
const unsigned int stopPollMilliseconds = 2;
} // namespace

Runner::Runner() = default;

Runner::~Runner() {
    try {
        stop();
    } catch (...) {
        // A destructor lets nothing out.
    }
}

void Runner::start() {
    if (onOwnThread())
        return;
    Mutex::Guard guard(mutex_);
    if (thread_)
        return;
    running_.store(true);
    active_.store(true);
    try {
        thread_ = std::make_unique<Thread>(*this);
    } catch (...) {
        running_.store(false);
        active_.store(false);
        throw;
    }
    threadId_.store(thread_->id());
}

void Runner::stop() {
    if (onOwnThread()) {
        running_.store(false);
        wake();
        return;
    }
    Mutex::Guard guard(mutex_);
    if (!thread_)
        return;
    if (thread_->isCurrent()) {
        running_.store(false);
        wake();
        return;
    }
    running_.store(false);
    wake();
    while (!thread_->waitForEnd(stopPollMilliseconds)) {
        try {
            sleepSemaphore_.release();
        } catch (const Exception&) {
            // Already released: the semaphore holds at most one.
        }
    }
    thread_.reset();
    threadId_.store(std::thread::id());
}

bool Runner::started() const {
    Mutex::Guard guard(mutex_);
    return thread_ != nullptr;
}

} // namespace TAVO
