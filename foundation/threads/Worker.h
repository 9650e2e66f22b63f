#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>

#include "foundation/threads/Mutex.h"
#include "foundation/threads/Runner.h"
#include "foundation/threads/Semaphore.h"

namespace TAVO {

// Runs jobs one at a time on its own thread, in the order they were added.
// A job's run step runs on the worker thread; its done or failed step runs on
// the thread that calls poll. Whatever a job's completion needs is made when
// it is added, so every job added is delivered once it has run, even when
// memory has run out meanwhile.
class Worker : public Runner {
public:
    class Job {
    public:
        virtual ~Job() = default;
        // On the worker thread.
        virtual void run() = 0;
        // On the polling thread, after run returned normally.
        virtual void done() = 0;
        // On the polling thread, after run threw.
        virtual void failed() = 0;
    };

    Worker();
    // Runs the job's run step on the calling thread; what escapes it goes to
    // the reporter's exception handler. Whether run returned normally.
    static bool runJob(Job& job, const Runnable& reporter);
    // Stops and joins a started thread first; jobs still queued are destroyed
    // without done or failed.
    ~Worker() override;

    // Takes ownership of the job and queues it. May be called from any thread.
    // A null job throws UninitializedException; when memory runs out the
    // allocation's exception leaves add, and the job is neither queued nor
    // counted.
    void add(std::unique_ptr<Job> job);
    // Delivers every finished job through done or failed, in order; the
    // number delivered. An exception from done or failed leaves poll; later
    // entries stay queued.
    std::uint64_t poll();
    // Lets every job queued so far (and every job those add while they run)
    // run to its end, then stops as stop does. Their done or failed steps wait
    // for the next poll. Called on the worker's own thread it stops as stop.
    void stopDraining();
    // Jobs added and not yet handed to done or failed by poll.
    std::uint64_t unfinished() const { return unfinished_.load(); }

    void run() override;
    // Wakes the worker loop once.
    void wake() override;

private:
    struct Entry {
        std::shared_ptr<Job> job;
        bool success = false;
    };

    // Moves the next pending entry to taken; false when there is none.
    bool next(std::list<Entry>& taken);

    Semaphore jobSemaphore_;
    std::atomic<bool> draining_{false};
    std::atomic<std::uint64_t> unfinished_{0};
    // A job's entry is made once, when it is added, and after that only
    // moves from one list to another (splice), which cannot fail.
    Mutex pendingMutex_;
    std::list<Entry> pending_;
    Mutex finishedMutex_;
    std::list<Entry> finished_;
};

} // namespace TAVO
