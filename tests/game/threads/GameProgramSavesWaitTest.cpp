// The wait of the window watch's end for the jobs queued on the worker when
// it decided, made on a thread of its own as the watch's is: it returns once
// the jobs queued before it have run, or at its bound. Each test runs in a
// child with a deadline of its own, so that a wait that never returns fails
// the test instead of hanging the program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "foundation/threads/Worker.h"
#include "game/GameProgram.h"
#include "sdlgl/ConnectionWatch.h"
#include "support/ChildProcess.h"

using KestruneTest::ChildProcess;

namespace {

// Runs until it is let go, then notes it ran.
class SaveJob : public TAVO::Worker::Job {
public:
    SaveJob(std::atomic<bool>& go, std::atomic<bool>& ran) : go_(go), ran_(ran) {}
    void run() override {
        while (!go_.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ran_ = true;
    }
    void done() override {}
    void failed() override {}

private:
    std::atomic<bool>& go_;
    std::atomic<bool>& ran_;
};

// Ample for the waits below on a busy machine, under the sanitizers; far
// less than the time a test program is given.
constexpr std::chrono::seconds deadline{30};

// Runs the test's checks in a child that must have ended by the deadline.
void inChild(const std::function<void()>& checks) {
    EXPECT_EQ(ChildProcess::run(
                  [&] {
                      checks();
                      return std::string("returned");
                  },
                  deadline),
              "returned");
}

} // namespace

TEST(GameProgramSavesWait, ReturnsOnceTheSavesUnderWayAndQueuedHaveRun) {
    inChild([] {
        TAVO::Worker worker;
        worker.start();
        std::atomic<bool> go{false}, first{false}, second{false};
        worker.add(std::make_unique<SaveJob>(go, first));
        worker.add(std::make_unique<SaveJob>(go, second));
        // Let go from another thread once the watch's limit has passed.
        std::thread later([&] {
            std::this_thread::sleep_for(TAVO::IK::SDLGL::ConnectionWatch::limit);
            go = true;
        });
        EXPECT_TRUE(GameProgram::waitForQueuedJobs(worker, GameProgram::savesBound));
        EXPECT_TRUE(first.load());
        EXPECT_TRUE(second.load());
        later.join();
        worker.stop();
    });
}

TEST(GameProgramSavesWait, GivesUpAtTheBoundForASaveThatDoesNotEnd) {
    inChild([] {
        TAVO::Worker worker;
        worker.start();
        std::atomic<bool> go{false}, ran{false};
        worker.add(std::make_unique<SaveJob>(go, ran));
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_FALSE(GameProgram::waitForQueuedJobs(worker, std::chrono::milliseconds(300)));
        EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(300));
        EXPECT_FALSE(ran.load());
        go = true;
        worker.stop();
    });
}
