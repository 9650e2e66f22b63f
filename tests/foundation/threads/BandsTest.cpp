#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "foundation/threads/Bands.h"
#include "foundation/threads/TaskThread.h"
#include "foundation/threads/ThreadBudget.h"
#include "RefusedThreads.h"
#include "support/AlarmDeadline.h"
#include "support/ThreadCapacity.h"

using TAVO::Bands;
using TAVO::ThreadBudget;
using ThreadsTest::RefusedThreads;
using KestruneTest::AlarmDeadline;
using KestruneTest::ThreadCapacity;

namespace {

void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// The threads that ran the bands.
class Threads {
public:
    void add() {
        std::lock_guard<std::mutex> lock(guard_);
        ids_.insert(std::this_thread::get_id());
    }
    std::size_t count() {
        std::lock_guard<std::mutex> lock(guard_);
        return ids_.size();
    }

private:
    std::mutex guard_;
    std::set<std::thread::id> ids_;
};

} // namespace

// Every band runs once, however many threads the budget grants; with none
// the caller runs them all, in order.
TEST(Bands, EveryBandRunsOnceWhateverThreadsThereAre) {
    AlarmDeadline deadline;
    for (unsigned int capacity : {0u, 1u, 3u, 16u})
        for (unsigned int count : {0u, 1u, 2u, 7u, 50u}) {
            ThreadCapacity budget(capacity);
            std::vector<std::atomic<int>> runs(count);
            std::vector<unsigned int> order;
            std::mutex guard;
            Threads threads;
            Bands::run(count, [&](unsigned int k) {
                ++runs[k];
                threads.add();
                std::lock_guard<std::mutex> lock(guard);
                order.push_back(k);
            });
            for (unsigned int k = 0; k < count; ++k)
                EXPECT_EQ(runs[k].load(), 1) << k << " of " << count << ", capacity " << capacity;
            EXPECT_LE(threads.count(), std::size_t(capacity) + 1);
            if (capacity == 0 && count > 0) {
                EXPECT_EQ(threads.count(), 1u);
                EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
            }
            EXPECT_EQ(ThreadBudget::inUse(), 0u);
        }
}

// Threads the system refuses part-way: the bands go to the threads made and
// the caller, and every thread of the budget comes back.
// A thread another user gives back while bands run joins them: the bands
// left are shared, not all run by the caller because none was free at first.
TEST(Bands, AThreadGivenBackWhileBandsRunJoinsThem) {
    AlarmDeadline deadline;
    ThreadCapacity budget(1);
    std::atomic<bool> release{false};
    TAVO::TaskThread holder([&] {
        while (!release.load())
            pause(1);
    });
    ASSERT_TRUE(holder.separate());
    std::vector<std::atomic<int>> runs(40);
    Threads threads;
    // The caller's first band lets the holder go and waits until its thread
    // is back in the budget; every later band waits until a second thread has
    // run one. The waits end ten seconds after the start at the latest, so a
    // thread that never joins leaves one thread to count.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    auto waitUntil = [&](const std::function<bool()>& condition) {
        while (!condition() && std::chrono::steady_clock::now() < end)
            pause(1);
    };
    Bands::run(40, [&](unsigned int k) {
        ++runs[k];
        threads.add();
        release.store(true);
        if (k == 0)
            waitUntil([] { return ThreadBudget::inUse() == 0; });
        else
            waitUntil([&] { return threads.count() == 2; });
    });
    holder.join();
    for (const auto& r : runs)
        EXPECT_EQ(r.load(), 1);
    EXPECT_EQ(threads.count(), 2u);
    EXPECT_EQ(ThreadBudget::inUse(), 0u);
}

TEST(Bands, ThreadsRefusedPartWayLeaveTheirBandsToTheOthers) {
    AlarmDeadline deadline;
    ThreadCapacity budget(6);
    for (int allowed : {0, 1, 2}) {
        std::vector<std::atomic<int>> runs(12);
        Threads threads;
        {
            RefusedThreads refusal(allowed);
            Bands::run(12, [&](unsigned int k) {
                threads.add();
                pause(2);
                ++runs[k];
            });
        }
        for (unsigned int k = 0; k < 12; ++k)
            EXPECT_EQ(runs[k].load(), 1) << k << ", " << allowed << " allowed";
        EXPECT_LE(threads.count(), std::size_t(allowed) + 1);
        EXPECT_EQ(ThreadBudget::inUse(), 0u);
    }
}

// The failure of the lowest failing band reaches the caller, also when a
// higher band fails first, and only once every band taken has ended: no
// band runs after the caller has it.
TEST(Bands, TheLowestFailingBandReachesTheCallerAfterEveryBandEnds) {
    AlarmDeadline deadline;
    for (unsigned int capacity : {0u, 4u}) {
        ThreadCapacity budget(capacity);
        std::atomic<int> started{0}, inside{0};
        try {
            Bands::run(40, [&](unsigned int k) {
                ++started;
                ++inside;
                pause(k == 7 ? 30 : 1);
                --inside;
                if (k == 7 || k == 9 || k == 23)
                    throw std::runtime_error("band " + std::to_string(k));
            });
            ADD_FAILURE() << "no failure, capacity " << capacity;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "band 7") << capacity;
            EXPECT_EQ(inside.load(), 0) << capacity;
        }
        const int seen = started.load();
        pause(20);
        EXPECT_EQ(started.load(), seen) << capacity;
        // Alone, the caller stops at the first failure, as a loop would.
        if (capacity == 0) {
            EXPECT_EQ(seen, 8);
        }
        EXPECT_EQ(ThreadBudget::inUse(), 0u);
    }
}

// Bands inside bands, from two callers at once: the threads running bands
// at any time are never more than the callers and the budget.
TEST(Bands, NestedAndSideBySideUsersStayWithinTheBudget) {
    AlarmDeadline deadline;
    ThreadCapacity budget(3);
    std::atomic<int> active{0}, most{0}, inner{0};
    thread_local int depth = 0;
    auto enter = [&] {
        if (depth++ == 0) {
            const int now = ++active;
            int seen = most.load();
            while (now > seen && !most.compare_exchange_weak(seen, now)) {
            }
        }
    };
    auto leave = [&] {
        if (--depth == 0)
            --active;
    };
    auto caller = [&] {
        Bands::run(6, [&](unsigned int) {
            enter();
            Bands::run(6, [&](unsigned int) {
                enter();
                pause(2);
                ++inner;
                leave();
            });
            leave();
        });
    };
    std::thread other(caller);
    caller();
    other.join();
    EXPECT_EQ(inner.load(), 72);
    EXPECT_LE(most.load(), 3 + 2);
    EXPECT_EQ(ThreadBudget::inUse(), 0u);
}
