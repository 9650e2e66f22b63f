#pragma once

#include <memory>
#include <utility>

#include "foundation/threads/Worker.h"
#include "support/FailingAllocations.h"

namespace KestruneTest {

// Runs a job with no allocation of its thread failing and, when asked, makes
// the thread's next allocation fail once the run has ended: whatever the
// worker or the pool does right after a run finds memory run out. A later
// ExhaustingJob on the same thread lets allocations pass again as it starts.
class ExhaustingJob : public TAVO::Worker::Job {
public:
    ExhaustingJob(std::unique_ptr<TAVO::Worker::Job> job, bool exhausts)
        : job_(std::move(job)), exhausts_(exhausts) {}
    void run() override {
        FailingAllocations::off();
        job_->run();
        if (exhausts_)
            FailingAllocations::failNth(1);
    }
    void done() override { job_->done(); }
    void failed() override { job_->failed(); }

private:
    std::unique_ptr<TAVO::Worker::Job> job_;
    bool exhausts_;
};

} // namespace KestruneTest
