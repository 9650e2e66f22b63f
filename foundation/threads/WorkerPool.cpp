#include "foundation/threads/WorkerPool.h"

#include <algorithm>
#include <exception>

#include "foundation/exceptions/Exception.h"
#include "foundation/exceptions/ReleaseException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/threads/Runner.h"

namespace TAVO {

// One thread of the pool: takes queued jobs one after another and hands
// them back finished.
class WorkerPool::Lane : public Runner {
public:
    explicit Lane(WorkerPool& pool) : pool_(pool) {}
    ~Lane() override {
        try {
            stop();
        } catch (...) {
            // A destructor lets nothing out.
        }
    }

    void run() override {
        while (running() && !pool_.stopping_.load()) {
            Queued entry;
            if (!pool_.next(entry)) {
                pool_.work_.acquire();
                continue;
            }
            // A stop asked for meanwhile leaves the job for a later start.
            if (pool_.stopping_.load()) {
                pool_.putBack(std::move(entry));
                break;
            }
            bool success = false;
            try {
                entry.job->run();
                success = true;
            } catch (const Exception& exception) {
                report(exception);
            } catch (const std::exception& exception) {
                reportStdException(exception);
            } catch (...) {
                reportUnknownException();
            }
            pool_.finished(entry, success);
        }
    }

    void wake() override { pool_.wakeOne(); }

private:
    WorkerPool& pool_;
};

WorkerPool::WorkerPool(std::uint32_t threads) : work_(0) {
    for (std::uint32_t i = 0; i < std::max<std::uint32_t>(1, threads); ++i)
        lanes_.push_back(std::make_unique<Lane>(*this));
}

WorkerPool::~WorkerPool() {
    try {
        stop();
    } catch (...) {
        // A destructor lets nothing out.
    }
}

void WorkerPool::add(std::unique_ptr<Worker::Job> job) {
    if (!job)
        throw UninitializedException(SourceLocation(), "job");
    std::shared_ptr<Worker::Job> shared(std::move(job));
    unfinished_.fetch_add(1);
    {
        Mutex::Guard guard(queuedMutex_);
        queued_.push_back(Queued{added_++, std::move(shared)});
    }
    wakeOne();
}

bool WorkerPool::next(Queued& entry) {
    Mutex::Guard guard(queuedMutex_);
    if (queued_.empty())
        return false;
    entry = std::move(queued_.front());
    queued_.pop_front();
    return true;
}

void WorkerPool::putBack(Queued entry) {
    Mutex::Guard guard(queuedMutex_);
    queued_.push_front(std::move(entry));
}

void WorkerPool::finished(Queued& entry, bool success) {
    Mutex::Guard guard(finishedMutex_);
    finished_.emplace(entry.number, Finished{std::move(entry.job), success});
}

std::uint64_t WorkerPool::poll() {
    for (std::uint64_t delivered = 0;; ++delivered) {
        Finished entry;
        {
            Mutex::Guard guard(finishedMutex_);
            const auto first = finished_.begin();
            if (first == finished_.end() || first->first != delivered_)
                return delivered;
            entry = std::move(first->second);
            finished_.erase(first);
            ++delivered_;
        }
        unfinished_.fetch_sub(1);
        if (entry.success)
            entry.job->done();
        else
            entry.job->failed();
    }
}

void WorkerPool::start() {
    stopping_.store(false);
    for (const std::unique_ptr<Lane>& lane : lanes_)
        lane->start();
}

void WorkerPool::stop() {
    // Every waiting thread is woken to see the flag; one running a job sees
    // it when the job ends.
    stopping_.store(true);
    for (std::size_t i = 0; i < lanes_.size(); ++i)
        wakeOne();
    for (const std::unique_ptr<Lane>& lane : lanes_)
        lane->stop();
}

void WorkerPool::setExceptionHandler(ExceptionHandler* handler) {
    for (const std::unique_ptr<Lane>& lane : lanes_)
        lane->setExceptionHandler(handler);
}

void WorkerPool::wakeOne() {
    try {
        work_.release();
    } catch (const ReleaseException&) {
        // The count is at its maximum: the threads are awake anyway.
    }
}

} // namespace TAVO
