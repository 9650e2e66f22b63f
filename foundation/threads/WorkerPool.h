#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "foundation/threads/Mutex.h"
#include "foundation/threads/Worker.h"

namespace TAVO {

class ExceptionHandler;

// Runs jobs as a Worker does, on several threads of its own: each thread
// takes the next job added as soon as it is free, so that as many jobs run
// side by side as there are threads. Their done or failed steps are still
// delivered by poll in the order the jobs were added: a job that finishes
// early waits there for the ones added before it. Whatever a job's
// completion needs is made when it is added, so every job added is
// delivered once it has run, even when memory has run out meanwhile.
class WorkerPool {
public:
    // At least one thread, whatever is asked.
    explicit WorkerPool(std::uint32_t threads);
    // Stops first; jobs still queued or not delivered are destroyed without
    // done or failed.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Takes ownership of the job and queues it. May be called from any
    // thread, also from a job. A job for the first thread runs there only,
    // after the ones for it added before: jobs that allocate much then keep
    // to one thread, whose freed memory the next one reuses. A null job
    // throws UninitializedException; when memory runs out the allocation's
    // exception leaves add, and the job is neither queued nor counted.
    void add(std::unique_ptr<Worker::Job> job, bool firstThread = false);
    // Delivers through done or failed, in the order added, every finished
    // job whose predecessors are all delivered; the number delivered. An
    // exception from done or failed leaves poll; later entries stay queued.
    std::uint64_t poll();
    // Jobs added and not yet handed to done or failed by poll.
    std::uint64_t unfinished() const { return unfinished_.load(); }
    std::uint32_t threads() const { return std::uint32_t(lanes_.size()); }

    // Starts the threads not running (AllocateException "thread" when one
    // cannot be made; those made run on).
    void start();
    // Lets the jobs being run end, then ends every thread; jobs still queued
    // wait for a later start. Not to be called from a job.
    void stop();
    // Not owned; what escapes a job's run goes to it, from the pool's threads.
    void setExceptionHandler(ExceptionHandler* handler);

private:
    class Lane;
    struct Finished {
        std::shared_ptr<Worker::Job> job;
        bool success = false;
    };
    using FinishedMap = std::map<std::uint64_t, Finished>;
    struct Queued {
        // The job's entry of finished_, made when it is added and keyed by
        // the number given then; its thread moves it in without allocating.
        FinishedMap::node_type slot;
        bool firstThread = false;
    };

    // Under queuedMutex_: the next queued job the thread may take, or end.
    std::deque<Queued>::iterator next(bool firstThread);
    // Cannot fail: the entry's node goes into finished_ as it is.
    void finished(Queued& entry, bool success);
    // Lets every waiting thread look at the queue again.
    void wakeAll();

    std::mutex queuedMutex_;
    std::condition_variable queuedChanged_;
    std::deque<Queued> queued_;
    std::uint64_t added_ = 0;
    bool stopping_ = false;
    std::atomic<std::uint64_t> unfinished_{0};
    Mutex finishedMutex_;
    // By the number given when added.
    FinishedMap finished_;
    std::uint64_t delivered_ = 0;
    std::vector<std::unique_ptr<Lane>> lanes_;
};

} // namespace TAVO
