#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/exceptions/ExceptionHandler.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/threads/WorkerPool.h"
#include "support/ExhaustingJob.h"
#include "support/FailingAllocations.h"
#include "support/JobTrace.h"
#include "support/PollUntil.h"

using namespace TAVO;
using KestruneTest::ExhaustingJob;
using KestruneTest::FailingAllocations;
using KestruneTest::JobTrace;
using KestruneTest::pollUntil;
using KestruneTest::waitUntil;

namespace {

class CountingHandler : public ExceptionHandler {
public:
    void handle(const Exception&, const std::string&) override { count.fetch_add(1); }
    std::atomic<int> count{0};
};

// Records its steps; its run waits (at most ten seconds) for the condition
// first, and then throws when asked to.
class StepJob : public Worker::Job {
public:
    StepJob(JobTrace& record, std::string name, std::function<bool()> waitFor = {}, bool throws = false)
        : record_(record), name_(std::move(name)), waitFor_(std::move(waitFor)), throws_(throws) {}
    void run() override {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (waitFor_ && !waitFor_() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        record_.add(name_ + ":run");
        if (throws_)
            throw std::runtime_error("job " + name_ + " failed");
    }
    void done() override { record_.add(name_ + ":done"); }
    void failed() override { record_.add(name_ + ":failed"); }

private:
    JobTrace& record_;
    std::string name_;
    std::function<bool()> waitFor_;
    bool throws_;
};

bool has(JobTrace& record, const std::string& entry) {
    for (const std::string& e : record.entries())
        if (e == entry)
            return true;
    return false;
}

} // namespace

// The first job is held until the second has run beside it, and the
// second, finished first, waits its turn.
TEST(WorkerPoolJobs, RunSideBySideAndAreDeliveredInTheOrderAdded) {
    JobTrace record;
    std::atomic<bool> open{false};
    WorkerPool pool(2);
    EXPECT_EQ(pool.threads(), 2u);
    pool.add(std::make_unique<StepJob>(record, "A", [&] { return open.load(); }));
    pool.add(std::make_unique<StepJob>(record, "B"));
    pool.add(std::make_unique<StepJob>(record, "C"));
    EXPECT_EQ(pool.unfinished(), 3u);
    pool.start();
    ASSERT_TRUE(waitUntil([&] { return has(record, "B:run"); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(pool.poll(), 0u);
    open.store(true);
    pollUntil(pool, [&] { return record.deliveries().size() == 3; });
    pool.stop();
    EXPECT_EQ(record.deliveries(), (std::vector<std::string>{"A:done", "B:done", "C:done"}));
    const std::vector<std::string> entries = record.entries();
    EXPECT_EQ(entries[0], "B:run");
    const std::vector<std::thread::id> threads = record.threads();
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(threads[i] == std::this_thread::get_id(), !entries[i].ends_with(":run")) << entries[i];
    EXPECT_EQ(pool.unfinished(), 0u);
}

TEST(WorkerPoolJobs, AFailedRunIsDeliveredInItsPlaceAndReported) {
    JobTrace record;
    CountingHandler handler;
    WorkerPool pool(3);
    pool.setExceptionHandler(&handler);
    std::atomic<bool> open{false};
    pool.add(std::make_unique<StepJob>(record, "A", [&] { return open.load(); }));
    pool.add(std::make_unique<StepJob>(record, "B", nullptr, true));
    pool.add(std::make_unique<StepJob>(record, "C"));
    pool.start();
    ASSERT_TRUE(waitUntil([&] { return has(record, "C:run"); }));
    open.store(true);
    pollUntil(pool, [&] { return record.deliveries().size() == 3; });
    pool.stop();
    EXPECT_EQ(record.deliveries(), (std::vector<std::string>{"A:done", "B:failed", "C:done"}));
    EXPECT_EQ(handler.count.load(), 1);
    EXPECT_THROW(pool.add(nullptr), UninitializedException);
    EXPECT_EQ(WorkerPool(0).threads(), 1u);
}

// Jobs for the first thread keep to it: one waits while that thread is
// busy, however many others are free, and the rest run beside them.
TEST(WorkerPoolJobs, JobsForTheFirstThreadKeepToIt) {
    JobTrace record;
    std::atomic<bool> open{false};
    WorkerPool pool(3);
    pool.add(std::make_unique<StepJob>(record, "A", [&] { return open.load(); }), true);
    pool.add(std::make_unique<StepJob>(record, "B"));
    pool.add(std::make_unique<StepJob>(record, "C"), true);
    pool.add(std::make_unique<StepJob>(record, "D"));
    pool.start();
    ASSERT_TRUE(waitUntil([&] { return has(record, "D:run"); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(has(record, "C:run"));
    open.store(true);
    pollUntil(pool, [&] { return record.deliveries().size() == 4; });
    pool.stop();
    EXPECT_EQ(record.deliveries(), (std::vector<std::string>{"A:done", "B:done", "C:done", "D:done"}));
    const std::vector<std::string> entries = record.entries();
    const std::vector<std::thread::id> threads = record.threads();
    auto ranOn = [&](const std::string& name) {
        return threads[std::size_t(std::find(entries.begin(), entries.end(), name + ":run") - entries.begin())];
    };
    EXPECT_EQ(ranOn("A"), ranOn("C"));
    EXPECT_NE(ranOn("A"), ranOn("B"));
    EXPECT_NE(ranOn("A"), ranOn("D"));
}

// As a Worker's: an exception from a completion leaves poll, and the rest
// come at the next one.
TEST(WorkerPoolJobs, ACompletionThatThrowsLeavesTheRestForTheNextPoll) {
    class ThrowingDone : public Worker::Job {
    public:
        void run() override {}
        void done() override { throw std::runtime_error("done broke"); }
        void failed() override {}
    };
    JobTrace record;
    WorkerPool pool(2);
    pool.add(std::make_unique<ThrowingDone>());
    pool.add(std::make_unique<StepJob>(record, "B"));
    pool.start();
    // The stop waits for both runs, the first having been taken first.
    ASSERT_TRUE(waitUntil([&] { return has(record, "B:run"); }));
    pool.stop();
    EXPECT_THROW(pool.poll(), std::runtime_error);
    EXPECT_EQ(pool.unfinished(), 1u);
    EXPECT_EQ(pool.poll(), 1u);
    EXPECT_EQ(record.deliveries(), std::vector<std::string>{"B:done"});
}

// A stop lets the jobs running end and leaves the queued ones for a later start.
TEST(WorkerPoolLifecycle, StopLeavesQueuedJobsForALaterStart) {
    JobTrace record;
    std::atomic<bool> open{false};
    WorkerPool pool(2);
    pool.add(std::make_unique<StepJob>(record, "A", [&] { return open.load(); }));
    pool.add(std::make_unique<StepJob>(record, "B", [&] { return open.load(); }));
    for (int i = 0; i < 20; ++i)
        pool.add(std::make_unique<StepJob>(record, "Q" + std::to_string(i)));
    pool.start();
    // The gates open only once the stopping thread is on its way into stop:
    // the pool shows nothing of a stop asked, so the stopper says so itself,
    // right before the call. The pause after it leaves the stopper the time
    // for the few steps from there into stop's lock.
    std::atomic<bool> stopping{false};
    std::thread stopper([&] {
        stopping.store(true);
        pool.stop();
    });
    EXPECT_TRUE(waitUntil([&] { return stopping.load(); })) << "the stopping thread never ran";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    open.store(true);
    stopper.join();
    const std::size_t ran = record.entries().size();
    EXPECT_LE(ran, 2u);
    pool.poll();
    pool.start();
    pollUntil(pool, [&] { return record.deliveries().size() == 22; });
    pool.stop();
    const std::vector<std::string> delivered = record.deliveries();
    ASSERT_EQ(delivered.size(), 22u);
    EXPECT_EQ(delivered[0], "A:done");
    EXPECT_EQ(delivered[21], "Q19:done");
}

// Jobs added from several threads and from the pool's own jobs all run once
// and are delivered once, those of one adder in its order.
TEST(WorkerPoolLoad, JobsFromSeveralThreadsAndFromJobs) {
    class Chain : public Worker::Job {
    public:
        Chain(WorkerPool& pool, JobTrace& record, int left) : pool_(pool), record_(record), left_(left) {}
        void run() override {
            if (left_ > 0)
                pool_.add(std::make_unique<Chain>(pool_, record_, left_ - 1));
        }
        void done() override { record_.add("chain:" + std::to_string(left_)); }
        void failed() override {}

    private:
        WorkerPool& pool_;
        JobTrace& record_;
        int left_;
    };
    JobTrace record;
    WorkerPool pool(4);
    pool.start();
    auto adder = [&](const std::string& name) {
        for (int i = 0; i < 500; ++i)
            pool.add(std::make_unique<StepJob>(record, name + std::to_string(i)));
    };
    std::thread first(adder, "x");
    std::thread second(adder, "y");
    pool.add(std::make_unique<Chain>(pool, record, 50));
    first.join();
    second.join();
    pollUntil(pool, [&] { return pool.unfinished() == 0; });
    pool.stop();
    int x = 0, y = 0, chain = 50;
    for (const std::string& entry : record.deliveries()) {
        if (entry.starts_with("x"))
            EXPECT_EQ(entry, "x" + std::to_string(x++) + ":done");
        else if (entry.starts_with("y"))
            EXPECT_EQ(entry, "y" + std::to_string(y++) + ":done");
        else
            EXPECT_EQ(entry, "chain:" + std::to_string(chain--));
    }
    EXPECT_EQ(x, 500);
    EXPECT_EQ(y, 500);
    EXPECT_EQ(chain, -1);
}

// Only the first thread may take a job for it, so an add wakes every
// waiting thread: each job, added while all four threads wait, runs and is
// delivered before the next is added.
TEST(WorkerPoolJobs, EachJobAddedToAnIdlePoolRunsAndIsDelivered) {
    JobTrace record;
    WorkerPool pool(4);
    pool.start();
    for (int i = 0; i < 60; ++i) {
        const bool firstThread = i % 3 != 2;
        const std::string name = (firstThread ? "F" : "A") + std::to_string(i);
        pool.add(std::make_unique<StepJob>(record, name), firstThread);
        pollUntil(pool, [&] { return has(record, name + ":done"); });
        ASSERT_TRUE(has(record, name + ":done"))
            << name << " not delivered, " << (has(record, name + ":run") ? "though run" : "never run");
        // The thread that ran it waits again too.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    pool.stop();
    EXPECT_EQ(pool.unfinished(), 0u);
}

// The first thread's jobs each make its allocations fail once they have
// run: every job is still delivered, done and in its turn, and the first
// thread goes on to run the last job.
TEST(WorkerPoolJobs, AJobIsDeliveredWhenMemoryRunsOutAfterItsRun) {
    JobTrace record;
    CountingHandler handler;
    WorkerPool pool(2);
    pool.setExceptionHandler(&handler);
    std::vector<std::string> expected;
    for (int i = 0; i <= 40; ++i) {
        // X for the first thread, Y for any, the last one Z for the first.
        const bool exhausts = i % 2 == 0 && i < 40;
        const std::string name = i == 40 ? "Z" : (exhausts ? "X" : "Y") + std::to_string(i);
        pool.add(std::make_unique<ExhaustingJob>(std::make_unique<StepJob>(record, name), exhausts), i % 2 == 0);
        expected.push_back(name + ":done");
    }
    pool.start();
    // What escapes a thread of the pool ends the wait at once.
    pollUntil(pool, [&] { return pool.unfinished() == 0 || handler.count.load() > 0; });
    pool.stop();
    EXPECT_EQ(record.deliveries(), expected);
    EXPECT_EQ(handler.count.load(), 0);
    const std::vector<std::string> entries = record.entries();
    const std::vector<std::thread::id> threads = record.threads();
    const auto ranOn = [&](const std::string& name) {
        const auto found = std::find(entries.begin(), entries.end(), name + ":run");
        return found == entries.end() ? std::thread::id() : threads[std::size_t(found - entries.begin())];
    };
    EXPECT_NE(ranOn("Z"), std::thread::id());
    EXPECT_EQ(ranOn("Z"), ranOn("X0"));
}

// Memory running out at any point of an add: add throws, the job is
// neither queued nor counted, and every job added is delivered once, in
// order. Enough jobs are added that the queue grows while one is added.
TEST(WorkerPoolJobs, AnAddThatRunsOutOfMemoryQueuesNothing) {
    JobTrace record;
    WorkerPool pool(2);
    std::vector<std::string> expected;
    int failures = 0;
    for (std::uint64_t i = 0; i < 100; ++i) {
        const std::string name = "J" + std::to_string(i);
        failures += FailingAllocations::failEachInTurn(
            [&] { pool.add(std::make_unique<StepJob>(record, name), i % 2 == 0); },
            [&](int n) { EXPECT_EQ(pool.unfinished(), i) << name << ", allocation " << n; });
        EXPECT_EQ(pool.unfinished(), i + 1) << name;
        expected.push_back(name + ":done");
    }
    // The job's own allocation and at least one of the add's, each time.
    EXPECT_GE(failures, 200);
    pool.start();
    pollUntil(pool, [&] { return record.deliveries().size() == expected.size(); });
    pool.stop();
    EXPECT_EQ(record.deliveries(), expected);
}
