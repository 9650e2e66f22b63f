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
    // The entry is made before the queue is touched: an allocation that
    // fails leaves nothing queued or counted.
    std::list<Entry> added;
    added.push_back(Entry{std::shared_ptr<Job>(std::move(job)), false});
    {
        Mutex::Guard guard(pendingMutex_);
        pending_.splice(pending_.end(), added);
        unfinished_.fetch_add(1);
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
        Entry entry;
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

bool Worker::next(std::list<Entry>& taken) {
    Mutex::Guard guard(pendingMutex_);
    if (pending_.empty())
        return false;
    taken.splice(taken.end(), pending_, pending_.begin());
    return true;
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
    // ends only once the queue is empty. The entry taken moves on to
    // finished_ (or back to pending_) as it is: once a job has run, nothing
    // is left that could fail.
    while (running_.load() || draining_.load()) {
        std::list<Entry> taken;
        if (!next(taken)) {
            if (!running_.load())
                break;
            jobSemaphore_.acquire();
            continue;
        }
        if (!running_.load() && !draining_.load()) {
            Mutex::Guard guard(pendingMutex_);
            pending_.splice(pending_.begin(), taken);
            break;
        }
        taken.front().success = runJob(*taken.front().job, *this);
        Mutex::Guard guard(finishedMutex_);
        finished_.splice(finished_.end(), taken);
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
