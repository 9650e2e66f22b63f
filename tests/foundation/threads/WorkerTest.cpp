#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/exceptions/AllocateException.h"
#include "foundation/exceptions/ExceptionHandler.h"
#include "foundation/exceptions/ReleaseException.h"
#include "foundation/exceptions/UninitializedException.h"
#include "foundation/exceptions/WhatException.h"
#include "foundation/threads/Duration.h"
#include "foundation/threads/Mutex.h"
#include "foundation/threads/Runner.h"
#include "foundation/threads/Semaphore.h"
#include "foundation/threads/Worker.h"
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

// Records handled exceptions; safe to call from any thread.
class RecordingHandler : public ExceptionHandler {
public:
    void handle(const Exception& exception, const std::string& context) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(context + "|" + exception.message());
    }
    std::vector<std::string> messages() {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> messages_;
};

class ThrowingHandler : public ExceptionHandler {
public:
    void handle(const Exception&, const std::string&) override { throw std::runtime_error("handler broke"); }
};

enum class Failure { None, Tavo, Standard, Other };

// Adds "<name>:run" on the worker and "<name>:done"/"<name>:failed" on the poller.
class TraceJob : public Worker::Job {
public:
    TraceJob(JobTrace& trace, std::string name, Failure failure = Failure::None)
        : trace_(trace), name_(std::move(name)), failure_(failure) {}
    void run() override {
        trace_.add(name_ + ":run");
        switch (failure_) {
        case Failure::Tavo: throw WhatException(SourceLocation(), "job " + name_ + " failed");
        case Failure::Standard: throw std::runtime_error("standard failure");
        case Failure::Other: throw 42;
        case Failure::None: break;
        }
    }
    void done() override { trace_.add(name_ + ":done"); }
    void failed() override { trace_.add(name_ + ":failed"); }

private:
    JobTrace& trace_;
    std::string name_;
    Failure failure_;
};

// Blocks its run until released.
class GateJob : public Worker::Job {
public:
    GateJob(std::atomic<bool>& started, std::atomic<bool>& open, std::atomic<int>& delivered)
        : started_(started), open_(open), delivered_(delivered) {}
    void run() override {
        started_.store(true);
        while (!open_.load())
            std::this_thread::yield();
    }
    void done() override { delivered_.fetch_add(1); }
    void failed() override {}

private:
    std::atomic<bool>& started_;
    std::atomic<bool>& open_;
    std::atomic<int>& delivered_;
};

class CountJob : public Worker::Job {
public:
    CountJob(std::atomic<int>& ran, int& done) : ran_(ran), done_(done) {}
    void run() override { ran_.fetch_add(1); }
    void done() override { ++done_; }
    void failed() override {}

private:
    std::atomic<int>& ran_;
    int& done_;
};

} // namespace

TEST(MutexLocking, IsReentrantAndRefusesAForeignRelease) {
    Mutex mutex;
    mutex.acquire();
    mutex.acquire();
    mutex.release();
    std::thread other([&] { EXPECT_THROW(mutex.release(), ReleaseException); });
    other.join();
    mutex.release();
    EXPECT_THROW(mutex.release(), ReleaseException);
}

TEST(MutexLocking, ExcludesOtherThreads) {
    Mutex mutex;
    long long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                Mutex::Guard guard(mutex);
                Mutex::Guard again(mutex);
                ++counter;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 20000);
}

TEST(SemaphoreCounting, ReleaseBeyondTheMaximumThrows) {
    Semaphore semaphore(0, 2);
    semaphore.release();
    semaphore.release();
    try {
        semaphore.release();
        FAIL();
    } catch (const ReleaseException& e) {
        EXPECT_EQ(e.message(), "Failed to acquire semaphore. ");
    }
    semaphore.acquire();
    semaphore.acquire();
    semaphore.release();
    EXPECT_THROW(Semaphore(3, 2), AllocateException);
}

TEST(SemaphoreCounting, WakesAWaitingThread) {
    Semaphore semaphore(0);
    std::atomic<int> taken{0};
    std::thread waiter([&] {
        for (int i = 0; i < 1000; ++i) {
            semaphore.acquire();
            taken.fetch_add(1);
        }
    });
    for (int i = 0; i < 1000; ++i)
        semaphore.release();
    waiter.join();
    EXPECT_EQ(taken.load(), 1000);
}

TEST(RunnerThread, ReportsEscapedExceptionsAndClearsItsFlags) {
    class Failing : public Runner {
    public:
        void run() override { throw WhatException(SourceLocation(), "escaped"); }
    };
    RecordingHandler handler;
    Failing runner;
    runner.setExceptionHandler(&handler);
    runner.start();
    while (runner.active())
        std::this_thread::yield();
    EXPECT_FALSE(runner.running());
    runner.stop();
    ASSERT_EQ(handler.messages().size(), 1u);
    EXPECT_EQ(handler.messages()[0], runner.context() + "|escaped");
    EXPECT_NE(runner.context().find("Failing"), std::string::npos);
}

TEST(RunnerThread, WithoutHandlerAnyExceptionIsDiscarded) {
    class Failing : public Runner {
    public:
        void run() override { throw 7; }
    };
    Failing runner;
    runner.start();
    runner.stop();
    EXPECT_FALSE(runner.active());
}

TEST(WorkerJobs, DeliversInOrderOnThePollingThread) {
    JobTrace trace;
    RecordingHandler handler;
    Worker worker;
    worker.setExceptionHandler(&handler);
    worker.add(std::make_unique<TraceJob>(trace, "A"));
    worker.add(std::make_unique<TraceJob>(trace, "B", Failure::Tavo));
    worker.add(std::make_unique<TraceJob>(trace, "C"));
    worker.start();
    pollUntil(worker, [&] { return trace.entries().size() == 6; });
    worker.stop();
    const std::vector<std::string> entries = trace.entries();
    const std::vector<std::thread::id> threads = trace.threads();
    std::vector<std::string> runs, deliveries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].ends_with(":run")) {
            runs.push_back(entries[i]);
            EXPECT_NE(threads[i], std::this_thread::get_id());
        } else {
            deliveries.push_back(entries[i]);
            EXPECT_EQ(threads[i], std::this_thread::get_id());
        }
    }
    EXPECT_EQ(runs, (std::vector<std::string>{"A:run", "B:run", "C:run"}));
    EXPECT_EQ(deliveries, (std::vector<std::string>{"A:done", "B:failed", "C:done"}));
    ASSERT_EQ(handler.messages().size(), 1u);
    EXPECT_EQ(handler.messages()[0], worker.context() + "|job B failed");
}

TEST(WorkerJobs, AnyExceptionFromRunIsAFailure) {
    JobTrace trace;
    Worker worker;
    ThrowingHandler handler;   // the report itself fails as well
    worker.setExceptionHandler(&handler);
    worker.start();
    worker.add(std::make_unique<TraceJob>(trace, "S", Failure::Standard));
    worker.add(std::make_unique<TraceJob>(trace, "O", Failure::Other));
    worker.add(std::make_unique<TraceJob>(trace, "T", Failure::Tavo));
    worker.add(std::make_unique<TraceJob>(trace, "N"));
    pollUntil(worker, [&] { return trace.entries().size() == 8; });
    worker.stop();
    std::vector<std::string> deliveries;
    for (const std::string& entry : trace.entries())
        if (!entry.ends_with(":run"))
            deliveries.push_back(entry);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"S:failed", "O:failed", "T:failed", "N:done"}));
}

// Every job makes the worker thread's allocations fail once it has run,
// over enough jobs that the finished ones outgrow any room made ahead:
// each is still delivered, done and in order, and the last one runs.
TEST(WorkerJobs, AJobIsDeliveredWhenMemoryRunsOutAfterItsRun) {
    JobTrace trace;
    RecordingHandler handler;
    Worker worker;
    worker.setExceptionHandler(&handler);
    std::vector<std::string> expected;
    for (int i = 0; i <= 100; ++i) {
        const std::string name = i < 100 ? "X" + std::to_string(i) : "Z";
        worker.add(std::make_unique<ExhaustingJob>(std::make_unique<TraceJob>(trace, name), i < 100));
        expected.push_back(name + ":done");
    }
    worker.start();
    // What escapes the worker's thread ends the wait at once.
    pollUntil(worker, [&] { return worker.unfinished() == 0 || !handler.messages().empty(); });
    worker.stop();
    EXPECT_EQ(trace.deliveries(), expected);
    EXPECT_EQ(handler.messages(), std::vector<std::string>{});
}

// Memory running out at any point of an add: add throws, the job is
// neither queued nor counted, and every job added is delivered once, in
// order. Enough jobs are added that the queue grows while one is added.
TEST(WorkerJobs, AnAddThatRunsOutOfMemoryQueuesNothing) {
    JobTrace trace;
    Worker worker;
    std::vector<std::string> expected;
    int failures = 0;
    for (std::uint64_t i = 0; i < 100; ++i) {
        const std::string name = "J" + std::to_string(i);
        failures += FailingAllocations::failEachInTurn(
            [&] { worker.add(std::make_unique<TraceJob>(trace, name)); },
            [&](int n) { EXPECT_EQ(worker.unfinished(), i) << name << ", allocation " << n; });
        EXPECT_EQ(worker.unfinished(), i + 1) << name;
        expected.push_back(name + ":done");
    }
    // The job's own allocation and at least one of the add's, each time.
    EXPECT_GE(failures, 200);
    worker.start();
    worker.stopDraining();
    EXPECT_EQ(worker.poll(), 100u);
    EXPECT_EQ(trace.deliveries(), expected);
}

TEST(WorkerJobs, PollWithNothingFinishedReturnsAtOnce) {
    Worker worker;
    worker.poll();
    EXPECT_THROW(worker.add(nullptr), UninitializedException);
}

// The poller learns how many completions ran, failed jobs' among them.
TEST(WorkerJobs, PollCountsTheJobsItDelivers) {
    Worker worker;
    RecordingHandler handler;
    worker.setExceptionHandler(&handler);
    EXPECT_EQ(worker.poll(), 0u);
    JobTrace trace;
    worker.add(std::make_unique<TraceJob>(trace, "A"));
    worker.add(std::make_unique<TraceJob>(trace, "B", Failure::Tavo));
    worker.add(std::make_unique<TraceJob>(trace, "C"));
    worker.start();
    worker.stopDraining();
    EXPECT_EQ(worker.poll(), 3u);
    EXPECT_EQ(worker.poll(), 0u);
    EXPECT_EQ(worker.unfinished(), 0u);
}

TEST(WorkerLifecycle, StopWhileIdleReturnsAndRestartRunsQueuedJobs) {
    Worker worker;
    worker.start();
    worker.start();   // a second start creates no second thread
    EXPECT_TRUE(worker.started());
    worker.stop();
    worker.stop();
    EXPECT_FALSE(worker.started());
    EXPECT_FALSE(worker.active());

    std::atomic<int> ran{0};
    int done = 0;
    for (int i = 0; i < 5; ++i)
        worker.add(std::make_unique<CountJob>(ran, done));
    worker.poll();
    EXPECT_EQ(done, 0);   // nothing runs while stopped
    worker.start();
    pollUntil(worker, [&] { return done == 5; });
    EXPECT_EQ(done, 5);
    EXPECT_EQ(ran.load(), 5);
}

TEST(WorkerLifecycle, StopDuringAJobWaitsForIt) {
    std::atomic<bool> started{false}, open{false};
    std::atomic<int> delivered{0};
    Worker worker;
    worker.add(std::make_unique<GateJob>(started, open, delivered));
    worker.start();
    while (!started.load())
        std::this_thread::yield();
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        worker.stop();
        stopped.store(true);
    });
    // The stop has been asked (running is cleared) while the job runs; the
    // pause gives a stop that does not wait the time to return.
    EXPECT_TRUE(waitUntil([&] { return !worker.running(); })) << "the stop was never asked";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(stopped.load());
    open.store(true);
    stopper.join();
    EXPECT_TRUE(stopped.load());
    EXPECT_EQ(delivered.load(), 0);
    worker.poll();
    EXPECT_EQ(delivered.load(), 1);
}

TEST(WorkerLifecycle, DestroyingAStartedWorkerJoinsItsThread) {
    std::atomic<int> ran{0};
    int done = 0;
    {
        Worker worker;
        worker.start();
        for (int i = 0; i < 100; ++i)
            worker.add(std::make_unique<CountJob>(ran, done));
    }
    EXPECT_LE(ran.load(), 100);
    EXPECT_EQ(done, 0);
}

TEST(WorkerLifecycle, AJobMayStopItsOwnWorker) {
    class StopJob : public Worker::Job {
    public:
        explicit StopJob(Worker& worker) : worker_(worker) {}
        void run() override { worker_.stop(); }
        void done() override {}
        void failed() override {}

    private:
        Worker& worker_;
    };
    Worker worker;
    worker.start();
    worker.add(std::make_unique<StopJob>(worker));
    while (worker.running() || worker.active())
        std::this_thread::yield();
    worker.stop();
    EXPECT_FALSE(worker.started());
}

TEST(WorkerLoad, TenThousandJobsFromTwoThreads) {
    std::atomic<int> ran{0};
    int done = 0;
    Worker worker;
    worker.start();
    auto adder = [&] {
        for (int i = 0; i < 5000; ++i)
            worker.add(std::make_unique<CountJob>(ran, done));
    };
    std::thread first(adder);
    std::thread second(adder);
    pollUntil(worker, [&] { return done == 10000; });
    first.join();
    second.join();
    pollUntil(worker, [&] { return done == 10000; });
    worker.stop();
    EXPECT_EQ(ran.load(), 10000);
    EXPECT_EQ(done, 10000);
}

TEST(RunnableSleep, SleepsAtLeastTheDuration) {
    const auto before = std::chrono::steady_clock::now();
    Runnable::sleep(Duration(5));
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(5));
}

// A job that queues one more job from its own run, as saves queued by a
// running job would be.
class ChainJob : public Worker::Job {
public:
    ChainJob(Worker& worker, std::atomic<int>& ran, int& done) : worker_(worker), ran_(ran), done_(done) {}
    void run() override {
        ran_.fetch_add(1);
        worker_.add(std::make_unique<CountJob>(ran_, done_));
    }
    void done() override { ++done_; }
    void failed() override {}

private:
    Worker& worker_;
    std::atomic<int>& ran_;
    int& done_;
};

TEST(WorkerDraining, RunsEveryQueuedJobBeforeStopping) {
    std::atomic<bool> started{false}, open{false};
    std::atomic<int> delivered{0}, ran{0};
    int done = 0;
    Worker worker;
    worker.add(std::make_unique<GateJob>(started, open, delivered));
    for (int i = 0; i < 200; ++i)
        worker.add(std::make_unique<CountJob>(ran, done));
    worker.add(std::make_unique<ChainJob>(worker, ran, done));
    worker.start();
    while (!started.load())
        std::this_thread::yield();
    // The stop request arrives while the queue is still full: the gate opens
    // only once running is cleared, which stopDraining does after it has
    // asked for the drain.
    std::thread stopper([&] { worker.stopDraining(); });
    EXPECT_TRUE(waitUntil([&] { return !worker.running(); })) << "the stop was never asked";
    open.store(true);
    stopper.join();
    EXPECT_FALSE(worker.started());
    EXPECT_EQ(ran.load(), 202);
    EXPECT_EQ(worker.unfinished(), 203u);
    worker.poll();
    EXPECT_EQ(done, 202);
    EXPECT_EQ(delivered.load(), 1);
    EXPECT_EQ(worker.unfinished(), 0u);
}

TEST(WorkerDraining, APlainStopStillLeavesQueuedJobsForALaterStart) {
    std::atomic<bool> started{false}, open{false};
    std::atomic<int> delivered{0}, ran{0};
    int done = 0;
    Worker worker;
    worker.add(std::make_unique<GateJob>(started, open, delivered));
    for (int i = 0; i < 50; ++i)
        worker.add(std::make_unique<CountJob>(ran, done));
    worker.start();
    while (!started.load())
        std::this_thread::yield();
    // The gate opens only once the stop has been asked (running is cleared):
    // the worker then takes none of the queued jobs.
    std::thread stopper([&] { worker.stop(); });
    EXPECT_TRUE(waitUntil([&] { return !worker.running(); })) << "the stop was never asked";
    open.store(true);
    stopper.join();
    EXPECT_EQ(ran.load(), 0);
    // What stayed queued drains on the next start.
    worker.start();
    worker.stopDraining();
    worker.poll();
    EXPECT_EQ(ran.load(), 50);
    EXPECT_EQ(done, 50);
    EXPECT_EQ(worker.unfinished(), 0u);
}
