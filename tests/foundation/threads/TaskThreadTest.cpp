#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/threads/TaskThread.h"
#include "foundation/threads/ThreadBudget.h"
#include "RefusedThreads.h"
#include "support/ThreadCapacity.h"

using TAVO::TaskThread;
using TAVO::ThreadBudget;
using ThreadsTest::RefusedThreads;
using KestruneTest::ThreadCapacity;

// What the function made is there after the join, made on another thread.
TEST(TaskThread, TheFunctionsWorkIsSeenAfterTheJoin) {
    ThreadCapacity capacity(4);
    std::vector<int> made;
    std::thread::id ranOn;
    TaskThread task([&] {
        ranOn = std::this_thread::get_id();
        for (int i = 0; i < 1000; ++i)
            made.push_back(i * i);
    });
    task.join();
    ASSERT_EQ(made.size(), 1000u);
    EXPECT_EQ(made[999], 999 * 999);
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(task.separate());
}

// A failure reaches the joining thread as it was thrown, once.
TEST(TaskThread, JoinRethrowsWhatEscapedTheFunctionOnce) {
    TaskThread task([] { throw TAVO::UnexpectedValueException(TAVO::SourceLocation(), "seven", "a number"); });
    try {
        task.join();
        FAIL() << "joined without the failure";
    } catch (const TAVO::UnexpectedValueException& e) {
        EXPECT_NE(e.message().find("seven"), std::string::npos);
    }
    EXPECT_NO_THROW(task.join());

    TaskThread other([] { throw std::runtime_error("out of paper"); });
    EXPECT_THROW(other.join(), std::runtime_error);
}

// A task never joined is waited for by its destructor, its failure dropped.
TEST(TaskThread, TheDestructorWaitsAndLetsNothingOut) {
    std::atomic<bool> finished{false};
    {
        TaskThread task([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            finished = true;
            throw std::runtime_error("unheard");
        });
    }
    EXPECT_TRUE(finished.load());
}

// Tasks side by side, each with its own results.
TEST(TaskThread, ManyTasksRunSideBySide) {
    std::vector<long> sums(8, 0);
    {
        std::vector<std::unique_ptr<TaskThread>> tasks;
        for (std::size_t k = 0; k < sums.size(); ++k)
            tasks.push_back(std::make_unique<TaskThread>([&sums, k] {
                for (long i = 0; i <= 10000; ++i)
                    sums[k] += i * long(k + 1);
            }));
        for (auto& task : tasks)
            task->join();
    }
    for (std::size_t k = 0; k < sums.size(); ++k)
        EXPECT_EQ(sums[k], 50005000L * long(k + 1));
}

// With no thread to be had, from the system or from the budget, the
// function waits for the join and runs there, with the same results.
TEST(TaskThread, WithNoThreadTheFunctionRunsAtTheJoin) {
    for (bool refused : {true, false}) {
        ThreadCapacity capacity(refused ? 4 : 0);
        std::optional<RefusedThreads> refusal;
        if (refused)
            refusal.emplace(0);
        bool ran = false;
        std::thread::id ranOn;
        TaskThread task([&] {
            ran = true;
            ranOn = std::this_thread::get_id();
        });
        EXPECT_FALSE(task.separate()) << refused;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_FALSE(ran) << refused;
        task.join();
        EXPECT_TRUE(ran) << refused;
        EXPECT_EQ(ranOn, std::this_thread::get_id()) << refused;

        TaskThread failing([] { throw std::runtime_error("no ink"); });
        EXPECT_THROW(failing.join(), std::runtime_error) << refused;
        bool destroyed = false;
        { TaskThread unjoined([&] { destroyed = true; }); }
        EXPECT_TRUE(destroyed) << refused;
        refusal.reset();
        EXPECT_EQ(ThreadBudget::inUse(), 0u) << refused;
    }
}

// A task holds its thread of the budget while its function runs, and gives
// it back when the function ends, by returning or by throwing, or when no
// thread could be made.
TEST(TaskThread, ATaskGivesItsThreadBackWhenItsFunctionEnds) {
    ThreadCapacity capacity(1);
    std::atomic<bool> release{false};
    TaskThread first([&] {
        while (!release.load())
            std::this_thread::yield();
    });
    TaskThread second([] {});
    EXPECT_TRUE(first.separate());
    EXPECT_FALSE(second.separate());
    release = true;
    first.join();
    second.join();

    TaskThread failing([] { throw std::runtime_error("jammed"); });
    EXPECT_TRUE(failing.separate());
    EXPECT_THROW(failing.join(), std::runtime_error);

    {
        RefusedThreads refusal(0);
        TaskThread refused([] {});
        EXPECT_FALSE(refused.separate());
        refused.join();
    }

    TaskThread last([] {});
    EXPECT_TRUE(last.separate());
    last.join();
    EXPECT_EQ(ThreadBudget::inUse(), 0u);
}
