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
    unfinished_.fetch_add(1);
    {
        Mutex::Guard guard(pendingMutex_);
        pending_.push_back(std::move(shared));
    }
    jobSemaphore_.release();
}

bool Worker::runJob(Job& job, const Runnable& reporter) {
    try {
        job.run();
        return true;
    } catch (const Exception& exception) {
        reporter.report(exception);
    } catch (const std::exception& exception) {
        reporter.reportStdException(exception);
    } catch (...) {
        reporter.reportUnknownException();
    }
    return false;
}

std::uint64_t Worker::poll() {
    for (std::uint64_t delivered = 0;; ++delivered) {
        Finished entry;
        {
            Mutex::Guard guard(finishedMutex_);
            if (finished_.empty())
                return delivered;
            entry = std::move(finished_.front());
            finished_.pop_front();
        }
        unfinished_.fetch_sub(1);
        if (entry.success)
            entry.job->done();
        else
            entry.job->failed();
    }
}

std::shared_ptr<Worker::Job> Worker::next() {
    Mutex::Guard guard(pendingMutex_);
    if (pending_.empty())
        return nullptr;
    std::shared_ptr<Job> job = std::move(pending_.front());
    pending_.pop_front();
    return job;
}

void Worker::stopDraining() {
    draining_.store(true);
    try {
        stop();
    } catch (...) {
        draining_.store(false);
        throw;
    }
    draining_.store(false);
}

void Worker::run() {
    // A plain stop leaves what is queued for a later start; a draining stop
    // ends only once the queue is empty.
    while (running_.load() || draining_.load()) {
        std::shared_ptr<Job> job = next();
        if (!job) {
            if (!running_.load())
                break;
            jobSemaphore_.acquire();
            continue;
        }
        if (!running_.load() && !draining_.load()) {
            Mutex::Guard guard(pendingMutex_);
            pending_.push_front(std::move(job));
            break;
        }
        const bool success = runJob(*job, *this);
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
