#include "foundation/threads/WorkerPool.h"

#include <algorithm>

#include "foundation/exceptions/UninitializedException.h"
#include "foundation/threads/Runner.h"

namespace TAVO {

// One thread of the pool: takes queued jobs one after another and hands
// them back finished.
class WorkerPool::Lane : public Runner {
public:
    Lane(WorkerPool& pool, bool first) : pool_(pool), first_(first) {}
    ~Lane() override {
        try {
            stop();
        } catch (...) {
            // A destructor lets nothing out.
        }
    }

    void run() override {
        for (;;) {
            Queued entry;
            {
                std::unique_lock<std::mutex> lock(pool_.queuedMutex_);
                auto found = pool_.queued_.end();
                pool_.queuedChanged_.wait(lock, [&] {
                    if (!running() || pool_.stopping_)
                        return true;
                    found = pool_.next(first_);
                    return found != pool_.queued_.end();
                });
                // A stop leaves what is queued for a later start.
                if (!running() || pool_.stopping_)
                    return;
                entry = std::move(*found);
                pool_.queued_.erase(found);
            }
            const bool success = Worker::runJob(*entry.slot.mapped().job, *this);
            pool_.finished(entry, success);
        }
    }

    void wake() override { pool_.wakeAll(); }

private:
    WorkerPool& pool_;
    bool first_;
};

WorkerPool::WorkerPool(std::uint32_t threads) {
    for (std::uint32_t i = 0; i < std::max<std::uint32_t>(1, threads); ++i)
        lanes_.push_back(std::make_unique<Lane>(*this, i == 0));
}

WorkerPool::~WorkerPool() {
    try {
        stop();
    } catch (...) {
        // A destructor lets nothing out.
    }
}

void WorkerPool::add(std::unique_ptr<Worker::Job> job, bool firstThread) {
    if (!job)
        throw UninitializedException(SourceLocation(), "job");
    // The job's entry of finished_ is made here, outside the map, so that
    // the thread that runs the job only moves it in: nothing is left to fail
    // once the job has run. An allocation that fails here leaves nothing
    // queued, numbered or counted.
    Queued entry;
    {
        FinishedMap made;
        made.emplace(0, Finished{std::shared_ptr<Worker::Job>(std::move(job)), false});
        entry.slot = made.extract(made.begin());
    }
    entry.firstThread = firstThread;
    {
        std::lock_guard<std::mutex> lock(queuedMutex_);
        entry.slot.key() = added_;
        queued_.push_back(std::move(entry));
        ++added_;
        unfinished_.fetch_add(1);
    }
    // Only some threads may take it: every one looks.
    queuedChanged_.notify_all();
}

std::deque<WorkerPool::Queued>::iterator WorkerPool::next(bool firstThread) {
    return std::find_if(queued_.begin(), queued_.end(),
                        [&](const Queued& entry) { return firstThread || !entry.firstThread; });
}

void WorkerPool::finished(Queued& entry, bool success) {
    entry.slot.mapped().success = success;
    Mutex::Guard guard(finishedMutex_);
    finished_.insert(std::move(entry.slot));
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
    {
        std::lock_guard<std::mutex> lock(queuedMutex_);
        stopping_ = false;
    }
    for (const std::unique_ptr<Lane>& lane : lanes_)
        lane->start();
}

void WorkerPool::stop() {
    // A waiting thread sees the flag at once; one running a job when its
    // job ends.
    {
        std::lock_guard<std::mutex> lock(queuedMutex_);
        stopping_ = true;
    }
    queuedChanged_.notify_all();
    for (const std::unique_ptr<Lane>& lane : lanes_)
        lane->stop();
}

void WorkerPool::setExceptionHandler(ExceptionHandler* handler) {
    for (const std::unique_ptr<Lane>& lane : lanes_)
        lane->setExceptionHandler(handler);
}

void WorkerPool::wakeAll() {
    // Taken and let go first, so that a thread between its look at the
    // flags and its wait cannot miss the call.
    { std::lock_guard<std::mutex> lock(queuedMutex_); }
    queuedChanged_.notify_all();
}

} // namespace TAVO
