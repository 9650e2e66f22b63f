#include "foundation/threads/Worker.h"

#include <exception>

#include "foundation/exceptions/Exception.h"
#include "foundation/exceptions/UninitializedException.h"

namespace TAVO {

Worker::Worker() : jobSemaphore_(0) {}

Worker::~Worker() {
    try {
        stop();
    } catch (...) {
        // A destructor lets nothing out.
    }
}

void Worker::add(std::unique_ptr<Job> job) {
    if (!job)
        throw UninitializedException(SourceLocation(), "job");
    std::shared_ptr<Job> shared(std::move(job));
    {
        Mutex::Guard guard(pendingMutex_);
        pending_.push_back(std::move(shared));
    }
    jobSemaphore_.release();
}

void Worker::poll() {
    for (;;) {
        Finished entry;
        {
            Mutex::Guard guard(finishedMutex_);
            if (finished_.empty())
                return;
            entry = std::move(finished_.front());
            finished_.pop_front();
        }
        if (entry.success)
            entry.job->done();
        else
            entry.job->failed();
    }
}

void Worker::run() {
    while (running_.load()) {
        std::shared_ptr<Job> job;
        {
            Mutex::Guard guard(pendingMutex_);
            if (!pending_.empty()) {
                job = std::move(pending_.front());
                pending_.pop_front();
            }
        }
        if (!job) {
            jobSemaphore_.acquire();
            continue;
        }
        bool success = false;
        try {
            job->run();
            success = true;
        } catch (const Exception& exception) {
            report(exception);
        } catch (const std::exception& exception) {
            reportStdException(exception);
        } catch (...) {
            reportUnknownException();
        }
        Mutex::Guard guard(finishedMutex_);
        finished_.push_back(Finished{std::move(job), success});
    }
}

void Worker::wake() {
    try {
        jobSemaphore_.release();
    } catch (const Exception&) {
        // The count is at its maximum: the loop is awake anyway.
    }
}

} // namespace TAVO
