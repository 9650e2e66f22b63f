#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "foundation/exceptions/Exception.h"
#include "foundation/exceptions/UnexpectedValueException.h"
#include "foundation/threads/TaskThread.h"

using TAVO::TaskThread;

// What the function made is there after the join, made on another thread.
TEST(TaskThread, TheFunctionsWorkIsSeenAfterTheJoin) {
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
