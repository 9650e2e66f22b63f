// The threads that reconstruct a large sequential JPEG's rows while the next
// rows are decoded: every row once, and no way out that leaves a thread
// waiting or a failure unheard. Each test's body runs in a child process with
// a deadline, so that a way out that leaves a thread waiting fails the test,
// naming what the body waited for last, instead of ending the test program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/threads/ThreadBudget.h"
#include "imaging/codecs/jpeg/RowPipeline.h"
#include "support/AlarmDeadline.h"
#include "support/ChildProcess.h"
#include "support/FailingAllocations.h"
#include "support/ThreadCapacity.h"

using KestruneTest::FailingAllocations;
using TAVO::ThreadBudget;
using TAVO::Migration::JPEG::RowPipeline;
using KestruneTest::AlarmDeadline;
using KestruneTest::ChildProcess;
using KestruneTest::ThreadCapacity;

namespace {

constexpr unsigned int rows = 100;

// Ample for the tests under ThreadSanitizer on a loaded machine, which take a
// fraction of a second alone.
constexpr std::chrono::seconds deadline{20};

// Runs a test's body in a child process that is killed when it has not
// ended by the deadline.
void withinDeadline(const std::function<void()>& body) {
    AlarmDeadline lastGuard;
    ChildProcess::run(
        [&] {
            body();
            return std::string();
        },
        deadline);
}

// In the body: what it waits for next, named when the child is killed.
void waitingFor(const std::string& what) {
    ChildProcess::say("waiting for " + what + "\n");
}

// Declared after a pipeline, names its destructor, on every way out of the
// scope, as the destructor begins.
struct DestructorNamed {
    std::string run;
    ~DestructorNamed() { waitingFor("the pipeline's destructor, " + run); }
};

// Hands rows 0 to rows - 1 over, each a block whose bx is its number, and
// waits for the end.
void decodeRows(RowPipeline& pipeline, const std::string& run) {
    waitingFor("take, " + run);
    for (unsigned int r = 0; r < rows; ++r) {
        std::unique_ptr<RowPipeline::Row> row = pipeline.take();
        EXPECT_TRUE(row->empty());
        row->resize(2);
        (*row)[0].bx = static_cast<unsigned short>(r);
        pipeline.hand(std::move(row));
    }
    waitingFor("finish, " + run);
    pipeline.finish();
}

} // namespace

// Every row is reconstructed once, on the threads the budget grants or,
// with none, on the decoding thread as it is handed over.
TEST(RowPipeline, EveryRowIsReconstructedOnceWithOrWithoutThreads) {
    withinDeadline([] {
        for (unsigned int capacity : {0u, 1u, 8u}) {
            ThreadCapacity budget(capacity);
            std::vector<std::atomic<int>> done(rows);
            std::atomic<int> elsewhere{0};
            const std::thread::id decoding = std::this_thread::get_id();
            const std::string run = "capacity " + std::to_string(capacity);
            {
                RowPipeline pipeline(3, [&](const RowPipeline::Row& row) {
                    ++done[row[0].bx];
                    if (std::this_thread::get_id() != decoding)
                        ++elsewhere;
                });
                const DestructorNamed named{run};
                EXPECT_EQ(pipeline.threads(), std::min(3u, capacity));
                decodeRows(pipeline, run);
            }
            for (unsigned int r = 0; r < rows; ++r)
                EXPECT_EQ(done[r].load(), 1) << r << ", capacity " << capacity;
            if (capacity == 0) {
                EXPECT_EQ(elsewhere.load(), 0);
            }
            EXPECT_EQ(ThreadBudget::inUse(), 0u);
        }
    });
}

// A row that fails to reconstruct: its failure reaches the decoding thread
// (at its next take or at the end), the other threads stop, and none runs
// once the pipeline is gone.
TEST(RowPipeline, AFailingRowReachesTheDecodingThread) {
    withinDeadline([] {
        for (unsigned int capacity : {0u, 1u, 8u})
            for (unsigned int failing : {0u, 40u, rows - 3, rows - 1}) {
                ThreadCapacity budget(capacity);
                std::atomic<int> reconstructing{0}, calls{0};
                const std::string run = "capacity " + std::to_string(capacity) + ", failing row " +
                                        std::to_string(failing);
                try {
                    RowPipeline pipeline(3, [&](const RowPipeline::Row& row) {
                        ++reconstructing;
                        ++calls;
                        std::this_thread::sleep_for(std::chrono::microseconds(200));
                        --reconstructing;
                        if (row[0].bx == failing)
                            throw std::runtime_error("row " + std::to_string(failing));
                    });
                    const DestructorNamed named{run};
                    decodeRows(pipeline, run);
                    ADD_FAILURE() << "no failure, " << run;
                } catch (const std::runtime_error& e) {
                    EXPECT_EQ(std::string(e.what()), "row " + std::to_string(failing));
                    EXPECT_EQ(reconstructing.load(), 0);
                }
                const int seen = calls.load();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                EXPECT_EQ(calls.load(), seen);
                EXPECT_EQ(ThreadBudget::inUse(), 0u);
            }
    });
}

// Memory running out at any point while the pipeline starts its threads:
// the threads already started are stopped and joined, and the failure
// reaches the caller.
TEST(RowPipeline, AFailureWhileTheThreadsStartStopsThoseStarted) {
    withinDeadline([] {
        ThreadCapacity budget(8);
        int failures = 0;
        for (int n = 1;; ++n) {
            std::atomic<int> done{0};
            auto reconstruct = [&](const RowPipeline::Row&) { ++done; };
            const std::string run = "allocation " + std::to_string(n) + " failing";
            waitingFor("the pipeline's constructor, " + run);
            FailingAllocations::failNth(n);
            try {
                RowPipeline pipeline(3, reconstruct);
                const bool reached = !FailingAllocations::pending();
                FailingAllocations::off();
                const DestructorNamed named{run};
                decodeRows(pipeline, run);
                EXPECT_EQ(done.load(), int(rows));
                if (!reached) {
                    EXPECT_EQ(pipeline.threads(), 3u);
                    break;
                }
            } catch (const std::bad_alloc&) {
                FailingAllocations::off();
                ++failures;
            }
            EXPECT_EQ(ThreadBudget::inUse(), 0u) << n;
        }
        EXPECT_GT(failures, 3);
    });
}
