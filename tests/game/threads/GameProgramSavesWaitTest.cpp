// The wait of the window watch's end for the saves queued when it decided,
// made on a thread of its own as the watch's is: it returns once the jobs
// queued before it have run, or at its bound.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "foundation/threads/Worker.h"
#include "game/GameProgram.h"
#include "sdlgl/ConnectionWatch.h"

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

} // namespace

TEST(GameProgramSavesWait, ReturnsOnceTheSavesUnderWayAndQueuedHaveRun) {
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
}

TEST(GameProgramSavesWait, GivesUpAtTheBoundForASaveThatDoesNotEnd) {
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
}
