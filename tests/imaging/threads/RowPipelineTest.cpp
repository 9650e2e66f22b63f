// The threads that reconstruct a large sequential JPEG's rows while the next
// rows are decoded: every row once, and no way out that leaves a thread
// waiting or a failure unheard.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/threads/ThreadBudget.h"
#include "imaging/codecs/jpeg/RowPipeline.h"
#include "support/AlarmDeadline.h"
#include "support/FailingAllocations.h"
#include "support/ThreadCapacity.h"

using KestruneTest::FailingAllocations;
using TAVO::ThreadBudget;
using TAVO::Migration::JPEG::RowPipeline;
using KestruneTest::AlarmDeadline;
using KestruneTest::ThreadCapacity;

namespace {

constexpr unsigned int rows = 100;

// Hands rows 0 to rows - 1 over, each a block whose bx is its number, and
// waits for the end.
void decodeRows(RowPipeline& pipeline) {
    for (unsigned int r = 0; r < rows; ++r) {
        std::unique_ptr<RowPipeline::Row> row = pipeline.take();
        EXPECT_TRUE(row->empty());
        row->resize(2);
        (*row)[0].bx = static_cast<unsigned short>(r);
        pipeline.hand(std::move(row));
    }
    pipeline.finish();
}

} // namespace

// Every row is reconstructed once, on the threads the budget grants or,
// with none, on the decoding thread as it is handed over.
TEST(RowPipeline, EveryRowIsReconstructedOnceWithOrWithoutThreads) {
    AlarmDeadline deadline;
    for (unsigned int capacity : {0u, 1u, 8u}) {
        ThreadCapacity budget(capacity);
        std::vector<std::atomic<int>> done(rows);
        std::atomic<int> elsewhere{0};
        const std::thread::id decoding = std::this_thread::get_id();
        {
            RowPipeline pipeline(3, [&](const RowPipeline::Row& row) {
                ++done[row[0].bx];
                if (std::this_thread::get_id() != decoding)
                    ++elsewhere;
            });
            EXPECT_EQ(pipeline.threads(), std::min(3u, capacity));
            decodeRows(pipeline);
        }
        for (unsigned int r = 0; r < rows; ++r)
            EXPECT_EQ(done[r].load(), 1) << r << ", capacity " << capacity;
        if (capacity == 0) {
            EXPECT_EQ(elsewhere.load(), 0);
        }
        EXPECT_EQ(ThreadBudget::inUse(), 0u);
    }
}

// A row that fails to reconstruct: its failure reaches the decoding thread
// (at its next take or at the end), the other threads stop, and none runs
// once the pipeline is gone.
TEST(RowPipeline, AFailingRowReachesTheDecodingThread) {
    AlarmDeadline deadline;
    for (unsigned int capacity : {0u, 1u, 8u})
        for (unsigned int failing : {0u, 40u, rows - 3, rows - 1}) {
            ThreadCapacity budget(capacity);
            std::atomic<int> reconstructing{0}, calls{0};
            try {
                RowPipeline pipeline(3, [&](const RowPipeline::Row& row) {
                    ++reconstructing;
                    ++calls;
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                    --reconstructing;
                    if (row[0].bx == failing)
                        throw std::runtime_error("row " + std::to_string(failing));
                });
                decodeRows(pipeline);
                ADD_FAILURE() << "no failure, capacity " << capacity << ", row " << failing;
            } catch (const std::runtime_error& e) {
                EXPECT_EQ(std::string(e.what()), "row " + std::to_string(failing));
                EXPECT_EQ(reconstructing.load(), 0);
            }
            const int seen = calls.load();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            EXPECT_EQ(calls.load(), seen);
            EXPECT_EQ(ThreadBudget::inUse(), 0u);
        }
}

// Memory running out at any point while the pipeline starts its threads:
// the threads already started are stopped and joined, and the failure
// reaches the caller.
TEST(RowPipeline, AFailureWhileTheThreadsStartStopsThoseStarted) {
    AlarmDeadline deadline;
    ThreadCapacity budget(8);
    int failures = 0;
    for (int n = 1;; ++n) {
        std::atomic<int> done{0};
        auto reconstruct = [&](const RowPipeline::Row&) { ++done; };
        FailingAllocations::failNth(n);
        try {
            RowPipeline pipeline(3, reconstruct);
            const bool reached = !FailingAllocations::pending();
            FailingAllocations::off();
            decodeRows(pipeline);
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
}
